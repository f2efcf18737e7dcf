#include "platform/sim/sim_shell_window.h"

#include <algorithm>
#include <limits>
#include <utility>

#include "platform/sim/sjis_utf8.h"

namespace vendrix::sim {
namespace {

// What the icon record's tip field holds.
std::string_view TrayTip(std::string_view tip) { return tip.substr(0, 63); }

}  // namespace

SimShellWindow::SimShellWindow(SimWorld& world, SimMessages& messages, const SimInput& input,
                               const SimJoysticks& joysticks, ShellScript script)
    : world_(world), messages_(messages), joysticks_(joysticks), script_(std::move(script)) {
  for (const ScriptedShellEvent& event : script_.events) lastScriptedMs_ = std::max(lastScriptedMs_, event.atMs);
  lastScriptedMs_ = std::max(lastScriptedMs_, input.LastKeyChangeMs());
}

// The main window stands where the step display or the menu window puts it.
// Sizes below 0 count as 0; edges stay within an int.
void SimShellWindow::MoveMainWindow(int64_t left, int64_t top, int64_t width, int64_t height) {
  auto edge = [](int64_t value) {
    return static_cast<int>(std::clamp<int64_t>(value, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
  };
  world_.windows.Main().rect = {edge(left), edge(top), edge(left + std::max<int64_t>(width, 0)),
                           edge(top + std::max<int64_t>(height, 0))};
}

void SimShellWindow::ShowStepDisplay(const platform::Rect& where, int fontSize) {
  if (world_.Tracing()) {
    world_.Record("ShowStepDisplay", {{"left", where.left}, {"top", where.top}, {"width", where.width},
                               {"height", where.height}, {"font_size", fontSize}});
  }
  MoveMainWindow(where.left, where.top, where.width, where.height);
  stepDisplay_.shown = true;
  stepDisplay_.rect = where;
  stepDisplay_.fontSize = fontSize;
}

void SimShellWindow::HideStepDisplay(int width, int height) {
  if (world_.Tracing()) world_.Record("HideStepDisplay", {{"width", width}, {"height", height}});
  MoveMainWindow(world_.windows.Main().rect.left, world_.windows.Main().rect.top, width, height);
  stepDisplay_.shown = false;
  stepDisplay_.menuWidth = width;
  stepDisplay_.menuHeight = height;
}

void SimShellWindow::AppendStepLine(std::string_view line) {
  if (world_.Tracing()) world_.Record("AppendStepLine", {{"line", SjisToUtf8(line)}});
  auto& lines = stepDisplay_.lines;
  if (lines.size() >= kKeptStepLines) lines.pop_front();
  lines.emplace_back(line);
  ++stepDisplay_.linesAppended;
}

void SimShellWindow::SetTrayTip(std::string_view tip) {
  const std::string_view cut = TrayTip(tip);
  if (world_.Tracing()) {
    world_.Record("Shell_NotifyIconA", {{"message", "NIM_MODIFY"}, {"tip", SjisToUtf8(cut)},
                                 {"shown", state_.trayIconShown}});
  }
  if (state_.trayIconShown) state_.trayTip = std::string(cut);
}

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

void SimShellWindow::SetMenuItems(const std::vector<std::string>& captions) {
  if (world_.Tracing()) {
    nlohmann::ordered_json items = nlohmann::ordered_json::array();
    for (const std::string& caption : captions) items.push_back(SjisToUtf8(caption));
    world_.Record("SetMenuItems", {{"items", items}});
  }
  state_.menuItems = captions;
}

void SimShellWindow::ShowMenuWindow(const platform::Rect& where) {
  if (world_.Tracing()) {
    world_.Record("ShowMenuWindow", {{"left", where.left}, {"top", where.top}, {"width", where.width}, {"height", where.height}});
  }
  MoveMainWindow(where.left, where.top, where.width, where.height);
  // Showing a hidden or minimised window paints it; moving a shown one does not.
  if (!state_.menuWindowShown || state_.minimised) QueueShellEvent({platform::ShellEventKind::kPaint, 0});
  state_.menuWindowShown = true;
  state_.minimised = false;
  world_.windows.Raise(kMainWindow);
  world_.windows.foreground = kMainWindow;
}

void SimShellWindow::MinimiseMainWindow() {
  if (world_.Tracing()) world_.Record("MinimiseMainWindow", {});
  state_.minimised = true;
  if (world_.windows.foreground == kMainWindow) world_.windows.foreground = 0;
}

bool SimShellWindow::MainWindowMinimised() { return state_.minimised; }

void SimShellWindow::CloseMenu() {
  if (world_.Tracing()) world_.Record("EndMenu", {});
  ++state_.menuClosings;
}

bool SimShellWindow::SetProgramIcon(std::string_view iconFile) {
  if (world_.Tracing()) world_.Record("LoadImageA", {{"file", SjisToUtf8(iconFile)}, {"type", "IMAGE_ICON"}});
  state_.iconFile = std::string(iconFile);
  return true;
}

void SimShellWindow::HideTaskbarButton() {
  if (world_.Tracing()) world_.Record("HideTaskbarButton", {});
  state_.taskbarButtonHidden = true;
}

bool SimShellWindow::AddTrayIcon(std::string_view tip) {
  const std::string_view cut = TrayTip(tip);
  if (world_.Tracing()) world_.Record("Shell_NotifyIconA", {{"message", "NIM_ADD"}, {"tip", SjisToUtf8(cut)}});
  state_.trayIconShown = true;
  state_.trayTip = std::string(cut);
  return true;
}

void SimShellWindow::DeleteTrayIcon() {
  if (world_.Tracing()) world_.Record("Shell_NotifyIconA", {{"message", "NIM_DELETE"}});
  state_.trayIconShown = false;
}

bool SimShellWindow::RegisterHotKey(int id, uint32_t modifiers, int vk) {
  const auto same = [&](const TakenHotkey& key) { return key.vk == vk && key.modifiers == modifiers; };
  bool ok = std::none_of(script_.takenHotkeys.begin(), script_.takenHotkeys.end(), same) && state_.hotkeys.count(id) == 0;
  for (const auto& [otherId, key] : state_.hotkeys) ok = ok && !same(key);
  if (world_.Tracing()) world_.Record("RegisterHotKey", {{"id", id}, {"modifiers", modifiers}, {"vk", vk}, {"result", ok}});
  if (ok) state_.hotkeys[id] = TakenHotkey{vk, modifiers};
  return ok;
}

void SimShellWindow::UnregisterHotKey(int id) {
  if (world_.Tracing()) world_.Record("UnregisterHotKey", {{"id", id}});
  state_.hotkeys.erase(id);
}

bool SimShellWindow::CaptureJoystick(int joystickId) {
  const bool present = joysticks_.Present(joystickId);
  if (world_.Tracing()) world_.Record("joySetCapture", {{"id", joystickId}, {"period", 100}, {"result", present}});
  if (present) state_.joystickCaptured[static_cast<size_t>(joystickId)] = true;
  return present;
}

void SimShellWindow::ReleaseJoystick(int joystickId) {
  if (world_.Tracing()) world_.Record("joyReleaseCapture", {{"id", joystickId}});
  if (joystickId >= 0 && joystickId < 2) state_.joystickCaptured[static_cast<size_t>(joystickId)] = false;
}

std::optional<std::string> SimShellWindow::ChooseFile(std::string_view filter) {
  std::optional<std::string> answer;
  if (nextFileDialogAnswer_ < script_.fileDialogAnswers.size()) answer = script_.fileDialogAnswers[nextFileDialogAnswer_++];
  if (world_.Tracing()) {
    world_.Record("GetOpenFileNameA", {{"filter", SjisToUtf8(filter)},
                                {"result", answer ? nlohmann::ordered_json(SjisToUtf8(*answer)) : nullptr}});
  }
  return answer;
}

void SimShellWindow::QueueShellEvent(platform::ShellEvent event) {
  // One paint waits at a time, as Windows merges invalid areas.
  for (const platform::ShellEvent& queued : queue_) {
    if (event.kind == platform::ShellEventKind::kPaint && queued.kind == event.kind) return;
  }
  if (queue_.size() < kMaxQueuedShellEvents) queue_.push_back(event);
}

std::optional<platform::ShellEvent> SimShellWindow::EventFor(const ScriptedShellEvent& scripted) const {
  switch (scripted.kind) {
    case platform::ShellEventKind::kMenuPick: {
      const auto found = std::find(state_.menuItems.begin(), state_.menuItems.end(), scripted.menuCaption);
      if (found == state_.menuItems.end()) return std::nullopt;
      return platform::ShellEvent{scripted.kind, static_cast<int>(found - state_.menuItems.begin())};
    }
    case platform::ShellEventKind::kHotkey: {
      // A combination nobody registered goes to other programs.
      std::optional<platform::ShellEvent> event;
      for (const auto& [id, key] : state_.hotkeys) {
        if (key.vk == scripted.vk && key.modifiers == scripted.modifiers) event = platform::ShellEvent{scripted.kind, id};
      }
      return event;
    }
    case platform::ShellEventKind::kJoystickButton:
      if (!state_.joystickCaptured[static_cast<size_t>(scripted.joystick - 1)]) return std::nullopt;
      return platform::ShellEvent{scripted.kind, scripted.joystick};
    case platform::ShellEventKind::kTrayRightClick:
      if (!state_.trayIconShown) return std::nullopt;
      return platform::ShellEvent{scripted.kind, 0};
    default:
      return std::nullopt;
  }
}

void SimShellWindow::DeliverDueShellEvents() {
  const std::vector<ScriptedShellEvent>& events = script_.events;
  for (; nextShellEvent_ < events.size() && events[nextShellEvent_].atMs <= world_.NowMs(); ++nextShellEvent_) {
    const ScriptedShellEvent& scripted = events[nextShellEvent_];
    const std::optional<platform::ShellEvent> event = EventFor(scripted);
    if (world_.Tracing()) {
      world_.Record("UserAction", {{"action", EventName(scripted.kind)}, {"delivered", event.has_value()},
                                   {"value", event ? event->value : 0}});
    }
    if (event) QueueShellEvent(*event);
  }
}

std::optional<platform::ShellEvent> SimShellWindow::TakeShellEvent() {
  if (queue_.empty()) return std::nullopt;
  const platform::ShellEvent event = queue_.front();
  queue_.pop_front();
  return event;
}

void SimShellWindow::WaitForShellEvent(uint32_t timeoutMs) {
  const uint64_t endMs = world_.NowMs() + timeoutMs;
  messages_.ProcessMessages();
  while (queue_.empty()) {
    if (nextShellEvent_ >= script_.events.size() && world_.NowMs() >= lastScriptedMs_) {
      // Nothing more will happen: the session ends, as a real one would
      // with the user logging off.
      if (!scriptEnded_) {
        if (world_.Tracing()) world_.Record("UserAction", {{"action", "quit"}, {"delivered", true}, {"value", 0}});
        world_.LogDialog("nothing more is scripted for the waiting program: it ends, as when the user logs off");
      }
      scriptEnded_ = true;
      QueueShellEvent({platform::ShellEventKind::kQuit, 0});
      break;
    }
    if (world_.NowMs() >= endMs) break;
    uint64_t nextMs = endMs;
    if (nextShellEvent_ < script_.events.size()) nextMs = std::min(nextMs, script_.events[nextShellEvent_].atMs);
    if (const auto timerDueMs = messages_.NextTimerDueMs()) nextMs = std::min(nextMs, *timerDueMs);
    world_.MoveTimeTo(nextMs);
    world_.CheckBounds();
    messages_.ProcessMessages();
  }
}

}  // namespace vendrix::sim
