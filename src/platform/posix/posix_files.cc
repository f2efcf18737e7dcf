#include "platform/posix/posix_files.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
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

// The system's reason comes from errno, when `error` is not given.
platform::ReadResult Failed(platform::ReadStatus status, int error = 0) {
  if (error == 0) error = errno;
  return platform::ReadResult{status, {}, status == platform::ReadStatus::kTooLarge ? std::string() : SystemReason(error)};
}

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
    if (written == 0) errno = EIO;
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

// Records the system's reason for the failure errno holds; always false.
bool Fail(std::string* reason) {
  const int error = errno;
  if (reason != nullptr) *reason = SystemReason(error);
  errno = error;
  return false;
}

// The rename itself on the disk too; a failure here loses nothing written.
void SyncFolder(const std::string& folder) {
  const FileDescriptor dir(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (dir.valid()) ::fsync(dir.get());
}

int OpenNoInterrupt(const std::string& path, int flags, mode_t mode = 0) {
  int fd = -1;
  do {
    fd = ::open(path.c_str(), flags, mode);
  } while (fd < 0 && errno == EINTR);
  return fd;
}

// strerror_r comes in two shapes; these pick the text out of either.
[[maybe_unused]] const char* ReasonText(int result, const char* buffer) {
  return result == 0 ? buffer : "unknown error";
}
[[maybe_unused]] const char* ReasonText(const char* result, const char*) { return result; }

class PosixStream final : public platform::FileStream {
 public:
  explicit PosixStream(int fd) : file_(fd) {}

  bool Read(char* buffer, size_t size, size_t* got, std::string* reason) override {
    for (;;) {
      const ssize_t read = ::read(file_.get(), buffer, size);
      if (read >= 0) {
        *got = static_cast<size_t>(read);
        return true;
      }
      if (errno != EINTR) return Fail(reason);
    }
  }

  bool Write(std::string_view bytes, std::string* reason) override {
    return WriteAll(file_.get(), bytes) || Fail(reason);
  }

  bool Sync(std::string* reason) override {
    if (::fsync(file_.get()) == 0) return true;
    // Devices and pipes have nothing to put on a disk.
    return errno == EINVAL || errno == EROFS || Fail(reason);
  }

  bool Close(std::string* reason) override { return file_.Close() || Fail(reason); }

 private:
  FileDescriptor file_;
};

int OpenFlags(platform::StreamMode mode) {
  switch (mode) {
    case platform::StreamMode::kRead: return O_RDONLY | O_CLOEXEC;
    case platform::StreamMode::kWrite: return O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC;
    case platform::StreamMode::kAppend: return O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC;
  }
  return O_RDONLY | O_CLOEXEC;
}

bool StatOf(std::string_view name, struct stat* info) { return ::stat(NativeName(name).c_str(), info) == 0; }

// Copies the rest of `from` into `to` in large blocks.
bool CopyBytes(int from, int to) {
  std::string block(1 << 20, '\0');
  for (;;) {
    const ssize_t got = ::read(from, block.data(), block.size());
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return false;
    if (got == 0) return true;
    if (!WriteAll(to, std::string_view(block.data(), static_cast<size_t>(got)))) return false;
  }
}

bool SameFile(const struct stat& a, const struct stat& b) { return a.st_dev == b.st_dev && a.st_ino == b.st_ino; }

}  // namespace

std::string NativeName(std::string_view sjisName) {
  const std::string_view name = sjis::UpToNul(sjisName);
  return SjisToUtf8(name).value_or(std::string(name));
}

bool PosixFiles::FileExists(std::string_view name) {
  struct stat info {};
  return ::stat(NativeName(name).c_str(), &info) == 0 && !S_ISDIR(info.st_mode);
}

platform::ReadResult PosixFiles::ReadFile(std::string_view name, size_t maxBytes) {
  // O_NONBLOCK keeps a FIFO from hanging the open; regular files ignore it.
  const FileDescriptor file(::open(NativeName(name).c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
  if (!file.valid()) {
    const bool missing = errno == ENOENT || errno == ENOTDIR;
    return Failed(missing ? platform::ReadStatus::kNotFound : platform::ReadStatus::kUnreadable);
  }
  struct stat info {};
  if (::fstat(file.get(), &info) != 0) return Failed(platform::ReadStatus::kUnreadable);
  if (S_ISDIR(info.st_mode)) return Failed(platform::ReadStatus::kUnreadable, EISDIR);
  if (S_ISREG(info.st_mode) && static_cast<uintmax_t>(info.st_size) > maxBytes) {
    return Failed(platform::ReadStatus::kTooLarge);
  }
  const size_t expected = S_ISREG(info.st_mode) ? static_cast<size_t>(info.st_size) : 0;
  std::optional<platform::ReadResult> all = ReadAll(file.get(), maxBytes, expected);
  return all ? std::move(*all) : Failed(platform::ReadStatus::kUnreadable);
}

bool PosixFiles::WriteFile(std::string_view name, std::string_view bytes) {
  return SaveFile(name, bytes, nullptr);
}

bool PosixFiles::SaveFile(std::string_view name, std::string_view bytes, std::string* reason) {
  const std::string target = WriteTarget(NativeName(name));
  // A short name of its own: the target's name plus a suffix could pass
  // the file system's name limit.
  std::string temporary = FolderOf(target) + "/.vendrix-XXXXXX";
  FileDescriptor file(::mkostemp(temporary.data(), O_CLOEXEC));
  if (!file.valid()) return Fail(reason);
  const bool written = WriteAll(file.get(), bytes) && ::fchmod(file.get(), ModeFor(target)) == 0 &&
                       ::fsync(file.get()) == 0 && file.Close();
  if (written && ::rename(temporary.c_str(), target.c_str()) == 0) {
    SyncFolder(FolderOf(target));
    return true;
  }
  const int error = errno;
  ::unlink(temporary.c_str());
  errno = error;
  return Fail(reason);
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

std::string SystemReason(int error) {
  char buffer[256] = {};
  const std::string text = ReasonText(::strerror_r(error, buffer, sizeof buffer), buffer);
  // The system speaks UTF-8 in a Japanese locale; Shift-JIS is ours.
  return Utf8ToSjis(text).value_or(text);
}

std::unique_ptr<platform::FileStream> PosixFiles::OpenStream(std::string_view name, platform::StreamMode mode,
                                                              std::string* reason) {
  const int fd = OpenNoInterrupt(NativeName(name), OpenFlags(mode), 0666);
  if (fd < 0) {
    Fail(reason);
    return nullptr;
  }
  auto stream = std::make_unique<PosixStream>(fd);
  struct stat info {};
  if (mode == platform::StreamMode::kRead && ::fstat(fd, &info) == 0 && S_ISDIR(info.st_mode)) {
    errno = EISDIR;  // Linux opens a folder for reading; its reads fail later
    Fail(reason);
    return nullptr;
  }
  return stream;
}

platform::EntryKind PosixFiles::KindOf(std::string_view name) {
  struct stat info {};
  if (!StatOf(name, &info)) return platform::EntryKind::kMissing;
  return S_ISDIR(info.st_mode) ? platform::EntryKind::kFolder : platform::EntryKind::kFile;
}

std::optional<uint64_t> PosixFiles::FileSize(std::string_view name) {
  struct stat info {};
  if (!StatOf(name, &info) || S_ISDIR(info.st_mode)) return std::nullopt;
  return static_cast<uint64_t>(info.st_size);
}

bool PosixFiles::Copy(std::string_view from, std::string_view to, bool overwrite) {
  const FileDescriptor source(OpenNoInterrupt(NativeName(from), O_RDONLY | O_CLOEXEC));
  struct stat info {};
  if (!source.valid() || ::fstat(source.get(), &info) != 0 || S_ISDIR(info.st_mode)) return false;
  const std::string target = NativeName(to);
  struct stat existing {};
  const bool exists = ::stat(target.c_str(), &existing) == 0;
  // Emptying the target first would destroy a source that is the target.
  if (exists && (!overwrite || SameFile(info, existing) || S_ISDIR(existing.st_mode))) return false;
  const int flags = O_WRONLY | O_CREAT | O_CLOEXEC | (exists ? O_TRUNC : O_EXCL);
  FileDescriptor copy(OpenNoInterrupt(target, flags, info.st_mode & 0777));
  if (!copy.valid()) return false;
  if (CopyBytes(source.get(), copy.get()) && copy.Close()) return true;
  if (!exists) ::unlink(target.c_str());
  return false;
}

bool PosixFiles::Delete(std::string_view name) {
  struct stat info {};
  const std::string native = NativeName(name);
  if (::lstat(native.c_str(), &info) != 0 || S_ISDIR(info.st_mode)) return false;
  return ::unlink(native.c_str()) == 0;
}

bool PosixFiles::Move(std::string_view from, std::string_view to) {
  const std::string source = NativeName(from);
  const std::string target = NativeName(to);
  struct stat info {};
  if (::lstat(source.c_str(), &info) != 0 || ::lstat(target.c_str(), &info) == 0 || errno != ENOENT) return false;
  if (::renameat2(AT_FDCWD, source.c_str(), AT_FDCWD, target.c_str(), RENAME_NOREPLACE) == 0) return true;
  if (errno == EINVAL || errno == ENOSYS) {
    // A file system without the no-replace rename: the check above stands.
    if (::rename(source.c_str(), target.c_str()) == 0) return true;
  }
  if (errno != EXDEV || ::lstat(source.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return false;
  if (!Copy(from, to, false)) return false;
  if (::unlink(source.c_str()) == 0) return true;
  ::unlink(target.c_str());
  return false;
}

bool PosixFiles::CreateFolder(std::string_view name) { return ::mkdir(NativeName(name).c_str(), 0777) == 0; }

bool PosixFiles::RemoveFolder(std::string_view name) { return ::rmdir(NativeName(name).c_str()) == 0; }

}  // namespace vendrix::posix
