// Running a macro: the run driver and the statement executor.
//
// The run loop alone moves the program counter.  Each statement's handler
// returns what should happen next (Next: go on, jump to a line, call, return,
// end) and the loop carries it out.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "engine/statement.h"

namespace vendrix {

class Engine;

// Loads and runs a macro file.  Returns when the run has ended normally
// (last line, END or the break key), after releasing what the macro holds;
// ending the program (errors, an empty macro) throws ProgramEnd.
void RunMacro(Engine& engine, const std::string& fileName);
// The same for lines first..last of the hotkey file's macro lines.
void RunMacroLines(Engine& engine, int first, int last);

// Executes one parsed statement; returns what the run should do next.
Next ExecuteStatement(Engine& engine, const Statement& statement);
// Executes a statement given as text, outside the loaded lines (a menu
// entry's statement).
Next ExecuteText(Engine& engine, std::string_view text);
// The parsed form of such a text, from the engine's bounded cache.
std::shared_ptr<const Statement> BuiltStatement(Engine& engine, std::string_view text);

// What running a jump statement nested in the current one would do before
// it jumps, for a statement that jumps the way that statement would (CALL
// as "GOTO target", NEXT as "GOTOBEFORE" its FOR line, EXITFOR as
// "GOTONEXT NEXT"): the nesting limit (reported with `jumpText`), the
// jump's split error if it has one, and the step display showing the
// current line again.
void EnterImpliedJump(Engine& engine, std::string_view jumpText, const OptionalText* splitError = nullptr);

// The end of every run: input unblocked, held buttons and keys released.
void EndRun(Engine& engine);

// Whether the user holds the break key; if so the break message has been
// shown and the run is to stop.  Polled between statements and during long
// evaluations.
bool BreakRequested(Engine& engine);
// Thrown from inside a statement when the break key stops the run; the run
// driver ends the run as after a break between statements.
struct RunBroken {};

// Called before a function with an effect runs.  A statement taken for pure
// may reach one through a variable's text evaluated as an operand; the run
// loop then looks after it, and if it skipped its look before it, the break
// key is tested now, before the effect (throwing RunBroken if held).
void NoteEffect(Engine& engine);

}  // namespace vendrix
