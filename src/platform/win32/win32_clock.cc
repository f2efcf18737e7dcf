#include "platform/win32/win32_desktop.h"

namespace vendrix::win32 {

void Win32Clock::Sleep(uint32_t ms) { ::Sleep(ms); }

uint32_t Win32Clock::TickCount() { return ::timeGetTime(); }

}  // namespace vendrix::win32
