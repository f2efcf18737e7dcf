#include "platform/win32/win32_desktop.h"

namespace vendrix::win32 {

Win32Desktop::Win32Desktop(HINSTANCE instance) : window_(instance) {}

}  // namespace vendrix::win32
