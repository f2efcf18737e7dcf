// The program's entry and exit, independent of the operating system.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/platform.h"

namespace vendrix::shell {

// Runs Vendrix with the given command-line arguments (Shift-JIS, without the
// program name and without the "--" launcher options): the single-instance
// check, start-up, the mode the command line picks, and the orderly shutdown.
// Returns the process exit code, 0 or 1.  Never calls exit().
int RunProgram(platform::Platform& platform, const std::vector<std::string>& args);

// The folder part of a path, ending in the separator: the program folder of
// the program's own path.  Scans by characters, so the trail byte of a
// double-byte character is never taken for "\\".
std::string FolderOf(std::string_view path, char separator);

}  // namespace vendrix::shell
