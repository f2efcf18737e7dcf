// The simulated pointer: kept on the screen, moved by injected mouse input.
#include <gtest/gtest.h>

#include "platform/sim/sim_desktop.h"

namespace vendrix::sim {
namespace {

using platform::Point;

TEST(SimPointer, SetCursorPosKeepsThePointerOnTheScreen) {
  SimDesktop desktop(R"({"screen": {"width": 800, "height": 600}, "pointer": [5, 6]})");
  EXPECT_EQ(desktop.pointer().GetCursorPos().x, 5);
  EXPECT_EQ(desktop.pointer().GetCursorPos().y, 6);
  struct Case {
    Point asked;
    Point landed;
  };
  const Case cases[] = {
      {{10, 20}, {10, 20}},    {{799, 599}, {799, 599}}, {{800, 600}, {799, 599}},
      {{-5, 300}, {0, 300}},   {{2147483647, -2147483647 - 1}, {799, 0}},
  };
  for (const Case& c : cases) {
    desktop.pointer().SetCursorPos(c.asked);
    const Point at = desktop.pointer().GetCursorPos();
    EXPECT_EQ(at.x, c.landed.x) << c.asked.x;
    EXPECT_EQ(at.y, c.landed.y) << c.asked.y;
  }
}

TEST(SimPointer, InjectedMouseMovesMoveThePointer) {
  SimDesktop desktop(R"({"screen": {"width": 800, "height": 600}, "pointer": [100, 100]})");
  constexpr uint32_t kMove = 0x0001;
  constexpr uint32_t kAbsolute = 0x8000;
  struct Case {
    int32_t dx;
    int32_t dy;
    uint32_t flags;
    Point landed;
  };
  const Case cases[] = {
      {10, -20, kMove, {110, 80}},
      {10, 10, platform::kMouseEventLeftDown, {110, 80}},  // no move flag: stays
      {-1000, 1000, kMove, {0, 599}},
      {32768, 32768, kMove | kAbsolute, {400, 300}},
      {65535, 0, kMove | kAbsolute, {799, 0}},
  };
  for (const Case& c : cases) {
    desktop.input().SendMouseInput(c.dx, c.dy, 0, c.flags, 0);
    EXPECT_EQ(desktop.PointerAt().x, c.landed.x) << c.dx;
    EXPECT_EQ(desktop.PointerAt().y, c.landed.y) << c.dy;
  }
  desktop.input().MouseEvent(kMove, 5, 5, 0, 0);
  EXPECT_EQ(desktop.PointerAt().x, 799);
  EXPECT_EQ(desktop.PointerAt().y, 5);
}

}  // namespace
}  // namespace vendrix::sim
