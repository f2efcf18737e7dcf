#include "desktop/joystick.h"

#include <string_view>

#include "engine/engine.h"
#include "engine/report.h"

namespace vendrix {
namespace {

constexpr uint32_t kHighThreshold = 0xBFFF;
constexpr uint32_t kLowThreshold = 0x3FFF;

char Bit(uint32_t buttons, int button) { return (buttons >> (button - 1)) & 1u ? '1' : '0'; }

void StoreNamed(Engine& engine, std::string_view upperName, std::string_view value) {
  int index = engine.variables.Find(upperName);
  if (index >= 0) engine.variables.Store(index, value);
}

// Fills one set of variables; `suffix` is "" or "2".
void FillSet(Engine& engine, const platform::JoystickState& state, std::string_view suffix) {
  auto name = [suffix](std::string_view base) { return std::string(base) + std::string(suffix); };
  std::string buttons = JoyButtonText(state.buttons);
  StoreNamed(engine, name("%JOYBUTTON"), buttons);
  for (int button = 9; button <= 12; ++button) buttons += Bit(state.buttons, button);
  StoreNamed(engine, name("%JOYBUTTONEX"), buttons);
  StoreNamed(engine, name("%JOYSTICK"), JoyDirectionText(state));
  StoreNamed(engine, name("%JOYXPOS"), std::to_string(state.x));
  StoreNamed(engine, name("%JOYYPOS"), std::to_string(state.y));
  StoreNamed(engine, name("%JOYZPOS"), std::to_string(state.z));
  StoreNamed(engine, name("%JOYBIT"), std::to_string(state.buttons));
}

void ReadBoth(Engine& engine) {
  for (std::string_view suffix : {"", "2"}) {
    StoreNamed(engine, std::string("%JOYBUTTON") + std::string(suffix), "00000000");
    StoreNamed(engine, std::string("%JOYBUTTONEX") + std::string(suffix), "000000000000");
  }
  platform::Joysticks& joysticks = engine.platform.joysticks;
  if (auto first = joysticks.Read(0)) FillSet(engine, *first, "");
  if (auto second = joysticks.Read(1)) FillSet(engine, *second, "2");
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

void ReadJoystick(Engine& engine, int mode) {
  if (mode == 0) {
    ReadBoth(engine);
    return;
  }
  std::optional<platform::JoystickState> state = engine.platform.joysticks.Read(mode == 2 ? 1 : 0);
  if (!state) {
    ReportError(engine, msg::kNoJoystick, false);
    return;
  }
  FillSet(engine, *state, "");
}

}  // namespace vendrix
