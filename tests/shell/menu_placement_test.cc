// Placing the menu window and holding it within its limits.
#include "shell/menu_placement.h"

#include <gtest/gtest.h>

#include <limits>
#include <optional>

namespace vendrix::shell {
namespace {

constexpr int kMax = std::numeric_limits<int>::max();
constexpr int kMin = std::numeric_limits<int>::min();

struct Expected {
  int left;
  int top;
  std::optional<platform::Point> pointer;
};

void ExpectPlacement(const MenuPlacement& got, const Expected& want, const char* name) {
  EXPECT_EQ(got.left, want.left) << name;
  EXPECT_EQ(got.top, want.top) << name;
  ASSERT_EQ(got.movePointerTo.has_value(), want.pointer.has_value()) << name;
  if (want.pointer) {
    EXPECT_EQ(got.movePointerTo->x, want.pointer->x) << name;
    EXPECT_EQ(got.movePointerTo->y, want.pointer->y) << name;
  }
}

Settings WithLimits(int topMax, int topMin, int leftMax, int leftMin) {
  Settings s;
  s.topMax = topMax;
  s.topMin = topMin;
  s.leftMax = leftMax;
  s.leftMin = leftMin;
  return s;
}

TEST(MenuPlacementTest, LimitsHoldTheWindow) {
  struct Case {
    const char* name;
    Settings settings;
    platform::Point pointer;
    Expected expected;
  };
  Settings farOffFree;
  farOffFree.nearMouse = false;
  Settings farOff = WithLimits(0, 50, 0, 0);
  farOff.nearMouse = false;
  farOff.menuTop = 20;
  farOff.menuLeft = 30;
  const Case cases[] = {
      {"top_max from the bottom", WithLimits(-100, 0, 0, 0), {300, 700}, {310, 668, platform::Point{300, 658}}},
      {"inside the limits", WithLimits(-100, 5, -5, 5), {300, 400}, {310, 410, std::nullopt}},
      {"top_min", WithLimits(0, 50, 0, 0), {300, 0}, {310, 50, platform::Point{300, 40}}},
      {"left_max from the right", WithLimits(0, 0, -200, 0), {1000, 100}, {824, 110, platform::Point{814, 100}}},
      {"left_min", WithLimits(0, 0, 0, 30), {-100, 100}, {30, 110, platform::Point{20, 100}}},
      {"zero is no limit", WithLimits(0, 0, 0, 0), {-50, 5000}, {-40, 5010, std::nullopt}},
      {"converted to zero is no limit", WithLimits(-768, 0, -1024, 0), {2000, 2000}, {2010, 2010, std::nullopt}},
      {"min wins over a lower max", WithLimits(100, 200, 0, 0), {0, 150}, {10, 200, platform::Point{0, 190}}},
      {"not near the mouse", farOffFree, {300, 700}, {10, 10, std::nullopt}},
      {"not near the mouse, held", farOff, {300, 700}, {30, 50, platform::Point{0, 30}}},
  };
  for (const Case& c : cases) {
    MenuLimits limits = MenuLimitsOf(c.settings);
    ExpectPlacement(PlaceMenuWindow(c.settings, limits, c.pointer, 1024, 768, true), c.expected, c.name);
  }
}

TEST(MenuPlacementTest, NegativeLimitsConvertOnce) {
  // -900 stays negative once converted; only the flag keeps it from
  // converting again.
  const Settings settings = WithLimits(-100, -900, -50, 0);
  MenuLimits limits = MenuLimitsOf(settings);

  // Without limits (the call-up hotkey) nothing is converted yet.
  ExpectPlacement(PlaceMenuWindow(settings, limits, {2000, 900}, 1024, 768, false), {2010, 910, std::nullopt},
                  "unlimited");
  EXPECT_FALSE(limits.converted);
  EXPECT_EQ(limits.topMax, -100);

  ExpectPlacement(PlaceMenuWindow(settings, limits, {2000, 900}, 1024, 768, true),
                  {974, 668, platform::Point{964, 658}}, "first");
  EXPECT_TRUE(limits.converted);
  EXPECT_EQ(limits.topMax, 668);
  EXPECT_EQ(limits.topMin, -132);
  EXPECT_EQ(limits.leftMax, 974);

  // A later, larger screen keeps the converted values.
  ExpectPlacement(PlaceMenuWindow(settings, limits, {2000, 900}, 1920, 1080, true),
                  {974, 668, platform::Point{964, 658}}, "second");
  EXPECT_EQ(limits.topMax, 668);
  EXPECT_EQ(limits.topMin, -132);
}

TEST(MenuPlacementTest, ExtremeValuesDoNotOverflow) {
  Settings big;
  big.menuTop = kMax;
  big.menuLeft = kMin;
  MenuLimits none = MenuLimitsOf(big);
  ExpectPlacement(PlaceMenuWindow(big, none, {kMin, kMax}, kMax, kMax, true), {kMin, kMax, std::nullopt}, "sums");

  Settings held = WithLimits(kMin, 5, kMax, 0);
  held.menuTop = kMin;
  held.menuLeft = kMax;
  MenuLimits limits = MenuLimitsOf(held);
  // topMax converts to kMin + kMax = -1, topMin then wins; the pointer would
  // go past both ends of the int range.
  ExpectPlacement(PlaceMenuWindow(held, limits, {kMax, kMin}, kMax, kMax, true), {kMax, 5, platform::Point{0, kMax}},
                  "limits");
  EXPECT_EQ(limits.topMax, -1);
}

}  // namespace
}  // namespace vendrix::shell
