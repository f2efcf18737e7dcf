#include "platform/win32/win32_desktop.h"

namespace vendrix::win32 {
namespace {

constexpr DWORD kReadFlags = JOY_RETURNX | JOY_RETURNY | JOY_RETURNZ | JOY_RETURNBUTTONS;

}  // namespace

std::optional<platform::JoystickState> Win32Joysticks::Read(int joystick) {
  if (joystick != 0 && joystick != 1) return std::nullopt;
  JOYINFOEX info{};
  info.dwSize = sizeof info;
  info.dwFlags = kReadFlags;
  const UINT id = joystick == 0 ? JOYSTICKID1 : JOYSTICKID2;
  if (::joyGetPosEx(id, &info) != JOYERR_NOERROR) return std::nullopt;
  return platform::JoystickState{info.dwXpos, info.dwYpos, info.dwZpos, info.dwButtons};
}

}  // namespace vendrix::win32
