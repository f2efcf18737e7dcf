#include "platform/win32/win32_desktop.h"

namespace vendrix::win32 {

void Win32Pointer::SetCursorPos(platform::Point where) { ::SetCursorPos(where.x, where.y); }

platform::Point Win32Pointer::GetCursorPos() {
  POINT where{};
  ::GetCursorPos(&where);
  return {static_cast<int>(where.x), static_cast<int>(where.y)};
}

}  // namespace vendrix::win32
