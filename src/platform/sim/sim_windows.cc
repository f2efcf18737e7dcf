#include <algorithm>

#include "platform/sim/sim_desktop.h"
#include "platform/sim/sjis_utf8.h"

namespace vendrix::sim {
namespace {

using platform::WindowId;

constexpr uint32_t kSpiGetForegroundLockTimeout = 0x2000;
constexpr uint32_t kSpiSetForegroundLockTimeout = 0x2001;
constexpr int kSwShowNormal = 1;
constexpr int kSwShowMinimized = 2;
constexpr int kSwShowMaximized = 3;
constexpr int kSwMinimize = 6;
constexpr int kSwShowMinNoActive = 7;
constexpr int kSwForceMinimize = 11;
// Where Windows parks a minimised top-level window.
constexpr platform::WindowRect kMinimisedRect{-32000, -32000, -31840, -31972};

bool Contains(const platform::WindowRect& rect, platform::Point point) {
  return point.x >= rect.left && point.x < rect.right && point.y >= rect.top && point.y < rect.bottom;
}

nlohmann::ordered_json PointJson(const std::optional<platform::Point>& point) {
  if (!point) return nullptr;
  return {point->x, point->y};
}

nlohmann::ordered_json MessageFields(WindowId window, uint32_t message, uintptr_t wParam, intptr_t lParam) {
  return {{"window", window}, {"message", message}, {"wparam", wParam}, {"lparam", lParam}};
}

}  // namespace

// ---- lookups

const SimWindow* SimDesktop::Window(WindowId id) const {
  if (id == 0) return nullptr;
  const auto found = std::find_if(windows_.begin(), windows_.end(), [id](const SimWindow& w) { return w.id == id; });
  return found == windows_.end() ? nullptr : &*found;
}

SimWindow* SimDesktop::FindWindowState(WindowId id) {
  if (id == 0) return nullptr;
  const auto found = std::find_if(windows_.begin(), windows_.end(), [id](const SimWindow& w) { return w.id == id; });
  return found == windows_.end() ? nullptr : &*found;
}

std::string SimDesktop::WindowText(WindowId id) const {
  const SimWindow* window = Window(id);
  return window == nullptr ? std::string() : window->text;
}

SimWindow* SimDesktop::TopLevelOf(WindowId id) {
  SimWindow* window = FindWindowState(id);
  // Parents come before their children, so this walk ends.
  while (window != nullptr && window->parent != 0) window = FindWindowState(window->parent);
  return window;
}

void SimDesktop::Raise(WindowId topLevel) {
  const auto at = std::find(zOrder_.begin(), zOrder_.end(), topLevel);
  if (at != zOrder_.end()) std::rotate(zOrder_.begin(), at, at + 1);
}

const SimWindow* SimDesktop::ForegroundState() const { return Window(foreground_); }

bool SimDesktop::ThreadExists(uint32_t thread) const {
  return std::any_of(windows_.begin(), windows_.end(), [thread](const SimWindow& w) { return w.thread == thread; });
}

// Attachments chain: threads attached through a third share one input state.
bool SimDesktop::ThreadsShareInput(uint32_t a, uint32_t b) const {
  std::vector<uint32_t> reached{a};
  for (size_t next = 0; next < reached.size(); ++next) {
    if (reached[next] == b) return true;
    for (const auto& [one, other] : attachments_) {
      for (uint32_t peer : {one == reached[next] ? other : 0u, other == reached[next] ? one : 0u}) {
        if (peer != 0 && std::find(reached.begin(), reached.end(), peer) == reached.end()) reached.push_back(peer);
      }
    }
  }
  return false;
}

bool SimDesktop::ProgramSharesForegroundInput() const {
  const SimWindow* front = ForegroundState();
  return front != nullptr && ThreadsShareInput(kProgramThread, front->thread);
}

// The foreground lock, simply: only a window marked as refusing is
// protected, and then only while the lock timeout is not 0, another
// thread's window is in front and the program does not share its input.
bool SimDesktop::ForegroundAllowed(const SimWindow& target) const {
  return !target.refusesForeground || foregroundLockMs_ == 0 || foreground_ == 0 ||
         ProgramSharesForegroundInput();
}

WindowId SimDesktop::DeepestChildAt(WindowId parent, platform::Point where) const {
  for (const SimWindow& window : windows_) {
    if (window.parent == parent && Contains(window.rect, where)) return DeepestChildAt(window.id, where);
  }
  return parent;
}

// ---- finding and raising windows

WindowId SimDesktop::FindWindowByTitle(std::string_view title) {
  WindowId result = 0;
  for (WindowId id : zOrder_) {
    if (Window(id)->title == title) {
      result = id;
      break;
    }
  }
  if (Tracing()) Record("FindWindowA", {{"title", SjisToUtf8(title)}, {"result", result}});
  return result;
}

WindowId SimDesktop::GetForegroundWindow() {
  if (Tracing()) Record("GetForegroundWindow", {{"result", foreground_}});
  return foreground_;
}

bool SimDesktop::SetForegroundWindow(WindowId window) {
  const SimWindow* target = Window(window);
  const bool result = target != nullptr && target->parent == 0 && ForegroundAllowed(*target);
  if (Tracing()) Record("SetForegroundWindow", {{"window", window}, {"result", result}});
  if (!result) return false;
  foreground_ = window;
  Raise(window);
  // The program's thread stays active only while its own window is in front.
  active_ = target->thread == kProgramThread ? window : 0;
  return true;
}

bool SimDesktop::BringWindowToTop(WindowId window) {
  const SimWindow* top = TopLevelOf(window);
  if (Tracing()) Record("BringWindowToTop", {{"window", window}, {"result", top != nullptr}});
  if (top == nullptr) return false;
  Raise(top->id);
  return true;
}

bool SimDesktop::IsIconic(WindowId window) {
  const SimWindow* state = Window(window);
  const bool result = state != nullptr && state->iconic;
  if (Tracing()) Record("IsIconic", {{"window", window}, {"result", result}});
  return result;
}

// Every simulated window is visible, so the result (was it visible) is
// true for any window.
bool SimDesktop::ShowWindow(WindowId window, int command) {
  SimWindow* state = FindWindowState(window);
  if (Tracing()) Record("ShowWindow", {{"window", window}, {"command", command}, {"result", state != nullptr}});
  if (state == nullptr || state->parent != 0) return state != nullptr;
  switch (command) {
    case kSwShowNormal:
    case kSwShowMaximized:
    case platform::kSwRestore: state->iconic = false; break;
    case kSwShowMinimized:
    case kSwMinimize:
    case kSwShowMinNoActive:
    case kSwForceMinimize: state->iconic = true; break;
    default: break;
  }
  return true;
}

std::optional<platform::WindowRect> SimDesktop::GetWindowRect(WindowId window) {
  const SimWindow* state = Window(window);
  std::optional<platform::WindowRect> result;
  if (state != nullptr) result = state->iconic ? kMinimisedRect : state->rect;
  if (Tracing()) {
    nlohmann::ordered_json rect = nullptr;
    if (result) rect = {result->left, result->top, result->right, result->bottom};
    Record("GetWindowRect", {{"window", window}, {"result", rect}});
  }
  return result;
}

int SimDesktop::WindowTitleLength(WindowId window) {
  const SimWindow* state = Window(window);
  const int result = state == nullptr ? 0 : static_cast<int>(state->title.size());
  if (Tracing()) Record("GetWindowTextLengthA", {{"window", window}, {"result", result}});
  return result;
}

// Windows cuts bytes: a double-byte character may lose its trail byte.
std::string SimDesktop::WindowTitle(WindowId window, int bufferSize) {
  const SimWindow* state = Window(window);
  std::string result;
  if (state != nullptr && bufferSize > 0) result = state->title.substr(0, static_cast<size_t>(bufferSize) - 1);
  if (Tracing()) {
    Record("GetWindowTextA", {{"window", window}, {"size", bufferSize}, {"result", SjisToUtf8(result)}});
  }
  return result;
}

// Minimised windows are off the screen.
WindowId SimDesktop::WindowFromPoint(platform::Point where) {
  WindowId result = 0;
  for (WindowId id : zOrder_) {
    const SimWindow* window = Window(id);
    if (!window->iconic && Contains(window->rect, where)) {
      result = DeepestChildAt(id, where);
      break;
    }
  }
  if (Tracing()) Record("WindowFromPoint", {{"x", where.x}, {"y", where.y}, {"result", result}});
  return result;
}

// ---- input state of threads

WindowId SimDesktop::GetFocus() {
  const WindowId result = ProgramSharesForegroundInput() ? ForegroundState()->focus : 0;
  if (Tracing()) Record("GetFocus", {{"result", result}});
  return result;
}

std::optional<platform::Point> SimDesktop::GetCaretPos() {
  std::optional<platform::Point> result;
  if (ProgramSharesForegroundInput()) result = ForegroundState()->caret;
  if (Tracing()) Record("GetCaretPos", {{"result", PointJson(result)}});
  return result;
}

WindowId SimDesktop::GetActiveWindow() {
  const WindowId result = ProgramSharesForegroundInput() ? foreground_ : active_;
  if (Tracing()) Record("GetActiveWindow", {{"result", result}});
  return result;
}

uint32_t SimDesktop::GetCurrentThreadId() {
  if (Tracing()) Record("GetCurrentThreadId", {{"result", kProgramThread}});
  return kProgramThread;
}

uint32_t SimDesktop::WindowThreadId(WindowId window) {
  const SimWindow* state = Window(window);
  const uint32_t result = state == nullptr ? 0 : state->thread;
  if (Tracing()) Record("GetWindowThreadProcessId", {{"window", window}, {"result", result}});
  return result;
}

// Fails for a thread attached to itself, for threads that own no window,
// and when detaching threads that are not attached.
bool SimDesktop::AttachThreadInput(uint32_t thread, uint32_t toThread, bool attach) {
  const auto pair = std::minmax(thread, toThread);
  const auto at = std::find(attachments_.begin(), attachments_.end(), std::pair(pair.first, pair.second));
  bool result = thread != toThread && ThreadExists(thread) && ThreadExists(toThread);
  if (result && attach && at == attachments_.end()) attachments_.emplace_back(pair.first, pair.second);
  if (result && !attach) {
    result = at != attachments_.end();
    if (result) attachments_.erase(at);
  }
  if (Tracing()) {
    Record("AttachThreadInput", {{"thread", thread}, {"to_thread", toThread}, {"attach", attach}, {"result", result}});
  }
  return result;
}

uint32_t SimDesktop::ForegroundLockTimeout() {
  if (Tracing()) Record("SystemParametersInfoA", {{"action", kSpiGetForegroundLockTimeout}, {"result", foregroundLockMs_}});
  return foregroundLockMs_;
}

void SimDesktop::SetForegroundLockTimeout(uint32_t ms) {
  if (Tracing()) Record("SystemParametersInfoA", {{"action", kSpiSetForegroundLockTimeout}, {"value", ms}});
  foregroundLockMs_ = ms;
}

platform::OsVersion SimDesktop::GetOsVersion() {
  if (Tracing()) Record("GetVersionExA", {{"platform", os_.platformId}, {"major", os_.major}, {"minor", os_.minor}});
  return os_;
}

// ---- messages to windows

void SimDesktop::AppendText(SimWindow& window, std::string_view bytes) {
  const size_t room = kMaxWindowText - std::min(kMaxWindowText, window.text.size());
  window.text.append(bytes.substr(0, room));
}

intptr_t SimDesktop::HandleMessage(SimWindow& window, uint32_t message, uintptr_t wParam) {
  switch (message) {
    case platform::kWmChar: AppendText(window, std::string(1, static_cast<char>(wParam & 0xFF))); break;
    case platform::kWmImeChar: {
      // A double-byte code arrives whole: lead byte high, trail byte low.
      const auto code = static_cast<uint32_t>(wParam & 0xFFFF);
      std::string bytes;
      if (code > 0xFF) bytes += static_cast<char>(code >> 8);
      bytes += static_cast<char>(code & 0xFF);
      AppendText(window, bytes);
      break;
    }
    case platform::kWmPaste: {
      const std::string& clip = clipboard_.value_or(std::string());
      AppendText(window, std::string_view(clip).substr(0, clip.find('\0')));
      break;
    }
    default: break;
  }
  return 0;
}

// The window handles a sent message at once, before anything posted to it.
intptr_t SimDesktop::SendWindowMessage(WindowId window, uint32_t message, uintptr_t wParam, intptr_t lParam) {
  SimWindow* state = FindWindowState(window);
  const intptr_t result = state == nullptr ? 0 : HandleMessage(*state, message, wParam);
  if (Tracing()) {
    nlohmann::ordered_json fields = MessageFields(window, message, wParam, lParam);
    AddCharText(fields, message, wParam);
    fields["result"] = result;
    Record("SendMessageA", std::move(fields));
  }
  return result;
}

// The message waits for the next ProcessMessages: the window's program
// handles its queue when Vendrix lets messages through.
bool SimDesktop::PostWindowMessage(WindowId window, uint32_t message, uintptr_t wParam, intptr_t lParam) {
  const bool result = Window(window) != nullptr && posted_.size() < kMaxPostedMessages;
  if (result) posted_.push_back({window, message, wParam, lParam});
  if (Tracing()) {
    nlohmann::ordered_json fields = MessageFields(window, message, wParam, lParam);
    AddCharText(fields, message, wParam);
    fields["result"] = result;
    Record("PostMessageA", std::move(fields));
  }
  return result;
}

void SimDesktop::DeliverPostedMessages() {
  // The run loop pumps messages before every statement: with none posted
  // there is nothing to swap out (an empty deque still allocates).
  if (posted_.empty()) return;
  std::deque<PostedMessage> due;
  due.swap(posted_);
  for (const PostedMessage& message : due) {
    if (Tracing()) {
      nlohmann::ordered_json fields = MessageFields(message.window, message.message, message.wParam, message.lParam);
      AddCharText(fields, message.message, message.wParam);
      Record("DispatchMessageA", std::move(fields));
    }
    if (SimWindow* state = FindWindowState(message.window)) HandleMessage(*state, message.message, message.wParam);
  }
}

// ---- the input method and the debugger

std::optional<bool> SimDesktop::ImeOpenStatus(WindowId window) {
  const SimWindow* state = Window(window);
  const std::optional<bool> result = state == nullptr ? std::nullopt : state->ime;
  if (Tracing()) {
    Record("ImmGetOpenStatus", {{"window", window}, {"result", result ? nlohmann::ordered_json(*result) : nullptr}});
  }
  return result;
}

void SimDesktop::SetImeOpenStatus(WindowId window, bool open) {
  SimWindow* state = FindWindowState(window);
  const bool hasContext = state != nullptr && state->ime.has_value();
  if (Tracing()) Record("ImmSetOpenStatus", {{"window", window}, {"open", open}, {"result", hasContext}});
  if (hasContext) state->ime = open;
}

void SimDesktop::DebugOutput(std::string_view text) {
  if (Tracing()) Record("OutputDebugStringA", {{"text", SjisToUtf8(text)}});
}

}  // namespace vendrix::sim
