// Which statements work on the interpreter alone.
//
// A statement is pure when its keyword only changes the interpreter's own
// state (variables, IF blocks, jumps, loops) and every function its operands
// call, at any depth, is pure too.  The run loop skips its look at the
// message queue and the break key after such statements (see
// poll_schedule.h).  Whatever cannot be told from the text counts as an
// effect: an unknown function, a text never closed, a call nested deeper than
// the check goes.  A variable's text evaluated as an operand at run time is
// caught when it runs (NoteEffect in run.h).
#pragma once

namespace vendrix {

struct BuiltinTables;
struct Statement;

bool StatementIsPure(const Statement& statement, const BuiltinTables& builtins);

}  // namespace vendrix
