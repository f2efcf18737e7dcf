#include "platform/win32/win32_desktop.h"

namespace vendrix::win32 {

int16_t Win32Input::GetAsyncKeyState(int vk) { return ::GetAsyncKeyState(vk); }

int16_t Win32Input::GetKeyState(int vk) { return ::GetKeyState(vk); }

void Win32Input::BlockInput(bool block) {
  // Fails without administrator rights (and always under Wine); a macro goes
  // on regardless.
  ::BlockInput(block ? TRUE : FALSE);
}

void Win32Input::SendKeyboardInput(uint16_t vk, uint16_t scan, uint32_t flags, uint32_t extra) {
  INPUT record{};
  record.type = INPUT_KEYBOARD;
  record.ki.wVk = vk;
  record.ki.wScan = scan;
  record.ki.dwFlags = flags;
  record.ki.time = 0;
  record.ki.dwExtraInfo = extra;
  ::SendInput(1, &record, sizeof record);
}

void Win32Input::SendMouseInput(int32_t dx, int32_t dy, int32_t data, uint32_t flags,
                                uint32_t extra) {
  INPUT record{};
  record.type = INPUT_MOUSE;
  record.mi.dx = dx;
  record.mi.dy = dy;
  record.mi.mouseData = static_cast<DWORD>(data);
  record.mi.dwFlags = flags;
  record.mi.time = 0;
  record.mi.dwExtraInfo = extra;
  ::SendInput(1, &record, sizeof record);
}

void Win32Input::KeybdEvent(uint8_t vk, uint8_t scan, uint32_t flags, uint32_t extra) {
  ::keybd_event(vk, scan, flags, extra);
}

void Win32Input::MouseEvent(uint32_t flags, int32_t dx, int32_t dy, int32_t data, uint32_t extra) {
  ::mouse_event(flags, static_cast<DWORD>(dx), static_cast<DWORD>(dy), static_cast<DWORD>(data),
                extra);
}

uint32_t Win32Input::MapVirtualKey(uint32_t code, uint32_t mapType) {
  return ::MapVirtualKeyA(code, mapType);
}

int16_t Win32Input::VkKeyScan(char character) { return ::VkKeyScanA(character); }

}  // namespace vendrix::win32
