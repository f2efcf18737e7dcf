// Recorded events for the recorder's tests, one maker per kind.
#pragma once

#include <string>

#include "recorder/recording.h"

namespace vendrix::recorder::make {

inline RecordedEvent KeyEvent(EventKind kind, int vk, uint32_t at = 0, bool password = false) {
  RecordedEvent event;
  event.kind = kind;
  event.vk = vk;
  event.timeMs = at;
  event.password = password;
  return event;
}

inline RecordedEvent ButtonEvent(EventKind kind, int x, int y, MouseButton button = MouseButton::kLeft,
                                 uint32_t at = 0) {
  RecordedEvent event;
  event.kind = kind;
  event.button = button;
  event.x = x;
  event.y = y;
  event.timeMs = at;
  return event;
}

inline RecordedEvent WheelEvent(int x, int y, int notches, uint32_t at = 0) {
  RecordedEvent event = ButtonEvent(EventKind::kWheel, x, y, MouseButton::kLeft, at);
  event.notches = notches;
  return event;
}

inline RecordedEvent ImeEvent(bool open, uint32_t at = 0) {
  RecordedEvent event;
  event.kind = EventKind::kIme;
  event.imeOpen = open;
  event.timeMs = at;
  return event;
}

// `title` in Shift-JIS.
inline RecordedEvent WindowEvent(std::string title, int left, int top, uint32_t at = 0) {
  RecordedEvent event;
  event.kind = EventKind::kWindow;
  event.title = std::move(title);
  event.left = left;
  event.top = top;
  event.timeMs = at;
  return event;
}

}  // namespace vendrix::recorder::make
