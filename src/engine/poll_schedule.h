// When the run loop looks outside the interpreter: lets window messages
// through (repaints, the watchdog's timer, the shell's events) and tests the
// break key.
//
// A look costs system calls (under Wine, trips to the server) that weigh
// far more than a statement of pure computation, so the loop does not look
// after every statement.  It looks after the first statement of a run; after
// every statement with an effect, and after the statement before one, so
// that a held break key stops the run before the effect; after the last
// statement; after every statement while an auto-delay or the step display
// paces the run; and otherwise once the coarse clock has moved on or
// kPureStatementsPerLook pure statements have run in a row.  Wherever a
// break or a message could change what the macro does next, the look comes
// after the same statement as if the loop looked every time; what is skipped
// is pure computation, which nothing outside the interpreter can see.  On
// the simulated desktop pure statements take no virtual time, so there the
// count alone decides and a trace stays the same from run to run.
#pragma once

#include <cstdint>

namespace vendrix {

class Engine;
struct Statement;

inline constexpr uint32_t kPureStatementsPerLook = 4096;

class PollSchedule {
 public:
  explicit PollSchedule(Engine& engine);
  // Whether the loop looks after `done`, with line `next` to run next (at
  // or past the end of the list: the run ends).
  bool LookAfter(const Statement& done, int next);

 private:
  bool LookDue(const Statement& done, int next);

  Engine& engine_;
  bool first_ = true;
  uint32_t pureInARow_ = 0;
  uint64_t ticksAtLook_ = 0;
};

}  // namespace vendrix
