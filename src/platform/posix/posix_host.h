// The program itself on Linux: its path and the single-instance lock.
//
// The lock is an advisory lock on the whole of "vendrix.tsr.lock" in the
// program's folder.  A resident instance holds it exclusively for its whole
// life; the kernel drops it when the process ends, however it ends, so a
// crash never leaves a stale lock behind.  Only a regular file of this user
// serves: a link, a folder, a FIFO or a stranger's file is refused.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/platform.h"

namespace vendrix::posix {

class PosixHost final : public platform::Host {
 public:
  // `home` (Shift-JIS) stands in for the program's folder when given.
  explicit PosixHost(std::optional<std::string> home = std::nullopt);
  ~PosixHost() override;
  PosixHost(const PosixHost&) = delete;
  PosixHost& operator=(const PosixHost&) = delete;

  std::string ProgramPath() override;
  // kResident while any holder of the lock, this object included, exists.
  platform::InstanceCheck CheckResidentInstance() override;
  platform::InstanceCheck ClaimResidentInstance() override;
  bool HoldsResidentLock() const { return lockFd_ >= 0; }
  // Names and values are UTF-8 to the system, Shift-JIS to the program.
  std::optional<std::string> EnvironmentVariable(std::string_view name) override;
  std::string CurrentFolder() override;

 private:
  platform::InstanceCheck Checked(platform::InstanceStatus status, int error = 0) const;
  platform::InstanceCheck OpenFailure(int error) const;
  // kFree when the open lock is a regular file of this user; sets *error
  // when the system could not tell.
  static platform::InstanceStatus ProblemOf(int fd, int* error);
  // Checks what was opened (fd may be -1), then takes or tests the lock.
  platform::InstanceCheck Opened(int fd, bool claim);
  // On a descriptor whose file passed ProblemOf; each closes it unless this
  // process now holds the lock.
  platform::InstanceCheck TakeLock(int fd);
  platform::InstanceCheck TestLock(int fd);

  std::string programPath_;  // Shift-JIS
  std::string lockPath_;     // as the system takes it
  int lockFd_ = -1;
};

}  // namespace vendrix::posix
