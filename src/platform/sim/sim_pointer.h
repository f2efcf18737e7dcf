// The simulated mouse pointer: where it is, moved by the program directly
// or by injected mouse input, always kept on the screen.
#pragma once

#include <cstdint>

#include "platform/platform.h"
#include "platform/sim/sim_display.h"
#include "platform/sim/sim_world.h"

namespace vendrix::sim {

class SimPointer final : public platform::Pointer {
 public:
  SimPointer(SimWorld& world, const SimDisplay& display, platform::Point at)
      : world_(world), display_(display), at_(at) {}

  void SetCursorPos(platform::Point where) override;
  platform::Point GetCursorPos() override;

  // Moves the pointer as a mouse input record with these flags does.
  void MovePointer(int32_t dx, int32_t dy, uint32_t mouseFlags);
  // Where the pointer is, untraced.
  platform::Point At() const { return at_; }

 private:
  SimWorld& world_;
  const SimDisplay& display_;
  platform::Point at_;
};

}  // namespace vendrix::sim
