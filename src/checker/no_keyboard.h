// An input device with no keys: bracketed key names are judged without a
// keyboard (the layout decides only which key a single character is), and
// the checker sends nothing.
#pragma once

#include "platform/platform.h"

namespace vendrix::checker {

class NoKeyboard final : public platform::Input {
 public:
  int16_t GetAsyncKeyState(int) override { return 0; }
  int16_t GetKeyState(int) override { return 0; }
  void BlockInput(bool) override {}
  void SendKeyboardInput(uint16_t, uint16_t, uint32_t, uint32_t) override {}
  void SendMouseInput(int32_t, int32_t, int32_t, uint32_t, uint32_t) override {}
  void KeybdEvent(uint8_t, uint8_t, uint32_t, uint32_t) override {}
  void MouseEvent(uint32_t, int32_t, int32_t, int32_t, uint32_t) override {}
  uint32_t MapVirtualKey(uint32_t, uint32_t) override { return 0; }
  int16_t VkKeyScan(char) override { return 0; }
};

}  // namespace vendrix::checker
