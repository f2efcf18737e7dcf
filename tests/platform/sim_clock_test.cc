// The simulated local clock and the scripted input dialog answers.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "platform/sim/sim_desktop.h"
#include "sim_test_support.h"

namespace vendrix::sim {
namespace {

using testing::RecordingSink;

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

// ---- input dialogs

std::optional<std::string> Ask(SimDesktop& desktop) { return desktop.dialogs().InputBox("c", "p", "i"); }

TEST(SimInputBox, AnswersAreConsumedInOrderThenCancel) {
  SimDesktop desktop(R"({"inputs": ["one", null, {"text": "three"}, {"text": null}]})");
  EXPECT_EQ(Ask(desktop), std::optional<std::string>("one"));
  EXPECT_EQ(Ask(desktop), std::nullopt);
  EXPECT_EQ(desktop.InputsLeft(), 2u);
  EXPECT_EQ(Ask(desktop), std::optional<std::string>("three"));
  EXPECT_EQ(Ask(desktop), std::nullopt);
  EXPECT_EQ(Ask(desktop), std::nullopt);
  EXPECT_EQ(desktop.InputsLeft(), 0u);
}

TEST(SimInputBox, TextsBecomeShiftJis) {
  SimDesktop desktop(R"({"inputs": ["ソ表"]})");
  EXPECT_EQ(Ask(desktop), std::optional<std::string>("\x83\x5C\x95\x5C"));
}

TEST(SimInputBox, InputsAndMessageBoxAnswersAreSeparateLists) {
  SimDesktop desktop(R"({"inputs": ["typed"], "answers": ["NO"]})");
  EXPECT_EQ(desktop.dialogs().MessageBox("q", "c", platform::kMbYesNo), platform::kIdNo);
  EXPECT_EQ(Ask(desktop), std::optional<std::string>("typed"));
}

TEST(SimInputBox, AfterKeepsTheDialogOpenWhileTimersTick) {
  SimDesktop desktop(R"({"inputs": [{"text": "x", "after": 250}, "y"]})");
  RecordingSink sink(desktop);
  desktop.messages().SetTimer(1, 100);
  EXPECT_EQ(Ask(desktop), std::optional<std::string>("x"));
  EXPECT_EQ(desktop.NowMs(), 250u);
  EXPECT_EQ(sink.ticks, (std::vector<std::pair<int, uint64_t>>{{1, 100}, {1, 200}}));
  Ask(desktop);
  EXPECT_EQ(desktop.NowMs(), 250u);  // answered at once
}

TEST(SimInputBox, IsTracedWithItsTextsAndAnswer) {
  SimDesktop desktop(R"({"inputs": ["答え", null]})");
  desktop.KeepTrace(true);
  desktop.dialogs().InputBox("\x91\xE8", "p", "");  // 題
  Ask(desktop);
  ASSERT_EQ(desktop.Trace().size(), 2u);
  const nlohmann::json first = {{"t", 0},      {"call", "InputBox"}, {"caption", "題"}, {"prompt", "p"},
                                {"initial", ""}, {"answer", "OK"},     {"text", "答え"}};
  const nlohmann::json second = {{"t", 0},       {"call", "InputBox"},   {"caption", "c"}, {"prompt", "p"},
                                 {"initial", "i"}, {"answer", "CANCEL"}, {"text", nullptr}};
  EXPECT_EQ(desktop.Trace()[0], first);
  EXPECT_EQ(desktop.Trace()[1], second);
}

TEST(SimInputBox, BadInputsNameTheField) {
  struct Case {
    const char* json;
    const char* named;
  };
  const Case cases[] = {
      {R"({"inputs": "x"})", "\"inputs\" must be a list"},
      {R"({"inputs": [5]})", "\"inputs[0]\""},
      {R"({"inputs": ["a", true]})", "\"inputs[1]\""},
      {R"({"inputs": [{"after": 5}]})", "\"inputs[0]\" needs a \"text\""},
      {R"({"inputs": [{"text": "a", "afer": 5}]})", "unknown key \"afer\""},
      {R"({"inputs": [{"text": 7}]})", "\"inputs[0].text\""},
      {R"({"inputs": [{"text": "a", "after": -1}]})", "\"inputs[0].after\""},
  };
  for (const Case& c : cases) {
    try {
      ParseDesktopDescription(c.json);
      ADD_FAILURE() << "accepted: " << c.json;
    } catch (const DesktopError& error) {
      EXPECT_NE(std::string(error.what()).find(c.named), std::string::npos) << c.json << ": " << error.what();
    }
  }
}

}  // namespace
}  // namespace vendrix::sim
