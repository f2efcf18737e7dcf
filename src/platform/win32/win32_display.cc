#include "platform/win32/win32_desktop.h"

namespace vendrix::win32 {

int Win32Display::ScreenWidth() { return ::GetSystemMetrics(SM_CXSCREEN); }

int Win32Display::ScreenHeight() { return ::GetSystemMetrics(SM_CYSCREEN); }

}  // namespace vendrix::win32
