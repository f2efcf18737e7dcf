// The windows of the simulated desktop as the program sees them: finding,
// raising and showing them, the foreground lock, threads and their input
// state, messages sent and posted to them, and the input method.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include <nlohmann/json.hpp>

#include "platform/platform.h"
#include "platform/sim/sim_clipboard.h"
#include "platform/sim/sim_world.h"

namespace vendrix::sim {

// A message posted to a window, waiting for the next ProcessMessages.
struct PostedMessage {
  platform::WindowId window = 0;
  uint32_t message = 0;
  uintptr_t wParam = 0;
  intptr_t lParam = 0;
};

class SimWindows final : public platform::Windows {
 public:
  // A window's received text stops growing here, as an edit control
  // refuses input at its limit.
  static constexpr size_t kMaxWindowText = 1 << 20;
  // Windows' limit of posted messages waiting in one queue.
  static constexpr size_t kMaxPostedMessages = 10000;

  // The clipboard is where a window's paste comes from.
  SimWindows(SimWorld& world, const SimClipboard& clipboard, uint32_t foregroundLockMs, platform::OsVersion os)
      : world_(world), model_(world.windows), clipboard_(clipboard), foregroundLockMs_(foregroundLockMs), os_(os) {}

  platform::WindowId FindWindowByTitle(std::string_view title) override;
  platform::WindowId GetForegroundWindow() override;
  bool SetForegroundWindow(platform::WindowId window) override;
  bool BringWindowToTop(platform::WindowId window) override;
  bool IsIconic(platform::WindowId window) override;
  bool ShowWindow(platform::WindowId window, int command) override;
  std::optional<platform::WindowRect> GetWindowRect(platform::WindowId window) override;
  int WindowTitleLength(platform::WindowId window) override;
  std::string WindowTitle(platform::WindowId window, int bufferSize) override;
  platform::WindowId WindowFromPoint(platform::Point where) override;
  platform::WindowId GetFocus() override;
  std::optional<platform::Point> GetCaretPos() override;
  platform::WindowId GetActiveWindow() override;
  uint32_t GetCurrentThreadId() override;
  uint32_t WindowThreadId(platform::WindowId window) override;
  bool AttachThreadInput(uint32_t thread, uint32_t toThread, bool attach) override;
  uint32_t ForegroundLockTimeout() override;
  void SetForegroundLockTimeout(uint32_t ms) override;
  platform::OsVersion GetOsVersion() override;
  intptr_t SendWindowMessage(platform::WindowId window, uint32_t message, uintptr_t wParam,
                             intptr_t lParam) override;
  bool PostWindowMessage(platform::WindowId window, uint32_t message, uintptr_t wParam,
                         intptr_t lParam) override;
  std::optional<bool> ImeOpenStatus(platform::WindowId window) override;
  void SetImeOpenStatus(platform::WindowId window, bool open) override;
  void DebugOutput(std::string_view text) override;

  // The windows' programs handle what was posted to them; the message pump
  // lets them.
  void DeliverPostedMessages();

  // ---- state, untraced
  // The text a window received; empty for no window.
  std::string WindowText(platform::WindowId id) const;
  const std::deque<PostedMessage>& PendingPosted() const { return posted_; }
  bool ThreadsShareInput(uint32_t a, uint32_t b) const;
  uint32_t ForegroundLockMs() const { return foregroundLockMs_; }

 private:
  bool ForegroundAllowed(const SimWindow& target) const;
  bool ProgramSharesForegroundInput() const;
  const SimWindow* ForegroundState() const { return model_.Find(model_.foreground); }
  platform::WindowId DeepestChildAt(platform::WindowId parent, platform::Point where) const;
  bool ThreadExists(uint32_t thread) const;
  // What a window does with a message; the result SendMessageA gives.
  intptr_t HandleMessage(SimWindow& window, uint32_t message, uintptr_t wParam);
  void AppendText(SimWindow& window, std::string_view bytes);
  // The "char" of a WM_CHAR or WM_IME_CHAR line: the character as text.
  void AddCharText(nlohmann::ordered_json& fields, uint32_t message, uintptr_t wParam);

  SimWorld& world_;
  WindowModel& model_;
  const SimClipboard& clipboard_;
  std::vector<std::pair<uint32_t, uint32_t>> attachments_;
  uint32_t foregroundLockMs_;
  platform::OsVersion os_;
  std::deque<PostedMessage> posted_;
  char pendingLeadByte_ = 0;  // of a double-byte character sent as two WM_CHARs
};

}  // namespace vendrix::sim
