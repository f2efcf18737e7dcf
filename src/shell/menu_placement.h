// Where the menu window goes on the screen.
#pragma once

#include <optional>

#include "engine/settings.h"
#include "platform/platform.h"

namespace vendrix::shell {

// The menu window's limits (top_max, top_min, left_max, left_min; 0 = no
// limit).  A negative limit counts from the bottom or right screen edge; it
// is converted to a screen position the first time limits are applied and
// kept so, which `converted` records.  The caller keeps one of these for the
// whole run.
struct MenuLimits {
  int topMax = 0;
  int topMin = 0;
  int leftMax = 0;
  int leftMin = 0;
  bool converted = false;
};

MenuLimits MenuLimitsOf(const Settings& settings);

struct MenuPlacement {
  int left = 0;
  int top = 0;
  // Set when the limits moved the window: the pointer goes back to the same
  // place relative to the window, (left - menuLeft, top - menuTop).
  std::optional<platform::Point> movePointerTo;
};

// The menu window's top-left corner: with nearMouse the pointer position
// plus (menuLeft, menuTop), otherwise (menuLeft, menuTop) itself.  With
// `applyLimits` the non-zero limits then hold the window, in the order
// topMax, topMin, leftMax, leftMin (so a max below its min loses to the
// min); the first such call converts negative limits using the screen size.
// The menu call-up hotkey places without limits, and such a call leaves
// `limits` alone.  Sums are taken in 64 bits and the results clamped to the
// int range, so no input overflows.
MenuPlacement PlaceMenuWindow(const Settings& settings, MenuLimits& limits, platform::Point pointer, int screenWidth,
                              int screenHeight, bool applyLimits);

}  // namespace vendrix::shell
