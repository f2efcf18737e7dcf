// The program's own identity, kept in memory.  For tests.
#pragma once

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

  std::string ProgramPath() override { return programPath_; }
  bool ResidentInstanceRunning() override { return residentRunning_; }
  // Holding the lock is what the check looks at, so a claim makes it true.
  void ClaimResidentInstance() override {
    ++claims_;
    residentRunning_ = true;
  }

 private:
  std::string programPath_ = "C:\\Vendrix\\Vendrix.exe";
  bool residentRunning_ = false;
  int claims_ = 0;
};

}  // namespace vendrix::sim
