// Ending the program.
//
// Every way of ending Vendrix from inside a run (a fatal error, No to the
// continue question, the end of a run outside resident mode) throws this.
// It unwinds to the entry point, which runs the orderly shutdown once and
// returns the exit code.  Nothing calls exit() from inside the engine.
#pragma once

namespace vendrix {

struct ProgramEnd {
  int exitCode;
};

}  // namespace vendrix
