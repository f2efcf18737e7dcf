// Zemlo.exe's window: always on top, with Record, Pause and Stop and a line
// that always says whether the user is being recorded.
//
// The window owns the session and the hooks; the hotkey of Zemlo.INI
// starts and stops from anywhere.  On Stop the recording becomes a macro,
// the save dialog names it, and it is saved in the program folder and
// added to the menu file Zemlo.INI names.
#pragma once

#include <memory>
#include <string>

#include "platform/win32/win32_api.h"
#include "platform/win32/win32_desktop.h"
#include "platform/win32/win32_host.h"
#include "recorder/raw_input.h"
#include "recorder/recorder_options.h"
#include "recorder/session.h"
#include "recorder/win32/input_hooks.h"

namespace vendrix::recorder::win32 {

struct RecorderSetup {
  RecorderOptions options;
  std::string programFolder;  // Shift-JIS, ends in '\\'
  // The test switch: injected input is recorded too.
  bool acceptInjected = false;
};

class RecorderWindow {
 public:
  explicit RecorderWindow(RecorderSetup setup);
  ~RecorderWindow();
  RecorderWindow(const RecorderWindow&) = delete;
  RecorderWindow& operator=(const RecorderWindow&) = delete;

  // Creates and shows the window; false when it cannot be created.
  bool Create();
  // The message loop; returns the exit code.
  int Run();

 private:
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);
  void CreateControls();
  void Command(int id);

  void StartRecording();
  void TogglePause();
  void StopRecording();
  void DrainInput();
  void Take(const RawInput& input);
  FrontWindow Front(uintptr_t window);
  bool OnOwnWindow(const RawInput& input) const;
  uintptr_t WindowOf(const RawInput& input) const;
  void CheckInputMethod(uint32_t timeMs, HWND foreground);

  void Save(const Recording& recording);
  void ShowState();
  void Say(const std::string& sjis);
  int Ask(const std::string& sjis, UINT buttons);

  RecorderSetup setup_;
  HWND window_ = nullptr;
  HWND recordButton_ = nullptr;
  HWND pauseButton_ = nullptr;
  HWND stopButton_ = nullptr;
  HWND status_ = nullptr;
  RawInputQueue queue_;
  std::unique_ptr<InputHooks> hooks_;
  RecordingSession session_;
  vendrix::win32::Win32Input input_;
  vendrix::win32::Win32Clock clock_;
  vendrix::win32::Win32Files files_;
  uintptr_t lastForeground_ = 0;
  FrontWindow lastFront_;
  std::string lastMessage_;  // Shift-JIS: the line under the buttons when stopped
  bool hotkeyRegistered_ = false;
};

}  // namespace vendrix::recorder::win32
