#include <gtest/gtest.h>

#include <optional>
#include <string>
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
