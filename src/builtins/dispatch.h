// The statement keywords and their handlers.
#pragma once

#include <string_view>

#include "engine/statement.h"

namespace vendrix {

// The handler of an upper-cased keyword, or null when it is no statement.
StatementHandler FindStatementHandler(std::string_view keyword);
// Whether the statement of an upper-cased keyword works on the interpreter
// alone (variables, IF blocks, jumps, loops), apart from the functions its
// operands call.
bool KeywordIsPure(std::string_view keyword);

// Handlers, one file per group of statements.  Those that can send the run
// elsewhere return Next; the others always go on to the line below.
Next StmtIf(Interpreter&, const Statement&);
Next StmtUnless(Interpreter&, const Statement&);
Next StmtElseIf(Interpreter&, const Statement&);
Next StmtElse(Interpreter&, const Statement&);
Next StmtEndIf(Interpreter&, const Statement&);
void StmtExitIf(Interpreter&, const Statement&);
Next StmtGoto(Interpreter&, const Statement&);
Next StmtGotoNext(Interpreter&, const Statement&);
Next StmtGotoBefore(Interpreter&, const Statement&);
Next StmtCall(Interpreter&, const Statement&);
Next StmtReturn(Interpreter&, const Statement&);
void StmtFor(Interpreter&, const Statement&);
Next StmtNext(Interpreter&, const Statement&);
Next StmtExitFor(Interpreter&, const Statement&);
Next StmtEnd(Interpreter&, const Statement&);
void StmtPause(Interpreter&, const Statement&);
void StmtStep(Interpreter&, const Statement&);
// The statements a computing loop runs most answer the run loop directly.
Next StmtSet(Interpreter&, const Statement&);
Next StmtInc(Interpreter&, const Statement&);
Next StmtDec(Interpreter&, const Statement&);
void StmtDelay(Interpreter&, const Statement&);
void StmtAutoDelay(Interpreter&, const Statement&);
void StmtBlockInput(Interpreter&, const Statement&);
void StmtLClick(Interpreter&, const Statement&);
void StmtRClick(Interpreter&, const Statement&);
void StmtMoveTo(Interpreter&, const Statement&);
void StmtMoveRe(Interpreter&, const Statement&);
void StmtWheel(Interpreter&, const Statement&);
void StmtKey(Interpreter&, const Statement&);
void StmtPasteKey(Interpreter&, const Statement&);
void StmtSend(Interpreter&, const Statement&);
void StmtSetOrigin(Interpreter&, const Statement&);
void StmtHotkey(Interpreter&, const Statement&);
void StmtActivateWindow(Interpreter&, const Statement&);
void StmtBeep(Interpreter&, const Statement&);
void StmtSetBreakKey(Interpreter&, const Statement&);
void StmtSetIme(Interpreter&, const Statement&);
void StmtMessage(Interpreter&, const Statement&);
void StmtExec(Interpreter&, const Statement&);
void StmtShell(Interpreter&, const Statement&);
void StmtGetTitle(Interpreter&, const Statement&);
void StmtHintMessage(Interpreter&, const Statement&);
void StmtClipbrd(Interpreter&, const Statement&);
void StmtGetClipbrd(Interpreter&, const Statement&);
void StmtPaste(Interpreter&, const Statement&);
void StmtAutoPaste(Interpreter&, const Statement&);
void StmtReadJoystick(Interpreter&, const Statement&);
void StmtOpen(Interpreter&, const Statement&);
void StmtClose(Interpreter&, const Statement&);
void StmtRead(Interpreter&, const Statement&);
void StmtWrite(Interpreter&, const Statement&);
void StmtLog(Interpreter&, const Statement&);
void StmtWriteIni(Interpreter&, const Statement&);
void StmtSaveIni(Interpreter&, const Statement&);
void StmtCapture(Interpreter&, const Statement&);
void StmtCaptureJpg(Interpreter&, const Statement&);
void StmtCaptureScreen(Interpreter&, const Statement&);
void StmtCaptureScreenJpg(Interpreter&, const Statement&);
void StmtOpenGraph(Interpreter&, const Statement&);
void StmtCloseGraph(Interpreter&, const Statement&);
// The pause that LCLICK, RCLICK, MOVETO, MOVERE, KEY and PASTE take after
// their action when the per-statement delay is skipped.
void AutoDelayStep(Interpreter& interp);

}  // namespace vendrix
