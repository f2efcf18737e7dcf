#include "platform/win32/win32_host.h"

#include <utility>

#include "platform/win32/win32_text.h"

namespace vendrix::win32 {
namespace {

// Existence of this mutex means a resident instance runs.
constexpr wchar_t kResidentMutexName[] = L"vendrix /tsr";

std::wstring ModuleFileName() {
  std::wstring buffer(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length =
        ::GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (length == 0) return {};
    if (length < buffer.size()) {
      buffer.resize(length);
      return buffer;
    }
    buffer.resize(buffer.size() * 2);  // truncated
  }
}

}  // namespace

Win32Host::Win32Host(std::optional<std::string> home) : home_(std::move(home)) {}

Win32Host::~Win32Host() {
  if (residentMutex_ != nullptr) ::CloseHandle(residentMutex_);
}

std::string Win32Host::ProgramPath() {
  const std::wstring path = ModuleFileName();
  if (!home_ || home_->empty()) return SjisFromWide(path);
  // The program file "lives" in the home folder: only its name is kept.
  // Split in UTF-16, where no trail byte can pass for a backslash.
  const size_t slash = path.find_last_of(L"\\/");
  const std::wstring fileName = slash == std::wstring::npos ? path : path.substr(slash + 1);
  std::wstring folder = WideFromSjis(*home_);
  if (folder.empty()) return SjisFromWide(path);
  if (folder.back() != L'\\' && folder.back() != L'/') folder += L'\\';
  return SjisFromWide(folder + fileName);
}

platform::InstanceCheck Win32Host::Checked(platform::InstanceStatus status, DWORD error) const {
  platform::InstanceCheck check;
  check.status = status;
  check.lockName = SjisFromWide(kResidentMutexName);
  if (status == platform::InstanceStatus::kSystemFailure) check.reason = SystemReason(error);
  return check;
}

// A mutex another user's program made may refuse us access: it exists all
// the same, so an instance is resident.  Any other failure (the name taken
// by an object of another kind) leaves the question open.
platform::InstanceCheck Win32Host::Failed(DWORD error) const {
  if (error == ERROR_ACCESS_DENIED) return Checked(platform::InstanceStatus::kResident);
  return Checked(platform::InstanceStatus::kSystemFailure, error);
}

platform::InstanceCheck Win32Host::CheckResidentInstance() {
  HANDLE mutex = ::OpenMutexW(SYNCHRONIZE, FALSE, kResidentMutexName);
  if (mutex != nullptr) {
    ::CloseHandle(mutex);
    return Checked(platform::InstanceStatus::kResident);
  }
  const DWORD error = ::GetLastError();
  if (error == ERROR_FILE_NOT_FOUND) return Checked(platform::InstanceStatus::kFree);
  return Failed(error);
}

platform::InstanceCheck Win32Host::ClaimResidentInstance() {
  if (residentMutex_ != nullptr) return Checked(platform::InstanceStatus::kFree);
  // One step: of many programs creating the mutex at once, the system
  // tells all but one that it already existed.
  HANDLE mutex = ::CreateMutexW(nullptr, FALSE, kResidentMutexName);
  const DWORD error = ::GetLastError();
  if (mutex == nullptr) return Failed(error);
  if (error == ERROR_ALREADY_EXISTS) {
    ::CloseHandle(mutex);
    return Checked(platform::InstanceStatus::kResident);
  }
  residentMutex_ = mutex;
  return Checked(platform::InstanceStatus::kFree);
}

std::optional<std::string> Win32Host::EnvironmentVariable(std::string_view name) {
  if (name.empty()) return std::nullopt;
  const std::wstring wideName = WideFromSjis(name);
  std::wstring value(256, L'\0');
  // The value may change between the calls; a few tries are enough.
  for (int attempt = 0; attempt < 4; ++attempt) {
    ::SetLastError(ERROR_SUCCESS);
    const DWORD length = ::GetEnvironmentVariableW(wideName.c_str(), value.data(), static_cast<DWORD>(value.size()));
    if (length == 0) {
      if (::GetLastError() == ERROR_ENVVAR_NOT_FOUND) return std::nullopt;
      return std::string();
    }
    if (length < value.size()) {
      value.resize(length);
      return SjisFromWide(value);
    }
    value.resize(length);  // the size needed, its final zero included
  }
  return std::nullopt;
}

std::string Win32Host::CurrentFolder() {
  std::wstring folder(MAX_PATH, L'\0');
  for (int attempt = 0; attempt < 4; ++attempt) {
    const DWORD length = ::GetCurrentDirectoryW(static_cast<DWORD>(folder.size()), folder.data());
    if (length == 0) return {};
    if (length < folder.size()) {
      folder.resize(length);
      return SjisFromWide(folder);
    }
    folder.resize(length);
  }
  return {};
}

}  // namespace vendrix::win32
