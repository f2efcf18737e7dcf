// A simulated desktop for running macros on Linux and in tests.
//
// Time is virtual: it moves only when the program sleeps, a message box
// stays open, or a timer tick is waited for, so a macro that sleeps for an
// hour runs in microseconds.  The user's side of the desktop (which button
// each message box gets, which keys are held when) comes from a JSON
// description; see docs/desktop-json.md.  Every call is traced as one JSON
// line; see docs/trace.md.
#pragma once

#include <array>
#include <deque>
#include <cstdint>
#include <map>
#include <optional>
#include <ostream>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include <nlohmann/json.hpp>

#include "platform/platform.h"
#include "platform/sim/sim_trace.h"

namespace vendrix::sim {

// A desktop description that cannot be used; the message names the field.
class DesktopError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

enum class Button { kOk, kCancel, kYes, kNo };

// "OK", "CANCEL", "YES", "NO".
std::string_view ButtonName(Button button);

// The user's answer to one message box.
struct Answer {
  Button button = Button::kOk;
  uint32_t afterMs = 0;  // how long the box stays open first
};

// The user's answer to one input dialog.
struct InputAnswer {
  std::optional<std::string> text;  // Shift-JIS; none: Cancel
  uint32_t afterMs = 0;             // how long the dialog stays open first
};

// The user holding a key from `downMs` until `upMs` (absolute virtual ms).
struct KeyHold {
  int vk = 0;
  uint64_t downMs = 0;
  std::optional<uint64_t> upMs;  // none: held for ever
};

// The local time the simulated clock shows at `startMs`.
inline constexpr platform::LocalTime kDefaultClock{2000, 1, 1, 0, 0, 0, 0, 6};

struct DesktopDescription {
  uint32_t startMs = 0;
  platform::LocalTime clock = kDefaultClock;
  std::vector<Answer> answers;
  std::vector<InputAnswer> inputs;
  std::vector<KeyHold> keys;
  int screenWidth = 1024;
  int screenHeight = 768;
};

// "YYYY-MM-DDTHH:MM:SS.mmm", as the description and the trace write it.
std::string LocalTimeText(const platform::LocalTime& time);

// Parses the UTF-8 JSON text of a desktop description.  Throws DesktopError.
DesktopDescription ParseDesktopDescription(std::string_view json);

// What the main window shows as the step display.
struct StepDisplayState {
  bool shown = false;
  platform::Rect rect;         // last ShowStepDisplay
  int fontSize = 0;            // last ShowStepDisplay
  int menuWidth = 0;           // last HideStepDisplay
  int menuHeight = 0;          // last HideStepDisplay
  std::deque<std::string> lines;   // the latest kKeptStepLines, Shift-JIS
  uint64_t linesAppended = 0;      // all lines ever appended
  std::string trayTip;             // last SetTrayTip while an icon is shown, Shift-JIS
  bool trayIconShown = false;
};

class SimDesktop final : private platform::Dialogs,
                         private platform::Clock,
                         private platform::Input,
                         private platform::Messages,
                         private platform::ShellWindow,
                         private platform::Display {
 public:
  // The step display keeps only this many lines, as a real text box would
  // not hold a million either.
  static constexpr size_t kKeptStepLines = 1000;
  // The id of the program's own main window on the simulated desktop.
  static constexpr platform::WindowId kMainWindow = 1;

  SimDesktop() : SimDesktop(DesktopDescription{}) {}
  explicit SimDesktop(DesktopDescription description);
  // Parses `json` as ParseDesktopDescription does.
  explicit SimDesktop(std::string_view json) : SimDesktop(ParseDesktopDescription(json)) {}

  // The interfaces refer to this object; it must stay where it is.
  SimDesktop(const SimDesktop&) = delete;
  SimDesktop& operator=(const SimDesktop&) = delete;

  platform::Dialogs& dialogs() { return *this; }
  platform::Clock& clock() { return *this; }
  platform::Input& input() { return *this; }
  platform::Messages& messages() { return *this; }
  platform::ShellWindow& shellWindow() { return *this; }
  platform::Display& display() { return *this; }

  // ---- trace
  void SetTraceStream(std::ostream* out) { trace_.SetStream(out); }
  void KeepTrace(bool keep) { trace_.Keep(keep); }
  const std::vector<nlohmann::json>& Trace() const { return trace_.Kept(); }

  // ---- state, for tests
  uint64_t NowMs() const { return nowMs_; }
  bool InjectedKeyDown(int vk) const;
  std::vector<int> InjectedKeysDown() const;
  bool InputBlocked() const { return inputBlocked_; }
  const StepDisplayState& StepDisplay() const { return stepDisplay_; }
  bool TimerRunning(int timerId) const { return timers_.count(timerId) != 0; }
  size_t AnswersLeft() const { return answers_.size() - nextAnswer_; }
  size_t InputsLeft() const { return inputs_.size() - nextInput_; }

 private:
  struct Timer {
    uint32_t periodMs = 0;
    uint64_t dueMs = 0;
  };

  // platform::Dialogs
  int MessageBox(std::string_view text, std::string_view caption, uint32_t flags) override;
  std::optional<std::string> InputBox(std::string_view caption, std::string_view prompt,
                                      std::string_view initial) override;
  // platform::Clock
  platform::LocalTime Now() override;
  void Sleep(uint32_t ms) override;
  uint32_t TickCount() override;
  // platform::Input
  int16_t GetAsyncKeyState(int vk) override;
  int16_t GetKeyState(int vk) override;
  void BlockInput(bool block) override;
  void SendKeyboardInput(uint16_t vk, uint16_t scan, uint32_t flags, uint32_t extra) override;
  void SendMouseInput(int32_t dx, int32_t dy, int32_t data, uint32_t flags, uint32_t extra) override;
  void KeybdEvent(uint8_t vk, uint8_t scan, uint32_t flags, uint32_t extra) override;
  void MouseEvent(uint32_t flags, int32_t dx, int32_t dy, int32_t data, uint32_t extra) override;
  uint32_t MapVirtualKey(uint32_t code, uint32_t mapType) override;
  int16_t VkKeyScan(char character) override;
  // platform::Messages
  void SetTimerSink(platform::TimerSink* sink) override { timerSink_ = sink; }
  void SetTimer(int timerId, uint32_t periodMs) override;
  void KillTimer(int timerId) override;
  void ProcessMessages() override;
  // platform::ShellWindow
  void ShowStepDisplay(const platform::Rect& where, int fontSize) override;
  void HideStepDisplay(int width, int height) override;
  void AppendStepLine(std::string_view line) override;
  platform::WindowId MainWindow() override { return kMainWindow; }
  void SetTrayTip(std::string_view tip) override;
  // platform::Display
  int ScreenWidth() override;
  int ScreenHeight() override;

  void Record(std::string_view call, nlohmann::ordered_json fields) {
    trace_.Write(nowMs_, call, std::move(fields));
  }
  bool Tracing() const { return trace_.Enabled(); }

  Answer NextAnswer();
  InputAnswer NextInput();
  bool HeldByUser(int vk) const;
  int16_t KeyState(int vk) const;
  void ApplyInjectedKey(int vk, uint32_t keyFlags);
  void ApplyInjectedMouse(uint32_t mouseFlags);
  // Runs the timers as a modal loop does until the clock reaches `endMs`.
  void RunModalLoopUntil(uint64_t endMs);
  // The running timer due first, by due time then id.
  std::optional<int> EarliestTimer() const;
  void DeliverTick(int timerId);

  uint64_t nowMs_ = 0;
  std::vector<Answer> answers_;
  size_t nextAnswer_ = 0;
  std::vector<InputAnswer> inputs_;
  size_t nextInput_ = 0;
  uint64_t startMs_ = 0;
  platform::LocalTime clockAtStart_;
  std::vector<KeyHold> keyHolds_;
  std::array<bool, 256> injectedDown_{};
  bool inputBlocked_ = false;
  platform::TimerSink* timerSink_ = nullptr;
  std::map<int, Timer> timers_;
  StepDisplayState stepDisplay_;
  int screenWidth_;
  int screenHeight_;
  TraceWriter trace_;
};

}  // namespace vendrix::sim
