#include "engine/poll_schedule.h"

#include "engine/engine.h"

namespace vendrix {
namespace {

// An auto-delay or the step display makes every statement an effect: the
// loop sleeps or draws after each one.
bool Paced(const Engine& engine) { return engine.pacing.autoDelay > 0 || engine.pacing.stepMode; }

bool PureLineAt(const StatementList& list, int line) {
  return line >= 0 && static_cast<size_t>(line) < list.size() && list[static_cast<size_t>(line)].pure;
}

}  // namespace

PollSchedule::PollSchedule(Engine& engine)
    : engine_(engine), ticksAtLook_(engine.platform.clock.CoarseTicks()) {}

bool PollSchedule::LookAfter(const Statement& done, int next) {
  const bool look = LookDue(done, next);
  PollState& poll = engine_.run.poll;
  poll.owed = !look;
  poll.effectSeen = false;
  if (look) {
    pureInARow_ = 0;
    ticksAtLook_ = engine_.platform.clock.CoarseTicks();
  }
  return look;
}

bool PollSchedule::LookDue(const Statement& done, int next) {
  if (first_) {
    first_ = false;
    return true;
  }
  if (!done.pure || engine_.run.poll.effectSeen || Paced(engine_)) return true;
  if (!PureLineAt(engine_.run.statements, next)) return true;
  return ++pureInARow_ >= kPureStatementsPerLook || engine_.platform.clock.CoarseTicks() != ticksAtLook_;
}

}  // namespace vendrix
