#include "engine/poll_schedule.h"

namespace vendrix {

PollSchedule::PollSchedule(Engine& engine)
    : poll_(engine.run.poll),
      pacing_(engine.pacing),
      statements_(engine.run.statements),
      clock_(engine.platform.clock),
      ticksAtLook_(clock_.CoarseTicks()) {
  // The run's start counts as an effect: the loop looks after the first
  // statement.
  poll_.effectSeen = true;
}

void PollSchedule::Looked() {
  pureInARow_ = 0;
  ticksAtLook_ = clock_.CoarseTicks();
}

}  // namespace vendrix
