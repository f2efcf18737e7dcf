#include "builtins/dispatch.h"

#include <string>
#include <unordered_map>

#include "values/variables.h"

namespace vendrix {
namespace {

struct KeywordHandler {
  std::string_view keyword;
  StatementHandler handler;
};

constexpr KeywordHandler kStatements[] = {
    // Control flow.
    {"IF", StmtIf}, {"UNLESS", StmtUnless}, {"ELSEIF", StmtElseIf}, {"ELSE", StmtElse},
    {"ENDIF", StmtEndIf}, {"EXITIF", StmtExitIf}, {"GOTO", StmtGoto}, {"GOTONEXT", StmtGotoNext},
    {"GOTOBEFORE", StmtGotoBefore}, {"CALL", StmtCall}, {"GOSUB", StmtCall}, {"RETURN", StmtReturn},
    {"FOR", StmtFor}, {"NEXT", StmtNext}, {"EXITFOR", StmtExitFor}, {"END", StmtEnd},
    {"PAUSE", StmtPause}, {"STEP", StmtStep},
    // Variables.
    {"SET", StmtSet}, {"INC", StmtInc}, {"DEC", StmtDec},
    // Input and timing.
    {"DELAY", StmtDelay}, {"AUTODELAY", StmtAutoDelay}, {"BLOCKINPUT", StmtBlockInput},
    {"LCLICK", StmtLClick}, {"RCLICK", StmtRClick}, {"MOVETO", StmtMoveTo}, {"MOVERE", StmtMoveRe},
    {"WHEEL", StmtWheel}, {"KEY", StmtKey}, {"PASTEKEY", StmtPasteKey}, {"SEND", StmtSend},
    {"SETORIGIN", StmtSetOrigin}, {"HOTKEY", StmtHotkey}, {"ACTIVATE-WINDOW", StmtActivateWindow},
    {"BEEP", StmtBeep}, {"SETBREAKKEY", StmtSetBreakKey}, {"SET-IME", StmtSetIme},
    // Clipboard, messages and programs.
    {"MESSAGE", StmtMessage}, {"EXEC", StmtExec}, {"SHELL", StmtShell}, {"GETTITLE", StmtGetTitle},
    {"HINTMESSAGE", StmtHintMessage}, {"CLIPBRD", StmtClipbrd}, {"GETCLIPBRD", StmtGetClipbrd},
    {"PASTE", StmtPaste}, {"AUTOPASTE", StmtAutoPaste}, {"READJOYSTICK", StmtReadJoystick},
    // Files and INI values.
    {"OPEN", StmtOpen}, {"CLOSE", StmtClose}, {"READ", StmtRead}, {"WRITE", StmtWrite}, {"LOG", StmtLog},
    {"WRITEINI", StmtWriteIni}, {"SAVEINI", StmtSaveIni},
    // Screen capture and images.
    {"CAPTURE", StmtCapture}, {"CAPTUREJPG", StmtCaptureJpg},
    {"CAPTURESCREEN", StmtCaptureScreen}, {"CAPTURESCREENJPG", StmtCaptureScreenJpg},
    {"OPENGRAPH", StmtOpenGraph}, {"CLOSEGRAPH", StmtCloseGraph},
};

using HandlerIndex = std::unordered_map<std::string, StatementHandler, TextHash, std::equal_to<>>;

HandlerIndex BuildHandlerIndex() {
  HandlerIndex index;
  for (const KeywordHandler& entry : kStatements) index.emplace(std::string(entry.keyword), entry.handler);
  return index;
}

}  // namespace

StatementHandler FindStatementHandler(std::string_view keyword) {
  static const HandlerIndex index = BuildHandlerIndex();  // a constant table, built once
  auto it = index.find(keyword);
  return it == index.end() ? nullptr : it->second;
}

}  // namespace vendrix
