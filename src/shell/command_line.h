// The program's command line: "-FILE=", "-TSR" and "/%n=" presets.
#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace vendrix::shell {

struct CommandLine {
  std::string fileName;  // of the last "-FILE=" or "/FILE=", empty if none
  bool resident = false;
  std::vector<std::pair<int, std::string>> presets;  // index, upper-cased text
};

// Arguments are compared upper-cased.  Where file names are case-sensitive
// the file name keeps the letter case it was given.
CommandLine ScanCommandLine(const std::vector<std::string>& args, bool keepFileNameCase);

// True when some argument asks for resident mode.
bool AsksForResidentMode(const std::vector<std::string>& args);

}  // namespace vendrix::shell
