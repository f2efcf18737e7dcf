#include "desktop/joystick.h"

#include <string_view>

#include "values/messages.h"

namespace vendrix {
namespace {

constexpr uint32_t kHighThreshold = 0xBFFF;
constexpr uint32_t kLowThreshold = 0x3FFF;

char Bit(uint32_t buttons, int button) { return (buttons >> (button - 1)) & 1u ? '1' : '0'; }

// Adds one set of values; `suffix` is "" or "2".
void AddSet(std::vector<JoystickValue>& values, const platform::JoystickState& state, std::string_view suffix) {
  auto add = [&](std::string_view base, std::string value) {
    values.push_back({std::string(base) + std::string(suffix), std::move(value)});
  };
  std::string buttons = JoyButtonText(state.buttons);
  add("%JOYBUTTON", buttons);
  for (int button = 9; button <= 12; ++button) buttons += Bit(state.buttons, button);
  add("%JOYBUTTONEX", buttons);
  add("%JOYSTICK", JoyDirectionText(state));
  add("%JOYXPOS", std::to_string(state.x));
  add("%JOYYPOS", std::to_string(state.y));
  add("%JOYZPOS", std::to_string(state.z));
  add("%JOYBIT", std::to_string(state.buttons));
}

std::vector<JoystickValue> ReadBoth(platform::Joysticks& joysticks) {
  std::vector<JoystickValue> values;
  for (std::string_view suffix : {"", "2"}) {
    values.push_back({std::string("%JOYBUTTON") + std::string(suffix), "00000000"});
    values.push_back({std::string("%JOYBUTTONEX") + std::string(suffix), "000000000000"});
  }
  if (auto first = joysticks.Read(0)) AddSet(values, *first, "");
  if (auto second = joysticks.Read(1)) AddSet(values, *second, "2");
  return values;
}

}  // namespace

std::string JoyButtonText(uint32_t buttons) {
  std::string text;
  for (int button = 1; button <= 8; ++button) text += Bit(buttons, button);
  return text;
}

std::string JoyDirectionText(const platform::JoystickState& state) {
  std::string text;
  text += state.x > kHighThreshold ? 'R' : state.x < kLowThreshold ? 'L' : '-';
  text += state.y > kHighThreshold ? 'D' : state.y < kLowThreshold ? 'U' : '-';
  return text;
}

std::vector<JoystickValue> ReadJoystick(DesktopContext desktop, int mode) {
  platform::Joysticks& joysticks = desktop.platform.joysticks;
  if (mode == 0) return ReadBoth(joysticks);
  std::optional<platform::JoystickState> state = joysticks.Read(mode == 2 ? 1 : 0);
  std::vector<JoystickValue> values;
  if (!state) {
    desktop.errors.AskContinue(msg::kNoJoystick);
    return values;
  }
  AddSet(values, *state, "");
  return values;
}

}  // namespace vendrix
