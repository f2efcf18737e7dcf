// The options file and the command-line scan.
#include "shell/options.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "shell/command_line.h"

namespace vendrix::shell {
namespace {

Settings Read(const std::string& optionLines, int* aboutCalls = nullptr) {
  std::string ini = "[Options]\r\n" + optionLines;
  return ReadOptions(ini, [aboutCalls] {
    if (aboutCalls) ++*aboutCalls;
  });
}

TEST(OptionsTest, EmptyFileGivesDefaults) {
  for (const std::string& bytes : {std::string(), std::string("[Options]\r\n"), std::string("[Other]\r\nabout=1\r\n")}) {
    int aboutCalls = 0;
    Settings s = ReadOptions(bytes, [&aboutCalls] { ++aboutCalls; });
    EXPECT_EQ(aboutCalls, 0);
    EXPECT_FALSE(s.showAbout);
    EXPECT_TRUE(s.nearMouse);
    EXPECT_EQ(s.menuTop, 10);
    EXPECT_EQ(s.menuLeft, 10);
    EXPECT_EQ(s.topMax, 0);
    EXPECT_EQ(s.topMin, 0);
    EXPECT_EQ(s.leftMax, 0);
    EXPECT_EQ(s.leftMin, 0);
    EXPECT_FALSE(s.useSendInput);
    EXPECT_EQ(s.editorPath, "");
    EXPECT_EQ(s.menuWait, 0);
    EXPECT_EQ(s.autoDelay, 0);
    EXPECT_FALSE(s.autoDelaySkip);
    EXPECT_FALSE(s.menuChange);
    EXPECT_EQ(s.stepFontSize, 10);
    EXPECT_EQ(s.menuHeight, 16);
    EXPECT_EQ(s.menuWidth, 60);
    EXPECT_EQ(s.tsrHotkey, "");
    EXPECT_TRUE(s.releaseModifiers);
    EXPECT_FALSE(s.hideTaskbar);
    EXPECT_FALSE(s.autoPaste);
    EXPECT_FALSE(s.funcError);
    EXPECT_FALSE(s.varError);
    EXPECT_EQ(s.stepWidth, 200);
    EXPECT_EQ(s.stepHeight, 200);
    EXPECT_EQ(s.stepTop, 0);
    EXPECT_EQ(s.stepLeft, 0);
  }
}

TEST(OptionsTest, IntegerKeys) {
  struct Case {
    const char* value;
    int expected;  // menu_width, default 60
  };
  const Case cases[] = {
      {"80", 80},   {"0x50", 80},  {"0X50", 80},  {"0x", 60},     {"0xZZ", 60}, {"abc", 60},
      {"", 60},     {"-5", -5},    {"+7", 7},     {"$50", 80},    {"0", 0},     {"12px", 60},
      {"0xff", 255}, {"0xFFFFFFFF", -1}, {"99999999999", 60},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Read(std::string("menu_width=") + c.value + "\r\n").menuWidth, c.expected) << c.value;
  }
}

TEST(OptionsTest, OptionIntegerReadsHexAndDecimal) {
  EXPECT_EQ(OptionInteger("0x50", 1), 80);
  EXPECT_EQ(OptionInteger("0x1a", 1), 26);
  EXPECT_EQ(OptionInteger("0x", 7), 7);
  EXPECT_EQ(OptionInteger("x50", 7), 7);
  EXPECT_EQ(OptionInteger("0x-1", 7), 7);
  EXPECT_EQ(OptionInteger("42", 7), 42);
  EXPECT_EQ(OptionInteger("-42", 7), -42);
  EXPECT_EQ(OptionInteger("4 2", 7), 7);
  EXPECT_EQ(OptionInteger("", 7), 7);
  EXPECT_EQ(OptionInteger("2147483647", 7), 2147483647);
  EXPECT_EQ(OptionInteger("2147483648", 7), 7);
}

TEST(OptionsTest, FlagsOnForOneOrForNonZero) {
  struct Case {
    const char* line;
    bool Settings::*flag;
    bool expected;
  };
  const Case cases[] = {
      // On for any value but 0.
      {"autodelay_skip=2", &Settings::autoDelaySkip, true},
      {"autodelay_skip=-1", &Settings::autoDelaySkip, true},
      {"autodelay_skip=0", &Settings::autoDelaySkip, false},
      {"autodelay_skip=abc", &Settings::autoDelaySkip, false},
      {"autopaste=5", &Settings::autoPaste, true},
      {"autopaste=0", &Settings::autoPaste, false},
      // On only for exactly 1.
      {"menuchange=2", &Settings::menuChange, false},
      {"menuchange=1", &Settings::menuChange, true},
      {"menuchange=0x1", &Settings::menuChange, true},
      {"sendinput=1", &Settings::useSendInput, true},
      {"sendinput=yes", &Settings::useSendInput, false},
      {"hidetaskbar=1", &Settings::hideTaskbar, true},
      {"func_error=1", &Settings::funcError, true},
      {"func_error=2", &Settings::funcError, false},
      {"var_error=1", &Settings::varError, true},
      {"var_error=-1", &Settings::varError, false},
      // Default on: any value but 1 turns them off, a bad one keeps the default.
      {"nearMouseCursor=0", &Settings::nearMouse, false},
      {"nearMouseCursor=2", &Settings::nearMouse, false},
      {"nearMouseCursor=x", &Settings::nearMouse, true},
      {"TSR_release=0", &Settings::releaseModifiers, false},
      {"TSR_release=1", &Settings::releaseModifiers, true},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Read(std::string(c.line) + "\r\n").*c.flag, c.expected) << c.line;
  }
}

TEST(OptionsTest, KeysAndSectionIgnoreLetterCase) {
  Settings s = ReadOptions(
      "[OPTIONS]\r\nMENU_WIDTH=90\r\nNEARMOUSECURSOR=0\r\ntsr_hotkey=[F12] CTRL\r\nTop=-3\r\n"
      "LEFT_MAX=-20\r\nEditor=c:\\tools\\ed.exe\r\nStep_Top=-1\r\nstep_fontsize=12\r\n"
      "AutoDelay=250\r\nMenuWait=100\r\nMenu_Height=20\r\nstep_width=300\r\n",
      [] {});
  EXPECT_EQ(s.menuWidth, 90);
  EXPECT_FALSE(s.nearMouse);
  EXPECT_EQ(s.tsrHotkey, "[F12] CTRL");
  EXPECT_EQ(s.menuTop, -3);
  EXPECT_EQ(s.leftMax, -20);
  EXPECT_EQ(s.editorPath, "c:\\tools\\ed.exe");
  EXPECT_EQ(s.stepTop, -1);
  EXPECT_EQ(s.stepFontSize, 12);
  EXPECT_EQ(s.autoDelay, 250);
  EXPECT_EQ(s.menuWait, 100);
  EXPECT_EQ(s.menuHeight, 20);
  EXPECT_EQ(s.stepWidth, 300);
  EXPECT_EQ(s.stepHeight, 200);
}

TEST(OptionsTest, KeysOfOtherSectionsDoNotCount) {
  Settings s = ReadOptions("[Zemlo]\r\nmenu_width=99\r\n[Options]\r\nmenu_height=30\r\n[Other]\r\nmenu_width=77\r\n",
                           [] {});
  EXPECT_EQ(s.menuWidth, 60);
  EXPECT_EQ(s.menuHeight, 30);
}

TEST(OptionsTest, AboutCallbackOnlyWhenAboutIsOne) {
  struct Case {
    const char* value;
    int calls;
  };
  const Case cases[] = {{"1", 1}, {"0", 0}, {"2", 0}, {"yes", 0}, {"0x1", 1}, {" 1", 1}};
  for (const Case& c : cases) {
    int calls = 0;
    Settings s = Read(std::string("about=") + c.value + "\r\n", &calls);
    EXPECT_EQ(calls, c.calls) << c.value;
    EXPECT_EQ(s.showAbout, c.calls == 1) << c.value;
  }
}

// ---- command line

using Presets = std::vector<std::pair<int, std::string>>;

TEST(CommandLineTest, FileNameOfTheLastFileArgument) {
  struct Case {
    std::vector<std::string> args;
    bool keepCase;
    std::string fileName;
  };
  const Case cases[] = {
      {{}, false, ""},
      {{"-file=c:\\m\\x.mac"}, false, "C:\\M\\X.MAC"},
      {{"-file=c:\\m\\x.mac"}, true, "c:\\m\\x.mac"},
      {{"/FILE=a.mac", "-FILE=b.mac"}, false, "B.MAC"},
      {{"-FILE=a.mac", "/file=Second.mac"}, true, "Second.mac"},
      {{"-FILE=a.mac", "-FILE="}, false, ""},
      {{"-File=/home/u/Macro.mac"}, true, "/home/u/Macro.mac"},
      {{"-FILE"}, false, ""},
      {{"FILE=a.mac"}, false, ""},
      {{"--FILE=a.mac"}, false, ""},
      {{"-FILE=a b.mac"}, false, "A B.MAC"},
      // The trail byte of ャ (0x83 0x62) is no letter to upper-case.
      {{"-file=\x83\x62x.mac"}, false, "\x83\x62X.MAC"},
  };
  for (const Case& c : cases) {
    CommandLine line = ScanCommandLine(c.args, c.keepCase);
    EXPECT_EQ(line.fileName, c.fileName) << (c.args.empty() ? "" : c.args.back());
    EXPECT_FALSE(line.resident);
    EXPECT_TRUE(line.presets.empty());
  }
}

TEST(CommandLineTest, ResidentSwitch) {
  struct Case {
    std::vector<std::string> args;
    bool resident;
  };
  const Case cases[] = {
      {{"/tsr"}, true},          {{"-TSR"}, true},          {{"-Tsr"}, true},
      {{"/TSR", "-FILE=h.hot"}, true}, {{"-FILE=h.hot", "/tsr"}, true},
      {{"/TSRX"}, false},        {{"TSR"}, false},          {{" /TSR"}, false},
      {{"/TSR "}, false},        {{"-FILE=/TSR"}, false},   {{}, false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ScanCommandLine(c.args, false).resident, c.resident) << (c.args.empty() ? "" : c.args[0]);
    EXPECT_EQ(AsksForResidentMode(c.args), c.resident) << (c.args.empty() ? "" : c.args[0]);
  }
  EXPECT_EQ(ScanCommandLine({"/TSR", "-FILE=h.hot"}, false).fileName, "H.HOT");
}

TEST(CommandLineTest, VariablePresets) {
  struct Case {
    std::string arg;
    Presets presets;
  };
  const Case cases[] = {
      {"/%3=abc", {{3, "ABC"}}},
      {"/%0=hello", {{0, "HELLO"}}},
      {"/%63=x", {{63, "X"}}},
      {"/%3=", {{3, ""}}},
      {"/%3", {{3, ""}}},
      {"/%3=a=b", {{3, "A=B"}}},
      {"/%3=a b", {{3, "A B"}}},
      {"/%$A=x", {{10, "X"}}},
      {"/%x=1", {{-1, "1"}}},
      {"/%-1=1", {{-1, "1"}}},
      {"/%=1", {{-1, "1"}}},
      {"-%3=abc", {}},
      {"%3=abc", {}},
  };
  for (const Case& c : cases) {
    CommandLine line = ScanCommandLine({c.arg}, false);
    EXPECT_EQ(line.presets, c.presets) << c.arg;
    EXPECT_EQ(line.fileName, "") << c.arg;
  }
  // Presets keep their order and are not affected by the file name's case.
  CommandLine line = ScanCommandLine({"/%1=one", "-file=a.mac", "/%2=Two", "/%1=again"}, true);
  EXPECT_EQ(line.presets, (Presets{{1, "ONE"}, {2, "TWO"}, {1, "AGAIN"}}));
  EXPECT_EQ(line.fileName, "a.mac");
}

}  // namespace
}  // namespace vendrix::shell
