// Blocking the user's input while a macro runs, with the watchdog timer
// that lifts the block.
#pragma once

#include <cstdint>

#include "desktop/desktop.h"

namespace vendrix {

inline constexpr int kWatchdogTimer = 2;
inline constexpr uint32_t kWatchdogPeriodMs = 1000;

// Releases (false) or restores (true) a macro's input block, with the
// watchdog timer that lifts it.
void SetInputBlocked(platform::Platform& platform, bool blocked);

// Calls SetInputBlocked(false) now and SetInputBlocked(true) when it goes
// out of scope, when a macro has input blocked; otherwise does nothing.
class InputReleased {
 public:
  explicit InputReleased(DesktopContext desktop);
  ~InputReleased() noexcept(false);
  InputReleased(const InputReleased&) = delete;
  InputReleased& operator=(const InputReleased&) = delete;

 private:
  platform::Platform& platform_;
  const InputState& input_;
  bool released_;
};

// BLOCKINPUT: blocks for `seconds` ticks of the watchdog; 0 unblocks.
void BlockInputFor(DesktopContext desktop, int seconds);

// Timer 2, the block-input watchdog: once a second it counts the block
// down, and input comes back when it reaches 0.
void Timer2Timer(DesktopContext desktop);

}  // namespace vendrix
