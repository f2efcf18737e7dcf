#include "platform/posix/posix_host.h"

#include <fcntl.h>
#include <sys/stat.h>
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

// O_NOFOLLOW: a symbolic link is refused, never followed to create or lock
// its target.  O_NONBLOCK: a FIFO in the lock's place cannot hang a start.
constexpr int kLockOpenFlags = O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK;

// Only a regular file of this user can be trusted as the lock: a stranger
// could hold or remove it at will.
platform::InstanceStatus LockProblem(const struct stat& info) {
  if (S_ISLNK(info.st_mode)) return platform::InstanceStatus::kSymbolicLink;
  if (S_ISDIR(info.st_mode)) return platform::InstanceStatus::kFolder;
  if (!S_ISREG(info.st_mode)) return platform::InstanceStatus::kNotAFile;
  if (info.st_uid != ::geteuid()) return platform::InstanceStatus::kOtherOwner;
  return platform::InstanceStatus::kFree;
}

// A whole-file record lock of the open file description (an "OFD" lock):
// like flock it goes with the descriptor and with the process however it
// ends, and unlike flock it can be tested without being taken.
struct flock WholeFile(short type) {
  struct flock lock {};
  lock.l_type = type;
  lock.l_whence = SEEK_SET;
  return lock;
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

platform::InstanceCheck PosixHost::Checked(platform::InstanceStatus status, int error) const {
  platform::InstanceCheck check;
  check.status = status;
  check.lockName = Utf8ToSjis(lockPath_).value_or(lockPath_);
  if (status == platform::InstanceStatus::kSystemFailure) check.reason = SystemReason(error);
  return check;
}

// Why the lock could not be opened: what lies at its name, when that tells,
// else the system's words.
platform::InstanceCheck PosixHost::OpenFailure(int error) const {
  struct stat info {};
  if (::lstat(lockPath_.c_str(), &info) == 0) {
    const platform::InstanceStatus problem = LockProblem(info);
    if (problem != platform::InstanceStatus::kFree) return Checked(problem);
  }
  return Checked(platform::InstanceStatus::kSystemFailure, error);
}

platform::InstanceStatus PosixHost::ProblemOf(int fd, int* error) {
  struct stat info {};
  if (::fstat(fd, &info) == 0) return LockProblem(info);
  *error = errno;
  return platform::InstanceStatus::kSystemFailure;
}

platform::InstanceCheck PosixHost::TakeLock(int fd) {
  struct flock lock = WholeFile(F_WRLCK);
  if (::fcntl(fd, F_OFD_SETLK, &lock) == 0) {
    lockFd_ = fd;  // taking the lock was the test: this process is resident
    return Checked(platform::InstanceStatus::kFree);
  }
  const int error = errno;
  ::close(fd);
  if (error == EAGAIN || error == EACCES) return Checked(platform::InstanceStatus::kResident);
  return Checked(platform::InstanceStatus::kSystemFailure, error);
}

platform::InstanceCheck PosixHost::TestLock(int fd) {
  // Another descriptor's lock, this object's own included, shows here.
  struct flock lock = WholeFile(F_RDLCK);
  const bool tested = ::fcntl(fd, F_OFD_GETLK, &lock) == 0;
  const int error = errno;
  ::close(fd);
  if (!tested) return Checked(platform::InstanceStatus::kSystemFailure, error);
  return Checked(lock.l_type == F_UNLCK ? platform::InstanceStatus::kFree : platform::InstanceStatus::kResident);
}

platform::InstanceCheck PosixHost::CheckResidentInstance() {
  const int fd = OpenNoInterrupt(lockPath_.c_str(), O_RDONLY | kLockOpenFlags, 0);
  if (fd < 0 && errno == ENOENT) return Checked(platform::InstanceStatus::kFree);  // never claimed here
  return Opened(fd, false);
}

platform::InstanceCheck PosixHost::ClaimResidentInstance() {
  if (lockFd_ >= 0) return Checked(platform::InstanceStatus::kFree);
  return Opened(OpenNoInterrupt(lockPath_.c_str(), O_RDWR | O_CREAT | kLockOpenFlags, 0644), true);
}

platform::InstanceCheck PosixHost::Opened(int fd, bool claim) {
  if (fd < 0) return OpenFailure(errno);
  int error = 0;
  const platform::InstanceStatus problem = ProblemOf(fd, &error);
  if (problem == platform::InstanceStatus::kFree) return claim ? TakeLock(fd) : TestLock(fd);
  ::close(fd);
  return Checked(problem, error);
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
