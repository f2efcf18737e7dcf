// The program's one top-level window.
//
// It stays hidden most of the time: it owns the program's timers, and STEP ON
// turns it into the step display, a topmost sizeable window whose client
// area is a read-only multi-line text area.
#pragma once

#include "platform/platform.h"
#include "platform/win32/win32_api.h"

namespace vendrix::win32 {

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

  // The notification-area icon, while it is shown (id 1 of this window).
  bool TrayIconShown() const { return trayIconShown_; }
  // Changes the icon's tooltip; false while no icon is shown.
  bool SetTrayTip(const std::wstring& tip);

 private:
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

  HINSTANCE instance_;
  HWND window_ = nullptr;
  HWND textArea_ = nullptr;
  HFONT font_ = nullptr;
  platform::TimerSink* timerSink_ = nullptr;
  bool trayIconShown_ = false;
};

}  // namespace vendrix::win32
