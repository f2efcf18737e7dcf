// Running a macro: the run driver and the statement executor.
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

// Executes one parsed statement.
void ExecuteStatement(Engine& engine, const Statement& statement);
// Executes a statement that another statement built as text.
void ExecuteText(Engine& engine, std::string_view text);
// The parsed form of such a text, from the engine's bounded cache.
std::shared_ptr<const Statement> BuiltStatement(Engine& engine, std::string_view text);

// The end of every run: input unblocked, held buttons and keys released.
void EndRun(Engine& engine);

// Whether the user holds the break key; if so the break message has been
// shown and the run is to stop.  Polled between statements and during long
// evaluations.
bool BreakRequested(Engine& engine);
// Thrown from inside a statement when the break key stops the run; the run
// driver ends the run as after a break between statements.
struct RunBroken {};

}  // namespace vendrix
