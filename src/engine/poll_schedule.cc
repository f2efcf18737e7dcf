#include "engine/poll_schedule.h"

namespace vendrix {

PollSchedule::PollSchedule(Engine& engine)
    : poll_(engine.run.poll),
      pacing_(engine.pacing),
      clock_(engine.platform.clock),
      pureStatementsPerLook_(clock_.StandsStillWhileComputing() ? kPureStatementsPerLook : UINT32_MAX),
      microsecondsAtLook_(clock_.SteadyMicroseconds()) {
  const StatementList& statements = engine.run.statements;
  pureLines_.reserve(statements.size());
  for (size_t line = 0; line < statements.size(); ++line) pureLines_.push_back(statements[line].pure ? 1 : 0);
  // The run's start counts as an effect: the loop looks after the first
  // statement.
  poll_.effectSeen = true;
}

void PollSchedule::Look() {
  poll_.owed = false;
  poll_.effectSeen = false;
  pureInARow_ = 0;
  microsecondsAtLook_ = clock_.SteadyMicroseconds();
}

}  // namespace vendrix
