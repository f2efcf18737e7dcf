#include "engine/poll_schedule.h"

namespace vendrix {

PollSchedule::PollSchedule(Engine& engine)
    : poll_(engine.run.poll),
      pacing_(engine.pacing),
      statements_(engine.run.statements),
      clock_(engine.platform.clock),
      ticksAtLook_(clock_.CoarseTicks()) {}

void PollSchedule::Looked() {
  pureInARow_ = 0;
  ticksAtLook_ = clock_.CoarseTicks();
}

}  // namespace vendrix
