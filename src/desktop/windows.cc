#include "desktop/windows.h"

#include "values/messages.h"

namespace vendrix {
namespace {

using platform::WindowId;

bool ForegroundLockApplies(const platform::OsVersion& version) {
  if (version.platformId == 2) return version.major > 4;
  return version.major > 4 || (version.major == 4 && version.minor > 0);
}

// Sharing input state with the foreground thread lets the request through.
bool RaiseAttached(platform::Windows& windows, WindowId window) {
  uint32_t foregroundThread = windows.WindowThreadId(windows.GetForegroundWindow());
  uint32_t windowThread = windows.WindowThreadId(window);
  if (!windows.AttachThreadInput(windowThread, foregroundThread, true)) return false;
  windows.BringWindowToTop(window);
  windows.SetForegroundWindow(window);
  windows.AttachThreadInput(windowThread, foregroundThread, false);
  return windows.GetForegroundWindow() == window;
}

// The lock timeout is 0 only for the moment of the raise.
void RaiseWithoutLock(platform::Windows& windows, WindowId window) {
  uint32_t saved = windows.ForegroundLockTimeout();
  windows.SetForegroundLockTimeout(0);
  windows.BringWindowToTop(window);
  windows.SetForegroundWindow(window);
  windows.SetForegroundLockTimeout(saved);
}

}  // namespace

platform::Point CaretScreenPos(platform::Windows& windows, platform::Messages& messages) {
  messages.ProcessMessages();
  uint32_t ownThread = windows.GetCurrentThreadId();
  uint32_t foregroundThread = windows.WindowThreadId(windows.GetForegroundWindow());
  windows.AttachThreadInput(ownThread, foregroundThread, true);  // result not needed
  std::optional<platform::Point> caret = windows.GetCaretPos();
  if (!caret) windows.DebugOutput(msg::kCaretReadFailed);
  WindowId focus = windows.GetFocus();
  platform::WindowRect rect = windows.GetWindowRect(focus).value_or(platform::WindowRect{});
  windows.AttachThreadInput(ownThread, foregroundThread, false);
  // A failed read counts as the zero point, so the result stays defined.
  platform::Point at = caret.value_or(platform::Point{});
  return {at.x + rect.left, at.y + rect.top};
}

bool ForceForeground(platform::Windows& windows, WindowId window) {
  if (windows.IsIconic(window)) windows.ShowWindow(window, platform::kSwRestore);
  if (windows.GetForegroundWindow() == window) return true;
  if (ForegroundLockApplies(windows.GetOsVersion())) {
    if (!RaiseAttached(windows, window)) RaiseWithoutLock(windows, window);
  } else {
    windows.BringWindowToTop(window);
    windows.SetForegroundWindow(window);
  }
  return windows.GetForegroundWindow() == window;
}

bool GetImeOpen(platform::Windows& windows, WindowId window) {
  return windows.ImeOpenStatus(window).value_or(false);
}

void SetImeOpen(platform::Windows& windows, WindowId window, bool open) {
  windows.SetImeOpenStatus(window, open);
}

}  // namespace vendrix
