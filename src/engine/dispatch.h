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
void StmtMessage(Engine&, const Statement&);
void StmtOpen(Engine&, const Statement&);
void StmtClose(Engine&, const Statement&);
void StmtRead(Engine&, const Statement&);
void StmtWrite(Engine&, const Statement&);
void StmtLog(Engine&, const Statement&);
void StmtWriteIni(Engine&, const Statement&);
void StmtSaveIni(Engine&, const Statement&);
// Statements this version does not carry out yet: reported, not fatal.
void StmtNotYetAvailable(Engine&, const Statement&);

}  // namespace vendrix
