// The program's own window on the simulated desktop: the step display, the
// menu window with its icon, tray icon and hotkeys, and what the user does
// to it as the description scripts it.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/platform.h"
#include "platform/sim/sim_input.h"
#include "platform/sim/sim_joysticks.h"
#include "platform/sim/sim_messages.h"
#include "platform/sim/sim_world.h"

namespace vendrix::sim {

// What the main window shows as the step display.
struct StepDisplayState {
  bool shown = false;
  platform::Rect rect;         // last ShowStepDisplay
  int fontSize = 0;            // last ShowStepDisplay
  int menuWidth = 0;           // last HideStepDisplay
  int menuHeight = 0;          // last HideStepDisplay
  std::deque<std::string> lines;   // the latest kKeptStepLines, Shift-JIS
  uint64_t linesAppended = 0;      // all lines ever appended
};

// The program's own window as the shell sets it up.
struct ShellWindowState {
  std::vector<std::string> menuItems;  // Shift-JIS captions
  bool menuWindowShown = false;
  bool minimised = false;
  int menuClosings = 0;                      // CloseMenu calls
  std::string iconFile;                      // SetProgramIcon's, Shift-JIS
  bool taskbarButtonHidden = false;
  bool trayIconShown = false;
  std::string trayTip;                       // the shown icon's, Shift-JIS
  std::map<int, TakenHotkey> hotkeys;        // registered, by id
  std::array<bool, 2> joystickCaptured{};    // JOYSTICKID1, JOYSTICKID2
};

// What the user does to the program's own window, as described.
struct ShellScript {
  std::vector<ScriptedShellEvent> events;  // in time order
  std::vector<std::optional<std::string>> fileDialogAnswers;  // none: Cancel
  std::vector<TakenHotkey> takenHotkeys;   // held by other programs
};

class SimShellWindow final : public platform::ShellWindow {
 public:
  // The step display keeps only this many lines, as a real text box would
  // not hold a million either.
  static constexpr size_t kKeptStepLines = 1000;

  // `messages` is the pump a wait runs; `input` tells when the user's keys
  // stop changing, which ends the script as its last event does.
  SimShellWindow(SimWorld& world, SimMessages& messages, const SimInput& input, const SimJoysticks& joysticks,
                 ShellScript script);

  platform::RunningStatement& Running() override { return world_.running; }
  void StatementStarting() override { world_.StatementStarting(); }
  void SetMenuItems(const std::vector<std::string>& captions) override;
  void ShowMenuWindow(const platform::Rect& where) override;
  void MinimiseMainWindow() override;
  bool MainWindowMinimised() override;
  void CloseMenu() override;
  bool SetProgramIcon(std::string_view iconFile) override;
  void HideTaskbarButton() override;
  bool AddTrayIcon(std::string_view tip) override;
  void DeleteTrayIcon() override;
  bool RegisterHotKey(int id, uint32_t modifiers, int vk) override;
  void UnregisterHotKey(int id) override;
  bool CaptureJoystick(int joystickId) override;
  void ReleaseJoystick(int joystickId) override;
  std::optional<std::string> ChooseFile(std::string_view filter) override;
  std::optional<platform::ShellEvent> TakeShellEvent() override;
  void WaitForShellEvent(uint32_t timeoutMs) override;
  void ShowStepDisplay(const platform::Rect& where, int fontSize) override;
  void HideStepDisplay(int width, int height) override;
  void AppendStepLine(std::string_view line) override;
  platform::WindowId MainWindow() override { return kMainWindow; }
  void SetTrayTip(std::string_view tip) override;

  // Queues the scripted events that are due; the message pump calls it.
  void DeliverDueShellEvents();

  // ---- state, untraced
  const StepDisplayState& StepDisplay() const { return stepDisplay_; }
  const ShellWindowState& State() const { return state_; }

 private:
  void QueueShellEvent(platform::ShellEvent event);
  // The scripted user's action as an event of this window; none when the
  // window would not get it (no such item, hotkey, capture or icon).
  std::optional<platform::ShellEvent> EventFor(const ScriptedShellEvent& scripted) const;
  // The main window stands where the step display or the menu window puts it.
  void MoveMainWindow(int64_t left, int64_t top, int64_t width, int64_t height);

  SimWorld& world_;
  SimMessages& messages_;
  const SimJoysticks& joysticks_;
  StepDisplayState stepDisplay_;
  ShellWindowState state_;
  ShellScript script_;
  size_t nextShellEvent_ = 0;
  size_t nextFileDialogAnswer_ = 0;
  std::deque<platform::ShellEvent> queue_;
  // The last moment anything is scripted for; after it the session ends.
  uint64_t lastScriptedMs_ = 0;
  bool scriptEnded_ = false;
};

}  // namespace vendrix::sim
