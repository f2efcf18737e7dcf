#include "platform/posix/posix_files.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <optional>

#include "platform/posix/utf8.h"
#include "values/sjis.h"

namespace vendrix::posix {
namespace {

constexpr size_t kReadChunk = 64 * 1024;
// A folder with more entries than this is not searched further.
constexpr size_t kMaxFolderEntries = 1 << 20;

class FileDescriptor {
 public:
  explicit FileDescriptor(int fd) : fd_(fd) {}
  ~FileDescriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;

  int get() const { return fd_; }
  bool valid() const { return fd_ >= 0; }
  // Closes now, reporting whether the close (the last chance for a delayed
  // write error) succeeded.
  bool Close() {
    const int fd = fd_;
    fd_ = -1;
    return ::close(fd) == 0;
  }

 private:
  int fd_;
};

platform::ReadResult Failed(platform::ReadStatus status) { return platform::ReadResult{status, {}}; }

// Reads to the end, refusing more than maxBytes; nothing on a read error.
std::optional<platform::ReadResult> ReadAll(int fd, size_t maxBytes, size_t expectedBytes) {
  platform::ReadResult result;
  result.bytes.reserve(std::min(expectedBytes, maxBytes) + 1);
  for (;;) {
    const size_t room = maxBytes - result.bytes.size();
    // One byte past the limit is enough to know the file is too large.
    const size_t chunk = room >= kReadChunk ? kReadChunk : room + 1;
    const size_t used = result.bytes.size();
    result.bytes.resize(used + chunk);
    const ssize_t got = ::read(fd, result.bytes.data() + used, chunk);
    if (got < 0 && errno == EINTR) {
      result.bytes.resize(used);
      continue;
    }
    if (got < 0) return std::nullopt;
    result.bytes.resize(used + static_cast<size_t>(got));
    if (got == 0) return result;
    if (result.bytes.size() > maxBytes) return Failed(platform::ReadStatus::kTooLarge);
  }
}

bool WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t written = ::write(fd, bytes.data(), bytes.size());
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return false;
    bytes.remove_prefix(static_cast<size_t>(written));
  }
  return true;
}

// The process's umask, read without changing it.
mode_t CurrentUmask() {
  std::ifstream status("/proc/self/status");
  std::string line;
  for (int lines = 0; lines < 100 && std::getline(status, line); ++lines) {
    if (line.rfind("Umask:", 0) == 0) return static_cast<mode_t>(std::strtoul(line.c_str() + 6, nullptr, 8));
  }
  return 022;
}

// Where the bytes really go: the file a symbolic link points to, so that the
// link survives the rename.
std::string WriteTarget(const std::string& path) {
  struct stat info {};
  if (::lstat(path.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) return path;
  std::unique_ptr<char, decltype(&std::free)> resolved(::realpath(path.c_str(), nullptr), &std::free);
  return resolved ? std::string(resolved.get()) : path;
}

std::string FolderOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

// The mode the file gets: an existing file keeps its own.
mode_t ModeFor(const std::string& path) {
  struct stat info {};
  if (::stat(path.c_str(), &info) == 0) return info.st_mode & 07777;
  return 0666 & ~CurrentUmask();
}

struct FolderCloser {
  void operator()(DIR* dir) const { ::closedir(dir); }
};

std::string JoinPath(std::string_view folder, std::string_view name) {
  std::string path(folder);
  if (!path.empty() && path.back() != '/') path += '/';
  path += name;
  return path;
}

}  // namespace

std::string NativeName(std::string_view sjisName) {
  const std::string_view name = sjis::UpToNul(sjisName);
  return SjisToUtf8(name).value_or(std::string(name));
}

bool PosixFiles::FileExists(std::string_view name) {
  struct stat info {};
  return ::stat(NativeName(name).c_str(), &info) == 0;
}

platform::ReadResult PosixFiles::ReadFile(std::string_view name, size_t maxBytes) {
  // O_NONBLOCK keeps a FIFO from hanging the open; regular files ignore it.
  const FileDescriptor file(::open(NativeName(name).c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
  if (!file.valid()) {
    const bool missing = errno == ENOENT || errno == ENOTDIR;
    return Failed(missing ? platform::ReadStatus::kNotFound : platform::ReadStatus::kUnreadable);
  }
  struct stat info {};
  if (::fstat(file.get(), &info) != 0 || S_ISDIR(info.st_mode)) return Failed(platform::ReadStatus::kUnreadable);
  if (S_ISREG(info.st_mode) && static_cast<uintmax_t>(info.st_size) > maxBytes) {
    return Failed(platform::ReadStatus::kTooLarge);
  }
  const size_t expected = S_ISREG(info.st_mode) ? static_cast<size_t>(info.st_size) : 0;
  return ReadAll(file.get(), maxBytes, expected).value_or(Failed(platform::ReadStatus::kUnreadable));
}

bool PosixFiles::WriteFile(std::string_view name, std::string_view bytes) {
  const std::string target = WriteTarget(NativeName(name));
  // A short name of its own: the target's name plus a suffix could pass
  // the file system's name limit.
  std::string temporary = FolderOf(target) + "/.vendrix-XXXXXX";
  FileDescriptor file(::mkostemp(temporary.data(), O_CLOEXEC));
  if (!file.valid()) return false;
  const bool written = WriteAll(file.get(), bytes) && ::fchmod(file.get(), ModeFor(target)) == 0 &&
                       ::fsync(file.get()) == 0 && file.Close();
  if (written && ::rename(temporary.c_str(), target.c_str()) == 0) return true;
  ::unlink(temporary.c_str());
  return false;
}

std::string FindFileIgnoringCase(std::string_view folder, std::string_view name) {
  const std::string nativeFolder = folder.empty() ? std::string(".") : NativeName(folder);
  const std::unique_ptr<DIR, FolderCloser> dir(::opendir(nativeFolder.c_str()));
  if (!dir) return JoinPath(folder, name);
  std::optional<std::string> best;
  size_t entries = 0;
  while (const dirent* entry = ::readdir(dir.get())) {
    if (++entries > kMaxFolderEntries) break;
    const std::string_view nativeName = entry->d_name;
    if (nativeName == "." || nativeName == "..") continue;
    std::string entryName = Utf8ToSjis(nativeName).value_or(std::string(nativeName));
    if (entryName == name) return JoinPath(folder, name);
    // Folders list in no fixed order: the smallest name makes the pick stable.
    if (sjis::AnsiEqualNoCase(entryName, name) && (!best || entryName < *best)) best = std::move(entryName);
  }
  return JoinPath(folder, best ? std::string_view(*best) : name);
}

std::string PosixFiles::ProgramFile(std::string_view folder, std::string_view name) {
  return FindFileIgnoringCase(folder, name);
}

}  // namespace vendrix::posix
