#include <algorithm>

#include "platform/sim/sim_desktop.h"

namespace vendrix::sim {
namespace {

constexpr uint32_t kMouseEventMove = 0x0001;
constexpr uint32_t kMouseEventAbsolute = 0x8000;
// Absolute mouse coordinates run from 0 to 65535 across the screen.
constexpr int64_t kAbsoluteScale = 65536;

int Clamp(int64_t value, int side) { return static_cast<int>(std::clamp<int64_t>(value, 0, side - 1)); }

}  // namespace

// Windows keeps the pointer on the screen.
void SimDesktop::SetCursorPos(platform::Point where) {
  if (Tracing()) Record("SetCursorPos", {{"x", where.x}, {"y", where.y}});
  pointer_ = {Clamp(where.x, screenWidth_), Clamp(where.y, screenHeight_)};
}

platform::Point SimDesktop::GetCursorPos() {
  if (Tracing()) Record("GetCursorPos", {{"result", {pointer_.x, pointer_.y}}});
  return pointer_;
}

// Relative moves go the distance asked: the simulated mouse has no
// acceleration.
void SimDesktop::MovePointer(int32_t dx, int32_t dy, uint32_t mouseFlags) {
  if ((mouseFlags & kMouseEventMove) == 0) return;
  if (mouseFlags & kMouseEventAbsolute) {
    pointer_ = {Clamp(int64_t{dx} * screenWidth_ / kAbsoluteScale, screenWidth_),
                Clamp(int64_t{dy} * screenHeight_ / kAbsoluteScale, screenHeight_)};
    return;
  }
  pointer_ = {Clamp(int64_t{pointer_.x} + dx, screenWidth_), Clamp(int64_t{pointer_.y} + dy, screenHeight_)};
}

}  // namespace vendrix::sim
