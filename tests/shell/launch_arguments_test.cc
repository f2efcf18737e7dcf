#include "shell/launch_arguments.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <regex>
#include <string>
#include <vector>

#include "build_info.h"

namespace vendrix::shell {
namespace {

struct SplitCase {
  std::vector<std::string> args;
  std::vector<std::string> programArgs;
  bool help;
  bool version;
  std::vector<std::string> errors;
};

TEST(LaunchArgumentsTest, SplitsLauncherOptionsFromProgramSwitches) {
  const SplitCase cases[] = {
      {{"-FILE=a.mac", "/%1=x"}, {"-FILE=a.mac", "/%1=x"}, false, false, {}},
      {{"--version"}, {}, false, true, {}},
      {{"--help", "-TSR"}, {"-TSR"}, true, false, {}},
      // Only the exact option: a longer or shorter word is unknown.
      {{"--versions", "--vers", "--version=1"}, {}, false, false, {"--versions", "--vers", "--version=1"}},
      // An option that needs a value is unknown without one.
      {{"--trace=", "--home"}, {}, false, false, {"--trace=", "--home"}},
      {{"/version", "-version"}, {"/version", "-version"}, false, false, {}},
  };
  for (const SplitCase& c : cases) {
    SCOPED_TRACE(c.args.front());
    const LaunchArguments out = SplitLaunchArguments(c.args);
    EXPECT_EQ(out.programArgs, c.programArgs);
    EXPECT_EQ(out.help, c.help);
    EXPECT_EQ(out.version, c.version);
    EXPECT_EQ(out.errors, c.errors);
  }
}

TEST(LaunchArgumentsTest, SimAndTraceTakeTheirFiles) {
  const LaunchArguments out = SplitLaunchArguments({"--sim=d.json", "--trace=-", "--home=/p", "-FILE=m"});
  EXPECT_TRUE(out.sim);
  EXPECT_EQ(out.simDesktopFile, "d.json");
  EXPECT_EQ(out.traceFile, "-");
  EXPECT_EQ(out.home, "/p");
  const LaunchArguments bare = SplitLaunchArguments({"--sim"});
  EXPECT_TRUE(bare.sim);
  EXPECT_FALSE(bare.simDesktopFile.has_value());
}

TEST(LaunchArgumentsTest, CheckKeepsTheProgramSwitches) {
  const LaunchArguments out = SplitLaunchArguments({"--check", "-TSR", "-FILE=k.hot"});
  EXPECT_TRUE(out.check);
  EXPECT_EQ(out.programArgs, (std::vector<std::string>{"-TSR", "-FILE=k.hot"}));
  EXPECT_FALSE(SplitLaunchArguments({"--check=x"}).check);
}

TEST(LaunchArgumentsTest, VersionNamesTheProgramTheProjectVersionAndTheBuild) {
  const std::string text = VersionText();
  EXPECT_EQ(text.rfind("Vendrix " VENDRIX_VERSION "\n", 0), 0u) << text;
  EXPECT_TRUE(std::regex_search(text, std::regex("^Vendrix [0-9]+\\.[0-9]+(\\.[0-9]+)?\n")));
  EXPECT_TRUE(std::regex_search(text, std::regex("\nBuild: " VENDRIX_BUILD_PLATFORM ", (GCC|Clang) [^\n]+\n$")))
      << text;
}

TEST(LaunchArgumentsTest, DryRunOptionsAndTheirBounds) {
  const DryRunOptions defaults = SplitLaunchArguments({}).dryRun;
  EXPECT_FALSE(defaults.stopOnError);
  EXPECT_FALSE(defaults.tracePolls);
  EXPECT_GT(defaults.maxTimeMs, 0u) << "a dry run is bounded unless told otherwise";
  EXPECT_GT(defaults.maxStatements, 0u);
  EXPECT_GT(defaults.maxTraceBytes, 0u);

  const LaunchArguments out = SplitLaunchArguments(
      {"--stop-on-error", "--trace-polls", "--max-time=5000", "--max-statements=0", "--max-trace=18446744073709551615"});
  EXPECT_TRUE(out.dryRun.stopOnError);
  EXPECT_TRUE(out.dryRun.tracePolls);
  EXPECT_EQ(out.dryRun.maxTimeMs, 5000u);
  EXPECT_EQ(out.dryRun.maxStatements, 0u);
  EXPECT_EQ(out.dryRun.maxTraceBytes, UINT64_MAX);
  EXPECT_TRUE(out.badValues.empty());
  EXPECT_TRUE(out.errors.empty());

  const std::vector<std::string> bad = {"--max-time=", "--max-time=-1", "--max-statements=1e6", "--max-trace=2GB",
                                        "--max-trace=18446744073709551616", "--max-time"};
  const LaunchArguments refused = SplitLaunchArguments(bad);
  EXPECT_EQ(refused.badValues, bad);
  EXPECT_EQ(refused.dryRun.maxTimeMs, defaults.maxTimeMs) << "a refused value changes nothing";
}

TEST(LaunchArgumentsTest, UsageMentionsEveryLauncherOptionAndExitCode) {
  const std::string usage = UsageText();
  for (const char* option : {"--sim", "--trace=", "--home=", "--help", "--version", "--check", "--trace-polls",
                             "--max-trace=", "--stop-on-error", "--max-time=", "--max-statements="}) {
    EXPECT_NE(usage.find(option), std::string::npos) << option;
  }
  for (const char* code : {"\n  0  ", "\n  1  ", "\n  3  ", "\n  4  "}) {
    EXPECT_NE(usage.find(code), std::string::npos) << code;
  }
  for (const char c : usage) EXPECT_LT(static_cast<unsigned char>(c), 0x80) << "plain ASCII";
}

}  // namespace
}  // namespace vendrix::shell
