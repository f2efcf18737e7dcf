#include "shell/launch_arguments.h"

#include <gtest/gtest.h>

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

TEST(LaunchArgumentsTest, UsageMentionsEveryLauncherOption) {
  const std::string usage = UsageText();
  for (const char* option : {"--sim", "--trace=", "--home=", "--help", "--version", "--check"}) {
    EXPECT_NE(usage.find(option), std::string::npos) << option;
  }
}

}  // namespace
}  // namespace vendrix::shell
