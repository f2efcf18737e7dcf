// The simulated clocks: virtual time and the local clock that runs with it.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "platform/sim/sim_desktop.h"

namespace vendrix::sim {
namespace {

std::string NowText(SimDesktop& desktop) { return LocalTimeText(desktop.clock().Now()); }

TEST(SimClock, DefaultsToTheFirstOfJanuary2000) {
  SimDesktop desktop;
  const platform::LocalTime now = desktop.clock().Now();
  EXPECT_EQ(LocalTimeText(now), "2000-01-01T00:00:00.000");
  EXPECT_EQ(now.dayOfWeek, 6);
}

TEST(SimClock, ReadsTheClockAndItsDayOfWeek) {
  struct Case {
    const char* clock;
    const char* expected;
    int dayOfWeek;
  };
  const Case cases[] = {
      {"2003-07-14T09:05:03.042", "2003-07-14T09:05:03.042", 1},
      {"2003-07-14 09:05:03", "2003-07-14T09:05:03.000", 1},
      {"2004-02-29T23:59:59.999", "2004-02-29T23:59:59.999", 0},
      {"1601-01-01T00:00:00", "1601-01-01T00:00:00.000", 1},
      {"9999-12-31T23:59:59.999", "9999-12-31T23:59:59.999", 5},
  };
  for (const Case& c : cases) {
    SimDesktop desktop(std::string(R"({"clock": ")") + c.clock + "\"}");
    const platform::LocalTime now = desktop.clock().Now();
    EXPECT_EQ(LocalTimeText(now), c.expected);
    EXPECT_EQ(now.dayOfWeek, c.dayOfWeek) << c.clock;
  }
}

TEST(SimClock, MovesWithVirtualTimeFromStartMs) {
  SimDesktop desktop(R"({"start_ms": 1000, "clock": "2003-12-31T23:59:00.000"})");
  EXPECT_EQ(NowText(desktop), "2003-12-31T23:59:00.000");
  desktop.clock().Sleep(59999);
  EXPECT_EQ(NowText(desktop), "2003-12-31T23:59:59.999");
  desktop.clock().Sleep(1);
  EXPECT_EQ(NowText(desktop), "2004-01-01T00:00:00.000");
  EXPECT_EQ(desktop.clock().Now().dayOfWeek, 4);
  for (int day = 0; day < 60; ++day) desktop.clock().Sleep(86400000);
  EXPECT_EQ(NowText(desktop), "2004-03-01T00:00:00.000");
}

TEST(SimClock, IsTracedAsGetLocalTime) {
  SimDesktop desktop(R"({"clock": "2003-07-14T09:05:03.042"})");
  desktop.KeepTrace(true);
  desktop.clock().Now();
  const nlohmann::json expected = {
      {"t", 0}, {"call", "GetLocalTime"}, {"result", "2003-07-14T09:05:03.042"}, {"day_of_week", 1}};
  ASSERT_EQ(desktop.Trace().size(), 1u);
  EXPECT_EQ(desktop.Trace()[0], expected);
}

TEST(SimClock, BadClocksAreRefused) {
  const char* clocks[] = {
      R"(42)",
      R"("2003-07-14")",
      R"("2003-07-14T09:05")",
      R"("2003-07-14T09:05:03.4")",
      R"("2003-07-14X09:05:03")",
      R"("2003/07/14T09:05:03")",
      R"("+003-07-14T09:05:03")",
      R"("2003-07-14T09:05:0x")",
      R"("2003-02-29T00:00:00")",
      R"("2003-04-31T00:00:00")",
      R"("2003-13-01T00:00:00")",
      R"("2003-00-10T00:00:00")",
      R"("2003-07-14T24:00:00")",
      R"("2003-07-14T23:60:00")",
      R"("2003-07-14T23:00:60")",
      R"("1600-12-31T23:59:59")",
  };
  for (const char* clock : clocks) {
    try {
      ParseDesktopDescription(std::string(R"({"clock": )") + clock + "}");
      ADD_FAILURE() << "accepted " << clock;
    } catch (const DesktopError& error) {
      EXPECT_NE(std::string(error.what()).find("\"clock\""), std::string::npos) << error.what();
    }
  }
}

TEST(SimClock, SleepMovesVirtualTimeOnly) {
  SimDesktop desktop;
  EXPECT_EQ(desktop.clock().TickCount(), 0u);
  desktop.clock().Sleep(60000);
  desktop.clock().Sleep(1);
  EXPECT_EQ(desktop.clock().TickCount(), 60001u);
}

TEST(SimClock, StartsAtStartMsAndWrapsLikeTimeGetTime) {
  SimDesktop desktop(R"({"start_ms": 4294967290})");
  EXPECT_EQ(desktop.clock().TickCount(), 4294967290u);
  desktop.clock().Sleep(10);
  EXPECT_EQ(desktop.clock().TickCount(), 4u);
  EXPECT_EQ(desktop.NowMs(), 4294967300u);
}

}  // namespace
}  // namespace vendrix::sim
