// Ending the program.
//
// Every way of ending Vendrix from inside a run (a fatal error, No to the
// continue question, the end of a run outside resident mode, the menu's
// commands) goes through EndProgram, which throws ProgramEnd.  It unwinds to
// the entry point, which runs the orderly shutdown once and returns the exit
// code.  Nothing calls exit() from inside the engine.
#pragma once

namespace vendrix {

struct ProgramEnd {
  int exitCode;
};

// The one way out of the program: unwinds to the entry point with the exit
// code.
[[noreturn]] void EndProgram(int exitCode);

}  // namespace vendrix
