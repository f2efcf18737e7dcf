#include "platform/sim/sim_windows.h"

#include <algorithm>

#include "platform/sim/sjis_utf8.h"
#include "values/sjis.h"

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

std::string SimWindows::WindowText(WindowId id) const {
  const SimWindow* window = model_.Find(id);
  return window == nullptr ? std::string() : window->text;
}

bool SimWindows::ThreadExists(uint32_t thread) const {
  const std::vector<SimWindow>& all = model_.All();
  return std::any_of(all.begin(), all.end(), [thread](const SimWindow& w) { return w.thread == thread; });
}

// Attachments chain: threads attached through a third share one input state.
bool SimWindows::ThreadsShareInput(uint32_t a, uint32_t b) const {
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

bool SimWindows::ProgramSharesForegroundInput() const {
  const SimWindow* front = ForegroundState();
  return front != nullptr && ThreadsShareInput(kProgramThread, front->thread);
}

// The foreground lock, simply: only a window marked as refusing is
// protected, and then only while the lock timeout is not 0, another
// thread's window is in front and the program does not share its input.
bool SimWindows::ForegroundAllowed(const SimWindow& target) const {
  return !target.refusesForeground || foregroundLockMs_ == 0 || model_.foreground == 0 ||
         ProgramSharesForegroundInput();
}

WindowId SimWindows::DeepestChildAt(WindowId parent, platform::Point where) const {
  for (const SimWindow& window : model_.All()) {
    if (window.parent == parent && Contains(window.rect, where)) return DeepestChildAt(window.id, where);
  }
  return parent;
}

// ---- finding and raising windows

WindowId SimWindows::FindWindowByTitle(std::string_view title) {
  WindowId result = 0;
  for (WindowId id : model_.ZOrder()) {
    if (model_.Find(id)->title == title) {
      result = id;
      break;
    }
  }
  if (world_.Tracing()) world_.Record("FindWindowA", {{"title", SjisToUtf8(title)}, {"result", result}});
  return result;
}

WindowId SimWindows::GetForegroundWindow() {
  if (world_.Tracing()) world_.Record("GetForegroundWindow", {{"result", model_.foreground}});
  return model_.foreground;
}

bool SimWindows::SetForegroundWindow(WindowId window) {
  const SimWindow* target = model_.Find(window);
  const bool result = target != nullptr && target->parent == 0 && ForegroundAllowed(*target);
  if (world_.Tracing()) world_.Record("SetForegroundWindow", {{"window", window}, {"result", result}});
  if (!result) return false;
  model_.foreground = window;
  model_.Raise(window);
  // The program's thread stays active only while its own window is in front.
  model_.active = target->thread == kProgramThread ? window : 0;
  return true;
}

bool SimWindows::BringWindowToTop(WindowId window) {
  const SimWindow* top = model_.TopLevelOf(window);
  if (world_.Tracing()) world_.Record("BringWindowToTop", {{"window", window}, {"result", top != nullptr}});
  if (top == nullptr) return false;
  model_.Raise(top->id);
  return true;
}

bool SimWindows::IsIconic(WindowId window) {
  const SimWindow* state = model_.Find(window);
  const bool result = state != nullptr && state->iconic;
  if (world_.Tracing()) world_.Record("IsIconic", {{"window", window}, {"result", result}});
  return result;
}

// Every simulated window is visible, so the result (was it visible) is
// true for any window.
bool SimWindows::ShowWindow(WindowId window, int command) {
  SimWindow* state = model_.Find(window);
  if (world_.Tracing()) world_.Record("ShowWindow", {{"window", window}, {"command", command}, {"result", state != nullptr}});
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

std::optional<platform::WindowRect> SimWindows::GetWindowRect(WindowId window) {
  const SimWindow* state = model_.Find(window);
  std::optional<platform::WindowRect> result;
  if (state != nullptr) result = state->iconic ? kMinimisedRect : state->rect;
  if (world_.Tracing()) {
    nlohmann::ordered_json rect = nullptr;
    if (result) rect = {result->left, result->top, result->right, result->bottom};
    world_.Record("GetWindowRect", {{"window", window}, {"result", rect}});
  }
  return result;
}

int SimWindows::WindowTitleLength(WindowId window) {
  const SimWindow* state = model_.Find(window);
  const int result = state == nullptr ? 0 : static_cast<int>(state->title.size());
  if (world_.Tracing()) world_.Record("GetWindowTextLengthA", {{"window", window}, {"result", result}});
  return result;
}

// Windows cuts bytes: a double-byte character may lose its trail byte.
std::string SimWindows::WindowTitle(WindowId window, int bufferSize) {
  const SimWindow* state = model_.Find(window);
  std::string result;
  if (state != nullptr && bufferSize > 0) result = state->title.substr(0, static_cast<size_t>(bufferSize) - 1);
  if (world_.Tracing()) {
    world_.Record("GetWindowTextA", {{"window", window}, {"size", bufferSize}, {"result", SjisToUtf8(result)}});
  }
  return result;
}

// Minimised windows are off the screen.
WindowId SimWindows::WindowFromPoint(platform::Point where) {
  WindowId result = 0;
  for (WindowId id : model_.ZOrder()) {
    const SimWindow* window = model_.Find(id);
    if (!window->iconic && Contains(window->rect, where)) {
      result = DeepestChildAt(id, where);
      break;
    }
  }
  if (world_.Tracing()) world_.Record("WindowFromPoint", {{"x", where.x}, {"y", where.y}, {"result", result}});
  return result;
}

// ---- input state of threads

WindowId SimWindows::GetFocus() {
  const WindowId result = ProgramSharesForegroundInput() ? ForegroundState()->focus : 0;
  if (world_.Tracing()) world_.Record("GetFocus", {{"result", result}});
  return result;
}

std::optional<platform::Point> SimWindows::GetCaretPos() {
  std::optional<platform::Point> result;
  if (ProgramSharesForegroundInput()) result = ForegroundState()->caret;
  if (world_.Tracing()) world_.Record("GetCaretPos", {{"result", PointJson(result)}});
  return result;
}

WindowId SimWindows::GetActiveWindow() {
  const WindowId result = ProgramSharesForegroundInput() ? model_.foreground : model_.active;
  if (world_.Tracing()) world_.Record("GetActiveWindow", {{"result", result}});
  return result;
}

uint32_t SimWindows::GetCurrentThreadId() {
  if (world_.Tracing()) world_.Record("GetCurrentThreadId", {{"result", kProgramThread}});
  return kProgramThread;
}

uint32_t SimWindows::WindowThreadId(WindowId window) {
  const SimWindow* state = model_.Find(window);
  const uint32_t result = state == nullptr ? 0 : state->thread;
  if (world_.Tracing()) world_.Record("GetWindowThreadProcessId", {{"window", window}, {"result", result}});
  return result;
}

// Fails for a thread attached to itself, for threads that own no window,
// and when detaching threads that are not attached.
bool SimWindows::AttachThreadInput(uint32_t thread, uint32_t toThread, bool attach) {
  const auto pair = std::minmax(thread, toThread);
  const auto at = std::find(attachments_.begin(), attachments_.end(), std::pair(pair.first, pair.second));
  bool result = thread != toThread && ThreadExists(thread) && ThreadExists(toThread);
  if (result && attach && at == attachments_.end()) attachments_.emplace_back(pair.first, pair.second);
  if (result && !attach) {
    result = at != attachments_.end();
    if (result) attachments_.erase(at);
  }
  if (world_.Tracing()) {
    world_.Record("AttachThreadInput", {{"thread", thread}, {"to_thread", toThread}, {"attach", attach}, {"result", result}});
  }
  return result;
}

uint32_t SimWindows::ForegroundLockTimeout() {
  if (world_.Tracing()) world_.Record("SystemParametersInfoA", {{"action", kSpiGetForegroundLockTimeout}, {"result", foregroundLockMs_}});
  return foregroundLockMs_;
}

void SimWindows::SetForegroundLockTimeout(uint32_t ms) {
  if (world_.Tracing()) world_.Record("SystemParametersInfoA", {{"action", kSpiSetForegroundLockTimeout}, {"value", ms}});
  foregroundLockMs_ = ms;
}

platform::OsVersion SimWindows::GetOsVersion() {
  if (world_.Tracing()) world_.Record("GetVersionExA", {{"platform", os_.platformId}, {"major", os_.major}, {"minor", os_.minor}});
  return os_;
}

// ---- messages to windows

void SimWindows::AppendText(SimWindow& window, std::string_view bytes) {
  const size_t room = kMaxWindowText - std::min(kMaxWindowText, window.text.size());
  window.text.append(bytes.substr(0, room));
}

intptr_t SimWindows::HandleMessage(SimWindow& window, uint32_t message, uintptr_t wParam) {
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
      const std::string& clip = clipboard_.Text().value_or(std::string());
      AppendText(window, std::string_view(clip).substr(0, clip.find('\0')));
      break;
    }
    default: break;
  }
  return 0;
}

// The window handles a sent message at once, before anything posted to it.
intptr_t SimWindows::SendWindowMessage(WindowId window, uint32_t message, uintptr_t wParam, intptr_t lParam) {
  SimWindow* state = model_.Find(window);
  const intptr_t result = state == nullptr ? 0 : HandleMessage(*state, message, wParam);
  if (world_.Tracing()) {
    nlohmann::ordered_json fields = MessageFields(window, message, wParam, lParam);
    AddCharText(fields, message, wParam);
    fields["result"] = result;
    world_.Record("SendMessageA", std::move(fields));
  }
  return result;
}

// The message waits for the next ProcessMessages: the window's program
// handles its queue when Vendrix lets messages through.
bool SimWindows::PostWindowMessage(WindowId window, uint32_t message, uintptr_t wParam, intptr_t lParam) {
  const bool result = model_.Find(window) != nullptr && posted_.size() < kMaxPostedMessages;
  if (result) posted_.push_back({window, message, wParam, lParam});
  if (world_.Tracing()) {
    nlohmann::ordered_json fields = MessageFields(window, message, wParam, lParam);
    AddCharText(fields, message, wParam);
    fields["result"] = result;
    world_.Record("PostMessageA", std::move(fields));
  }
  return result;
}

void SimWindows::DeliverPostedMessages() {
  // The run loop pumps messages before every statement: with none posted
  // there is nothing to swap out (an empty deque still allocates).
  if (posted_.empty()) return;
  std::deque<PostedMessage> due;
  due.swap(posted_);
  for (const PostedMessage& message : due) {
    if (world_.Tracing()) {
      nlohmann::ordered_json fields = MessageFields(message.window, message.message, message.wParam, message.lParam);
      AddCharText(fields, message.message, message.wParam);
      world_.Record("DispatchMessageA", std::move(fields));
    }
    if (SimWindow* state = model_.Find(message.window)) HandleMessage(*state, message.message, message.wParam);
  }
}

// ---- the input method and the debugger

std::optional<bool> SimWindows::ImeOpenStatus(WindowId window) {
  const SimWindow* state = model_.Find(window);
  const std::optional<bool> result = state == nullptr ? std::nullopt : state->ime;
  if (world_.Tracing()) {
    world_.Record("ImmGetOpenStatus", {{"window", window}, {"result", result ? nlohmann::ordered_json(*result) : nullptr}});
  }
  return result;
}

void SimWindows::SetImeOpenStatus(WindowId window, bool open) {
  SimWindow* state = model_.Find(window);
  const bool hasContext = state != nullptr && state->ime.has_value();
  if (world_.Tracing()) world_.Record("ImmSetOpenStatus", {{"window", window}, {"open", open}, {"result", hasContext}});
  if (hasContext) state->ime = open;
}

void SimWindows::DebugOutput(std::string_view text) {
  if (world_.Tracing()) world_.Record("OutputDebugStringA", {{"text", SjisToUtf8(text)}});
}

// ---- the trace

void SimWindows::AddCharText(nlohmann::ordered_json& fields, uint32_t message, uintptr_t wParam) {
  // A lead byte pairs only with the WM_CHAR right after it.
  const char lead = message == platform::kWmChar ? std::exchange(pendingLeadByte_, char{0}) : char{0};
  if (message != platform::kWmChar) pendingLeadByte_ = 0;
  std::string bytes;
  if (message == platform::kWmImeChar) {
    const auto code = static_cast<uint32_t>(wParam & 0xFFFF);
    if (code > 0xFF) bytes += static_cast<char>(code >> 8);
    bytes += static_cast<char>(code & 0xFF);
  } else if (message == platform::kWmChar) {
    const auto byte = static_cast<char>(wParam & 0xFF);
    // The lead byte of a double-byte character: its text comes with the
    // trail byte's line.
    if (lead == 0 && sjis::IsLeadByte(static_cast<unsigned char>(byte))) {
      pendingLeadByte_ = byte;
      return;
    }
    if (lead != 0) bytes += lead;
    bytes += byte;
  } else {
    return;
  }
  // Bytes that form no character get no text.
  constexpr std::string_view kReplacement = "\xEF\xBF\xBD";
  std::string text = SjisToUtf8(bytes);
  if (text.find(kReplacement) == std::string::npos) fields["char"] = std::move(text);
}

}  // namespace vendrix::sim
