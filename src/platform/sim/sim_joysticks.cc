#include "platform/sim/sim_desktop.h"

namespace vendrix::sim {

// The sample in force is the last one whose time has come; before the
// first, the stick rests centred with no button down.
std::optional<platform::JoystickState> SimDesktop::Read(int joystick) {
  std::optional<platform::JoystickState> result;
  if (joystick >= 0 && static_cast<size_t>(joystick) < joystickSamples_.size()) {
    if (const auto& samples = joystickSamples_[static_cast<size_t>(joystick)]) {
      result.emplace();
      for (const JoystickSample& sample : *samples) {
        if (sample.atMs > nowMs_) break;
        result = sample.state;
      }
    }
  }
  if (Tracing()) {
    nlohmann::ordered_json state = nullptr;
    if (result) state = {{"x", result->x}, {"y", result->y}, {"z", result->z}, {"buttons", result->buttons}};
    Record("joyGetPosEx", {{"joystick", joystick}, {"result", state}});
  }
  return result;
}

}  // namespace vendrix::sim
