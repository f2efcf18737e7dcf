#include <climits>

#include "platform/win32/win32_host.h"
#include "platform/win32/win32_text.h"

namespace vendrix::win32 {
namespace {

// Closes a kernel handle when it goes out of scope.
class HandleCloser {
 public:
  explicit HandleCloser(HANDLE handle) : handle_(handle) {}
  ~HandleCloser() {
    if (handle_ != INVALID_HANDLE_VALUE) ::CloseHandle(handle_);
  }
  HandleCloser(const HandleCloser&) = delete;
  HandleCloser& operator=(const HandleCloser&) = delete;
  HANDLE get() const { return handle_; }
  void Close() {
    if (handle_ != INVALID_HANDLE_VALUE) ::CloseHandle(handle_);
    handle_ = INVALID_HANDLE_VALUE;
  }

 private:
  HANDLE handle_;
};

bool IsMissingError(DWORD error) {
  return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ||
         error == ERROR_INVALID_NAME || error == ERROR_BAD_NETPATH || error == ERROR_INVALID_DRIVE;
}

bool WriteAll(HANDLE file, std::string_view bytes) {
  while (!bytes.empty()) {
    const DWORD chunk = bytes.size() > (1u << 30) ? (1u << 30) : static_cast<DWORD>(bytes.size());
    DWORD written = 0;
    if (!::WriteFile(file, bytes.data(), chunk, &written, nullptr) || written == 0) return false;
    bytes.remove_prefix(written);
  }
  return true;
}

}  // namespace

bool Win32Files::FileExists(std::string_view name) {
  if (name.empty()) return false;
  return ::GetFileAttributesW(WideFromSjis(name).c_str()) != INVALID_FILE_ATTRIBUTES;
}

platform::ReadResult Win32Files::ReadFile(std::string_view name, size_t maxBytes) {
  platform::ReadResult result;
  if (name.empty()) {
    result.status = platform::ReadStatus::kNotFound;
    return result;
  }
  HandleCloser file(::CreateFileW(WideFromSjis(name).c_str(), GENERIC_READ,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
  if (file.get() == INVALID_HANDLE_VALUE) {
    result.status = IsMissingError(::GetLastError()) ? platform::ReadStatus::kNotFound
                                                     : platform::ReadStatus::kUnreadable;
    return result;
  }
  LARGE_INTEGER size{};
  if (!::GetFileSizeEx(file.get(), &size) || size.QuadPart < 0) {
    result.status = platform::ReadStatus::kUnreadable;
    return result;
  }
  if (static_cast<unsigned long long>(size.QuadPart) > maxBytes) {
    result.status = platform::ReadStatus::kTooLarge;
    return result;
  }
  result.bytes.resize(static_cast<size_t>(size.QuadPart));
  size_t done = 0;
  while (done < result.bytes.size()) {
    const size_t left = result.bytes.size() - done;
    const DWORD chunk = left > (1u << 30) ? (1u << 30) : static_cast<DWORD>(left);
    DWORD got = 0;
    if (!::ReadFile(file.get(), result.bytes.data() + done, chunk, &got, nullptr)) {
      result.status = platform::ReadStatus::kUnreadable;
      result.bytes.clear();
      return result;
    }
    if (got == 0) break;  // shrank while we read
    done += got;
  }
  result.bytes.resize(done);
  return result;
}

bool Win32Files::WriteFile(std::string_view name, std::string_view bytes) {
  if (name.empty()) return false;
  // Write beside the target and move over it, so that a failed write never
  // leaves a half file behind.
  const std::wstring target = WideFromSjis(name);
  const std::wstring temporary = target + L".vendrix-tmp";
  HandleCloser file(::CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
  if (file.get() == INVALID_HANDLE_VALUE) return false;
  const bool written = WriteAll(file.get(), bytes);
  file.Close();
  if (!written || !::MoveFileExW(temporary.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING)) {
    ::DeleteFileW(temporary.c_str());
    return false;
  }
  return true;
}

}  // namespace vendrix::win32
