// What the recorder saw: the user's keys, buttons, wheel turns, the window
// in front and the input method, each with the time it happened.
//
// The capture side (the low-level hooks of Zemlo.exe, or a test) fills a
// Recording; the macro writer turns it into a macro.  Nothing here knows
// how the events were caught.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vendrix::recorder {

enum class EventKind {
  kKeyDown,     // also every auto-repeat of a key held down
  kKeyUp,
  kButtonDown,  // a mouse button, at a screen point
  kButtonUp,
  kWheel,       // `notches` away from the user (negative: towards)
  kWindow,      // another window came to the front
  kIme,         // the input method of the window in front opened or closed
};

enum class MouseButton { kLeft, kRight, kMiddle };

struct RecordedEvent {
  uint32_t timeMs = 0;
  EventKind kind = EventKind::kKeyDown;
  // Keys: the virtual-key code, left/right variants of Shift, Ctrl and Alt
  // included.  `password`: typed into a password field, never written.
  int vk = 0;
  bool password = false;
  // Buttons and wheel: where the pointer was, in screen pixels.
  MouseButton button = MouseButton::kLeft;
  int x = 0;
  int y = 0;
  int notches = 0;
  // Window: its title (Shift-JIS) and top-left corner.
  std::string title;
  int left = 0;
  int top = 0;
  // Input method: open or closed.
  bool imeOpen = false;
};

using Recording = std::vector<RecordedEvent>;

}  // namespace vendrix::recorder
