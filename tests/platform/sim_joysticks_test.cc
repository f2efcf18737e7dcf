// The simulated joysticks.
#include <gtest/gtest.h>

#include "platform/sim/sim_desktop.h"

namespace vendrix::sim {
namespace {

TEST(SimJoysticks, StateFollowsVirtualTime) {
  SimDesktop desktop(R"({"joysticks": [
      {"id": 0, "states": [{"at": 100, "x": 0, "buttons": 1}, {"at": 200, "x": 65535, "z": 5}]},
      {"id": 1}]})");
  auto& joysticks = desktop.joysticks();
  struct Step {
    uint32_t sleep;
    uint32_t x;
    uint32_t z;
    uint32_t buttons;
  };
  const Step steps[] = {
      {0, 32767, 32767, 0},  // before the first sample: centred
      {100, 0, 32767, 1},
      {99, 0, 32767, 1},
      {1, 65535, 5, 0},      // a sample replaces the whole state
      {100000, 65535, 5, 0},
  };
  for (const Step& s : steps) {
    desktop.clock().Sleep(s.sleep);
    const auto state = joysticks.Read(0);
    ASSERT_TRUE(state.has_value());
    EXPECT_EQ(state->x, s.x) << desktop.NowMs();
    EXPECT_EQ(state->z, s.z) << desktop.NowMs();
    EXPECT_EQ(state->buttons, s.buttons) << desktop.NowMs();
  }
  ASSERT_TRUE(joysticks.Read(1).has_value());
  EXPECT_EQ(joysticks.Read(1)->y, 32767u);
  for (int absent : {-1, 2, 15}) EXPECT_FALSE(joysticks.Read(absent).has_value()) << absent;
  SimDesktop none;
  EXPECT_FALSE(none.joysticks().Read(0).has_value());
}

}  // namespace
}  // namespace vendrix::sim
