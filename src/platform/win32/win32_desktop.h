// The real Windows desktop behind the platform interfaces: message boxes,
// time, injected input, the message pump with the program's timers, the main
// window as step display, and the screen size.
#pragma once

#include "platform/platform.h"
#include "platform/win32/win32_api.h"
#include "platform/win32/win32_main_window.h"

namespace vendrix::win32 {

class Win32Dialogs final : public platform::Dialogs {
 public:
  int MessageBox(std::string_view text, std::string_view caption, uint32_t flags) override;
  std::optional<std::string> InputBox(std::string_view caption, std::string_view prompt,
                                      std::string_view initial) override;
};

class Win32Clock final : public platform::Clock {
 public:
  platform::LocalTime Now() override;
  void Sleep(uint32_t ms) override;
  uint32_t TickCount() override;
};

class Win32Input final : public platform::Input {
 public:
  int16_t GetAsyncKeyState(int vk) override;
  int16_t GetKeyState(int vk) override;
  void BlockInput(bool block) override;
  void SendKeyboardInput(uint16_t vk, uint16_t scan, uint32_t flags, uint32_t extra) override;
  void SendMouseInput(int32_t dx, int32_t dy, int32_t data, uint32_t flags,
                      uint32_t extra) override;
  void KeybdEvent(uint8_t vk, uint8_t scan, uint32_t flags, uint32_t extra) override;
  void MouseEvent(uint32_t flags, int32_t dx, int32_t dy, int32_t data, uint32_t extra) override;
  uint32_t MapVirtualKey(uint32_t code, uint32_t mapType) override;
  int16_t VkKeyScan(char character) override;
};

class Win32Messages final : public platform::Messages {
 public:
  explicit Win32Messages(MainWindow& window) : window_(window) {}
  void SetTimerSink(platform::TimerSink* sink) override;
  void SetTimer(int timerId, uint32_t periodMs) override;
  void KillTimer(int timerId) override;
  void ProcessMessages() override;

 private:
  MainWindow& window_;
};

class Win32ShellWindow final : public platform::ShellWindow {
 public:
  explicit Win32ShellWindow(win32::MainWindow& window) : window_(window) {}
  void ShowStepDisplay(const platform::Rect& where, int fontSize) override;
  void HideStepDisplay(int width, int height) override;
  void AppendStepLine(std::string_view line) override;
  platform::WindowId MainWindow() override;
  void SetTrayTip(std::string_view tip) override;

 private:
  win32::MainWindow& window_;
};

class Win32Display final : public platform::Display {
 public:
  int ScreenWidth() override;
  int ScreenHeight() override;
};

// Owns the main window and the desktop interfaces over it.
class Win32Desktop {
 public:
  explicit Win32Desktop(HINSTANCE instance);
  Win32Desktop(const Win32Desktop&) = delete;
  Win32Desktop& operator=(const Win32Desktop&) = delete;

  platform::Dialogs& dialogs() { return dialogs_; }
  platform::Clock& clock() { return clock_; }
  platform::Input& input() { return input_; }
  platform::Messages& messages() { return messages_; }
  platform::ShellWindow& shellWindow() { return shellWindow_; }
  platform::Display& display() { return display_; }

  HWND mainWindow() const { return window_.handle(); }
  HWND textArea() const { return window_.textArea(); }

 private:
  MainWindow window_;
  Win32Dialogs dialogs_;
  Win32Clock clock_;
  Win32Input input_;
  Win32Messages messages_{window_};
  Win32ShellWindow shellWindow_{window_};
  Win32Display display_;
};

}  // namespace vendrix::win32
