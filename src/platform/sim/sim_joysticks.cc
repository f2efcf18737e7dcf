#include "platform/sim/sim_joysticks.h"

namespace vendrix::sim {

// The sample in force is the last one whose time has come; before the
// first, the stick rests centred with no button down.
std::optional<platform::JoystickState> SimJoysticks::Read(int joystick) {
  std::optional<platform::JoystickState> result;
  if (joystick >= 0 && static_cast<size_t>(joystick) < samples_.size()) {
    if (const auto& samples = samples_[static_cast<size_t>(joystick)]) {
      result.emplace();
      for (const JoystickSample& sample : *samples) {
        if (sample.atMs > world_.NowMs()) break;
        result = sample.state;
      }
    }
  }
  if (world_.Tracing()) {
    nlohmann::ordered_json state = nullptr;
    if (result) state = {{"x", result->x}, {"y", result->y}, {"z", result->z}, {"buttons", result->buttons}};
    world_.Record("joyGetPosEx", {{"joystick", joystick}, {"result", state}});
  }
  return result;
}

bool SimJoysticks::Present(int joystick) const {
  return joystick >= 0 && static_cast<size_t>(joystick) < samples_.size() && samples_[static_cast<size_t>(joystick)];
}

}  // namespace vendrix::sim
