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
  void SetResidentRunning(bool running) { residentRunning_ = running; }
  int Claims() const { return claims_; }
  void SetEnvironmentVariable(std::string_view name, std::string_view value) {
    environment_.insert_or_assign(std::string(name), std::string(value));
  }
  void SetCurrentFolder(std::string_view folder) { currentFolder_ = folder; }

  std::string ProgramPath() override { return programPath_; }
  bool ResidentInstanceRunning() override { return residentRunning_; }
  // Holding the lock is what the check looks at, so a claim makes it true.
  void ClaimResidentInstance() override {
    ++claims_;
    residentRunning_ = true;
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
  bool residentRunning_ = false;
  int claims_ = 0;
  std::map<std::string, std::string> environment_;
  std::string currentFolder_ = "C:\\Vendrix";
};

}  // namespace vendrix::sim
