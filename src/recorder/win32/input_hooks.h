// The low-level keyboard and mouse hooks that feed a recording.
//
// Installed while a recording runs (or is paused), on the thread whose
// message loop then calls them.  Each callback copies its event into the
// queue, with the window in front and, for a key press, whether a password
// field has the focus, posts one wake-up message to the recorder's window,
// and returns: everything slower happens when the loop drains the queue.
#pragma once

#include "platform/win32/win32_api.h"
#include "recorder/raw_input.h"

namespace vendrix::recorder::win32 {

// The message the hooks post to `window` when the queue was empty.
inline constexpr UINT kInputQueued = WM_APP + 1;

class InputHooks {
 public:
  InputHooks(HWND window, RawInputQueue& queue) : window_(window), queue_(queue) {}
  ~InputHooks() { Uninstall(); }
  InputHooks(const InputHooks&) = delete;
  InputHooks& operator=(const InputHooks&) = delete;

  // False when the system refuses either hook (none is left installed).
  bool Install();
  void Uninstall();
  bool installed() const { return keyboard_ != nullptr; }
  // The loop drained the queue: the next event posts again.
  void Drained() { wakePosted_ = false; }

  // The callbacks' work, callable without a hook (the benchmark).
  void OnKeyboard(WPARAM message, const KBDLLHOOKSTRUCT& event);
  void OnMouse(WPARAM message, const MSLLHOOKSTRUCT& event);

 private:
  static LRESULT CALLBACK KeyboardProc(int code, WPARAM wParam, LPARAM lParam);
  static LRESULT CALLBACK MouseProc(int code, WPARAM wParam, LPARAM lParam);
  void Queue(const RawInput& input);

  HWND window_;
  RawInputQueue& queue_;
  HHOOK keyboard_ = nullptr;
  HHOOK mouse_ = nullptr;
  bool wakePosted_ = false;
};

// Whether the control with the focus is a password field (an edit control
// with ES_PASSWORD).
bool PasswordFieldHasFocus(HWND focus);

}  // namespace vendrix::recorder::win32
