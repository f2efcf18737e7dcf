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
Next StmtIf(Engine&, const Statement&);
Next StmtUnless(Engine&, const Statement&);
Next StmtElseIf(Engine&, const Statement&);
Next StmtElse(Engine&, const Statement&);
Next StmtEndIf(Engine&, const Statement&);
void StmtExitIf(Engine&, const Statement&);
Next StmtGoto(Engine&, const Statement&);
Next StmtGotoNext(Engine&, const Statement&);
Next StmtGotoBefore(Engine&, const Statement&);
Next StmtCall(Engine&, const Statement&);
Next StmtReturn(Engine&, const Statement&);
void StmtFor(Engine&, const Statement&);
Next StmtNext(Engine&, const Statement&);
Next StmtExitFor(Engine&, const Statement&);
Next StmtEnd(Engine&, const Statement&);
void StmtPause(Engine&, const Statement&);
void StmtStep(Engine&, const Statement&);
void StmtSet(Engine&, const Statement&);
void StmtInc(Engine&, const Statement&);
void StmtDec(Engine&, const Statement&);
void StmtDelay(Engine&, const Statement&);
void StmtAutoDelay(Engine&, const Statement&);
void StmtBlockInput(Engine&, const Statement&);
void StmtLClick(Engine&, const Statement&);
void StmtRClick(Engine&, const Statement&);
void StmtMoveTo(Engine&, const Statement&);
void StmtMoveRe(Engine&, const Statement&);
void StmtWheel(Engine&, const Statement&);
void StmtKey(Engine&, const Statement&);
void StmtPasteKey(Engine&, const Statement&);
void StmtSend(Engine&, const Statement&);
void StmtSetOrigin(Engine&, const Statement&);
void StmtHotkey(Engine&, const Statement&);
void StmtActivateWindow(Engine&, const Statement&);
void StmtBeep(Engine&, const Statement&);
void StmtSetBreakKey(Engine&, const Statement&);
void StmtSetIme(Engine&, const Statement&);
void StmtMessage(Engine&, const Statement&);
void StmtExec(Engine&, const Statement&);
void StmtShell(Engine&, const Statement&);
void StmtGetTitle(Engine&, const Statement&);
void StmtHintMessage(Engine&, const Statement&);
void StmtClipbrd(Engine&, const Statement&);
void StmtGetClipbrd(Engine&, const Statement&);
void StmtPaste(Engine&, const Statement&);
void StmtAutoPaste(Engine&, const Statement&);
void StmtReadJoystick(Engine&, const Statement&);
void StmtOpen(Engine&, const Statement&);
void StmtClose(Engine&, const Statement&);
void StmtRead(Engine&, const Statement&);
void StmtWrite(Engine&, const Statement&);
void StmtLog(Engine&, const Statement&);
void StmtWriteIni(Engine&, const Statement&);
void StmtSaveIni(Engine&, const Statement&);
void StmtCapture(Engine&, const Statement&);
void StmtCaptureJpg(Engine&, const Statement&);
void StmtCaptureScreen(Engine&, const Statement&);
void StmtCaptureScreenJpg(Engine&, const Statement&);
void StmtOpenGraph(Engine&, const Statement&);
void StmtCloseGraph(Engine&, const Statement&);
// The pause that LCLICK, RCLICK, MOVETO, MOVERE, KEY and PASTE take after
// their action when the per-statement delay is skipped.
void AutoDelayStep(Engine& engine);

}  // namespace vendrix
