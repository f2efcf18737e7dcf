#include "desktop/input.h"


namespace vendrix {

using platform::kKeyEventExtendedKey;
using platform::kKeyEventKeyUp;

bool IsExtendedKey(int code) {
  switch (code) {
    case 3: case 16: case 17: case 18: case 33: case 34: case 35: case 36: case 37:
    case 38: case 39: case 40: case 44: case 45: case 46: case 111: case 144:
      return true;
    default:
      return false;
  }
}

void MouseInput(DesktopContext desktop, uint32_t flags, int32_t dx, int32_t dy, int32_t data, uint32_t extra) {
  if (desktop.useSendInput) {
    desktop.platform.input.SendMouseInput(dx, dy, data, flags, extra);
  } else {
    desktop.platform.input.MouseEvent(flags, dx, dy, data, extra);
  }
}

void KeyInput(DesktopContext desktop, int code, uint32_t flags, uint32_t extra) {
  platform::Input& input = desktop.platform.input;
  bool extended = IsExtendedKey(code);
  if (extended) flags |= kKeyEventExtendedKey;
  auto key = static_cast<uint32_t>(code);
  if (desktop.useSendInput) {
    auto scan = static_cast<uint16_t>(input.MapVirtualKey(key, 0));
    input.SendKeyboardInput(static_cast<uint16_t>(key), scan, flags, extra);
  } else {
    uint32_t scan = extended ? input.MapVirtualKey(key, 0) : 0;
    input.KeybdEvent(static_cast<uint8_t>(key), static_cast<uint8_t>(scan), flags, extra);
  }
}

void ReleaseHeldInput(DesktopContext desktop) {
  InputState& held = desktop.input;
  if (held.heldButtonLeft) {
    MouseInput(desktop, platform::kMouseEventLeftUp, 0, 0, 0, 0);
    held.heldButtonLeft = false;
  }
  if (held.heldButtonRight) {
    MouseInput(desktop, platform::kMouseEventRightUp, 0, 0, 0, 0);
    held.heldButtonRight = false;
  }
  for (int code = 0; code < 256; ++code) {
    if (!held.heldKeys[static_cast<size_t>(code)]) continue;
    KeyInput(desktop, code, kKeyEventKeyUp, 0);
    held.heldKeys[static_cast<size_t>(code)] = false;
  }
}

}  // namespace vendrix
