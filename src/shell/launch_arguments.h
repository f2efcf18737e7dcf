// The launcher's own options.  They all begin with "--", so they never
// collide with the program's switches ("-FILE=", "/TSR", "/%n=").
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace vendrix::shell {

struct LaunchArguments {
  std::vector<std::string> programArgs;       // everything else, in order
  bool help = false;                          // --help
  bool version = false;                       // --version
  bool check = false;                         // --check
  bool sim = false;                           // --sim or --sim=FILE
  std::optional<std::string> simDesktopFile;  // the FILE of --sim=FILE
  std::optional<std::string> traceFile;       // --trace=FILE ("-" = stdout)
  std::optional<std::string> home;            // --home=DIR
  std::vector<std::string> errors;            // unknown "--" options
};

LaunchArguments SplitLaunchArguments(const std::vector<std::string>& args);

// The --help text (plain ASCII).
std::string UsageText();

// The --version text (plain ASCII): the program's name and version, then the
// platform and compiler it was built for.
std::string VersionText();

}  // namespace vendrix::shell
