// The program itself on Linux: its path and the single-instance lock.
//
// The lock is an advisory flock on "vendrix.tsr.lock" in the program's
// folder.  A resident instance holds it exclusively for its whole life; the
// kernel drops it when the process ends, however it ends, so a crash never
// leaves a stale lock behind.
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
  // True while any holder of the lock, this object included, exists.
  bool ResidentInstanceRunning() override;
  // Takes the lock if nobody holds it; does nothing otherwise.
  void ClaimResidentInstance() override;
  bool HoldsResidentLock() const { return lockFd_ >= 0; }
  // Names and values are UTF-8 to the system, Shift-JIS to the program.
  std::optional<std::string> EnvironmentVariable(std::string_view name) override;
  std::string CurrentFolder() override;

 private:
  std::string programPath_;  // Shift-JIS
  std::string lockPath_;     // as the system takes it
  int lockFd_ = -1;
};

}  // namespace vendrix::posix
