// The simulated speaker.
#include <gtest/gtest.h>

#include "platform/sim/sim_desktop.h"

namespace vendrix::sim {
namespace {

TEST(SimSound, BeepTakesItsTimeUnlessTheToneIsRefused) {
  struct Case {
    uint32_t frequency;
    uint32_t ms;
    uint64_t after;
  };
  const Case cases[] = {
      {440, 250, 250}, {37, 10, 10}, {32767, 10, 10}, {36, 10, 0}, {32768, 10, 0}, {1000, 0, 0},
  };
  for (const Case& c : cases) {
    SimDesktop desktop;
    desktop.sound().Beep(c.frequency, c.ms);
    EXPECT_EQ(desktop.NowMs(), c.after) << c.frequency;
  }
}

}  // namespace
}  // namespace vendrix::sim
