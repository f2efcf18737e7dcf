#include "platform/win32/win32_desktop.h"

namespace vendrix::win32 {

void Win32Sound::Beep(uint32_t frequency, uint32_t ms) { ::Beep(frequency, ms); }

}  // namespace vendrix::win32
