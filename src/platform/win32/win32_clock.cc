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

// The performance counter's rate is fixed at boot.
Win32Clock::Win32Clock() {
  LARGE_INTEGER frequency{};
  ::QueryPerformanceFrequency(&frequency);
  countsPerSecond_ = frequency.QuadPart > 0 ? static_cast<uint64_t>(frequency.QuadPart) : 1;
}

// The performance counter, not the tick count: the tick count moves in steps
// of the system's tick (10 to 16 ms), too coarse for the run loop's looks.
// Windows reads the counter in user mode; under Wine it is no trip to the
// server.  Whole seconds and the rest apart, so the product cannot overflow.
uint64_t Win32Clock::SteadyMicroseconds() {
  LARGE_INTEGER now{};
  ::QueryPerformanceCounter(&now);
  const auto counts = static_cast<uint64_t>(now.QuadPart);
  return counts / countsPerSecond_ * 1000000 + counts % countsPerSecond_ * 1000000 / countsPerSecond_;
}

}  // namespace vendrix::win32
