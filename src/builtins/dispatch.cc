#include "builtins/dispatch.h"

#include <string>
#include <unordered_map>

#include "values/variables.h"

namespace vendrix {
namespace {

// A handler that always goes on to the line below, as the run loop takes it.
template <void (*kHandler)(Interpreter&, const Statement&)>
Next GoOnAfter(Interpreter& interp, const Statement& statement) {
  kHandler(interp, statement);
  return Next::GoOn();
}

struct KeywordHandler {
  std::string_view keyword;
  StatementHandler handler;
};

constexpr KeywordHandler kStatements[] = {
    // Control flow.
    {"IF", StmtIf}, {"UNLESS", StmtUnless}, {"ELSEIF", StmtElseIf}, {"ELSE", StmtElse},
    {"ENDIF", StmtEndIf}, {"EXITIF", GoOnAfter<StmtExitIf>}, {"GOTO", StmtGoto}, {"GOTONEXT", StmtGotoNext},
    {"GOTOBEFORE", StmtGotoBefore}, {"CALL", StmtCall}, {"GOSUB", StmtCall}, {"RETURN", StmtReturn},
    {"FOR", GoOnAfter<StmtFor>}, {"NEXT", StmtNext}, {"EXITFOR", StmtExitFor}, {"END", StmtEnd},
    {"PAUSE", GoOnAfter<StmtPause>}, {"STEP", GoOnAfter<StmtStep>},
    // Variables.
    {"SET", StmtSet}, {"INC", StmtInc}, {"DEC", StmtDec},
    // Input and timing.
    {"DELAY", GoOnAfter<StmtDelay>}, {"AUTODELAY", GoOnAfter<StmtAutoDelay>},
    {"BLOCKINPUT", GoOnAfter<StmtBlockInput>},
    {"LCLICK", GoOnAfter<StmtLClick>}, {"RCLICK", GoOnAfter<StmtRClick>}, {"MOVETO", GoOnAfter<StmtMoveTo>},
    {"MOVERE", GoOnAfter<StmtMoveRe>},
    {"WHEEL", GoOnAfter<StmtWheel>}, {"KEY", GoOnAfter<StmtKey>}, {"PASTEKEY", GoOnAfter<StmtPasteKey>},
    {"SEND", GoOnAfter<StmtSend>},
    {"SETORIGIN", GoOnAfter<StmtSetOrigin>}, {"HOTKEY", GoOnAfter<StmtHotkey>},
    {"ACTIVATE-WINDOW", GoOnAfter<StmtActivateWindow>},
    {"BEEP", GoOnAfter<StmtBeep>}, {"SETBREAKKEY", GoOnAfter<StmtSetBreakKey>},
    {"SET-IME", GoOnAfter<StmtSetIme>},
    // Clipboard, messages and programs.
    {"MESSAGE", GoOnAfter<StmtMessage>}, {"EXEC", GoOnAfter<StmtExec>}, {"SHELL", GoOnAfter<StmtShell>},
    {"GETTITLE", GoOnAfter<StmtGetTitle>},
    {"HINTMESSAGE", GoOnAfter<StmtHintMessage>}, {"CLIPBRD", GoOnAfter<StmtClipbrd>},
    {"GETCLIPBRD", GoOnAfter<StmtGetClipbrd>},
    {"PASTE", GoOnAfter<StmtPaste>}, {"AUTOPASTE", GoOnAfter<StmtAutoPaste>},
    {"READJOYSTICK", GoOnAfter<StmtReadJoystick>},
    // Files and INI values.
    {"OPEN", GoOnAfter<StmtOpen>}, {"CLOSE", GoOnAfter<StmtClose>}, {"READ", GoOnAfter<StmtRead>},
    {"WRITE", GoOnAfter<StmtWrite>}, {"LOG", GoOnAfter<StmtLog>},
    {"WRITEINI", GoOnAfter<StmtWriteIni>}, {"SAVEINI", GoOnAfter<StmtSaveIni>},
    // Screen capture and images.
    {"CAPTURE", GoOnAfter<StmtCapture>}, {"CAPTUREJPG", GoOnAfter<StmtCaptureJpg>},
    {"CAPTURESCREEN", GoOnAfter<StmtCaptureScreen>}, {"CAPTURESCREENJPG", GoOnAfter<StmtCaptureScreenJpg>},
    {"OPENGRAPH", GoOnAfter<StmtOpenGraph>}, {"CLOSEGRAPH", GoOnAfter<StmtCloseGraph>},
};

// The statements that touch nothing outside the interpreter.  END is not
// among them: the end of a run is an effect, and a break held then is
// still reported.
constexpr std::string_view kPureKeywords[] = {
    "IF", "UNLESS", "ELSEIF", "ELSE", "ENDIF", "EXITIF", "GOTO", "GOTONEXT", "GOTOBEFORE",
    "CALL", "GOSUB", "RETURN", "FOR", "NEXT", "EXITFOR", "SET", "INC", "DEC",
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

bool KeywordIsPure(std::string_view keyword) {
  for (std::string_view pure : kPureKeywords) {
    if (keyword == pure) return true;
  }
  return false;
}

}  // namespace vendrix
