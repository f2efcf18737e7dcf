#include <gtest/gtest.h>

#include <vector>

#include "platform/sim/sim_desktop.h"

namespace vendrix::sim {
namespace {

constexpr int16_t kDown = static_cast<int16_t>(0x8000);
constexpr int kVkEscape = 0x1B;
constexpr int kVkShift = 0x10;

TEST(SimInput, KeyHoldsFollowVirtualTime) {
  SimDesktop desktop(R"({"keys": [
      {"vk": 27, "down": 100, "up": 200},
      {"vk": 16, "down": 150}]})");
  struct Step {
    uint32_t sleep;
    int16_t escape;
    int16_t shift;
  };
  const Step steps[] = {
      {0, 0, 0},        // t=0
      {99, 0, 0},       // t=99
      {1, kDown, 0},    // t=100: down is inclusive
      {50, kDown, kDown},
      {49, kDown, kDown},  // t=199
      {1, 0, kDown},       // t=200: up is exclusive
      {100000, 0, kDown},  // no "up": held for ever
  };
  for (const Step& step : steps) {
    desktop.clock().Sleep(step.sleep);
    EXPECT_EQ(desktop.input().GetAsyncKeyState(kVkEscape), step.escape) << "t=" << desktop.NowMs();
    EXPECT_EQ(desktop.input().GetKeyState(kVkShift), step.shift) << "t=" << desktop.NowMs();
  }
}

TEST(SimInput, OutOfRangeKeyCodesAreUp) {
  SimDesktop desktop(R"({"keys": [{"vk": 255, "down": 0}]})");
  EXPECT_EQ(desktop.input().GetAsyncKeyState(255), kDown);
  EXPECT_EQ(desktop.input().GetAsyncKeyState(-1), 0);
  EXPECT_EQ(desktop.input().GetAsyncKeyState(256), 0);
  EXPECT_EQ(desktop.input().GetAsyncKeyState(255 + 256), 0);
}

TEST(SimInput, InjectedKeysStayDownUntilReleased) {
  SimDesktop desktop;
  auto& input = desktop.input();
  input.KeybdEvent(0x11, 0, 0, 0);
  input.SendKeyboardInput(0x41, 0x1E, 0, 0);
  input.SendKeyboardInput(0x2D, 0x52, platform::kKeyEventExtendedKey, 0);
  EXPECT_EQ(desktop.InjectedKeysDown(), (std::vector<int>{0x11, 0x2D, 0x41}));
  EXPECT_EQ(input.GetAsyncKeyState(0x41), kDown);

  input.SendKeyboardInput(0x41, 0x1E, platform::kKeyEventKeyUp, 0);
  input.KeybdEvent(0x11, 0, platform::kKeyEventKeyUp, 0);
  input.KeybdEvent(0x2D, 0, platform::kKeyEventKeyUp | platform::kKeyEventExtendedKey, 0);
  EXPECT_TRUE(desktop.InjectedKeysDown().empty());
  EXPECT_EQ(input.GetKeyState(0x41), 0);
}

TEST(SimInput, MouseButtonsCountAsKeysOneAndTwo) {
  SimDesktop desktop;
  auto& input = desktop.input();
  input.MouseEvent(platform::kMouseEventLeftDown, 0, 0, 0, 0);
  input.SendMouseInput(0, 0, 0, platform::kMouseEventRightDown, 0);
  EXPECT_TRUE(desktop.InjectedKeyDown(1));
  EXPECT_TRUE(desktop.InjectedKeyDown(2));
  EXPECT_EQ(input.GetAsyncKeyState(1), kDown);

  input.SendMouseInput(0, 0, 0, platform::kMouseEventLeftUp, 0);
  input.MouseEvent(platform::kMouseEventRightUp, 0, 0, 0, 0);
  EXPECT_TRUE(desktop.InjectedKeysDown().empty());

  // A click in one event ends up; the wheel is no button.
  input.MouseEvent(platform::kMouseEventLeftDown | platform::kMouseEventLeftUp, 0, 0, 0, 0);
  input.MouseEvent(platform::kMouseEventWheel, 0, 0, 120, 0);
  EXPECT_TRUE(desktop.InjectedKeysDown().empty());
}

TEST(SimInput, VkKeyScanFollowsTheJapaneseLayout) {
  constexpr int kShift = 0x100;
  struct Case {
    char character;
    int16_t expected;
  };
  // Where the JIS keys differ from US ones, and the edges of the table.
  const Case cases[] = {
      {'a', 'A'},           {'Z', 'Z' | kShift},  {'0', '0'},           {' ', 0x20},
      {'"', '2' | kShift},  {'(', '8' | kShift},  {':', 0xBA},          {'*', 0xBA | kShift},
      {';', 0xBB},          {'+', 0xBB | kShift}, {'=', 0xBD | kShift}, {'@', 0xC0},
      {'^', 0xDE},          {'~', 0xDE | kShift}, {'\\', 0xDC},         {'_', 0xE2 | kShift},
      {'\t', -1},           {'\x7F', -1},         {'\x81', -1},         {'\xB1', -1},
  };
  SimDesktop desktop;
  for (const Case& c : cases) {
    EXPECT_EQ(desktop.input().VkKeyScan(c.character), c.expected)
        << "character " << static_cast<int>(static_cast<unsigned char>(c.character));
  }
}

TEST(SimInput, MapVirtualKeyGivesSetOneScanCodes) {
  struct Case {
    uint32_t vk;
    uint32_t scan;
  };
  // Row ends of the generated letter, digit and F-key runs, plus table entries.
  const Case cases[] = {
      {0x1B, 0x01}, {'1', 0x02}, {'0', 0x0B}, {'Q', 0x10}, {'P', 0x19}, {'A', 0x1E},
      {'L', 0x26},  {'Z', 0x2C}, {'M', 0x32}, {0x70, 0x3B}, {0x79, 0x44}, {0x7A, 0x57},
      {0x2D, 0x52}, {0x60, 0x52}, {0x69, 0x49}, {0xBA, 0x28}, {0xDC, 0x7D}, {0xE2, 0x73},
      {0x00, 0},    {0xFF, 0},   {0x1000, 0},
  };
  SimDesktop desktop;
  for (const Case& c : cases) {
    EXPECT_EQ(desktop.input().MapVirtualKey(c.vk, 0), c.scan) << "vk " << c.vk;
  }
  EXPECT_EQ(desktop.input().MapVirtualKey('A', 1), 0u);  // other map types are not simulated
}

}  // namespace
}  // namespace vendrix::sim
