// Clipboard, program, title, tray-tip and joystick statements on the
// simulated desktop.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/test_world.h"

namespace vendrix {
namespace {

using testing::TestWorld;

TEST(ProgramStatementsTest, ClipboardInAndOut) {
  TestWorld world(R"({"clipboard": "before"})");
  EXPECT_EQ(world.RunLines({"DIM %c", "GETCLIPBRD %c", "CLIPBRD after", "GETCLIPBRD plain"}), 0);
  EXPECT_EQ(world.Var("%C"), "before");
  EXPECT_EQ(world.Var("%0"), "after");  // no variable named: "%0"
  EXPECT_EQ(world.desktop.ClipboardText(), std::optional<std::string>("after"));
  EXPECT_EQ(world.CountCalls("EmptyClipboard"), 1);
}

TEST(ProgramStatementsTest, PasteWithShiftInsertAndAutoDelay) {
  Settings settings;
  settings.autoDelaySkip = true;
  TestWorld world("{}", settings);
  EXPECT_EQ(world.RunLines({"AUTODELAY 30", "PASTE hello"}), 0);
  EXPECT_EQ(world.CallsOf("keybd_event", "vk"), (std::vector<std::string>{"16", "45", "45", "16"}));
  EXPECT_EQ(world.CallsOf("keybd_event", "flags"), (std::vector<std::string>{"1", "1", "3", "3"}));
  EXPECT_EQ(world.desktop.ClipboardText(), std::optional<std::string>("hello"));
  EXPECT_EQ(world.CallsOf("Sleep", "ms"), std::vector<std::string>{"30"});
  EXPECT_TRUE(world.desktop.InjectedKeysDown().empty());
}

TEST(ProgramStatementsTest, AutoPasteSwitchAndFallback) {
  struct Case {
    std::string value;
    bool on;
  };
  const Case cases[] = {{"on", true}, {"ON", true}, {"yes", false}, {"", false}};
  for (const Case& c : cases) {
    TestWorld world;
    EXPECT_EQ(world.RunLines({"AUTOPASTE " + c.value}), 0);
    EXPECT_EQ(world.engine->desktop.autoPaste, c.on) << c.value;
  }
  TestWorld world;
  EXPECT_EQ(world.RunLines({"AUTOPASTE on", "(& ab cd)"}), 0);
  EXPECT_EQ(world.desktop.ClipboardText(), std::optional<std::string>("abcd"));
  EXPECT_EQ(world.CallsOf("keybd_event", "vk"), (std::vector<std::string>{"16", "45", "45", "16"}));
  EXPECT_TRUE(world.Boxes().empty());
}

TEST(ProgramStatementsTest, AutoPasteStartsFromSettings) {
  Settings settings;
  settings.autoPaste = true;
  TestWorld world("{}", settings);
  EXPECT_EQ(world.RunLines({"Hello"}), 0);
  EXPECT_EQ(world.desktop.ClipboardText(), std::optional<std::string>("Hello"));
}

TEST(ProgramStatementsTest, ExecWaitsOnlyWithTrue) {
  TestWorld world(R"({"programs": [{"command": "tool", "runs_ms": 250}]})");
  EXPECT_EQ(world.RunLines({"EXEC tool TRUE"}), 0);
  EXPECT_EQ(world.CallsOf("Sleep", "ms"), (std::vector<std::string>{"100", "100", "100"}));
  EXPECT_EQ(world.desktop.OpenProgramHandles(), 0u);
  EXPECT_TRUE(world.desktop.RunningPrograms().empty());

  TestWorld noWait(R"({"programs": [{"command": "tool", "runs_ms": 250}]})");
  EXPECT_EQ(noWait.RunLines({"EXEC tool"}), 0);
  EXPECT_EQ(noWait.CountCalls("Sleep"), 0);
  EXPECT_EQ(noWait.desktop.RunningPrograms(), std::vector<std::string>{"tool"});
  EXPECT_EQ(noWait.desktop.OpenProgramHandles(), 0u);
}

TEST(ProgramStatementsTest, ExecAndShellFailures) {
  TestWorld world(R"({"answers": ["OK", "YES", "OK", "YES"]})");
  EXPECT_EQ(world.RunLines({"EXEC nothing TRUE", "SHELL missing.txt"}), 0);
  EXPECT_EQ(world.Boxes(), (std::vector<std::string>{"Err：実行できません：EXEC nothing TRUE", "マクロを継続しますか？",
                                                     "Err：関連づけしたアプリで開けません : missing.txt",
                                                     "マクロを継続しますか？"}));
}

TEST(ProgramStatementsTest, ShellOpensWithTheMainWindowAsOwner) {
  TestWorld world(R"({"documents": [{"file": "a.txt", "runs_ms": 500}]})");
  EXPECT_EQ(world.RunLines({"SHELL a.txt TRUE"}), 0);
  EXPECT_EQ(world.CallsOf("ShellExecuteExA", "owner"), std::vector<std::string>{"1"});
  EXPECT_GE(world.desktop.NowMs(), 500u);
  EXPECT_EQ(world.desktop.OpenProgramHandles(), 0u);
}

TEST(ProgramStatementsTest, GetTitle) {
  struct Case {
    std::string desktop;
    std::string line;
    std::string value;
    size_t boxes;
  };
  const std::string longTitle(300, 'x');
  const Case cases[] = {
      {R"({"windows": [{"id": 10, "title": "Editor"}], "foreground": 10})", "GETTITLE %t TRUE", "Editor", 0},
      {R"({"windows": [{"id": 10, "title": ")" + longTitle + R"("}], "foreground": 10})", "GETTITLE %t",
       std::string(255, 'x'), 0},
      {R"({"answers": ["OK", "YES"]})", "GETTITLE %t TRUE", "", 2},  // no window in front
  };
  for (const Case& c : cases) {
    TestWorld world(c.desktop);
    EXPECT_EQ(world.RunLines({"DIM %t", c.line}), 0);
    EXPECT_EQ(world.Var("%T"), c.value) << c.line;
    EXPECT_EQ(world.Boxes().size(), c.boxes) << c.line;
  }
}

TEST(ProgramStatementsTest, ReadJoystickModes) {
  const std::string desktop = R"({"joysticks": [
      {"id": 0, "states": [{"at": 0, "x": 65535, "y": 0, "buttons": 5}]},
      {"id": 1, "states": [{"at": 0, "x": 0, "y": 65535, "buttons": 256}]}]})";
  struct Case {
    std::string line;
    std::string button, buttonEx, stick, bit, button2;
  };
  const Case cases[] = {
      {"READJOYSTICK", "10100000", "101000000000", "RU", "5", ""},
      {"READJOYSTICK 2", "00000000", "000000001000", "LD", "256", ""},
      {"READJOYSTICK 0", "10100000", "101000000000", "RU", "5", "00000000"},
  };
  for (const Case& c : cases) {
    TestWorld world(desktop);
    EXPECT_EQ(world.RunLines({c.line}), 0);
    EXPECT_EQ(world.Var("%JOYBUTTON"), c.button) << c.line;
    EXPECT_EQ(world.Var("%JOYBUTTONEX"), c.buttonEx) << c.line;
    EXPECT_EQ(world.Var("%JOYSTICK"), c.stick) << c.line;
    EXPECT_EQ(world.Var("%JOYBIT"), c.bit) << c.line;
    EXPECT_EQ(world.Var("%JOYBUTTON2"), c.button2) << c.line;
  }
}

TEST(ProgramStatementsTest, ReadJoystickReportsOnlyWhenOneIsAskedFor) {
  TestWorld world(R"({"answers": ["OK", "YES"]})");
  EXPECT_EQ(world.RunLines({"READJOYSTICK 0", "READJOYSTICK 1"}), 0);
  EXPECT_EQ(world.Boxes(), (std::vector<std::string>{"Err：ジョイスティックが検出できません", "マクロを継続しますか？"}));
  EXPECT_EQ(world.Var("%JOYBUTTONEX2"), "000000000000");
}

}  // namespace
}  // namespace vendrix
