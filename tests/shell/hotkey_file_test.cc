// The hotkey file and the menu call-up hotkey of resident mode.
#include "shell/hotkey_file.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "platform/platform.h"
#include "platform/sim/sjis_utf8.h"

namespace vendrix::shell {
namespace {

std::string Sjis(std::string_view utf8) { return sim::Utf8ToSjis(utf8); }

TEST(HotkeyFileTest, EntriesAndTheirLines) {
  const std::string bytes = Sjis(
      "; my hotkeys\r\n"
      "HotKey=[F1] ctrl+shift : メモ帳\r\n"
      "RUN notepad\r\n"
      "\r\n"
      "hotkey=a alternative\r\n"
      " hotkey=[F9]\r\n"
      "hotKEY=[JoyButton]1\r\n"
      "hotkey=[joybutton]2 shift\r\n"
      "BEEP\r\n"
      "hotkey\r\n"
      "hotkey=\r\n");
  const HotkeyFile file = ParseHotkeyFile(bytes);

  struct Want {
    std::string keyName;
    uint32_t modifiers;
    int firstLine;
    std::string definitionText;
    std::pair<int, int> range;
  };
  const Want want[] = {
      {"[F1]", platform::kModControl | platform::kModShift, 1, Sjis("[F1] ctrl+shift : メモ帳"), {1, 2}},
      {"A", platform::kModAlt, 3, "a alternative", {3, 3}},
      {"[JOYBUTTON]1", 0, 4, "[JoyButton]1", {4, 3}},
      {"[JOYBUTTON]2", platform::kModShift, 4, "[joybutton]2 shift", {4, 5}},
      {"", 0, 6, "", {6, 5}},
  };
  ASSERT_EQ(file.entries.size(), std::size(want));
  for (size_t i = 0; i < std::size(want); ++i) {
    const HotkeyDefinition& got = file.entries[i];
    EXPECT_EQ(got.keyName, want[i].keyName) << i;
    EXPECT_EQ(HotkeyModifiers(got), want[i].modifiers) << i;
    EXPECT_EQ(got.firstLine, want[i].firstLine) << i;
    EXPECT_EQ(got.definitionText, want[i].definitionText) << i;
    EXPECT_EQ(EntryLineRange(file, static_cast<int>(i) + 1), want[i].range) << i;
  }
  EXPECT_EQ(file.lines,
            (std::vector<std::string>{"; my hotkeys", "RUN notepad", "", " hotkey=[F9]", "BEEP", "hotkey"}));
  // Where each stands in the file, for reports that name a macro line.
  EXPECT_EQ(file.lineNumbers, (std::vector<int>{1, 3, 4, 6, 9, 10}));
  EXPECT_EQ(file.joyButtonEntry, 4);
  EXPECT_EQ(EntryLineRange(file, 0), std::make_pair(0, -1));
  EXPECT_EQ(EntryLineRange(file, 6), std::make_pair(0, -1));
}

TEST(HotkeyFileTest, ReadingEndsAtTheSixtyFifthEntry) {
  std::string bytes = "hotkey=[JOYBUTTON]\r\n";
  for (int i = 2; i <= 66; ++i) bytes += "hotkey=[F" + std::to_string(i) + "]\r\nL" + std::to_string(i) + "\r\n";
  bytes += "hotkey=[JOYBUTTON]\r\n";
  const HotkeyFile file = ParseHotkeyFile(bytes);
  ASSERT_EQ(file.entries.size(), 64u);
  EXPECT_EQ(file.entries.back().keyName, "[F64]");
  EXPECT_EQ(file.lines.back(), "L64");
  EXPECT_EQ(EntryLineRange(file, 64), std::make_pair(62, 62));
  EXPECT_EQ(file.joyButtonEntry, 1);
}

TEST(HotkeyFileTest, MenuCallUpHotkey) {
  struct Case {
    std::string value;
    std::string keyName;
    uint32_t modifiers;
    std::string definitionText;
  };
  const Case cases[] = {
      {"[F12] ctrl", "[F12]", 0, Sjis("[F12] ctrl : Vendrix メニュー呼び出し")},
      {"[F12] CTRL+ALT", "[F12]", platform::kModControl | platform::kModAlt, Sjis("[F12] CTRL+ALT : Vendrix メニュー呼び出し")},
      {"m SHIFTALT", "m", platform::kModShift | platform::kModAlt, Sjis("m SHIFTALT : Vendrix メニュー呼び出し")},
      {"[f12]", "[f12]", 0, Sjis("[f12]  : Vendrix メニュー呼び出し")},
  };
  for (const Case& c : cases) {
    const std::optional<HotkeyDefinition> hotkey = MenuCallUpHotkey(c.value);
    ASSERT_TRUE(hotkey.has_value()) << c.value;
    EXPECT_EQ(hotkey->keyName, c.keyName) << c.value;
    EXPECT_EQ(HotkeyModifiers(*hotkey), c.modifiers) << c.value;
    EXPECT_EQ(hotkey->definitionText, c.definitionText) << c.value;
  }
  EXPECT_FALSE(MenuCallUpHotkey("").has_value());
}

}  // namespace
}  // namespace vendrix::shell
