#include <climits>
#include <iterator>
#include <memory>
#include <optional>
#include <string>
#include <utility>

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
  // Gives up the handle without closing it.
  void Release() { handle_ = INVALID_HANDLE_VALUE; }

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

// Records the reason for the failure GetLastError holds; always false.
bool Fail(std::string* reason) {
  const DWORD error = ::GetLastError();
  if (reason != nullptr) *reason = SystemReason(error);
  ::SetLastError(error);
  return false;
}

bool HasWildcard(std::string_view name) {
  return name.find_first_of("*?") != std::string_view::npos;
}

class Win32Stream final : public platform::FileStream {
 public:
  explicit Win32Stream(HANDLE handle) : file_(handle) {}

  bool Read(char* buffer, size_t size, size_t* got, std::string* reason) override {
    const DWORD chunk = size > (1u << 30) ? (1u << 30) : static_cast<DWORD>(size);
    DWORD read = 0;
    if (!::ReadFile(file_.get(), buffer, chunk, &read, nullptr)) return Fail(reason);
    *got = read;
    return true;
  }

  bool Write(std::string_view bytes, std::string* reason) override {
    return WriteAll(file_.get(), bytes) || Fail(reason);
  }

  bool Sync(std::string* reason) override { return ::FlushFileBuffers(file_.get()) || Fail(reason); }

  bool Close(std::string* reason) override {
    const HANDLE handle = file_.get();
    file_.Release();
    return ::CloseHandle(handle) || Fail(reason);
  }

 private:
  HandleCloser file_;
};

struct OpenRequest {
  DWORD access;
  DWORD share;
  DWORD disposition;
};

OpenRequest RequestFor(platform::StreamMode mode) {
  switch (mode) {
    case platform::StreamMode::kRead: return {GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING};
    case platform::StreamMode::kWrite: return {GENERIC_WRITE, FILE_SHARE_READ, CREATE_ALWAYS};
    case platform::StreamMode::kAppend: return {GENERIC_WRITE, FILE_SHARE_READ, OPEN_ALWAYS};
  }
  return {GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING};
}

// The first directory entry the name (or pattern) finds.
std::optional<WIN32_FIND_DATAW> FindFirst(std::string_view name) {
  if (name.empty()) return std::nullopt;
  WIN32_FIND_DATAW found{};
  const HANDLE search = ::FindFirstFileW(WideFromSjis(name).c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return std::nullopt;
  ::FindClose(search);
  return found;
}

std::wstring WithoutFinalPeriod(std::wstring text) {
  while (!text.empty() && (text.back() == L'\r' || text.back() == L'\n' || text.back() == L' ')) text.pop_back();
  if (!text.empty() && (text.back() == L'.' || text.back() == 0x3002)) text.pop_back();  // '.' or '。'
  return text;
}

}  // namespace

bool Win32Files::FileExists(std::string_view name) {
  if (name.empty()) return false;
  const DWORD attributes = ::GetFileAttributesW(WideFromSjis(name).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
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
    const DWORD error = ::GetLastError();
    result.status = IsMissingError(error) ? platform::ReadStatus::kNotFound : platform::ReadStatus::kUnreadable;
    result.reason = SystemReason(error);
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
      result.reason = SystemReason(::GetLastError());
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
  return SaveFile(name, bytes, nullptr);
}

bool Win32Files::SaveFile(std::string_view name, std::string_view bytes, std::string* reason) {
  if (name.empty()) {
    ::SetLastError(ERROR_PATH_NOT_FOUND);
    return Fail(reason);
  }
  // Write beside the target and move over it, so that a failed write never
  // leaves a half file behind.
  const std::wstring target = WideFromSjis(name);
  const std::wstring temporary = target + L".vendrix-tmp";
  HandleCloser file(::CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
  if (file.get() == INVALID_HANDLE_VALUE) return Fail(reason);
  const bool written = WriteAll(file.get(), bytes) && ::FlushFileBuffers(file.get());
  const DWORD writeError = ::GetLastError();
  file.Close();
  if (written && ::MoveFileExW(temporary.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    return true;
  }
  const DWORD error = written ? ::GetLastError() : writeError;
  ::DeleteFileW(temporary.c_str());
  ::SetLastError(error);
  return Fail(reason);
}

std::string SystemReason(DWORD error) {
  wchar_t buffer[512] = {};
  const DWORD length = ::FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error,
                                        0, buffer, static_cast<DWORD>(std::size(buffer)), nullptr);
  if (length == 0) return "Windows error " + std::to_string(error);
  return SjisFromWide(WithoutFinalPeriod(std::wstring(buffer, length)));
}

std::unique_ptr<platform::FileStream> Win32Files::OpenStream(std::string_view name, platform::StreamMode mode,
                                                              std::string* reason) {
  const OpenRequest request = RequestFor(mode);
  const HANDLE handle = ::CreateFileW(WideFromSjis(name).c_str(), request.access, request.share, nullptr,
                                      request.disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    Fail(reason);
    return nullptr;
  }
  auto stream = std::make_unique<Win32Stream>(handle);
  if (mode == platform::StreamMode::kAppend && !::SetFilePointerEx(handle, LARGE_INTEGER{}, nullptr, FILE_END)) {
    Fail(reason);
    return nullptr;
  }
  return stream;
}

platform::EntryKind Win32Files::KindOf(std::string_view name) {
  if (name.empty()) return platform::EntryKind::kMissing;
  DWORD attributes = INVALID_FILE_ATTRIBUTES;
  if (HasWildcard(name)) {
    if (const auto found = FindFirst(name)) attributes = found->dwFileAttributes;
  } else {
    attributes = ::GetFileAttributesW(WideFromSjis(name).c_str());
  }
  if (attributes == INVALID_FILE_ATTRIBUTES) return platform::EntryKind::kMissing;
  return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ? platform::EntryKind::kFolder : platform::EntryKind::kFile;
}

std::optional<uint64_t> Win32Files::FileSize(std::string_view name) {
  const auto found = FindFirst(name);
  if (!found || (found->dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) return std::nullopt;
  return (static_cast<uint64_t>(found->nFileSizeHigh) << 32) | found->nFileSizeLow;
}

bool Win32Files::Copy(std::string_view from, std::string_view to, bool overwrite) {
  return ::CopyFileW(WideFromSjis(from).c_str(), WideFromSjis(to).c_str(), overwrite ? FALSE : TRUE) != 0;
}

bool Win32Files::Delete(std::string_view name) { return ::DeleteFileW(WideFromSjis(name).c_str()) != 0; }

bool Win32Files::Move(std::string_view from, std::string_view to) {
  return ::MoveFileW(WideFromSjis(from).c_str(), WideFromSjis(to).c_str()) != 0;
}

bool Win32Files::CreateFolder(std::string_view name) {
  return ::CreateDirectoryW(WideFromSjis(name).c_str(), nullptr) != 0;
}

bool Win32Files::RemoveFolder(std::string_view name) {
  return ::RemoveDirectoryW(WideFromSjis(name).c_str()) != 0;
}

std::string Win32Files::DefaultIniFolder(std::string_view) {
  std::wstring folder(MAX_PATH, L'\0');
  for (int attempt = 0; attempt < 3; ++attempt) {
    const UINT length = ::GetWindowsDirectoryW(folder.data(), static_cast<UINT>(folder.size()));
    if (length == 0) return "C:\\WINDOWS\\";
    if (length < folder.size()) {
      folder.resize(length);
      break;
    }
    folder.resize(length);
  }
  if (folder.empty() || folder.back() != L'\\') folder += L'\\';
  return SjisFromWide(folder);
}

}  // namespace vendrix::win32
