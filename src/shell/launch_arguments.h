// The launcher's own options.  They all begin with "--", so they never
// collide with the program's switches ("-FILE=", "/TSR", "/%n=").
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vendrix::shell {

// How a run on the simulated desktop is bounded and reported; a bound of 0
// is none.
struct DryRunOptions {
  static constexpr uint64_t kDefaultMaxTimeMs = 86'400'000;  // a virtual day
  static constexpr uint64_t kDefaultMaxStatements = 100'000'000;
  static constexpr uint64_t kDefaultMaxTraceBytes = uint64_t{1} << 30;
  uint64_t maxTimeMs = kDefaultMaxTimeMs;          // --max-time=MS
  uint64_t maxStatements = kDefaultMaxStatements;  // --max-statements=N
  uint64_t maxTraceBytes = kDefaultMaxTraceBytes;  // --max-trace=BYTES
  bool stopOnError = false;                        // --stop-on-error
  bool tracePolls = false;                         // --trace-polls
};

struct LaunchArguments {
  std::vector<std::string> programArgs;       // everything else, in order
  bool help = false;                          // --help
  bool version = false;                       // --version
  bool check = false;                         // --check
  bool sim = false;                           // --sim or --sim=FILE
  std::optional<std::string> simDesktopFile;  // the FILE of --sim=FILE
  std::optional<std::string> traceFile;       // --trace=FILE ("-" = stdout)
  std::optional<std::string> home;            // --home=DIR
  DryRunOptions dryRun;
  std::vector<std::string> badValues;         // known options with unusable values
  std::vector<std::string> errors;            // unknown "--" options
};

LaunchArguments SplitLaunchArguments(const std::vector<std::string>& args);

// The --help text (plain ASCII).
std::string UsageText();

// The --version text (plain ASCII): the program's name and version, then the
// platform and compiler it was built for.
std::string VersionText();

}  // namespace vendrix::shell
