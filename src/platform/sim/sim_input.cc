#include "platform/sim/sim_desktop.h"

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

bool SimDesktop::InjectedKeyDown(int vk) const {
  return IsKeyCode(vk) && injectedDown_[static_cast<size_t>(vk)];
}

std::vector<int> SimDesktop::InjectedKeysDown() const {
  std::vector<int> down;
  for (int vk = 1; vk < 256; ++vk) {
    if (InjectedKeyDown(vk)) down.push_back(vk);
  }
  return down;
}

bool SimDesktop::HeldByUser(int vk) const {
  for (const KeyHold& hold : keyHolds_) {
    if (hold.vk == vk && hold.downMs <= nowMs_ && (!hold.upMs || nowMs_ < *hold.upMs)) return true;
  }
  return false;
}

int16_t SimDesktop::KeyState(int vk) const {
  return InjectedKeyDown(vk) || HeldByUser(vk) ? kKeyDown : int16_t{0};
}

int16_t SimDesktop::GetAsyncKeyState(int vk) {
  const int16_t state = KeyState(vk);
  if (Tracing()) Record("GetAsyncKeyState", {{"vk", vk}, {"result", state}});
  return state;
}

int16_t SimDesktop::GetKeyState(int vk) {
  const int16_t state = KeyState(vk);
  if (Tracing()) Record("GetKeyState", {{"vk", vk}, {"result", state}});
  return state;
}

void SimDesktop::BlockInput(bool block) {
  if (Tracing()) Record("BlockInput", {{"block", block}});
  inputBlocked_ = block;
}

void SimDesktop::ApplyInjectedKey(int vk, uint32_t keyFlags) {
  if (!IsKeyCode(vk)) return;
  injectedDown_[static_cast<size_t>(vk)] = (keyFlags & platform::kKeyEventKeyUp) == 0;
}

void SimDesktop::ApplyInjectedMouse(uint32_t mouseFlags) {
  for (const ButtonEvent& event : kButtonEvents) {
    if (mouseFlags & event.flag) injectedDown_[static_cast<size_t>(event.vk)] = event.down;
  }
}

void SimDesktop::SendKeyboardInput(uint16_t vk, uint16_t scan, uint32_t flags, uint32_t extra) {
  if (Tracing()) {
    Record("SendInput", {{"type", "keyboard"}, {"vk", vk}, {"scan", scan},
                         {"flags", flags}, {"extra", extra}});
  }
  ApplyInjectedKey(vk, flags);
}

void SimDesktop::SendMouseInput(int32_t dx, int32_t dy, int32_t data, uint32_t flags, uint32_t extra) {
  if (Tracing()) {
    Record("SendInput", {{"type", "mouse"}, {"dx", dx}, {"dy", dy}, {"data", data},
                         {"flags", flags}, {"extra", extra}});
  }
  MovePointer(dx, dy, flags);
  ApplyInjectedMouse(flags);
}

void SimDesktop::KeybdEvent(uint8_t vk, uint8_t scan, uint32_t flags, uint32_t extra) {
  if (Tracing()) {
    Record("keybd_event", {{"vk", vk}, {"scan", scan}, {"flags", flags}, {"extra", extra}});
  }
  ApplyInjectedKey(vk, flags);
}

void SimDesktop::MouseEvent(uint32_t flags, int32_t dx, int32_t dy, int32_t data, uint32_t extra) {
  if (Tracing()) {
    Record("mouse_event", {{"flags", flags}, {"dx", dx}, {"dy", dy}, {"data", data},
                           {"extra", extra}});
  }
  MovePointer(dx, dy, flags);
  ApplyInjectedMouse(flags);
}

// Only the virtual-key-to-scan-code mapping is simulated; Vendrix asks for
// no other.
uint32_t SimDesktop::MapVirtualKey(uint32_t code, uint32_t mapType) {
  const uint32_t result = mapType == kMapVkToScanCode ? ScanCodeOfVk(code) : 0;
  if (Tracing()) Record("MapVirtualKeyA", {{"code", code}, {"map_type", mapType}, {"result", result}});
  return result;
}

int16_t SimDesktop::VkKeyScan(char character) {
  const auto byte = static_cast<unsigned char>(character);
  const int16_t result = JisVkKeyScan(byte);
  // Outside statements these are the program's start-up key tables.
  const bool routine = place_.line == 0 && !rules_.tracePolls;
  if (Tracing() && !routine) Record("VkKeyScanA", {{"char", byte}, {"result", result}});
  return result;
}

}  // namespace vendrix::sim
