// The simulated speaker: a beep takes its time and sounds nowhere.
#pragma once

#include <cstdint>

#include "platform/platform.h"
#include "platform/sim/sim_world.h"

namespace vendrix::sim {

class SimSound final : public platform::Sound {
 public:
  explicit SimSound(SimWorld& world) : world_(world) {}

  void Beep(uint32_t frequency, uint32_t ms) override;

 private:
  SimWorld& world_;
};

}  // namespace vendrix::sim
