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

bool Win32Host::ResidentInstanceRunning() {
  HANDLE mutex = ::OpenMutexW(MUTEX_ALL_ACCESS, FALSE, kResidentMutexName);
  if (mutex == nullptr) return false;
  ::CloseHandle(mutex);
  return true;
}

void Win32Host::ClaimResidentInstance() {
  if (residentMutex_ != nullptr) return;
  residentMutex_ = ::CreateMutexW(nullptr, FALSE, kResidentMutexName);
}

}  // namespace vendrix::win32
