// One recording as the user drives it: Record, Pause, Resume and Stop, and
// the events the hooks report in between.
//
// The session decides what is recorded; the hooks only report.  Left out:
// everything while paused or stopped, events on the recorder's own window,
// events a program injected (a macro playing back) unless the test switch
// accepts them, the break key (it stops the recording), a key's release
// whose press came before the recording started, and, at Stop, the
// modifiers still held at the very end (the start of the Stop hotkey's
// chord) and the hotkey's own key, which the system keeps from every
// program.  Keys still held when the user pauses are released in the
// recording at that moment, and time spent paused is no pause of the
// macro.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "recorder/recorder_options.h"
#include "recorder/recording.h"

namespace vendrix::recorder {

enum class RecorderState { kStopped, kRecording, kPaused };

// The window in front when an event happened.
struct FrontWindow {
  std::string title;  // Shift-JIS
  int left = 0;
  int top = 0;
};

// What every reported event carries besides its own fields.
struct EventSource {
  uint32_t timeMs = 0;
  bool injected = false;     // put there by a program, not the user
  bool ownWindow = false;    // on the recorder's own window
};

enum class KeyVerdict { kRecorded, kIgnored, kStop };

// Whether a recording holds anything to play back (not only windows).
bool HasInput(const Recording& recording);

class RecordingSession {
 public:
  RecordingSession(const RecorderOptions& options, bool acceptInjected)
      : breakKey_(options.breakKey), hotkey_(options.hotkey), acceptInjected_(acceptInjected) {}

  RecorderState state() const { return state_; }
  size_t EventCount() const { return recording_.size(); }
  // Recording time so far, paused time left out.
  uint32_t ElapsedMs(uint32_t nowMs) const;

  // Starts a new recording; the window in front is its first event (none
  // when the recorder's own window is in front: the first event's window
  // is recorded then).
  void Start(uint32_t nowMs, const std::optional<FrontWindow>& front);
  void Pause(uint32_t nowMs);
  void Resume(uint32_t nowMs);
  // Ends the recording and hands it over; the session is stopped.
  Recording Stop();

  // The window in front changed (or may have: an unchanged one is no event).
  void Window(const EventSource& source, const FrontWindow& front);
  // kStop: the break key, which the caller answers by stopping.
  KeyVerdict Key(const EventSource& source, int vk, bool down, bool password);
  void Button(const EventSource& source, MouseButton button, bool down, int x, int y);
  void Wheel(const EventSource& source, int notches, int x, int y);
  void Ime(const EventSource& source, bool open);

 private:
  bool Accepts(const EventSource& source) const;
  uint32_t MacroTime(uint32_t timeMs) const;
  void Add(RecordedEvent event, uint32_t timeMs);
  void ReleaseHeld(uint32_t timeMs);
  void DropTrailingHeldModifiers();

  bool ModifiersHeldExactly(uint32_t modifiers) const;
  bool IsHotkeyPress(int vk) const;

  int breakKey_;
  std::optional<RecorderHotkey> hotkey_;
  bool acceptInjected_;
  RecorderState state_ = RecorderState::kStopped;
  Recording recording_;
  FrontWindow front_;
  bool haveFront_ = false;
  std::array<bool, 256> keyHeld_{};
  struct HeldButton {
    bool held = false;
    int x = 0;
    int y = 0;
  };
  std::array<HeldButton, 3> buttons_{};
  std::optional<bool> imeOpen_;
  uint32_t startMs_ = 0;
  uint32_t pausedMs_ = 0;       // total time spent paused
  uint32_t pauseStartedMs_ = 0;
};

}  // namespace vendrix::recorder
