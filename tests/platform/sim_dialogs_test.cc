#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "platform/sim/sim_desktop.h"
#include "sim_test_support.h"

namespace vendrix::sim {
namespace {

using platform::kIdCancel;
using platform::kIdNo;
using platform::kIdOk;
using platform::kIdYes;
using testing::RecordingSink;

int Ask(SimDesktop& desktop, uint32_t flags) { return desktop.dialogs().MessageBox("q", "c", flags); }

TEST(SimDialogs, AnswersAreConsumedInOrder) {
  SimDesktop desktop(R"({"answers": ["NO", "CANCEL", "YES", "OK"]})");
  EXPECT_EQ(Ask(desktop, platform::kMbYesNo), kIdNo);
  EXPECT_EQ(Ask(desktop, platform::kMbYesNoCancel), kIdCancel);
  EXPECT_EQ(Ask(desktop, platform::kMbYesNoCancel), kIdYes);
  EXPECT_EQ(Ask(desktop, platform::kMbOkCancel), kIdOk);
  EXPECT_EQ(desktop.AnswersLeft(), 0u);
}

TEST(SimDialogs, WithoutAnswersEachBoxGetsItsFirstButton) {
  struct Case {
    uint32_t flags;
    int expected;
  };
  const Case cases[] = {
      {platform::kMbOk, kIdOk},
      {platform::kMbOkCancel, kIdOk},
      {platform::kMbYesNoCancel, kIdYes},
      {platform::kMbYesNo, kIdYes},
      // Only the low four bits choose the buttons.
      {platform::kMbYesNo | platform::kMbSetForeground | 0x30, kIdYes},
  };
  for (const Case& c : cases) {
    SimDesktop desktop;
    EXPECT_EQ(Ask(desktop, c.flags), c.expected) << "flags " << c.flags;
  }
}

TEST(SimDialogs, AnswerNotOnTheBoxIsUsedUpAndGivesTheFirstButton) {
  SimDesktop desktop(R"({"answers": ["NO", "CANCEL"]})");
  EXPECT_EQ(Ask(desktop, platform::kMbOkCancel), kIdOk);   // no NO button
  EXPECT_EQ(Ask(desktop, platform::kMbOkCancel), kIdCancel);
  EXPECT_EQ(Ask(desktop, platform::kMbYesNo), kIdYes);     // answers ran out
}

TEST(SimDialogs, AnswerWithoutAfterTakesNoTimeAndTicksNothing) {
  SimDesktop desktop(R"({"answers": ["OK"]})");
  RecordingSink sink(desktop);
  desktop.messages().SetTimer(1, 100);
  desktop.clock().Sleep(250);
  Ask(desktop, platform::kMbOk);
  EXPECT_EQ(desktop.NowMs(), 250u);
  EXPECT_TRUE(sink.ticks.empty());
}

TEST(SimDialogs, AfterKeepsTheBoxOpenWhileTimersTickInTimeOrder) {
  SimDesktop desktop(R"({"answers": [{"button": "NO", "after": 1000}]})");
  RecordingSink sink(desktop);
  desktop.messages().SetTimer(1, 300);
  desktop.messages().SetTimer(2, 450);
  desktop.clock().Sleep(100);

  EXPECT_EQ(Ask(desktop, platform::kMbYesNo), kIdNo);

  const std::vector<std::pair<int, uint64_t>> expected = {
      {1, 300}, {2, 450}, {1, 600}, {1, 900}, {2, 900}};
  EXPECT_EQ(sink.ticks, expected);
  EXPECT_EQ(desktop.NowMs(), 1100u);
}

TEST(SimDialogs, OverdueTickArrivesOnceWhenTheBoxOpens) {
  SimDesktop desktop(R"({"answers": [{"button": "OK", "after": 50}]})");
  RecordingSink sink(desktop);
  desktop.messages().SetTimer(5, 100);
  desktop.clock().Sleep(1000);  // ten periods missed
  Ask(desktop, platform::kMbOk);
  const std::vector<std::pair<int, uint64_t>> expected = {{5, 1000}};
  EXPECT_EQ(sink.ticks, expected);
  EXPECT_EQ(desktop.NowMs(), 1050u);
}

TEST(SimDialogs, TickHandlerMayKillItsTimerDuringTheBox) {
  SimDesktop desktop(R"({"answers": [{"button": "OK", "after": 1000}]})");
  RecordingSink sink(desktop);
  sink.onTick = [&](int id) {
    if (sink.ticks.size() == 2) desktop.messages().KillTimer(id);
  };
  desktop.messages().SetTimer(1, 100);
  Ask(desktop, platform::kMbOk);
  EXPECT_EQ(sink.ticks.size(), 2u);
  EXPECT_FALSE(desktop.TimerRunning(1));
  EXPECT_EQ(desktop.NowMs(), 1000u);
}

TEST(SimDialogs, TickHandlerSleepingPastTheCloseStillEndsTheLoop) {
  SimDesktop desktop(R"({"answers": [{"button": "OK", "after": 150}]})");
  RecordingSink sink(desktop);
  sink.onTick = [&](int) { desktop.clock().Sleep(500); };
  desktop.messages().SetTimer(1, 100);
  Ask(desktop, platform::kMbOk);
  ASSERT_EQ(sink.ticks.size(), 1u);
  EXPECT_EQ(desktop.NowMs(), 600u);
}

}  // namespace
}  // namespace vendrix::sim
