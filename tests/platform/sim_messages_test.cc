#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "platform/sim/sim_desktop.h"
#include "sim_test_support.h"

namespace vendrix::sim {
namespace {

using testing::RecordingSink;
using Ticks = std::vector<std::pair<int, uint64_t>>;

TEST(SimMessages, NothingIsDeliveredBeforeTheFirstPeriod) {
  SimDesktop desktop;
  RecordingSink sink(desktop);
  desktop.messages().SetTimer(1, 100);
  desktop.clock().Sleep(99);
  desktop.messages().ProcessMessages();
  EXPECT_TRUE(sink.ticks.empty());
  desktop.clock().Sleep(1);
  desktop.messages().ProcessMessages();
  EXPECT_EQ(sink.ticks, (Ticks{{1, 100}}));
}

TEST(SimMessages, TicksMissedDuringSleepCoalesceIntoOne) {
  SimDesktop desktop;
  RecordingSink sink(desktop);
  desktop.messages().SetTimer(1, 100);
  desktop.clock().Sleep(1050);
  EXPECT_TRUE(sink.ticks.empty());  // sleeping delivers nothing
  desktop.messages().ProcessMessages();
  desktop.messages().ProcessMessages();
  EXPECT_EQ(sink.ticks, (Ticks{{1, 1050}}));
  // Rescheduled from the delivery, not from the missed due times.
  desktop.clock().Sleep(99);
  desktop.messages().ProcessMessages();
  EXPECT_EQ(sink.ticks.size(), 1u);
  desktop.clock().Sleep(1);
  desktop.messages().ProcessMessages();
  EXPECT_EQ(sink.ticks, (Ticks{{1, 1050}, {1, 1150}}));
}

TEST(SimMessages, PendingTicksArriveInDueOrderOnePerTimer) {
  SimDesktop desktop;
  RecordingSink sink(desktop);
  desktop.messages().SetTimer(7, 300);
  desktop.messages().SetTimer(3, 200);
  desktop.messages().SetTimer(9, 200);
  desktop.clock().Sleep(1000);
  desktop.messages().ProcessMessages();
  std::vector<int> order;
  for (const auto& [id, ms] : sink.ticks) order.push_back(id);
  EXPECT_EQ(order, (std::vector<int>{3, 9, 7}));
}

TEST(SimMessages, KillTimerStopsTicksAndSetTimerRestartsThePeriod) {
  SimDesktop desktop;
  RecordingSink sink(desktop);
  desktop.messages().SetTimer(1, 100);
  desktop.clock().Sleep(150);
  desktop.messages().SetTimer(1, 100);  // restart drops the pending tick
  desktop.messages().ProcessMessages();
  EXPECT_TRUE(sink.ticks.empty());
  desktop.clock().Sleep(100);
  desktop.messages().ProcessMessages();
  EXPECT_EQ(sink.ticks, (Ticks{{1, 250}}));
  desktop.messages().KillTimer(1);
  desktop.messages().KillTimer(42);  // unknown id: harmless
  desktop.clock().Sleep(1000);
  desktop.messages().ProcessMessages();
  EXPECT_EQ(sink.ticks.size(), 1u);
}

TEST(SimMessages, PeriodsBelowTenMillisecondsAreRaisedToTen) {
  SimDesktop desktop;
  RecordingSink sink(desktop);
  desktop.messages().SetTimer(1, 0);
  desktop.clock().Sleep(9);
  desktop.messages().ProcessMessages();
  EXPECT_TRUE(sink.ticks.empty());
  desktop.clock().Sleep(1);
  desktop.messages().ProcessMessages();
  EXPECT_EQ(sink.ticks.size(), 1u);
}

TEST(SimMessages, HandlerMayKillAnotherPendingTimer) {
  SimDesktop desktop;
  RecordingSink sink(desktop);
  sink.onTick = [&](int id) {
    if (id == 1) desktop.messages().KillTimer(2);
  };
  desktop.messages().SetTimer(1, 100);
  desktop.messages().SetTimer(2, 200);
  desktop.clock().Sleep(500);
  desktop.messages().ProcessMessages();
  EXPECT_EQ(sink.ticks, (Ticks{{1, 500}}));
}

TEST(SimMessages, HandlerMayCallBackIntoTheDesktop) {
  SimDesktop desktop;
  RecordingSink sink(desktop);
  sink.onTick = [&](int id) {
    desktop.input().BlockInput(false);
    desktop.messages().ProcessMessages();  // nested pump: the tick is no longer pending
    desktop.messages().SetTimer(id + 1, 50);
  };
  desktop.input().BlockInput(true);
  desktop.messages().SetTimer(1, 100);
  desktop.clock().Sleep(100);
  desktop.messages().ProcessMessages();
  EXPECT_FALSE(desktop.InputBlocked());
  EXPECT_EQ(sink.ticks, (Ticks{{1, 100}}));
  EXPECT_TRUE(desktop.TimerRunning(2));
}

}  // namespace
}  // namespace vendrix::sim
