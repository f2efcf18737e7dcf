// What a low-level hook hands to the recorder's message loop.
//
// A hook callback must return quickly (the system drops slow hooks and
// then the user's input lags), so it only copies the event into a
// RawInputQueue; the loop drains the queue and does the slow parts (window
// titles, the session's rules) after the callback has returned.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "recorder/recording.h"

namespace vendrix::recorder {

enum class RawKind : uint8_t { kKey, kButton, kWheel };

struct RawInput {
  uint32_t timeMs = 0;
  RawKind kind = RawKind::kKey;
  bool down = false;
  bool injected = false;
  bool password = false;  // a key typed into a password field
  MouseButton button = MouseButton::kLeft;
  int vk = 0;
  int x = 0;
  int y = 0;
  int notches = 0;
  uintptr_t foreground = 0;  // the window in front when it happened
};

// A bounded first-in first-out queue.  A full queue drops new events and
// counts them: the loop fell behind, which the recorder reports rather
// than growing without end.  One thread only (hooks run on the thread
// that installed them, inside its message loop).
class RawInputQueue {
 public:
  static constexpr size_t kCapacity = 4096;

  // False when full (the event is dropped and counted).
  bool Push(const RawInput& input) {
    if (count_ == kCapacity) {
      ++dropped_;
      return false;
    }
    slots_[(first_ + count_) % kCapacity] = input;
    ++count_;
    return true;
  }
  bool Pop(RawInput& input) {
    if (count_ == 0) return false;
    input = slots_[first_];
    first_ = (first_ + 1) % kCapacity;
    --count_;
    return true;
  }
  // Empties the queue and its count of dropped events.
  void Clear() {
    first_ = 0;
    count_ = 0;
    dropped_ = 0;
  }
  size_t size() const { return count_; }
  size_t dropped() const { return dropped_; }

 private:
  std::array<RawInput, kCapacity> slots_{};
  size_t first_ = 0;
  size_t count_ = 0;
  size_t dropped_ = 0;
};

}  // namespace vendrix::recorder
