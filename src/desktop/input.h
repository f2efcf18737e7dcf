// Injecting keyboard and mouse events, and releasing what a macro holds.
#pragma once

#include <cstdint>

#include "desktop/desktop.h"

namespace vendrix {

// One mouse-button or wheel event, through SendInput or mouse_event.
void MouseInput(DesktopContext desktop, uint32_t flags, int32_t dx, int32_t dy, int32_t data, uint32_t extra);
// One key press or release, through SendInput or keybd_event; the
// extended-key flag is added here for the keys that need it.
void KeyInput(DesktopContext desktop, int code, uint32_t flags, uint32_t extra);
// Releases the mouse buttons and keys a macro pressed and did not release.
void ReleaseHeldInput(DesktopContext desktop);

bool IsExtendedKey(int code);

}  // namespace vendrix
