// The simulated joysticks: each plugged-in one follows its described
// positions through virtual time.
#pragma once

#include <array>
#include <optional>
#include <utility>
#include <vector>

#include "platform/platform.h"
#include "platform/sim/sim_world.h"

namespace vendrix::sim {

class SimJoysticks final : public platform::Joysticks {
 public:
  using Samples = std::array<std::optional<std::vector<JoystickSample>>, 2>;

  SimJoysticks(SimWorld& world, Samples samples) : world_(world), samples_(std::move(samples)) {}

  std::optional<platform::JoystickState> Read(int joystick) override;

  // Whether joystick 0 (JOYSTICKID1) or 1 is plugged in.
  bool Present(int joystick) const;

 private:
  SimWorld& world_;
  Samples samples_;
};

}  // namespace vendrix::sim
