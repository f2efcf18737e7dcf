#include "desktop/input_block.h"

#include <exception>

namespace vendrix {

void SetInputBlocked(platform::Platform& platform, bool blocked) {
  if (blocked) {
    platform.messages.SetTimer(kWatchdogTimer, kWatchdogPeriodMs);
    platform.input.BlockInput(true);
  } else {
    platform.messages.KillTimer(kWatchdogTimer);
    platform.input.BlockInput(false);
  }
}

InputReleased::InputReleased(DesktopContext desktop)
    : platform_(desktop.platform), input_(desktop.input), released_(desktop.input.blockLevel > 0) {
  if (released_) SetInputBlocked(platform_, false);
}

InputReleased::~InputReleased() noexcept(false) {
  // Ending the program lifts every block anyway: do not block again while
  // unwinding.
  if (released_ && input_.blockLevel > 0 && std::uncaught_exceptions() == 0) {
    SetInputBlocked(platform_, true);
  }
}

void BlockInputFor(DesktopContext desktop, int seconds) {
  desktop.input.blockLevel = seconds;
  if (seconds == 0) {
    desktop.platform.messages.KillTimer(kWatchdogTimer);
    desktop.platform.input.BlockInput(false);
  } else {
    desktop.platform.input.BlockInput(true);
    desktop.platform.messages.SetTimer(kWatchdogTimer, kWatchdogPeriodMs);
  }
}

void Timer2Timer(DesktopContext desktop) {
  InputState& input = desktop.input;
  if (input.blockLevel <= 0) return;
  if (--input.blockLevel <= 0) desktop.platform.input.BlockInput(false);
}

}  // namespace vendrix
