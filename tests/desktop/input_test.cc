// The injection primitives, the held-input record and the key-text sender,
// on both injection paths of the simulated desktop.
#include "desktop/input.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "desktop/keys.h"
#include "engine/report.h"
#include "support/desktop_world.h"
#include "support/test_world.h"

namespace vendrix {
namespace {

using testing::Sjis;
using testing::TestWorld;

Settings WithSendInput(bool on) {
  Settings settings;
  settings.useSendInput = on;
  return settings;
}

// The injected events, one short line each, in order.
std::vector<std::string> Injected(const TestWorld& world, size_t from = 0) {
  std::vector<std::string> out;
  const std::vector<nlohmann::json>& trace = world.desktop.Trace();
  for (size_t i = from; i < trace.size(); ++i) {
    const nlohmann::json& e = trace[i];
    std::string call = e.value("call", "");
    if (call == "keybd_event" || (call == "SendInput" && e["type"] == "keyboard")) {
      out.push_back((call == "keybd_event" ? "kb " : "si ") + e["vk"].dump() + " " + e["scan"].dump() + " " +
                    e["flags"].dump());
    } else if (call == "mouse_event" || call == "SendInput") {
      out.push_back((call == "mouse_event" ? "me " : "sm ") + e["flags"].dump() + " " + e["data"].dump());
    }
  }
  return out;
}

uint32_t Scan(TestWorld& world, int code) {
  return world.platform.input.MapVirtualKey(static_cast<uint32_t>(code), 0);
}

TEST(InputTest, KeyInputOnBothPaths) {
  struct Case {
    bool sendInput;
    int code;
    uint32_t flags;
    std::string expected;  // %s stands for the key's scan code
  };
  const Case cases[] = {
      {false, 65, 0, "kb 65 0 0"},
      {false, 45, 0, "kb 45 %s 1"},
      {false, 17, platform::kKeyEventKeyUp, "kb 17 %s 3"},
      {false, 91, 0, "kb 91 0 0"},
      {true, 65, 0, "si 65 %s 0"},
      {true, 45, 0, "si 45 %s 1"},
      {true, 17, platform::kKeyEventKeyUp, "si 17 %s 3"},
      {true, 111, 0, "si 111 %s 1"},
  };
  for (const Case& c : cases) {
    TestWorld world("{}", WithSendInput(c.sendInput));
    KeyInput(DesktopOf(*world.engine), c.code, c.flags, 0);
    std::string expected = c.expected;
    size_t at = expected.find("%s");
    if (at != std::string::npos) expected.replace(at, 2, std::to_string(Scan(world, c.code)));
    EXPECT_EQ(Injected(world), std::vector<std::string>{expected}) << c.code << " " << c.sendInput;
    EXPECT_EQ(world.desktop.InjectedKeyDown(c.code), (c.flags & platform::kKeyEventKeyUp) == 0);
  }
}

TEST(InputTest, ExtendedKeysAreExactlyTheListedOnes) {
  const std::vector<int> extended = {3, 16, 17, 18, 33, 34, 35, 36, 37, 38, 39, 40, 44, 45, 46, 111, 144};
  for (int code = 0; code < 256; ++code) {
    bool listed = std::find(extended.begin(), extended.end(), code) != extended.end();
    EXPECT_EQ(IsExtendedKey(code), listed) << code;
  }
}

TEST(InputTest, CodesAboveByteRangeKeepSixteenBitsOrEight) {
  for (bool sendInput : {false, true}) {
    TestWorld world("{}", WithSendInput(sendInput));
    SendKeyText(DesktopOf(*world.engine), "[OEM-321]");
    // 321 & 0xFF = 65; 321 & 0xFFFF = 321.
    std::vector<std::string> expected = sendInput
        ? std::vector<std::string>{"si 321 0 0", "si 321 0 2"}
        : std::vector<std::string>{"kb 65 0 0", "kb 65 0 2"};
    EXPECT_EQ(Injected(world), expected);
    SendKeyText(DesktopOf(*world.engine), "[OEM-65636]++");
    for (bool held : world.engine->input.heldKeys) EXPECT_FALSE(held);
  }
}

TEST(InputTest, WheelAndButtonsOnBothPaths) {
  for (bool sendInput : {false, true}) {
    TestWorld world("{}", WithSendInput(sendInput));
    MouseInput(DesktopOf(*world.engine), platform::kMouseEventWheel, 0, 0, -240, 0);
    MouseInput(DesktopOf(*world.engine), platform::kMouseEventLeftDown, 0, 0, 0, 0);
    std::string tag = sendInput ? "sm " : "me ";
    EXPECT_EQ(Injected(world), (std::vector<std::string>{tag + "2048 -240", tag + "2 0"}));
    EXPECT_TRUE(world.desktop.InjectedKeyDown(1));
  }
}

TEST(InputTest, ReleaseHeldInputReleasesOnceInOrder) {
  TestWorld world;
  SendKeyText(DesktopOf(*world.engine), "[RCLICK]++ [SHIFT]++ A++ [LCLICK]++ [CTRL]++");
  size_t mark = world.desktop.Trace().size();
  ReleaseHeldInput(DesktopOf(*world.engine));
  std::vector<std::string> released = Injected(world, mark);
  uint32_t shiftScan = Scan(world, 16);
  uint32_t ctrlScan = Scan(world, 17);
  EXPECT_EQ(released, (std::vector<std::string>{"me 4 0", "me 16 0", "kb 16 " + std::to_string(shiftScan) + " 3",
                                                "kb 17 " + std::to_string(ctrlScan) + " 3", "kb 65 0 2"}));
  EXPECT_TRUE(world.desktop.InjectedKeysDown().empty());
  mark = world.desktop.Trace().size();
  ReleaseHeldInput(DesktopOf(*world.engine));
  EXPECT_TRUE(Injected(world, mark).empty());
}

TEST(SendKeyTextTest, TokensSuffixesAndHeldFlags) {
  struct Case {
    std::string text;
    std::vector<std::string> events;
    std::vector<int> held;  // held-key codes afterwards
  };
  const Case cases[] = {
      {"[SHIFT]++ a [SHIFT]--", {"kb 16 S 1", "kb 65 0 0", "kb 65 0 2", "kb 16 S 3"}, {}},
      {"[CTRL]++ c", {"kb 17 C 1", "kb 67 0 0", "kb 67 0 2"}, {17}},
      {"[LCLICK]--", {"me 4 0"}, {}},
      {"[LCLICK]", {"me 2 0", "me 4 0"}, {}},
      {"[MCLICK]", {"kb 4 0 0", "kb 4 0 2"}, {}},
      {"ab", {}, {}},
      {"a  b", {"kb 65 0 0", "kb 65 0 2", "kb 66 0 0", "kb 66 0 2"}, {}},
      {"[OEM-] [OEM-x]", {}, {}},
      {"[esc]", {"kb 27 0 0", "kb 27 0 2"}, {}},
  };
  for (const Case& c : cases) {
    TestWorld world;
    SendKeyText(DesktopOf(*world.engine), c.text);
    std::vector<std::string> expected = c.events;
    for (std::string& e : expected) {
      size_t s = e.find(" S ");
      if (s != std::string::npos) e.replace(s, 3, " " + std::to_string(Scan(world, 16)) + " ");
      size_t k = e.find(" C ");
      if (k != std::string::npos) e.replace(k, 3, " " + std::to_string(Scan(world, 17)) + " ");
    }
    EXPECT_EQ(Injected(world), expected) << c.text;
    std::vector<int> held;
    for (int code = 0; code < 256; ++code) {
      if (world.engine->input.heldKeys[static_cast<size_t>(code)]) held.push_back(code);
    }
    EXPECT_EQ(held, c.held) << c.text;
    EXPECT_EQ(world.desktop.InjectedKeysDown(), c.held) << c.text;
    EXPECT_TRUE(world.Boxes().empty()) << c.text;
  }
}

TEST(SendKeyTextTest, OpenBracketAloneIsTheBracketKey) {
  TestWorld world;
  int code = world.platform.input.VkKeyScan('[') & 0xFF;
  SendKeyText(DesktopOf(*world.engine), "[");
  EXPECT_EQ(Injected(world), (std::vector<std::string>{"kb " + std::to_string(code) + " 0 0",
                                                       "kb " + std::to_string(code) + " 0 2"}));
}

TEST(SendKeyTextTest, UnknownNameIsReportedAndSkipped) {
  TestWorld world(R"({"answers": ["OK", "YES"]})");
  SendKeyText(DesktopOf(*world.engine), "[NOPE] b");
  EXPECT_EQ(world.Boxes(), (std::vector<std::string>{"Err：[]の中が不正です：[NOPE]", "マクロを継続しますか？"}));
  EXPECT_EQ(Injected(world), (std::vector<std::string>{"kb 66 0 0", "kb 66 0 2"}));
}

TEST(SendKeyTextTest, ReleasesAndReblocksInputAroundTheKeys) {
  TestWorld world;
  BlockInputFor(DesktopOf(*world.engine), 5);
  size_t mark = world.desktop.Trace().size();
  SendKeyText(DesktopOf(*world.engine), "a");
  std::vector<std::string> calls;
  const std::vector<nlohmann::json>& trace = world.desktop.Trace();
  for (size_t i = mark; i < trace.size(); ++i) {
    const nlohmann::json& e = trace[i];
    std::string call = e.value("call", "");
    if (call == "BlockInput") calls.push_back(call + (e["block"].get<bool>() ? " on" : " off"));
    if (call == "keybd_event") calls.push_back(call);
  }
  EXPECT_EQ(calls, (std::vector<std::string>{"BlockInput off", "keybd_event", "keybd_event", "BlockInput on"}));
  EXPECT_TRUE(world.desktop.InputBlocked());
}

// Without an interpreter: the desktop layer asks its MacroErrors about a
// bad name and stops the key text when told to, and keeps held keys in its
// own record.
TEST(SendKeyTextTest, ABadNameAsksWhetherToGoOnWithTheRestOfTheText) {
  struct Case {
    bool goOn;
    size_t keyEvents;  // "a" pressed and released, then "b" too when going on
  };
  for (const Case c : {Case{true, 4}, Case{false, 2}}) {
    testing::DesktopWorld world;
    world.errors.goOn = c.goOn;
    SendKeyText(world.Context(), "a [NOPE] b");
    EXPECT_EQ(world.errors.asked, (std::vector<std::string>{Sjis("[]の中が不正です：[NOPE]")})) << c.goOn;
    EXPECT_EQ(world.Calls("keybd_event").size(), c.keyEvents) << c.goOn;
  }
}

TEST(SendKeyTextTest, HeldKeysAreRecordedInTheDesktopsOwnState) {
  testing::DesktopWorld world;
  SendKeyText(world.Context(), "[SHIFT]++ [LCLICK]++");
  EXPECT_TRUE(world.input.heldKeys[16]);
  EXPECT_TRUE(world.input.heldButtonLeft);
  ReleaseHeldInput(world.Context());
  EXPECT_FALSE(world.input.heldKeys[16]);
  EXPECT_FALSE(world.input.heldButtonLeft);
  EXPECT_TRUE(world.errors.asked.empty());
}

}  // namespace
}  // namespace vendrix
