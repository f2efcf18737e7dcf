// The statement keywords and their handlers.
#pragma once

#include <string_view>

#include "engine/statement.h"

namespace vendrix {

// The handler of an upper-cased keyword, or null when it is no statement.
StatementHandler FindStatementHandler(std::string_view keyword);

// Handlers, one file per group of statements.
void StmtIf(Engine&, const Statement&);
void StmtUnless(Engine&, const Statement&);
void StmtElseIf(Engine&, const Statement&);
void StmtElse(Engine&, const Statement&);
void StmtEndIf(Engine&, const Statement&);
void StmtExitIf(Engine&, const Statement&);
void StmtGoto(Engine&, const Statement&);
void StmtGotoNext(Engine&, const Statement&);
void StmtGotoBefore(Engine&, const Statement&);
void StmtCall(Engine&, const Statement&);
void StmtReturn(Engine&, const Statement&);
void StmtFor(Engine&, const Statement&);
void StmtNext(Engine&, const Statement&);
void StmtExitFor(Engine&, const Statement&);
void StmtEnd(Engine&, const Statement&);
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
