// Zemlo.exe: Vendrix's recorder.  Reads Zemlo.INI beside the program and
// shows the recorder's window.
//
//   Zemlo.exe [/ACCEPTINJECTED]
//
// /ACCEPTINJECTED records input that programs inject as well as the user's;
// it exists for testing the recorder end to end with a driver that types
// and clicks, and is never needed by a person.
#include <string>
#include <string_view>

#include "platform/win32/win32_api.h"
#include "platform/win32/win32_host.h"
#include "platform/win32/win32_text.h"
#include "recorder/recorder_options.h"
#include "recorder/win32/recorder_window.h"
#include "values/sjis.h"

namespace {

using vendrix::recorder::kRecorderOptionsFile;
using vendrix::recorder::win32::RecorderSetup;
using vendrix::recorder::win32::RecorderWindow;

// Zemlo.INI is a small settings file; a larger one is not ours.
constexpr size_t kMaxOptionsBytes = 1u << 20;

bool HasSwitch(std::wstring_view wanted) {
  int count = 0;
  LPWSTR* argv = ::CommandLineToArgvW(::GetCommandLineW(), &count);
  if (argv == nullptr) return false;
  bool found = false;
  for (int i = 1; i < count; ++i) {
    if (::_wcsicmp(argv[i], std::wstring(wanted).c_str()) == 0) found = true;
  }
  ::LocalFree(argv);
  return found;
}

std::string FolderOf(const std::string& path) {
  size_t last = 0;
  for (size_t at = 0; at < path.size(); at = vendrix::sjis::NextChar(path, at)) {
    if (path[at] == '\\' && !vendrix::sjis::IsLeadByteAt(path, at)) last = at + 1;
  }
  return path.substr(0, last);
}

RecorderSetup ReadSetup() {
  RecorderSetup setup;
  vendrix::win32::Win32Host host;
  vendrix::win32::Win32Files files;
  setup.programFolder = FolderOf(host.ProgramPath());
  vendrix::platform::ReadResult ini =
      files.ReadFile(setup.programFolder + std::string(kRecorderOptionsFile), kMaxOptionsBytes);
  // Without Zemlo.INI the recorder runs with its defaults and adds to no menu.
  setup.options = vendrix::recorder::ReadRecorderOptions(
      ini.status == vendrix::platform::ReadStatus::kOk ? std::string_view(ini.bytes) : std::string_view());
  setup.acceptInjected = HasSwitch(L"/ACCEPTINJECTED");
  return setup;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR, int) {
  RecorderWindow window(ReadSetup());
  if (!window.Create()) return 1;
  return window.Run();
}
