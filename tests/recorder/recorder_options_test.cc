// Zemlo.INI as the recorder reads it.
#include "recorder/recorder_options.h"

#include <gtest/gtest.h>

#include "platform/platform.h"

namespace vendrix::recorder {
namespace {

TEST(RecorderOptionsTest, DefaultsWithoutKeys) {
  RecorderOptions options = ReadRecorderOptions("[Options]\r\n");
  EXPECT_EQ(options.menuFile, "");
  ASSERT_TRUE(options.hotkey);
  EXPECT_EQ(options.hotkey->vk, 0x78);
  EXPECT_EQ(options.hotkey->modifiers, platform::kModControl | platform::kModShift);
  EXPECT_EQ(options.breakKey, 27);
  EXPECT_EQ(options.writer.pauseThresholdMs, 300u);
  EXPECT_EQ(options.writer.delayRoundingMs, 100u);
  EXPECT_TRUE(options.problems.empty());
}

TEST(RecorderOptionsTest, ReadsEveryKey) {
  RecorderOptions options = ReadRecorderOptions(
      "[Options]\r\nmenufile=Work.MNU\r\nhotkey=[f12] alt ctrl\r\nbreakkey=[PAUSE]\r\npause=1000\r\nrounding=50\r\n");
  EXPECT_EQ(options.menuFile, "Work.MNU");
  ASSERT_TRUE(options.hotkey);
  EXPECT_EQ(options.hotkey->vk, 0x7B);
  EXPECT_EQ(options.hotkey->modifiers, platform::kModControl | platform::kModAlt);
  EXPECT_EQ(options.breakKey, 0x13);
  EXPECT_EQ(options.writer.pauseThresholdMs, 1000u);
  EXPECT_EQ(options.writer.delayRoundingMs, 50u);
  EXPECT_TRUE(options.problems.empty());
}

TEST(RecorderOptionsTest, AnEmptyHotkeyMeansButtonsOnly) {
  RecorderOptions options = ReadRecorderOptions("[Options]\r\nhotkey=\r\n");
  EXPECT_FALSE(options.hotkey);
  EXPECT_TRUE(options.problems.empty());
}

TEST(RecorderOptionsTest, UnusableValuesKeepTheDefaultAndSaySo) {
  struct Case {
    const char* line;
    const char* shown;  // what the problem line quotes
  };
  const Case cases[] = {
      {"hotkey=[NOSUCHKEY] CTRL", "hotkey=[NOSUCHKEY] CTRL"},
      {"hotkey=!", "hotkey=!"},
      {"breakkey=[F99]", "breakkey=[F99]"},
      {"pause=-5", "pause=-5"},
      {"pause=12ms", "pause=12ms"},
      {"pause=99999999999", "pause=99999999999"},
      {"rounding=0", "rounding=0"},
  };
  for (const Case& c : cases) {
    RecorderOptions options = ReadRecorderOptions(std::string("[Options]\r\n") + c.line + "\r\n");
    ASSERT_EQ(options.problems.size(), 1u) << c.line;
    EXPECT_NE(options.problems[0].find(c.shown), std::string::npos) << options.problems[0];
    EXPECT_TRUE(options.hotkey) << c.line;
    EXPECT_EQ(options.breakKey, 27) << c.line;
    EXPECT_EQ(options.writer.pauseThresholdMs, 300u) << c.line;
    EXPECT_EQ(options.writer.delayRoundingMs, 100u) << c.line;
  }
}

TEST(RecorderOptionsTest, KeyTokens) {
  EXPECT_EQ(RecorderKeyCode("a"), 'A');
  EXPECT_EQ(RecorderKeyCode("7"), '7');
  EXPECT_EQ(RecorderKeyCode("[enter]"), 13);
  EXPECT_EQ(RecorderKeyCode("[ESC]"), 27);
  EXPECT_EQ(RecorderKeyCode("-"), 0);
  EXPECT_EQ(RecorderKeyCode(""), 0);
  EXPECT_EQ(RecorderKeyCode("AB"), 0);
}

}  // namespace
}  // namespace vendrix::recorder
