// The real Windows desktop behind the platform interfaces: message boxes,
// time, injected input, the message pump with the program's timers, the main
// window as step display, the screen size, the pointer, other windows, the
// clipboard, other programs, the speaker and the joysticks.
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
  Win32Clock();
  platform::LocalTime Now() override;
  void Sleep(uint32_t ms) override;
  uint32_t TickCount() override;
  uint64_t SteadyMicroseconds() override;

 private:
  uint64_t countsPerSecond_;
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

// Texts cross as UTF-16 converted with code page 932.  A chosen file whose
// name code page 932 cannot spell counts as none chosen: a Shift-JIS name
// with '?' in it would name another file, or none.
class Win32ShellWindow final : public platform::ShellWindow {
 public:
  explicit Win32ShellWindow(win32::MainWindow& window) : window_(window) {}
  void SetMenuItems(const std::vector<std::string>& captions) override;
  void ShowMenuWindow(const platform::Rect& where) override;
  void MinimiseMainWindow() override;
  bool MainWindowMinimised() override;
  bool SetProgramIcon(std::string_view iconFile) override;
  void HideTaskbarButton() override;
  void CloseMenu() override;
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
  platform::WindowId MainWindow() override;
  void SetTrayTip(std::string_view tip) override;
  // Never asks to hear of a statement's start.
  platform::RunningStatement& Running() override { return running_; }

 private:
  win32::MainWindow& window_;
  platform::RunningStatement running_;
};

class Win32Display final : public platform::Display {
 public:
  int ScreenWidth() override;
  int ScreenHeight() override;
  std::optional<images::Image> CaptureScreen(const platform::Rect& area) override;
  images::Colour ScreenPixel(platform::Point at) override;
};

class Win32Pointer final : public platform::Pointer {
 public:
  void SetCursorPos(platform::Point where) override;
  platform::Point GetCursorPos() override;
};

// Titles cross as UTF-16 and are converted with code page 932, so they are
// right whatever the system's ANSI code page.
class Win32Windows final : public platform::Windows {
 public:
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
};

// The text goes on as CF_UNICODETEXT (Windows makes the CF_TEXT form), so
// Japanese pastes right in any locale.
class Win32Clipboard final : public platform::Clipboard {
 public:
  explicit Win32Clipboard(win32::MainWindow& window) : window_(window) {}
  void Clear() override;
  void SetText(std::string_view text) override;
  std::string GetText() override;

 private:
  win32::MainWindow& window_;
};

class Win32Programs final : public platform::Programs {
 public:
  platform::ProcessId StartProgram(std::string_view commandLine) override;
  bool OpenDocument(std::string_view file, platform::WindowId owner,
                    platform::ProcessId* process) override;
  bool ProgramRunning(platform::ProcessId process) override;
  void WaitForProgram(platform::ProcessId process) override;
  void CloseProgram(platform::ProcessId process) override;
};

class Win32Sound final : public platform::Sound {
 public:
  void Beep(uint32_t frequency, uint32_t ms) override;
};

class Win32Joysticks final : public platform::Joysticks {
 public:
  std::optional<platform::JoystickState> Read(int joystick) override;
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
  platform::Pointer& pointer() { return pointer_; }
  platform::Windows& windows() { return windows_; }
  platform::Clipboard& clipboard() { return clipboard_; }
  platform::Programs& programs() { return programs_; }
  platform::Sound& sound() { return sound_; }
  platform::Joysticks& joysticks() { return joysticks_; }
  // Every interface of this desktop, with the given host side.
  platform::Platform PlatformWith(platform::Files& files, platform::Host& host) {
    return {dialogs(), clock(),    input(),    messages(), shellWindow(), display(), pointer(),
            windows(), clipboard(), programs(), sound(),   joysticks(),   files,     host};
  }

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
  Win32Pointer pointer_;
  Win32Windows windows_;
  Win32Clipboard clipboard_{window_};
  Win32Programs programs_;
  Win32Sound sound_;
  Win32Joysticks joysticks_;
};

}  // namespace vendrix::win32
