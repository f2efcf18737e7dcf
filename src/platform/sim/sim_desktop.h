// A simulated desktop for running macros on Linux and in tests.
//
// Time is virtual: it moves only when the program sleeps, a message box
// stays open, a timer tick is waited for, a beep sounds or a started
// program is waited for, so a macro that sleeps for an hour runs in
// microseconds.  The desktop holds a model of the windows, the pointer, the
// clipboard and other programs, and the program's calls change it as they
// would change a real desktop, so tests can check outcomes.  The user's side
// of the desktop (which button each message box gets, which keys are held
// when) comes from a JSON description; see docs/desktop-json.md.  Every call
// is traced as one JSON line; see docs/trace.md.
//
// Each topic is a room of its own (sim_windows.h, sim_input.h, …) around
// the world they share (sim_world.h); this desktop builds them from a
// description and hands them out.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include <nlohmann/json.hpp>

#include "platform/platform.h"
#include "platform/sim/desktop_description.h"
#include "platform/sim/sim_clipboard.h"
#include "platform/sim/sim_clock.h"
#include "platform/sim/sim_dialogs.h"
#include "platform/sim/sim_display.h"
#include "platform/sim/sim_dry_run.h"
#include "platform/sim/sim_input.h"
#include "platform/sim/sim_joysticks.h"
#include "platform/sim/sim_messages.h"
#include "platform/sim/sim_pointer.h"
#include "platform/sim/sim_programs.h"
#include "platform/sim/sim_shell_window.h"
#include "platform/sim/sim_sound.h"
#include "platform/sim/sim_trace.h"
#include "platform/sim/sim_windows.h"
#include "platform/sim/sim_world.h"

namespace vendrix::sim {

class SimDesktop final {
 public:
  static constexpr size_t kKeptStepLines = SimShellWindow::kKeptStepLines;
  static constexpr platform::WindowId kMainWindow = sim::kMainWindow;
  static constexpr uint32_t kProgramThread = sim::kProgramThread;
  static constexpr std::string_view kMainTitle = sim::kMainTitle;
  static constexpr size_t kMaxWindowText = SimWindows::kMaxWindowText;
  static constexpr size_t kMaxPostedMessages = SimWindows::kMaxPostedMessages;
  static constexpr size_t kMaxProcesses = SimPrograms::kMaxProcesses;

  SimDesktop() : SimDesktop(DesktopDescription{}) {}
  explicit SimDesktop(DesktopDescription description);
  // Parses `json` as ParseDesktopDescription does.
  explicit SimDesktop(std::string_view json, const DescriptionFileReader& readFile = {})
      : SimDesktop(ParseDesktopDescription(json, readFile)) {}

  // The rooms refer to the world and to each other; they stay where they are.
  SimDesktop(const SimDesktop&) = delete;
  SimDesktop& operator=(const SimDesktop&) = delete;

  SimDialogs& dialogs() { return dialogs_; }
  SimClock& clock() { return clock_; }
  SimInput& input() { return input_; }
  SimMessages& messages() { return messages_; }
  SimShellWindow& shellWindow() { return shellWindow_; }
  SimDisplay& display() { return display_; }
  SimPointer& pointer() { return pointer_; }
  SimWindows& windows() { return windows_; }
  SimClipboard& clipboard() { return clipboard_; }
  SimPrograms& programs() { return programs_; }
  SimSound& sound() { return sound_; }
  SimJoysticks& joysticks() { return joysticks_; }
  // Every interface of this desktop, with the given host side.
  platform::Platform PlatformWith(platform::Files& files, platform::Host& host) {
    return {dialogs_, clock_,     input_,    messages_, shellWindow_, display_, pointer_,
            windows_, clipboard_, programs_, sound_,    joysticks_,   files,    host};
  }

  // ---- dry runs: see sim_dry_run.h
  void SetDryRunRules(const DryRunRules& rules) { world_.SetDryRunRules(rules); }
  // Each message box, input dialog and error report as one UTF-8 line,
  // with its answer and the macro line that caused it; null: none.
  void SetDialogLog(std::ostream* out) { world_.SetDialogLog(out); }
  // Called as each statement of a loaded macro starts, after the bounds
  // above are checked: a harness that charges work per statement.
  void SetStatementHook(std::function<void()> hook) { world_.SetStatementHook(std::move(hook)); }
  // Throws DryRunEnd when a bound is passed or the trace is in trouble;
  // once the run has ended this way, never again.
  void CheckBounds() { world_.CheckBounds(); }
  // The message for a trace that could not be written whole, or empty.
  std::string TraceTroubleMessage() const { return world_.TraceTroubleMessage(); }
  TraceProblem TraceTrouble() const { return world_.Trace().Problem(); }

  // ---- trace
  void SetTraceStream(std::ostream* out) { world_.Trace().SetStream(out); }
  void SetTraceBound(uint64_t bytes) { world_.Trace().SetBound(bytes); }
  void KeepTrace(bool keep) { world_.Trace().Keep(keep); }
  const std::vector<nlohmann::json>& Trace() const { return world_.Trace().Kept(); }

  // ---- state, for tests: each room's own, untraced
  uint64_t NowMs() const { return world_.NowMs(); }
  bool InjectedKeyDown(int vk) const { return input_.InjectedKeyDown(vk); }
  std::vector<int> InjectedKeysDown() const { return input_.InjectedKeysDown(); }
  bool InputBlocked() const { return input_.InputBlocked(); }
  const StepDisplayState& StepDisplay() const { return shellWindow_.StepDisplay(); }
  const ShellWindowState& ShellWindowNow() const { return shellWindow_.State(); }
  bool TimerRunning(int timerId) const { return messages_.TimerRunning(timerId); }
  size_t AnswersLeft() const { return dialogs_.AnswersLeft(); }
  size_t InputsLeft() const { return dialogs_.InputsLeft(); }
  platform::Point PointerAt() const { return pointer_.At(); }
  platform::WindowId Foreground() const { return world_.windows.foreground; }
  // Top-level windows, front first.
  const std::vector<platform::WindowId>& ZOrder() const { return world_.windows.ZOrder(); }
  // Null when there is no such window.
  const SimWindow* Window(platform::WindowId id) const { return world_.windows.Find(id); }
  // The text a window received; empty for no window.
  std::string WindowText(platform::WindowId id) const { return windows_.WindowText(id); }
  const std::optional<std::string>& ClipboardText() const { return clipboard_.Text(); }
  const std::deque<PostedMessage>& PendingPosted() const { return windows_.PendingPosted(); }
  // Names of the started programs still running now.
  std::vector<std::string> RunningPrograms() const { return programs_.RunningPrograms(); }
  size_t OpenProgramHandles() const { return programs_.OpenProgramHandles(); }
  bool ThreadsShareInput(uint32_t a, uint32_t b) const { return windows_.ThreadsShareInput(a, b); }
  uint32_t ForegroundLockMs() const { return windows_.ForegroundLockMs(); }

 private:
  // In the order they are built: each room after the rooms it asks.
  SimWorld world_;
  SimDisplay display_;
  SimPointer pointer_;
  SimInput input_;
  SimClock clock_;
  SimClipboard clipboard_;
  SimWindows windows_;
  SimJoysticks joysticks_;
  SimPrograms programs_;
  SimSound sound_;
  // The pump delivers the user's actions to the shell window, which waits
  // through the pump: the pump is built first and holds the shell window
  // only by reference until it runs.
  SimMessages messages_;
  SimShellWindow shellWindow_;
  SimDialogs dialogs_;
};

}  // namespace vendrix::sim
