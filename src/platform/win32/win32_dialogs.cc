#include "platform/win32/win32_desktop.h"
#include "platform/win32/win32_text.h"

namespace vendrix::win32 {

int Win32Dialogs::MessageBox(std::string_view text, std::string_view caption, uint32_t flags) {
  // No owner: the box must come up even when the main window is hidden.
  // Its modal loop dispatches our WM_TIMER too, so the watchdog keeps going.
  const std::wstring wideText = WideFromSjis(text);
  const std::wstring wideCaption = WideFromSjis(caption);
  return ::MessageBoxW(nullptr, wideText.c_str(), wideCaption.c_str(), flags);
}

}  // namespace vendrix::win32
