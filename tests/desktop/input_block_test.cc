// The input block and its watchdog, on the desktop layer's own record.
#include "desktop/input_block.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/desktop_world.h"

namespace vendrix {
namespace {

using testing::DesktopWorld;

// "on"/"off" for each BlockInput call, in order.
std::vector<std::string> Blocks(const DesktopWorld& world) {
  std::vector<std::string> out;
  for (const nlohmann::json& call : world.Calls("BlockInput")) out.push_back(call["block"].get<bool>() ? "on" : "off");
  return out;
}

TEST(InputBlockTest, TheWatchdogLiftsTheBlockAfterItsTicks) {
  DesktopWorld world;
  BlockInputFor(world.Context(), 2);
  EXPECT_EQ(world.input.blockLevel, 2);
  Timer2Timer(world.Context());
  EXPECT_EQ(Blocks(world), (std::vector<std::string>{"on"}));
  Timer2Timer(world.Context());
  EXPECT_EQ(world.input.blockLevel, 0);
  EXPECT_EQ(Blocks(world), (std::vector<std::string>{"on", "off"}));
  Timer2Timer(world.Context());  // nothing left to count down
  EXPECT_EQ(Blocks(world), (std::vector<std::string>{"on", "off"}));
}

TEST(InputBlockTest, ReleasedOnlyWhileBlockedAndRestoredAfterwards) {
  struct Case {
    int seconds;
    std::vector<std::string> blocks;
  };
  const Case cases[] = {
      {0, {"off"}},                  // BlockInputFor(0) unblocks; nothing to release
      {3, {"on", "off", "on"}},      // lifted for the scope, then blocked again
  };
  for (const Case& c : cases) {
    DesktopWorld world;
    BlockInputFor(world.Context(), c.seconds);
    { InputReleased released(world.Context()); }
    EXPECT_EQ(Blocks(world), c.blocks) << c.seconds;
  }
}

}  // namespace
}  // namespace vendrix
