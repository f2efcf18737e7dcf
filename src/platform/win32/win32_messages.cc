#include "platform/win32/win32_desktop.h"

namespace vendrix::win32 {

void Win32Messages::SetTimerSink(platform::TimerSink* sink) { window_.SetTimerSink(sink); }

void Win32Messages::SetTimer(int timerId, uint32_t periodMs) {
  // The same id on the same window restarts the timer.
  ::SetTimer(window_.handle(), static_cast<UINT_PTR>(timerId), periodMs, nullptr);
}

void Win32Messages::KillTimer(int timerId) {
  ::KillTimer(window_.handle(), static_cast<UINT_PTR>(timerId));
}

void Win32Messages::ProcessMessages() {
  MSG message;
  while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT) {
      // Nobody here owns the loop's end; leave it for whoever does.
      ::PostQuitMessage(static_cast<int>(message.wParam));
      return;
    }
    ::TranslateMessage(&message);
    ::DispatchMessageW(&message);
    // A failure inside a handler surfaces here, in the program's own code.
    window_.RethrowPendingError();
  }
}

}  // namespace vendrix::win32
