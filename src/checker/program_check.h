// `--check`: everything a start with the same command line would load,
// checked without running it.  File mode: the macro with its INCLUDEs.
// Resident mode: the hotkey file, its keys and each hotkey's macro.  Menu
// mode: the menu file, the list file and every macro file they name.
#pragma once

#include <string>
#include <vector>

#include "checker/findings.h"
#include "platform/platform.h"

namespace vendrix::checker {

struct CheckResult {
  // 0: nothing found; 2: findings; 1: the check could not run (`failure`
  // says why).
  int exitCode = 0;
  Findings findings;
  std::string failure;  // Shift-JIS
};

// `args` are the program's switches, as RunProgram takes them.  Only reads
// files: no window, no input, nothing written.
CheckResult CheckProgram(platform::Files& files, platform::Host& host, const std::vector<std::string>& args);

}  // namespace vendrix::checker
