#include "platform/sim/sim_pointer.h"

#include <algorithm>

namespace vendrix::sim {
namespace {

constexpr uint32_t kMouseEventMove = 0x0001;
constexpr uint32_t kMouseEventAbsolute = 0x8000;
// Absolute mouse coordinates run from 0 to 65535 across the screen.
constexpr int64_t kAbsoluteScale = 65536;

int Clamp(int64_t value, int side) { return static_cast<int>(std::clamp<int64_t>(value, 0, side - 1)); }

}  // namespace

// Windows keeps the pointer on the screen.
void SimPointer::SetCursorPos(platform::Point where) {
  if (world_.Tracing()) world_.Record("SetCursorPos", {{"x", where.x}, {"y", where.y}});
  at_ = {Clamp(where.x, display_.Width()), Clamp(where.y, display_.Height())};
}

platform::Point SimPointer::GetCursorPos() {
  if (world_.Tracing()) world_.Record("GetCursorPos", {{"result", {at_.x, at_.y}}});
  return at_;
}

// Relative moves go the distance asked: the simulated mouse has no
// acceleration.
void SimPointer::MovePointer(int32_t dx, int32_t dy, uint32_t mouseFlags) {
  if ((mouseFlags & kMouseEventMove) == 0) return;
  if (mouseFlags & kMouseEventAbsolute) {
    at_ = {Clamp(int64_t{dx} * display_.Width() / kAbsoluteScale, display_.Width()),
                Clamp(int64_t{dy} * display_.Height() / kAbsoluteScale, display_.Height())};
    return;
  }
  at_ = {Clamp(int64_t{at_.x} + dx, display_.Width()), Clamp(int64_t{at_.y} + dy, display_.Height())};
}

}  // namespace vendrix::sim
