// The program's one top-level window.
//
// It owns the program's timers, the notification-area icon, the hotkeys and
// the joystick capture, and it has three looks:
//   - hidden (a macro run from the command line);
//   - the menu window: borderless, not topmost, a menu bar whose one
//     drop-down lists the macros (menu mode), or minimised and out of the
//     taskbar (resident mode);
//   - the step display (STEP ON): a topmost sizeable window whose client area
//     is a read-only multi-line text area.  STEP OFF goes back to whichever
//     of the other looks the window had.
// What the user does to it (menu picks, hotkeys, the icon, joystick buttons,
// paints, the session's end) is queued as shell events.
#pragma once

#include <cstdint>
#include <deque>
#include <exception>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/platform.h"
#include "platform/win32/win32_api.h"

namespace vendrix::win32 {

// The icon's callback message.
inline constexpr UINT kTrayMessage = WM_USER + 100;
// Menu item i has the command id kMenuCommandBase + i.
inline constexpr UINT kMenuCommandBase = 0x1000;
// SetMenuItems keeps at most this many items.
inline constexpr size_t kMaxMenuItems = 1024;
// Events beyond this many pending ones are dropped (a quit never is).
inline constexpr size_t kMaxPendingEvents = 1000;
// The tooltip holds at most this many Shift-JIS bytes, whole characters.
inline constexpr size_t kMaxTrayTipBytes = 63;

// The icon's tooltip as the shell gets it: cut to kMaxTrayTipBytes without
// splitting a character, and at a zero byte.
std::wstring TrayTipText(std::string_view sjis);

class MainWindow {
 public:
  explicit MainWindow(HINSTANCE instance);
  ~MainWindow();
  MainWindow(const MainWindow&) = delete;
  MainWindow& operator=(const MainWindow&) = delete;

  HWND handle() const { return window_; }
  HWND textArea() const { return textArea_; }

  void SetTimerSink(platform::TimerSink* sink) { timerSink_ = sink; }
  // Replaces the text area's font; `points` at the screen's resolution.
  void SetFontPoints(int points);

  // ---- looks
  void ShowMenuWindow(const platform::Rect& where);
  void ShowStepDisplay(const platform::Rect& where, int fontSize);
  void HideStepDisplay(int width, int height);
  // Minimised, then hidden: the program has no other window that could keep
  // it out of the taskbar.  A hidden window keeps its hotkeys, timers and
  // icon.
  void Minimise();
  bool Minimised() const;

  // ---- the menu bar: "&Vendrix" and its drop-down of plain text items,
  // picked by their first character.  The bar is attached by the first call.
  void SetMenuItems(const std::vector<std::string>& captions);

  // ---- the notification-area icon (id 1 of this window)
  bool TrayIconShown() const { return trayIconShown_; }
  bool AddTrayIcon(const std::wstring& tip);
  void DeleteTrayIcon();
  // Changes the icon's tooltip; false while no icon is shown.
  bool SetTrayTip(const std::wstring& tip);

  // ---- joysticks 0 and 1: button messages while captured
  bool CaptureJoystick(int joystickId);
  void ReleaseJoystick(int joystickId);

  // ---- shell events
  std::optional<platform::ShellEvent> TakeEvent();
  // Delivers window messages until an event is queued or `timeoutMs` passed
  // (INFINITE waits for an event).
  void WaitForEvent(uint32_t timeoutMs);
  // An exception a message handler raised is kept (none may cross the
  // system's code) and thrown again here; every loop that dispatches this
  // window's messages calls this after DispatchMessage.
  void RethrowPendingError();

 private:
  enum class RestingLook { kHidden, kMenu, kMinimised };

  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT MenuChar(wchar_t typed, HMENU menu);
  // Adds an event; with `onlyOnePending` not when one of its kind waits.
  void Queue(platform::ShellEvent event, bool onlyOnePending = false);
  // The popup frame or the sizeable one, keeping the window's state bits.
  void SetFrame(bool sizeable);
  void MinimiseAndHide();
  bool NotifyIcon(DWORD action, UINT flags);

  HINSTANCE instance_;
  HWND window_ = nullptr;
  HWND textArea_ = nullptr;
  HFONT font_ = nullptr;
  HMENU menuBar_ = nullptr;
  HMENU dropDown_ = nullptr;
  bool menuAttached_ = false;
  std::vector<std::wstring> captions_;
  RestingLook resting_ = RestingLook::kHidden;
  platform::TimerSink* timerSink_ = nullptr;
  bool trayIconShown_ = false;
  std::wstring trayTip_;
  UINT taskbarCreated_ = 0;
  bool joystickCaptured_[2] = {false, false};
  std::deque<platform::ShellEvent> events_;
  std::exception_ptr pendingError_;
};

}  // namespace vendrix::win32
