// The simulated clock: virtual time, which moves only when the program
// sleeps or waits, and the local clock that runs with it.
#pragma once

#include <cstdint>

#include "platform/platform.h"
#include "platform/sim/sim_input.h"
#include "platform/sim/sim_world.h"

namespace vendrix::sim {

class SimClock final : public platform::Clock {
 public:
  // `atStart`: what the local clock shows at the world's start.
  SimClock(SimWorld& world, const SimInput& input, const platform::LocalTime& atStart)
      : world_(world), input_(input), atStart_(atStart) {}

  platform::LocalTime Now() override;
  void Sleep(uint32_t ms) override;
  uint32_t TickCount() override;
  uint64_t SteadyMicroseconds() override;
  bool StandsStillWhileComputing() const override { return true; }
  void SleepAwaitingUser(uint32_t ms) override;

 private:
  SimWorld& world_;
  const SimInput& input_;
  platform::LocalTime atStart_;
};

}  // namespace vendrix::sim
