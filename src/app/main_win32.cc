// Vendrix.exe: the Windows entry point.  Turns the wide command line into
// Shift-JIS arguments, picks the real or the simulated desktop, and hands
// over to the OS-independent program.
#include <cstdint>
#include <exception>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "checker/program_check.h"
#include "platform/platform.h"
#include "platform/sim/sim_desktop.h"
#include "platform/win32/win32_api.h"
#include "platform/win32/win32_desktop.h"
#include "platform/win32/win32_host.h"
#include "platform/win32/win32_text.h"
#include "shell/launch_arguments.h"
#include "shell/program.h"

namespace {

using vendrix::win32::SjisFromWide;
using vendrix::win32::Utf8FromWide;
using vendrix::win32::WideFromSjis;
using vendrix::win32::WideFromUtf8;

constexpr wchar_t kCaption[] = L"Vendrix V0.74a";
// Bound for the simulated desktop's description.
constexpr size_t kMaxDesktopBytes = 16u << 20;

std::vector<std::string> CommandLineArguments() {
  std::vector<std::string> args;
  int count = 0;
  LPWSTR* argv = ::CommandLineToArgvW(::GetCommandLineW(), &count);
  if (argv == nullptr) return args;
  for (int i = 1; i < count; ++i) args.push_back(SjisFromWide(argv[i]));
  ::LocalFree(argv);
  return args;
}

void ShowText(const std::wstring& text, UINT icon) {
  ::MessageBoxW(nullptr, text.c_str(), kCaption, MB_OK | MB_SETFOREGROUND | icon);
}

std::wstring WideFromAscii(const std::string& text) {
  return std::wstring(text.begin(), text.end());
}

// Vendrix.exe is a GUI program with no console of its own: text for the
// caller (UTF-8) goes to the standard output it redirected (`Vendrix.exe
// --version > out.txt`), else to the console of the program that started
// it.  False when there is neither (started from Explorer).
bool WriteToCaller(const std::string& text) {
  HANDLE out = ::GetStdHandle(STD_OUTPUT_HANDLE);
  if (out == nullptr || out == INVALID_HANDLE_VALUE) {
    if (!::AttachConsole(ATTACH_PARENT_PROCESS)) return false;
    out = ::CreateFileW(L"CONOUT$", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                        OPEN_EXISTING, 0, nullptr);
    if (out == INVALID_HANDLE_VALUE) return false;
  }
  std::string windowsText;
  for (char c : text) {
    if (c == '\n') windowsText += '\r';
    windowsText += c;
  }
  DWORD mode = 0;
  if (::GetConsoleMode(out, &mode)) {
    // A console shows characters, whatever its code page.
    const std::wstring wide = WideFromUtf8(windowsText);
    DWORD shown = 0;
    return ::WriteConsoleW(out, wide.data(), static_cast<DWORD>(wide.size()), &shown, nullptr) &&
           shown == wide.size();
  }
  DWORD written = 0;
  return ::WriteFile(out, windowsText.data(), static_cast<DWORD>(windowsText.size()), &written, nullptr) &&
         written == windowsText.size();
}

// --check: the findings, one per line, in UTF-8 as on Linux (converted
// from Shift-JIS with code page 932).
int Check(const vendrix::shell::LaunchArguments& launch, vendrix::win32::Win32Files& files,
          vendrix::win32::Win32Host& host) {
  const vendrix::checker::CheckResult result = vendrix::checker::CheckProgram(files, host, launch.programArgs);
  std::string text;
  for (const vendrix::checker::Finding& finding : result.findings) {
    text += Utf8FromWide(WideFromSjis(vendrix::checker::FormatFinding(finding))) + "\n";
  }
  if (!result.failure.empty()) text += "Vendrix: cannot check: " + Utf8FromWide(WideFromSjis(result.failure)) + "\n";
  if (!text.empty() && !WriteToCaller(text)) ShowText(WideFromUtf8(text), MB_ICONINFORMATION);
  return result.exitCode;
}

// Opens the trace file; "-" is standard output (a console, when started
// from one that passes it on).
class TraceOutput {
 public:
  bool Open(const std::string& name) {
    if (name == "-") {
      stream_ = &std::cout;
      return true;
    }
    file_.open(std::filesystem::path(WideFromSjis(name)), std::ios::binary | std::ios::trunc);
    if (!file_) return false;
    stream_ = &file_;
    return true;
  }
  std::ostream* stream() const { return stream_; }

 private:
  std::ofstream file_;
  std::ostream* stream_ = nullptr;
};

int RunSimulated(const vendrix::shell::LaunchArguments& launch, vendrix::win32::Win32Files& files,
                 vendrix::win32::Win32Host& host) {
  std::string description = "{}";
  if (launch.simDesktopFile) {
    vendrix::platform::ReadResult read = files.ReadFile(*launch.simDesktopFile, kMaxDesktopBytes);
    if (read.status != vendrix::platform::ReadStatus::kOk) {
      ShowText(L"Cannot read the desktop file " + WideFromSjis(*launch.simDesktopFile),
               MB_ICONERROR);
      return 1;
    }
    description = std::move(read.bytes);
  }
  std::optional<vendrix::sim::SimDesktop> desktop;
  try {
    desktop.emplace(std::string_view(description),
                    vendrix::sim::FilesBeside(files, launch.simDesktopFile.value_or(std::string())));
  } catch (const std::exception& error) {
    ShowText(L"Bad desktop description: " + WideFromAscii(error.what()), MB_ICONERROR);
    return 1;
  }
  TraceOutput trace;
  if (launch.traceFile) {
    if (!trace.Open(*launch.traceFile)) {
      ShowText(L"Cannot write the trace file " + WideFromSjis(*launch.traceFile), MB_ICONERROR);
      return 1;
    }
    desktop->SetTraceStream(trace.stream());
  }
  const vendrix::shell::DryRunOptions& options = launch.dryRun;
  desktop->SetDryRunRules({options.maxTimeMs, options.maxStatements, options.stopOnError, options.tracePolls});
  desktop->SetTraceBound(options.maxTraceBytes == 0 ? UINT64_MAX : options.maxTraceBytes);
  vendrix::platform::Platform platform{desktop->PlatformWith(files, host)};
  int exitCode;
  try {
    exitCode = vendrix::shell::RunProgram(platform, launch.programArgs);
  } catch (const vendrix::sim::DryRunEnd& end) {
    WriteToCaller(std::string(end.what()) + "\n");
    exitCode = end.ExitCode();
  }
  if (trace.stream() != nullptr) trace.stream()->flush();
  return exitCode;
}

int RunOnWindows(HINSTANCE instance, const vendrix::shell::LaunchArguments& launch,
                 vendrix::win32::Win32Files& files, vendrix::win32::Win32Host& host) {
  vendrix::win32::Win32Desktop desktop(instance);
  vendrix::platform::Platform platform{desktop.PlatformWith(files, host)};
  return vendrix::shell::RunProgram(platform, launch.programArgs);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  try {
    const vendrix::shell::LaunchArguments launch =
        vendrix::shell::SplitLaunchArguments(CommandLineArguments());
    if (!launch.badValues.empty()) {
      ShowText(WideFromSjis(launch.badValues.front()) + L" needs a whole number (0 for no bound)", MB_ICONERROR);
      return 1;
    }
    if (!launch.errors.empty()) {
      std::wstring text = L"Unknown option " + WideFromSjis(launch.errors.front()) + L"\n\n" +
                          WideFromAscii(vendrix::shell::UsageText());
      ShowText(text, MB_ICONERROR);
      return 1;
    }
    if (launch.help) {
      ShowText(WideFromAscii(vendrix::shell::UsageText()), MB_ICONINFORMATION);
      return 0;
    }
    if (launch.version) {
      const std::string text = vendrix::shell::VersionText();
      if (!WriteToCaller(text)) ShowText(WideFromAscii(text), MB_ICONINFORMATION);
      return 0;
    }
    vendrix::win32::Win32Files files;
    vendrix::win32::Win32Host host(launch.home);
    if (launch.check) return Check(launch, files, host);
    if (launch.sim) return RunSimulated(launch, files, host);
    return RunOnWindows(instance, launch, files, host);
  } catch (const std::exception& error) {
    ShowText(L"Vendrix stopped: " + WideFromAscii(error.what()), MB_ICONERROR);
    return 1;
  }
}
