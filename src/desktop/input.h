// Injecting keyboard and mouse events, and releasing what a macro holds.
#pragma once

#include <cstdint>

namespace vendrix {

class Engine;

// One mouse-button or wheel event, through SendInput or mouse_event.
void MouseInput(Engine& engine, uint32_t flags, int32_t dx, int32_t dy, int32_t data, uint32_t extra);
// One key press or release, through SendInput or keybd_event; the
// extended-key flag is added here for the keys that need it.
void KeyInput(Engine& engine, int code, uint32_t flags, uint32_t extra);
// Releases the mouse buttons and keys a macro pressed and did not release.
void ReleaseHeldInput(Engine& engine);

bool IsExtendedKey(int code);

}  // namespace vendrix
