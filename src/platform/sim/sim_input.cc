#include "platform/sim/sim_input.h"

#include <algorithm>
#include <utility>

#include "platform/sim/keyboard_layout.h"

namespace vendrix::sim {
namespace {

constexpr int16_t kKeyDown = static_cast<int16_t>(0x8000);
constexpr int kVkLeftButton = 0x01;
constexpr int kVkRightButton = 0x02;
constexpr int kVkMiddleButton = 0x04;
constexpr uint32_t kMouseEventMiddleDown = 0x0020;
constexpr uint32_t kMouseEventMiddleUp = 0x0040;
constexpr uint32_t kMapVkToScanCode = 0;

struct ButtonEvent {
  uint32_t flag;
  int vk;
  bool down;
};

// In the order Windows acts on the flags of one event.
constexpr ButtonEvent kButtonEvents[] = {
    {platform::kMouseEventLeftDown, kVkLeftButton, true},
    {platform::kMouseEventLeftUp, kVkLeftButton, false},
    {platform::kMouseEventRightDown, kVkRightButton, true},
    {platform::kMouseEventRightUp, kVkRightButton, false},
    {kMouseEventMiddleDown, kVkMiddleButton, true},
    {kMouseEventMiddleUp, kVkMiddleButton, false},
};

bool IsKeyCode(int vk) { return vk > 0 && vk < 256; }

}  // namespace

SimInput::SimInput(SimWorld& world, SimPointer& pointer, std::vector<KeyHold> keyHolds)
    : world_(world), pointer_(pointer), keyHolds_(std::move(keyHolds)) {
  for (const KeyHold& hold : keyHolds_) lastKeyChangeMs_ = std::max(lastKeyChangeMs_, hold.upMs.value_or(hold.downMs));
}

bool SimInput::InjectedKeyDown(int vk) const {
  return IsKeyCode(vk) && injectedDown_[static_cast<size_t>(vk)];
}

std::vector<int> SimInput::InjectedKeysDown() const {
  std::vector<int> down;
  for (int vk = 1; vk < 256; ++vk) {
    if (InjectedKeyDown(vk)) down.push_back(vk);
  }
  return down;
}

void SimInput::RefreshHeldKeys() {
  heldAtMs_ = world_.NowMs();
  heldByUser_.reset();
  for (const KeyHold& hold : keyHolds_) {
    const bool down = hold.downMs <= heldAtMs_ && (!hold.upMs || heldAtMs_ < *hold.upMs);
    if (down && IsKeyCode(hold.vk)) heldByUser_.set(static_cast<size_t>(hold.vk));
  }
}

bool SimInput::HeldByUser(int vk) {
  if (!IsKeyCode(vk)) return false;
  if (heldAtMs_ != world_.NowMs()) RefreshHeldKeys();
  return heldByUser_.test(static_cast<size_t>(vk));
}

int16_t SimInput::KeyState(int vk) {
  return InjectedKeyDown(vk) || HeldByUser(vk) ? kKeyDown : int16_t{0};
}

int16_t SimInput::GetAsyncKeyState(int vk) {
  const int16_t state = KeyState(vk);
  if (world_.Tracing()) world_.Record("GetAsyncKeyState", {{"vk", vk}, {"result", state}});
  return state;
}

int16_t SimInput::GetKeyState(int vk) {
  const int16_t state = KeyState(vk);
  if (world_.Tracing()) world_.Record("GetKeyState", {{"vk", vk}, {"result", state}});
  return state;
}

// The routine checks leave the trace unless polls are traced.
int16_t SimInput::PollKey(int vk) {
  const int16_t state = KeyState(vk);
  if (world_.Rules().tracePolls && world_.Tracing()) world_.Record("GetAsyncKeyState", {{"vk", vk}, {"result", state}});
  return state;
}

void SimInput::BlockInput(bool block) {
  if (world_.Tracing()) world_.Record("BlockInput", {{"block", block}});
  inputBlocked_ = block;
}

void SimInput::ApplyInjectedKey(int vk, uint32_t keyFlags) {
  if (!IsKeyCode(vk)) return;
  injectedDown_[static_cast<size_t>(vk)] = (keyFlags & platform::kKeyEventKeyUp) == 0;
}

void SimInput::ApplyInjectedMouse(uint32_t mouseFlags) {
  for (const ButtonEvent& event : kButtonEvents) {
    if (mouseFlags & event.flag) injectedDown_[static_cast<size_t>(event.vk)] = event.down;
  }
}

void SimInput::SendKeyboardInput(uint16_t vk, uint16_t scan, uint32_t flags, uint32_t extra) {
  if (world_.Tracing()) {
    world_.Record("SendInput", {{"type", "keyboard"}, {"vk", vk}, {"scan", scan},
                         {"flags", flags}, {"extra", extra}});
  }
  ApplyInjectedKey(vk, flags);
}

void SimInput::SendMouseInput(int32_t dx, int32_t dy, int32_t data, uint32_t flags, uint32_t extra) {
  if (world_.Tracing()) {
    world_.Record("SendInput", {{"type", "mouse"}, {"dx", dx}, {"dy", dy}, {"data", data},
                         {"flags", flags}, {"extra", extra}});
  }
  pointer_.MovePointer(dx, dy, flags);
  ApplyInjectedMouse(flags);
}

void SimInput::KeybdEvent(uint8_t vk, uint8_t scan, uint32_t flags, uint32_t extra) {
  if (world_.Tracing()) {
    world_.Record("keybd_event", {{"vk", vk}, {"scan", scan}, {"flags", flags}, {"extra", extra}});
  }
  ApplyInjectedKey(vk, flags);
}

void SimInput::MouseEvent(uint32_t flags, int32_t dx, int32_t dy, int32_t data, uint32_t extra) {
  if (world_.Tracing()) {
    world_.Record("mouse_event", {{"flags", flags}, {"dx", dx}, {"dy", dy}, {"data", data},
                           {"extra", extra}});
  }
  pointer_.MovePointer(dx, dy, flags);
  ApplyInjectedMouse(flags);
}

// Only the virtual-key-to-scan-code mapping is simulated; Vendrix asks for
// no other.
uint32_t SimInput::MapVirtualKey(uint32_t code, uint32_t mapType) {
  const uint32_t result = mapType == kMapVkToScanCode ? ScanCodeOfVk(code) : 0;
  if (world_.Tracing()) world_.Record("MapVirtualKeyA", {{"code", code}, {"map_type", mapType}, {"result", result}});
  return result;
}

int16_t SimInput::VkKeyScan(char character) {
  const auto byte = static_cast<unsigned char>(character);
  const int16_t result = JisVkKeyScan(byte);
  // Outside statements these are the program's start-up key tables.
  const bool routine = !world_.InStatement() && !world_.Rules().tracePolls;
  if (world_.Tracing() && !routine) world_.Record("VkKeyScanA", {{"char", byte}, {"result", result}});
  return result;
}

}  // namespace vendrix::sim
