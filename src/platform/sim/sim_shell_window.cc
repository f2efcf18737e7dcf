#include "platform/sim/sim_desktop.h"

#include <algorithm>
#include <limits>

#include "platform/sim/sjis_utf8.h"

namespace vendrix::sim {
namespace {

// What the icon record's tip field holds.
std::string_view TrayTip(std::string_view tip) { return tip.substr(0, 63); }

}  // namespace

// The main window stands where the step display or the menu window puts it.
// Sizes below 0 count as 0; edges stay within an int.
void SimDesktop::MoveMainWindow(int64_t left, int64_t top, int64_t width, int64_t height) {
  auto edge = [](int64_t value) {
    return static_cast<int>(std::clamp<int64_t>(value, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
  };
  windows_.front().rect = {edge(left), edge(top), edge(left + std::max<int64_t>(width, 0)),
                           edge(top + std::max<int64_t>(height, 0))};
}

void SimDesktop::ShowStepDisplay(const platform::Rect& where, int fontSize) {
  if (Tracing()) {
    Record("ShowStepDisplay", {{"left", where.left}, {"top", where.top}, {"width", where.width},
                               {"height", where.height}, {"font_size", fontSize}});
  }
  MoveMainWindow(where.left, where.top, where.width, where.height);
  stepDisplay_.shown = true;
  stepDisplay_.rect = where;
  stepDisplay_.fontSize = fontSize;
}

void SimDesktop::HideStepDisplay(int width, int height) {
  if (Tracing()) Record("HideStepDisplay", {{"width", width}, {"height", height}});
  MoveMainWindow(windows_.front().rect.left, windows_.front().rect.top, width, height);
  stepDisplay_.shown = false;
  stepDisplay_.menuWidth = width;
  stepDisplay_.menuHeight = height;
}

void SimDesktop::AppendStepLine(std::string_view line) {
  if (Tracing()) Record("AppendStepLine", {{"line", SjisToUtf8(line)}});
  auto& lines = stepDisplay_.lines;
  if (lines.size() >= kKeptStepLines) lines.pop_front();
  lines.emplace_back(line);
  ++stepDisplay_.linesAppended;
}

void SimDesktop::SetTrayTip(std::string_view tip) {
  const std::string_view cut = TrayTip(tip);
  if (Tracing()) {
    Record("Shell_NotifyIconA", {{"message", "NIM_MODIFY"}, {"tip", SjisToUtf8(cut)},
                                 {"shown", shell_.trayIconShown}});
  }
  if (shell_.trayIconShown) shell_.trayTip = std::string(cut);
}

}  // namespace vendrix::sim

namespace vendrix::sim {
namespace {

// Windows keeps a thread's queue to 10000 messages; a shell that never
// looks is not worth more.
constexpr size_t kMaxQueuedShellEvents = 10000;

const char* EventName(platform::ShellEventKind kind) {
  switch (kind) {
    case platform::ShellEventKind::kMenuPick: return "menu";
    case platform::ShellEventKind::kHotkey: return "hotkey";
    case platform::ShellEventKind::kJoystickButton: return "joystick_button";
    case platform::ShellEventKind::kTrayRightClick: return "tray";
    case platform::ShellEventKind::kPaint: return "paint";
    case platform::ShellEventKind::kQuit: return "quit";
  }
  return "?";
}

}  // namespace

void SimDesktop::SetMenuItems(const std::vector<std::string>& captions) {
  if (Tracing()) {
    nlohmann::ordered_json items = nlohmann::ordered_json::array();
    for (const std::string& caption : captions) items.push_back(SjisToUtf8(caption));
    Record("SetMenuItems", {{"items", items}});
  }
  shell_.menuItems = captions;
}

void SimDesktop::ShowMenuWindow(const platform::Rect& where) {
  if (Tracing()) {
    Record("ShowMenuWindow", {{"left", where.left}, {"top", where.top}, {"width", where.width}, {"height", where.height}});
  }
  MoveMainWindow(where.left, where.top, where.width, where.height);
  // Showing a hidden or minimised window paints it; moving a shown one does not.
  if (!shell_.menuWindowShown || shell_.minimised) QueueShellEvent({platform::ShellEventKind::kPaint, 0});
  shell_.menuWindowShown = true;
  shell_.minimised = false;
  Raise(kMainWindow);
  foreground_ = kMainWindow;
}

void SimDesktop::MinimiseMainWindow() {
  if (Tracing()) Record("MinimiseMainWindow", {});
  shell_.minimised = true;
  if (foreground_ == kMainWindow) foreground_ = 0;
}

bool SimDesktop::MainWindowMinimised() { return shell_.minimised; }

void SimDesktop::CloseMenu() {
  if (Tracing()) Record("EndMenu", {});
  ++shell_.menuClosings;
}

bool SimDesktop::SetProgramIcon(std::string_view iconFile) {
  if (Tracing()) Record("LoadImageA", {{"file", SjisToUtf8(iconFile)}, {"type", "IMAGE_ICON"}});
  shell_.iconFile = std::string(iconFile);
  return true;
}

void SimDesktop::HideTaskbarButton() {
  if (Tracing()) Record("HideTaskbarButton", {});
  shell_.taskbarButtonHidden = true;
}

bool SimDesktop::AddTrayIcon(std::string_view tip) {
  const std::string_view cut = TrayTip(tip);
  if (Tracing()) Record("Shell_NotifyIconA", {{"message", "NIM_ADD"}, {"tip", SjisToUtf8(cut)}});
  shell_.trayIconShown = true;
  shell_.trayTip = std::string(cut);
  return true;
}

void SimDesktop::DeleteTrayIcon() {
  if (Tracing()) Record("Shell_NotifyIconA", {{"message", "NIM_DELETE"}});
  shell_.trayIconShown = false;
}

bool SimDesktop::RegisterHotKey(int id, uint32_t modifiers, int vk) {
  const auto same = [&](const TakenHotkey& key) { return key.vk == vk && key.modifiers == modifiers; };
  bool ok = std::none_of(takenHotkeys_.begin(), takenHotkeys_.end(), same) && shell_.hotkeys.count(id) == 0;
  for (const auto& [otherId, key] : shell_.hotkeys) ok = ok && !same(key);
  if (Tracing()) Record("RegisterHotKey", {{"id", id}, {"modifiers", modifiers}, {"vk", vk}, {"result", ok}});
  if (ok) shell_.hotkeys[id] = TakenHotkey{vk, modifiers};
  return ok;
}

void SimDesktop::UnregisterHotKey(int id) {
  if (Tracing()) Record("UnregisterHotKey", {{"id", id}});
  shell_.hotkeys.erase(id);
}

bool SimDesktop::CaptureJoystick(int joystickId) {
  const bool present = joystickId >= 0 && joystickId < 2 && joystickSamples_[static_cast<size_t>(joystickId)];
  if (Tracing()) Record("joySetCapture", {{"id", joystickId}, {"period", 100}, {"result", present}});
  if (present) shell_.joystickCaptured[static_cast<size_t>(joystickId)] = true;
  return present;
}

void SimDesktop::ReleaseJoystick(int joystickId) {
  if (Tracing()) Record("joyReleaseCapture", {{"id", joystickId}});
  if (joystickId >= 0 && joystickId < 2) shell_.joystickCaptured[static_cast<size_t>(joystickId)] = false;
}

std::optional<std::string> SimDesktop::ChooseFile(std::string_view filter) {
  std::optional<std::string> answer;
  if (nextFileDialogAnswer_ < fileDialogAnswers_.size()) answer = fileDialogAnswers_[nextFileDialogAnswer_++];
  if (Tracing()) {
    Record("GetOpenFileNameA", {{"filter", SjisToUtf8(filter)},
                                {"result", answer ? nlohmann::ordered_json(SjisToUtf8(*answer)) : nullptr}});
  }
  return answer;
}

void SimDesktop::QueueShellEvent(platform::ShellEvent event) {
  // One paint waits at a time, as Windows merges invalid areas.
  for (const platform::ShellEvent& queued : shellQueue_) {
    if (event.kind == platform::ShellEventKind::kPaint && queued.kind == event.kind) return;
  }
  if (shellQueue_.size() < kMaxQueuedShellEvents) shellQueue_.push_back(event);
}

void SimDesktop::DeliverDueShellEvents() {
  for (; nextShellEvent_ < shellScript_.size() && shellScript_[nextShellEvent_].atMs <= nowMs_; ++nextShellEvent_) {
    const ScriptedShellEvent& scripted = shellScript_[nextShellEvent_];
    std::optional<platform::ShellEvent> event;
    switch (scripted.kind) {
      case platform::ShellEventKind::kMenuPick: {
        const auto found = std::find(shell_.menuItems.begin(), shell_.menuItems.end(), scripted.menuCaption);
        if (found != shell_.menuItems.end()) {
          event = platform::ShellEvent{scripted.kind, static_cast<int>(found - shell_.menuItems.begin())};
        }
        break;
      }
      case platform::ShellEventKind::kHotkey:
        // A combination nobody registered goes to other programs.
        for (const auto& [id, key] : shell_.hotkeys) {
          if (key.vk == scripted.vk && key.modifiers == scripted.modifiers) event = platform::ShellEvent{scripted.kind, id};
        }
        break;
      case platform::ShellEventKind::kJoystickButton:
        if (shell_.joystickCaptured[static_cast<size_t>(scripted.joystick - 1)]) {
          event = platform::ShellEvent{scripted.kind, scripted.joystick};
        }
        break;
      case platform::ShellEventKind::kTrayRightClick:
        if (shell_.trayIconShown) event = platform::ShellEvent{scripted.kind, 0};
        break;
      default:
        break;
    }
    if (Tracing()) {
      Record("UserAction", {{"action", EventName(scripted.kind)}, {"delivered", event.has_value()},
                            {"value", event ? event->value : 0}});
    }
    if (event) QueueShellEvent(*event);
  }
}

std::optional<platform::ShellEvent> SimDesktop::TakeShellEvent() {
  if (shellQueue_.empty()) return std::nullopt;
  const platform::ShellEvent event = shellQueue_.front();
  shellQueue_.pop_front();
  return event;
}

void SimDesktop::WaitForShellEvent(uint32_t timeoutMs) {
  const uint64_t endMs = nowMs_ + timeoutMs;
  ProcessMessages();
  while (shellQueue_.empty()) {
    if (nextShellEvent_ >= shellScript_.size() && nowMs_ >= lastScriptedMs_) {
      // Nothing more will happen: the session ends, as a real one would
      // with the user logging off.
      if (!scriptEnded_) {
        if (Tracing()) Record("UserAction", {{"action", "quit"}, {"delivered", true}, {"value", 0}});
        LogDialog("nothing more is scripted for the waiting program: it ends, as when the user logs off");
      }
      scriptEnded_ = true;
      QueueShellEvent({platform::ShellEventKind::kQuit, 0});
      break;
    }
    if (nowMs_ >= endMs) break;
    uint64_t nextMs = endMs;
    if (nextShellEvent_ < shellScript_.size()) nextMs = std::min(nextMs, shellScript_[nextShellEvent_].atMs);
    if (const auto timer = EarliestTimer()) nextMs = std::min(nextMs, timers_.at(*timer).dueMs);
    nowMs_ = std::max(nowMs_, nextMs);
    CheckBounds();
    ProcessMessages();
  }
}

}  // namespace vendrix::sim
