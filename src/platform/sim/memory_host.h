// The program's own identity, kept in memory.  For tests.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>

#include "platform/platform.h"

namespace vendrix::sim {

class MemoryHost final : public platform::Host {
 public:
  void SetProgramPath(std::string_view path) { programPath_ = path; }
  // Pretends another resident instance holds (or does not hold) the lock.
  void SetResidentRunning(bool running) {
    lock_.status = running ? platform::InstanceStatus::kResident : platform::InstanceStatus::kFree;
  }
  // Pretends the lock cannot be used, for the reason given.
  void SetLockProblem(platform::InstanceStatus problem, std::string_view reason = {}) {
    lock_.status = problem;
    lock_.reason = reason;
  }
  int Claims() const { return claims_; }
  int Checks() const { return checks_; }
  void SetEnvironmentVariable(std::string_view name, std::string_view value) {
    environment_.insert_or_assign(std::string(name), std::string(value));
  }
  void SetCurrentFolder(std::string_view folder) { currentFolder_ = folder; }

  std::string ProgramPath() override { return programPath_; }
  platform::InstanceCheck CheckResidentInstance() override {
    ++checks_;
    return lock_;
  }
  // Holding the lock is what the check looks at, so a claim that gets it
  // makes later checks and claims find a resident instance.
  platform::InstanceCheck ClaimResidentInstance() override {
    ++claims_;
    platform::InstanceCheck result = lock_;
    if (lock_.status == platform::InstanceStatus::kFree) lock_.status = platform::InstanceStatus::kResident;
    return result;
  }
  // Names compare exactly: tests use one spelling.
  std::optional<std::string> EnvironmentVariable(std::string_view name) override {
    const auto found = environment_.find(std::string(name));
    if (found == environment_.end()) return std::nullopt;
    return found->second;
  }
  std::string CurrentFolder() override { return currentFolder_; }

 private:
  std::string programPath_ = "C:\\Vendrix\\Vendrix.exe";
  platform::InstanceCheck lock_{platform::InstanceStatus::kFree, "vendrix /tsr", ""};
  int claims_ = 0;
  int checks_ = 0;
  std::map<std::string, std::string> environment_;
  std::string currentFolder_ = "C:\\Vendrix";
};

}  // namespace vendrix::sim
