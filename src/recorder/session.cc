#include "recorder/session.h"

#include <algorithm>

#include "platform/platform.h"
#include "recorder/key_tokens.h"

namespace vendrix::recorder {
namespace {

constexpr int kShift = 16, kControl = 17, kAlt = 18;

size_t ButtonIndex(MouseButton button) { return static_cast<size_t>(button); }

}  // namespace

bool HasInput(const Recording& recording) {
  return std::any_of(recording.begin(), recording.end(),
                     [](const RecordedEvent& event) { return event.kind != EventKind::kWindow; });
}

uint32_t RecordingSession::ElapsedMs(uint32_t nowMs) const {
  if (state_ == RecorderState::kStopped) return 0;
  uint32_t until = state_ == RecorderState::kPaused ? pauseStartedMs_ : nowMs;
  return until - startMs_ - pausedMs_;
}

void RecordingSession::Start(uint32_t nowMs, const std::optional<FrontWindow>& front) {
  recording_.clear();
  keyHeld_.fill(false);
  buttons_.fill(HeldButton{});
  imeOpen_.reset();
  haveFront_ = false;
  startMs_ = nowMs;
  pausedMs_ = 0;
  state_ = RecorderState::kRecording;
  if (front) Window(EventSource{nowMs, false, false}, *front);
}

void RecordingSession::Pause(uint32_t nowMs) {
  if (state_ != RecorderState::kRecording) return;
  ReleaseHeld(nowMs);
  pauseStartedMs_ = nowMs;
  state_ = RecorderState::kPaused;
}

void RecordingSession::Resume(uint32_t nowMs) {
  if (state_ != RecorderState::kPaused) return;
  pausedMs_ += nowMs - pauseStartedMs_;
  state_ = RecorderState::kRecording;
}

Recording RecordingSession::Stop() {
  DropTrailingHeldModifiers();
  state_ = RecorderState::kStopped;
  Recording done;
  done.swap(recording_);
  return done;
}

bool RecordingSession::Accepts(const EventSource& source) const {
  return state_ == RecorderState::kRecording && !source.ownWindow && (acceptInjected_ || !source.injected);
}

uint32_t RecordingSession::MacroTime(uint32_t timeMs) const { return timeMs - startMs_ - pausedMs_; }

void RecordingSession::Add(RecordedEvent event, uint32_t timeMs) {
  event.timeMs = MacroTime(timeMs);
  recording_.push_back(std::move(event));
}

void RecordingSession::Window(const EventSource& source, const FrontWindow& front) {
  if (!Accepts(source)) return;
  if (haveFront_ && front.title == front_.title && front.left == front_.left && front.top == front_.top) return;
  front_ = front;
  haveFront_ = true;
  RecordedEvent event;
  event.kind = EventKind::kWindow;
  event.title = front.title;
  event.left = front.left;
  event.top = front.top;
  Add(std::move(event), source.timeMs);
}

bool RecordingSession::ModifiersHeldExactly(uint32_t modifiers) const {
  auto held = [this](int generic) {
    for (int vk = 0; vk < 256; ++vk) {
      if (keyHeld_[static_cast<size_t>(vk)] && GenericModifier(vk) == generic) return true;
    }
    return false;
  };
  return held(kShift) == ((modifiers & platform::kModShift) != 0) &&
         held(kControl) == ((modifiers & platform::kModControl) != 0) &&
         held(kAlt) == ((modifiers & platform::kModAlt) != 0);
}

bool RecordingSession::IsHotkeyPress(int vk) const {
  return hotkey_ && hotkey_->vk == vk && ModifiersHeldExactly(hotkey_->modifiers);
}

KeyVerdict RecordingSession::Key(const EventSource& source, int vk, bool down, bool password) {
  if (vk <= 0 || vk > 255) return KeyVerdict::kIgnored;
  if (vk == breakKey_ && state_ != RecorderState::kStopped && !source.ownWindow &&
      (acceptInjected_ || !source.injected)) {
    return down ? KeyVerdict::kStop : KeyVerdict::kIgnored;
  }
  if (!Accepts(source)) return KeyVerdict::kIgnored;
  bool& held = keyHeld_[static_cast<size_t>(vk)];
  if (down && IsHotkeyPress(vk)) return KeyVerdict::kIgnored;
  if (!down && !held) return KeyVerdict::kIgnored;
  held = down;
  RecordedEvent event;
  event.kind = down ? EventKind::kKeyDown : EventKind::kKeyUp;
  event.vk = vk;
  event.password = password;
  Add(std::move(event), source.timeMs);
  return KeyVerdict::kRecorded;
}

void RecordingSession::Button(const EventSource& source, MouseButton button, bool down, int x, int y) {
  if (!Accepts(source)) return;
  HeldButton& held = buttons_[ButtonIndex(button)];
  if (!down && !held.held) return;
  held = HeldButton{down, x, y};
  RecordedEvent event;
  event.kind = down ? EventKind::kButtonDown : EventKind::kButtonUp;
  event.button = button;
  event.x = x;
  event.y = y;
  Add(std::move(event), source.timeMs);
}

void RecordingSession::Wheel(const EventSource& source, int notches, int x, int y) {
  if (!Accepts(source) || notches == 0) return;
  RecordedEvent event;
  event.kind = EventKind::kWheel;
  event.notches = notches;
  event.x = x;
  event.y = y;
  Add(std::move(event), source.timeMs);
}

void RecordingSession::Ime(const EventSource& source, bool open) {
  if (!Accepts(source) || imeOpen_ == open) return;
  imeOpen_ = open;
  RecordedEvent event;
  event.kind = EventKind::kIme;
  event.imeOpen = open;
  Add(std::move(event), source.timeMs);
}

// Pausing lets go of what the user holds, in the recording: the macro
// must not keep a key down through whatever the user does meanwhile.
void RecordingSession::ReleaseHeld(uint32_t timeMs) {
  for (int vk = 0; vk < 256; ++vk) {
    if (!keyHeld_[static_cast<size_t>(vk)]) continue;
    keyHeld_[static_cast<size_t>(vk)] = false;
    RecordedEvent event;
    event.kind = EventKind::kKeyUp;
    event.vk = vk;
    Add(std::move(event), timeMs);
  }
  for (size_t index = 0; index < buttons_.size(); ++index) {
    HeldButton& held = buttons_[index];
    if (!held.held) continue;
    held.held = false;
    RecordedEvent event;
    event.kind = EventKind::kButtonUp;
    event.button = static_cast<MouseButton>(index);
    event.x = held.x;
    event.y = held.y;
    Add(std::move(event), timeMs);
  }
}

// What ends the recording is often a chord whose modifiers are already down
// (the hotkey): presses of held modifiers at the very end did nothing yet.
void RecordingSession::DropTrailingHeldModifiers() {
  while (!recording_.empty()) {
    const RecordedEvent& last = recording_.back();
    if (last.kind != EventKind::kKeyDown || !IsModifier(last.vk) || !keyHeld_[static_cast<size_t>(last.vk)]) break;
    recording_.pop_back();
  }
}

}  // namespace vendrix::recorder
