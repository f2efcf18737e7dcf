#include "platform/posix/posix_host.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

#include "platform/posix/posix_files.h"
#include "platform/posix/utf8.h"

namespace vendrix::posix {
namespace {

constexpr char kLockFileName[] = "vendrix.tsr.lock";
constexpr size_t kMaxPathBytes = 64 * 1024;

// The running program's path as the system spells it (UTF-8).
std::string ExecutablePath() {
  std::string buffer(4096, '\0');
  while (buffer.size() <= kMaxPathBytes) {
    const ssize_t length = ::readlink("/proc/self/exe", buffer.data(), buffer.size());
    if (length < 0) return {};
    if (static_cast<size_t>(length) < buffer.size()) {
      buffer.resize(static_cast<size_t>(length));
      return buffer;
    }
    buffer.resize(buffer.size() * 2);  // possibly cut short
  }
  return {};
}

std::string FileNameOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string FolderOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? std::string(".") : path.substr(0, slash + 1);
}

// The program's path in UTF-8: the real one, or its file name in `home`.
std::string NativeProgramPath(const std::optional<std::string>& home) {
  const std::string real = ExecutablePath();
  if (!home || home->empty()) return real;
  std::string folder = NativeName(*home);
  if (folder.empty()) return real;
  if (folder.back() != '/') folder += '/';
  return folder + FileNameOf(real.empty() ? std::string("vendrix") : real);
}

int OpenNoInterrupt(const char* path, int flags, mode_t mode) {
  int fd = -1;
  do {
    fd = ::open(path, flags, mode);
  } while (fd < 0 && errno == EINTR);
  return fd;
}

}  // namespace

PosixHost::PosixHost(std::optional<std::string> home) {
  const std::string native = NativeProgramPath(home);
  programPath_ = Utf8ToSjis(native).value_or(native);
  lockPath_ = FolderOf(native) + kLockFileName;
}

PosixHost::~PosixHost() {
  if (lockFd_ >= 0) ::close(lockFd_);
}

std::string PosixHost::ProgramPath() { return programPath_; }

bool PosixHost::ResidentInstanceRunning() {
  const int fd = OpenNoInterrupt(lockPath_.c_str(), O_RDONLY | O_CLOEXEC, 0);
  if (fd < 0) return false;  // no lock file: nobody ever claimed it here
  // flock locks belong to the open file description, so this fresh one
  // conflicts even with a lock this very object holds.
  const bool held = ::flock(fd, LOCK_SH | LOCK_NB) != 0 && errno == EWOULDBLOCK;
  ::close(fd);
  return held;
}

void PosixHost::ClaimResidentInstance() {
  if (lockFd_ >= 0) return;
  const int fd = OpenNoInterrupt(lockPath_.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
  if (fd < 0) return;
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    ::close(fd);
    return;
  }
  lockFd_ = fd;
}

std::optional<std::string> PosixHost::EnvironmentVariable(std::string_view name) {
  const std::string nativeName = NativeName(name);
  if (nativeName.empty()) return std::nullopt;
  const char* value = std::getenv(nativeName.c_str());
  if (value == nullptr) return std::nullopt;
  return Utf8ToSjis(value).value_or(std::string(value));
}

std::string PosixHost::CurrentFolder() {
  std::string buffer(4096, '\0');
  while (buffer.size() <= kMaxPathBytes) {
    if (::getcwd(buffer.data(), buffer.size()) != nullptr) {
      buffer.resize(std::char_traits<char>::length(buffer.c_str()));
      return Utf8ToSjis(buffer).value_or(buffer);
    }
    if (errno != ERANGE) return {};
    buffer.resize(buffer.size() * 2);
  }
  return {};
}

}  // namespace vendrix::posix
