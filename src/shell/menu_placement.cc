#include "shell/menu_placement.h"

#include <algorithm>
#include <cstdint>
#include <limits>

namespace vendrix::shell {
namespace {

int ClampToInt(int64_t value) {
  return static_cast<int>(
      std::clamp<int64_t>(value, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
}

void ConvertFromEdge(int& limit, int screenSize) {
  if (limit < 0) limit = ClampToInt(int64_t{limit} + screenSize);
}

void HoldBelow(int64_t& position, int limit) {
  if (limit != 0 && position > limit) position = limit;
}

void HoldAbove(int64_t& position, int limit) {
  if (limit != 0 && position < limit) position = limit;
}

}  // namespace

MenuLimits MenuLimitsOf(const Settings& settings) {
  return {settings.topMax, settings.topMin, settings.leftMax, settings.leftMin, false};
}

MenuPlacement PlaceMenuWindow(const Settings& settings, MenuLimits& limits, platform::Point pointer, int screenWidth,
                              int screenHeight, bool applyLimits) {
  const int64_t top = (settings.nearMouse ? int64_t{pointer.y} : 0) + settings.menuTop;
  const int64_t left = (settings.nearMouse ? int64_t{pointer.x} : 0) + settings.menuLeft;
  if (!applyLimits) return {ClampToInt(left), ClampToInt(top), std::nullopt};

  if (!limits.converted) {
    ConvertFromEdge(limits.topMax, screenHeight);
    ConvertFromEdge(limits.topMin, screenHeight);
    ConvertFromEdge(limits.leftMax, screenWidth);
    ConvertFromEdge(limits.leftMin, screenWidth);
    limits.converted = true;
  }
  int64_t heldTop = top;
  int64_t heldLeft = left;
  HoldBelow(heldTop, limits.topMax);
  HoldAbove(heldTop, limits.topMin);
  HoldBelow(heldLeft, limits.leftMax);
  HoldAbove(heldLeft, limits.leftMin);

  MenuPlacement placement{ClampToInt(heldLeft), ClampToInt(heldTop), std::nullopt};
  if (heldTop != top || heldLeft != left) {
    placement.movePointerTo =
        platform::Point{ClampToInt(heldLeft - settings.menuLeft), ClampToInt(heldTop - settings.menuTop)};
  }
  return placement;
}

}  // namespace vendrix::shell
