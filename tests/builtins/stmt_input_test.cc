// The input statements on the simulated desktop: what they call, and what
// the desktop looks like afterwards.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/test_world.h"

namespace vendrix {
namespace {

using testing::Sjis;
using testing::TestWorld;

constexpr std::string_view kEditor = R"({
  "windows": [{"id": 10, "title": "Editor", "rect": [300, 200, 700, 500], "thread": 5,
               "caret": [10, 20], "ime": false}],
  "foreground": 10
})";

std::vector<std::string> Points(const TestWorld& world, std::string_view call) {
  std::vector<std::string> out;
  for (const nlohmann::json& e : world.desktop.Trace()) {
    if (e.value("call", "") == call) out.push_back(e["x"].dump() + "," + e["y"].dump());
  }
  return out;
}

std::vector<std::string> MouseFlags(const TestWorld& world) { return world.CallsOf("mouse_event", "flags"); }

TEST(InputStatementsTest, OriginClicksAndRelativeMoves) {
  TestWorld world;
  EXPECT_EQ(world.RunLines({"SETORIGIN 100,50", "LCLICK 10,20", "MOVERE 5,5", "RCLICK", "SETORIGIN", "MOVETO 7,8",
                            "LCLICK x,y"}),
            0);
  EXPECT_EQ(Points(world, "SetCursorPos"),
            (std::vector<std::string>{"110,70", "115,75", "100,50", "7,8", "0,0"}));
  EXPECT_EQ(MouseFlags(world), (std::vector<std::string>{"2", "4", "8", "16", "2", "4"}));
  EXPECT_EQ(world.desktop.PointerAt().x, 0);
  EXPECT_EQ(world.engine->desktop.originX, 0);
  EXPECT_FALSE(world.engine->input.heldButtonLeft);
  EXPECT_TRUE(world.desktop.InjectedKeysDown().empty());
}

TEST(InputStatementsTest, CoordinatesSaturateInsteadOfOverflowing) {
  TestWorld world;
  EXPECT_EQ(world.RunLines({"SETORIGIN 2147483647,-2147483648", "MOVETO 10,-10"}), 0);
  EXPECT_EQ(Points(world, "SetCursorPos"), (std::vector<std::string>{"2147483647,-2147483648"}));
}

TEST(InputStatementsTest, WheelCounts) {
  struct Case {
    std::string line;
    std::string data;
  };
  const Case cases[] = {{"WHEEL", "120"}, {"WHEEL 3", "360"}, {"WHEEL -3", "-360"}, {"WHEEL -2", "-240"},
                        {"WHEEL 99999999", "2147483647"}};
  for (const Case& c : cases) {
    TestWorld world;
    EXPECT_EQ(world.RunLines({c.line}), 0);
    EXPECT_EQ(world.CallsOf("mouse_event", "data"), std::vector<std::string>{c.data}) << c.line;
    EXPECT_EQ(world.CallsOf("mouse_event", "flags"), std::vector<std::string>{"2048"}) << c.line;
  }
}

TEST(InputStatementsTest, KeyTypesTokensAndVariables) {
  struct Case {
    std::vector<std::string> lines;
    std::vector<std::string> vks;  // keybd_event codes in order
  };
  const Case cases[] = {
      {{"KEY ab [SHIFT]++ c [SHIFT]--"}, {"65", "65", "66", "66", "16", "67", "67", "16"}},
      {{"DIM %k", "SET %k [ENTER]", "KEY %k"}, {"13", "13"}},
      {{"KEY a++ a--"}, {"65", "65"}},
  };
  for (const Case& c : cases) {
    TestWorld world;
    EXPECT_EQ(world.RunLines(c.lines), 0);
    std::vector<std::string> vks = world.CallsOf("keybd_event", "vk");
    EXPECT_EQ(vks, c.vks) << c.lines.back();
    EXPECT_TRUE(world.desktop.InjectedKeysDown().empty()) << c.lines.back();
  }
}

TEST(InputStatementsTest, KeyTypesAQuotedTokenCharacterByCharacter) {
  TestWorld world;
  EXPECT_EQ(world.RunLines({"KEY \"a\""}), 0);
  std::vector<std::string> chars = world.CallsOf("VkKeyScanA", "char");
  EXPECT_EQ(chars, (std::vector<std::string>{"34", "65", "34"}));
  EXPECT_EQ(world.CallsOf("keybd_event", "vk").size(), 6u);
}

// Whichever way a run ends, nothing the macro pressed stays down.
TEST(InputStatementsTest, HeldKeysAreReleasedAtEveryRunEnd) {
  struct Case {
    std::string name;
    std::string desktop;
    std::vector<std::string> lines;
    int exitCode;
  };
  const Case cases[] = {
      {"last line", "{}", {"KEY [SHIFT]++ [LCLICK]++ [RCLICK]++"}, 0},
      {"END", "{}", {"KEY [SHIFT]++ [CTRL]++", "END", "KEY [SHIFT]--"}, 0},
      {"break key", R"({"keys": [{"vk": 27, "down": 0}]})", {"KEY [SHIFT]++", "KEY [ALT]++"}, 0},
      {"fatal error", "{}", {"KEY [SHIFT]++", "SET %nothing (left a)"}, 1},
      {"No to continue", R"({"answers": ["OK", "NO"]})", {"KEY [SHIFT]++", "KEY [NOPE]"}, 1},
      {"failed file operation", R"({"answers": ["OK", "NO"]})", {"KEY [SHIFT]++", "OPEN 1 Z:\\none.txt r"}, 1},
      {"abort at ACTIVATE-WINDOW", R"({"answers": ["YES"]})", {"KEY [SHIFT]++", "ACTIVATE-WINDOW nowhere"}, 1},
  };
  for (const Case& c : cases) {
    TestWorld world(c.desktop);
    EXPECT_EQ(world.RunLines(c.lines), c.exitCode) << c.name;
    if (c.exitCode != 0) EndRun(*world.engine);  // what the program's end does after an error
    EXPECT_TRUE(world.desktop.InjectedKeysDown().empty()) << c.name;
    EXPECT_FALSE(world.desktop.InjectedKeyDown(1)) << c.name;
    EXPECT_FALSE(world.engine->input.heldKeys[16]) << c.name;
    EXPECT_FALSE(world.engine->input.heldButtonLeft) << c.name;
    EXPECT_FALSE(world.engine->input.heldButtonRight) << c.name;
  }
}

TEST(InputStatementsTest, PasteKeyChoosesThePasteMethod) {
  struct Case {
    std::string pasteKey;
    std::vector<std::string> keys;  // keybd_event codes
    std::string editorText;
  };
  const Case cases[] = {
      {"", {"16", "45", "45", "16"}, ""},
      {"api-caret", {}, "hi"},
      {"API-MOUSE", {}, "hi"},
      {"\"[CTRL]++ v [CTRL]--\"", {"17", "86", "86", "17"}, ""},
  };
  for (const Case& c : cases) {
    TestWorld world(R"({
      "windows": [{"id": 10, "title": "Editor", "rect": [300, 200, 700, 500], "thread": 5, "caret": [10, 20]}],
      "foreground": 10, "pointer": [400, 300]})");
    EXPECT_EQ(world.RunLines({"PASTEKEY " + c.pasteKey, "PASTE hi"}), 0) << c.pasteKey;
    EXPECT_EQ(world.CallsOf("keybd_event", "vk"), c.keys) << c.pasteKey;
    EXPECT_EQ(world.desktop.WindowText(10), c.editorText) << c.pasteKey;
    EXPECT_EQ(world.desktop.ClipboardText(), std::optional<std::string>("hi")) << c.pasteKey;
  }
}

TEST(InputStatementsTest, SendModes) {
  struct Case {
    std::string mode;
    std::vector<std::string> sent;    // SendMessageA message numbers
    std::vector<std::string> posted;  // PostMessageA message numbers
  };
  // "a", then the double-byte character あ (0x82A0).
  const Case cases[] = {
      {"", {"258", "646"}, {}},
      {"CHAR", {"258", "258"}, {"258"}},
      {"2", {"646", "646"}, {}},
  };
  for (const Case& c : cases) {
    TestWorld world(kEditor);
    EXPECT_EQ(world.RunLines({"SEND aあ " + c.mode, "SETORIGIN"}), 0) << c.mode;
    EXPECT_EQ(world.CallsOf("SendMessageA", "message"), c.sent) << c.mode;
    EXPECT_EQ(world.CallsOf("PostMessageA", "message"), c.posted) << c.mode;
    EXPECT_EQ(testing::Utf8(world.desktop.WindowText(10)), "aあ") << c.mode;
  }
}

TEST(InputStatementsTest, HotkeyListWhileNotResident) {
  TestWorld world;
  world.engine->hotkeys = {{1, "[F1] a.mac"}};  // ignored while not resident
  EXPECT_EQ(world.RunLines({"HOTKEY title"}), 0);
  EXPECT_EQ(world.Boxes(), std::vector<std::string>{"【ホットキー一覧】title\r\r\r常駐モードではありません\r"});
  EXPECT_EQ(world.CallsOf("MessageBoxA", "flags"), std::vector<std::string>{"65536"});
}

TEST(InputStatementsTest, HotkeyListWhileResidentShowsRegisteredEntries) {
  TestWorld world;
  world.engine->residentMode = true;
  world.engine->hotkeys = {{1, "[F1] menu"}, {0, "[F2] failed"}, {2, "[F3] b.mac"}};
  EXPECT_EQ(world.RunLines({"HOTKEY"}), 0);
  EXPECT_EQ(world.Boxes(), std::vector<std::string>{"【ホットキー一覧】\r\r[F1] menu\r[F3] b.mac\r"});
}

TEST(InputStatementsTest, ActivateWindow) {
  struct Case {
    std::string desktop;
    std::string line;
    int exitCode;
    std::vector<std::string> boxes;
    platform::WindowId foreground;
  };
  const Case cases[] = {
      {kEditor.data(), "ACTIVATE-WINDOW Editor", 0, {}, 10},
      {R"({"answers": ["NO"]})", "ACTIVATE-WINDOW Nowhere", 0,
       {"Activate-Window で [ Nowhere ] が見つかりません。\rマクロを中断しますか？"}, 0},
      {R"({"answers": ["YES"]})", "ACTIVATE-WINDOW Nowhere", 1,
       {"Activate-Window で [ Nowhere ] が見つかりません。\rマクロを中断しますか？"}, 0},
  };
  for (const Case& c : cases) {
    TestWorld world(c.desktop);
    EXPECT_EQ(world.RunLines({c.line}), c.exitCode) << c.line;
    EXPECT_EQ(world.Boxes(), c.boxes) << c.line;
    for (const std::string& flags : world.CallsOf("MessageBoxA", "flags")) EXPECT_EQ(flags, "4");
    EXPECT_EQ(world.desktop.Foreground(), c.foreground) << c.line;
  }
}

TEST(InputStatementsTest, ActivateWindowReleasesAndReblocksInput) {
  TestWorld world(R"({"answers": ["NO"]})");
  EXPECT_EQ(world.RunLines({"BLOCKINPUT 5", "ACTIVATE-WINDOW Nowhere", "SETORIGIN"}), 0);
  std::vector<std::string> order;
  for (const nlohmann::json& e : world.desktop.Trace()) {
    std::string call = e.value("call", "");
    if (call == "BlockInput") order.push_back(e["block"].get<bool>() ? "block" : "free");
    if (call == "FindWindowA" || call == "MessageBoxA") order.push_back(call);
  }
  EXPECT_EQ(order, (std::vector<std::string>{"block", "FindWindowA", "free", "MessageBoxA", "block", "free"}));
}

TEST(InputStatementsTest, BeepLimits) {
  struct Case {
    std::string line;
    std::string frequency;
    std::string ms;
  };
  const Case cases[] = {{"BEEP", "2000", "1000"},  {"BEEP 10", "37", "1000"}, {"BEEP 40000", "32767", "1000"},
                        {"BEEP 440 -5", "440", "1000"}, {"BEEP 440 0", "440", "0"}};
  for (const Case& c : cases) {
    TestWorld world;
    EXPECT_EQ(world.RunLines({c.line}), 0);
    EXPECT_EQ(world.CallsOf("Beep", "frequency"), std::vector<std::string>{c.frequency}) << c.line;
    EXPECT_EQ(world.CallsOf("Beep", "ms"), std::vector<std::string>{c.ms}) << c.line;
  }
}

TEST(InputStatementsTest, SetBreakKey) {
  struct Case {
    std::string line;
    int breakKey;
    std::string variable;
    std::vector<std::string> boxes;
  };
  const Case cases[] = {
      {"SETBREAKKEY [F12]", 123, "[F12]", {}},
      {"SETBREAKKEY q", 81, "Q", {}},
      {"SETBREAKKEY", 27, "", {}},
      {"SETBREAKKEY [NOPE]", 27, "", {"Err：ブレークキーに指定したキーコードが不正です", "マクロを継続しますか？"}},
  };
  for (const Case& c : cases) {
    TestWorld world(R"({"answers": ["OK", "YES"]})");
    EXPECT_EQ(world.RunLines({c.line}), 0);
    EXPECT_EQ(world.engine->input.breakKey, c.breakKey) << c.line;
    EXPECT_EQ(world.Var("%BREAKKEY"), c.variable) << c.line;
    EXPECT_EQ(world.Boxes(), c.boxes) << c.line;
  }
}

// The active window of the program's own thread is its main window.
TEST(InputStatementsTest, SetImeOpensAndClosesTheActiveWindowsIme) {
  TestWorld world(R"({"active": 1})");
  EXPECT_EQ(world.RunLines({"SET-IME true"}), 0);
  EXPECT_EQ(world.RunLines({"SET-IME"}), 0);
  EXPECT_EQ(world.CallsOf("ImmSetOpenStatus", "open"), (std::vector<std::string>{"true", "false"}));
  EXPECT_EQ(world.CallsOf("ImmSetOpenStatus", "window"), (std::vector<std::string>{"1", "1"}));
}

TEST(InputStatementsTest, AutoDelayStepOnlyWhenSkippingTheRunDelay) {
  Settings settings;
  settings.autoDelaySkip = true;
  TestWorld world("{}", settings);
  EXPECT_EQ(world.RunLines({"AUTODELAY 50", "MOVETO 1,1", "WHEEL", "KEY a", "SETORIGIN"}), 0);
  EXPECT_EQ(world.CallsOf("Sleep", "ms"), (std::vector<std::string>{"50", "50"}));
}

}  // namespace
}  // namespace vendrix
