#include "platform/win32/win32_desktop.h"

namespace vendrix::win32 {

platform::LocalTime Win32Clock::Now() {
  SYSTEMTIME now{};
  ::GetLocalTime(&now);
  return {now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond, now.wMilliseconds,
          now.wDayOfWeek};
}

void Win32Clock::Sleep(uint32_t ms) { ::Sleep(ms); }

uint32_t Win32Clock::TickCount() { return ::timeGetTime(); }

// GetTickCount64 reads the tick count Windows keeps in the page it shares
// with every process: no call into the kernel (or, under Wine, the server).
uint64_t Win32Clock::CoarseTicks() { return ::GetTickCount64(); }

}  // namespace vendrix::win32
