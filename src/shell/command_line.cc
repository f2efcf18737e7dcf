#include "shell/command_line.h"

#include "values/integer.h"
#include "values/sjis.h"

namespace vendrix::shell {
namespace {

bool IsResidentSwitch(const std::string& upper) { return upper == "-TSR" || upper == "/TSR"; }

}  // namespace

CommandLine ScanCommandLine(const std::vector<std::string>& args, bool keepFileNameCase) {
  CommandLine line;
  for (const std::string& arg : args) {
    std::string upper = sjis::AnsiUpper(arg);
    std::string_view head = std::string_view(upper).substr(0, 6);
    if (head == "-FILE=" || head == "/FILE=") {
      line.fileName = (keepFileNameCase ? arg : upper).substr(6);
    } else if (IsResidentSwitch(upper)) {
      line.resident = true;
    } else if (upper.compare(0, 2, "/%") == 0) {
      std::string rest = upper.substr(2);
      std::string index = sjis::CutToken(rest, "=");
      line.presets.emplace_back(IntegerValue(index, -1), rest);
    }
  }
  return line;
}

bool AsksForResidentMode(const std::vector<std::string>& args) {
  for (const std::string& arg : args) {
    if (IsResidentSwitch(sjis::AnsiUpper(arg))) return true;
  }
  return false;
}

}  // namespace vendrix::shell
