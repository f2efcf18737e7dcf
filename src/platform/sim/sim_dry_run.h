// The rules that make a dry run on the simulated desktop end, and tell why.
//
// A dry run has no user to close a box or press a key, so a macro that
// waits for one the description never delivers would wait for ever.  The
// desktop notices such waits, and bounds the rest, and ends the program by
// throwing DryRunEnd, which the launcher turns into a message and an exit
// code.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

namespace vendrix::sim {

// The exit codes of a dry run that did not end by itself.
inline constexpr int kExitStoppedOnError = 1;  // --stop-on-error
inline constexpr int kExitDryRunCut = 3;       // a wait nobody ends, or a bound
inline constexpr int kExitTraceFailed = 4;     // the trace could not be written

// Ends the program; `what()` is the message for the user (UTF-8).
class DryRunEnd : public std::runtime_error {
 public:
  DryRunEnd(int exitCode, const std::string& message) : std::runtime_error(message), exitCode_(exitCode) {}
  int ExitCode() const { return exitCode_; }

 private:
  int exitCode_;
};

struct DryRunRules {
  uint64_t maxTimeMs = 0;      // virtual ms from the start; 0: no bound
  uint64_t maxStatements = 0;  // statements started; 0: no bound
  bool stopOnError = false;    // the first error report ends the run
  // The trace keeps the routine key polls (see platform::Input::PollKey)
  // and the start-up key tables.  The desktop records everything unless
  // told otherwise; the launcher leaves them out unless asked.
  bool tracePolls = true;
};

// A text of the program (UTF-8) on one line: line breaks become "\n".
std::string OneLine(std::string_view text);

// The same question shown this many times in a row, with the answers used up
// and no statement run in between, is taken to come back for ever.
inline constexpr int kRepeatedQuestionLimit = 10;

}  // namespace vendrix::sim
