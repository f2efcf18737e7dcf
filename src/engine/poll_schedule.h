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
// paces the run; and otherwise once a millisecond of pure computation has
// passed (the steady clock is read every kPureStatementsPerClockRead pure
// statements).  Wherever a break or a message could change what the macro
// does next, the look comes after the same statement as if the loop looked
// every time; what is skipped is pure computation, which nothing outside the
// interpreter can see.  On the simulated desktop pure statements take no
// virtual time, so there a count of them decides instead
// (kPureStatementsPerLook in a row) and a trace stays the same from run to
// run.
#pragma once

#include <cstdint>
#include <vector>

#include "engine/engine.h"
#include "engine/statement.h"

namespace vendrix {

inline constexpr uint64_t kMicrosecondsPerLook = 1000;
// Where the clock stands still while the interpreter computes.
inline constexpr uint32_t kPureStatementsPerLook = 4096;
// The clock is read once per this many pure statements in a row: a few
// microseconds of the cheapest statements, and a read is a call through the
// platform (under Wine, about 0.1 us).
inline constexpr uint32_t kPureStatementsPerClockRead = 256;
static_assert(kPureStatementsPerLook % kPureStatementsPerClockRead == 0);

// Asked after every statement, so the common answer (no look) is decided
// inline from what the engine keeps.
class PollSchedule {
 public:
  explicit PollSchedule(Engine& engine);
  // Whether the loop looks after `done`, with line `next` to run next (at
  // or past the end of the list: the run ends).
  bool LookAfter(const Statement& done, int next) {
    if (QuietStep(done, next) && !LookDueAfterQuietStep()) {
      poll_.owed = true;
      return false;
    }
    Look();
    return true;
  }

 private:
  // Pure computation between pure lines, with no effect seen and nothing
  // pacing the run.
  bool QuietStep(const Statement& done, int next) const {
    return done.pure && !poll_.effectSeen && !Paced() && PureLineAt(next);
  }
  // Counts a quiet step; true when the clock, read every
  // kPureStatementsPerClockRead of them, or the count says to look.
  bool LookDueAfterQuietStep() {
    if (++pureInARow_ % kPureStatementsPerClockRead != 0) return false;
    return pureInARow_ >= pureStatementsPerLook_ ||
           clock_.SteadyMicroseconds() - microsecondsAtLook_ >= kMicrosecondsPerLook;
  }
  // An auto-delay or the step display makes every statement an effect: the
  // loop sleeps or draws after each one.
  bool Paced() const { return pacing_.autoDelay > 0 || pacing_.stepMode; }
  bool PureLineAt(int line) const {
    const auto index = static_cast<size_t>(line);  // a negative line is far past the end
    return index < pureLines_.size() && pureLines_[index] != 0;
  }
  void Look();

  PollState& poll_;
  const Pacing& pacing_;
  // Each line's purity, one byte a line: the list does not change while
  // the macro runs.
  std::vector<uint8_t> pureLines_;
  platform::Clock& clock_;
  // kPureStatementsPerLook where the clock stands still, else never.
  uint32_t pureStatementsPerLook_;
  uint32_t pureInARow_ = 0;
  uint64_t microsecondsAtLook_ = 0;
};

}  // namespace vendrix
