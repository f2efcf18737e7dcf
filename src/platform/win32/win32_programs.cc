#include "platform/win32/win32_desktop.h"
#include "platform/win32/win32_text.h"

namespace vendrix::win32 {
namespace {

HANDLE ProcessHandle(platform::ProcessId process) { return reinterpret_cast<HANDLE>(process); }

platform::ProcessId ProcessIdOf(HANDLE handle) { return reinterpret_cast<platform::ProcessId>(handle); }

// Answers the messages other programs wait on (sent ones) while we wait for
// a program: it may send us one itself or through a broadcast, and Wine
// makes the next program that opens the clipboard wait up to 5 s for its
// owner to answer one.  Posted messages, input and timers stay queued, so
// a wait still runs none of our own handling.
void AnswerSentMessages() {
  MSG message;
  ::PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
}

}  // namespace

platform::ProcessId Win32Programs::StartProgram(std::string_view commandLine) {
  // CreateProcessW may write into the command line, so it gets its own copy.
  std::wstring line = WideFromSjis(commandLine);
  if (line.empty()) return 0;
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  ::GetStartupInfoW(&startup);
  PROCESS_INFORMATION started{};
  if (!::CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, CREATE_DEFAULT_ERROR_MODE, nullptr,
                        nullptr, &startup, &started)) {
    return 0;
  }
  ::CloseHandle(started.hThread);
  return ProcessIdOf(started.hProcess);
}

bool Win32Programs::OpenDocument(std::string_view file, platform::WindowId owner, platform::ProcessId* process) {
  const std::wstring wideFile = WideFromSjis(file);
  SHELLEXECUTEINFOW request{};
  request.cbSize = sizeof request;
  request.fMask = SEE_MASK_NOCLOSEPROCESS;
  request.hwnd = reinterpret_cast<HWND>(owner);
  request.lpVerb = L"open";
  request.lpFile = wideFile.c_str();
  request.nShow = SW_SHOW;
  const bool opened = ::ShellExecuteExW(&request) != FALSE;
  // A document opened by a program that was already running has no process.
  const platform::ProcessId started = opened ? ProcessIdOf(request.hProcess) : 0;
  if (process != nullptr) {
    *process = started;
  } else if (started != 0) {
    ::CloseHandle(request.hProcess);
  }
  return opened;
}

bool Win32Programs::ProgramRunning(platform::ProcessId process) {
  if (process == 0) return false;
  AnswerSentMessages();
  return ::WaitForSingleObject(ProcessHandle(process), 0) == WAIT_TIMEOUT;
}

void Win32Programs::WaitForProgram(platform::ProcessId process) {
  if (process == 0) return;
  const HANDLE handle = ProcessHandle(process);
  // Wakes when the program ends, and for each message sent to us meanwhile.
  while (::MsgWaitForMultipleObjects(1, &handle, FALSE, INFINITE, QS_SENDMESSAGE) == WAIT_OBJECT_0 + 1) {
    AnswerSentMessages();
  }
}

void Win32Programs::CloseProgram(platform::ProcessId process) {
  if (process != 0) ::CloseHandle(ProcessHandle(process));
}

}  // namespace vendrix::win32
