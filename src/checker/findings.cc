#include "checker/findings.h"

#include <cstdio>

namespace vendrix::checker {

std::string FormatFinding(const Finding& finding) {
  char code[8];
  std::snprintf(code, sizeof code, "V%03d", static_cast<int>(finding.code));
  std::string text = finding.file + ":" + std::to_string(finding.line) + ": ";
  text += finding.severity == Severity::kError ? "error " : "warning ";
  text += code;
  text += ": ";
  text += finding.message;
  return text;
}

}  // namespace vendrix::checker
