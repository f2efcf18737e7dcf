// Dry runs on the simulated desktop: the dialog log, the statement behind
// each trace line, the routine polls, and every way a run is made to end.
#include <gtest/gtest.h>

#include <sstream>
#include <streambuf>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "platform/sim/sim_desktop.h"
#include "platform/sim/sjis_utf8.h"

namespace vendrix::sim {
namespace {

using nlohmann::json;

constexpr std::string_view kErrSjis = "Err\x81\x46";  // "Err" and a full-width colon

platform::StatementPlace At(int line, std::string_view file = "m.mac", bool included = false) {
  return {file, line, included};
}

// Plays the run loop's part: names each statement in the desktop's record
// as it starts, and tells the desktop of a start only when it asked.
class Loop final : public platform::StatementPlaces {
 public:
  explicit Loop(SimDesktop& desktop) : desktop_(desktop), running_(desktop.shellWindow().Running()) {
    running_.places = this;
  }
  ~Loop() { running_.places = nullptr; }

  // A place with line 0: no statement runs.
  void Start(platform::StatementPlace place) {
    if (place.line == 0) {
      running_.statement = -1;
      return;
    }
    places_.push_back({std::string(place.file), place.line, place.included});
    running_.statement = static_cast<int>(places_.size() - 1);
    if (++running_.started >= running_.callAt) desktop_.shellWindow().StatementStarting();
  }

  platform::StatementPlace PlaceOfStatement(int statement) const override {
    const Kept& kept = places_.at(static_cast<size_t>(statement));
    return {kept.file, kept.line, kept.included};
  }

 private:
  struct Kept {
    std::string file;
    int line;
    bool included;
  };
  SimDesktop& desktop_;
  platform::RunningStatement& running_;
  std::vector<Kept> places_;
};

// The exit code of the DryRunEnd that `action` throws, or -1 for none.
template <typename Action>
int EndCode(Action action) {
  try {
    action();
  } catch (const DryRunEnd& end) {
    return end.ExitCode();
  }
  return -1;
}

std::vector<json> Lines(const std::string& text) {
  std::vector<json> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(json::parse(line));
  return lines;
}

TEST(SimDryRun, EachDialogIsOneLogLineWithItsPlaceAndAnswer) {
  std::ostringstream log;
  SimDesktop desktop(R"({"answers": ["NO"], "inputs": ["太郎"]})");
  Loop loop(desktop);
  desktop.SetDialogLog(&log);
  loop.Start(At(3));
  desktop.dialogs().MessageBox(Utf8ToSjis("続けますか？\r\n二行目"), "c", platform::kMbYesNo);
  desktop.dialogs().InputBox("c", Utf8ToSjis("名前"), "");
  desktop.dialogs().InputBox("c", "again", "x");
  loop.Start(At(7, "sub.mac", true));
  desktop.dialogs().ErrorBox(std::string(kErrSjis) + "bad", "c", platform::kMbOk);
  loop.Start({});
  desktop.dialogs().MessageBox("between", "c", platform::kMbOk);
  EXPECT_EQ(log.str(),
            "m.mac:3: message box: 続けますか？\\n二行目 [NO]\n"
            "m.mac:3: input box: 名前 [OK: 太郎]\n"
            "m.mac:3: input box: again [CANCEL]\n"
            "sub.mac:7: Err：bad [OK]\n"
            "vendrix: message box: between [OK]\n");
}

TEST(SimDryRun, StopOnErrorEndsAtTheFirstErrorReportOnly) {
  std::ostringstream log;
  SimDesktop desktop;
  Loop loop(desktop);
  desktop.SetDialogLog(&log);
  desktop.SetDryRunRules({.stopOnError = true});
  loop.Start(At(2));
  EXPECT_EQ(EndCode([&] { desktop.dialogs().MessageBox("plain", "c", platform::kMbOk); }), -1);
  EXPECT_EQ(EndCode([&] { desktop.dialogs().ErrorBox(kErrSjis, "c", platform::kMbOk); }), kExitStoppedOnError);
  EXPECT_NE(log.str().find("m.mac:2: Err："), std::string::npos) << "reported before the run ends";
  // The program's own clean-up after the end is not cut short again.
  EXPECT_EQ(EndCode([&] { desktop.dialogs().ErrorBox(kErrSjis, "c", platform::kMbOk); }), -1);
}

TEST(SimDryRun, WithoutStopOnErrorAnErrorReportGetsItsAnswer) {
  SimDesktop desktop(R"({"answers": ["OK"]})");
  EXPECT_EQ(desktop.dialogs().ErrorBox(kErrSjis, "c", platform::kMbOk), platform::kIdOk);
}

TEST(SimDryRun, AWaitForKeysEndsOnlyWhenNoHeldKeyCanChangeAnyMore) {
  struct Case {
    const char* desktop;
    int sleepsBeforeEnd;  // -1: 100 pauses go by
  };
  const Case cases[] = {
      {"{}", 1},                                                // nothing scripted
      {R"({"keys": [{"vk": 65, "down": 0}]})", 1},              // held from the start for ever
      {R"({"keys": [{"vk": 65, "down": 550, "up": 600}]})", 6},  // after the last change
      {R"({"keys": [{"vk": 65, "down": 20000}]})", -1},         // still to come
  };
  for (const Case& c : cases) {
    SimDesktop desktop(c.desktop);
    int slept = 0;
    const int code = EndCode([&] {
      for (; slept < 100; ++slept) desktop.clock().SleepAwaitingUser(100);
    });
    if (c.sleepsBeforeEnd < 0) {
      EXPECT_EQ(code, -1) << c.desktop;
    } else {
      EXPECT_EQ(code, kExitDryRunCut) << c.desktop;
      EXPECT_EQ(slept, c.sleepsBeforeEnd) << c.desktop;
    }
  }
}

TEST(SimDryRun, EachStatementsWaitLooksAtTheKeysOnceBeforeItCanEnd) {
  SimDesktop desktop;
  Loop loop(desktop);
  loop.Start(At(1));
  EXPECT_EQ(EndCode([&] { desktop.clock().SleepAwaitingUser(10); }), -1);
  loop.Start(At(2));
  EXPECT_EQ(EndCode([&] { desktop.clock().SleepAwaitingUser(10); }), -1);
  EXPECT_EQ(EndCode([&] { desktop.clock().SleepAwaitingUser(10); }), kExitDryRunCut);
}

TEST(SimDryRun, AQuestionThatKeepsComingBackUnansweredEndsTheRun) {
  SimDesktop desktop(R"({"answers": ["YES", "YES"]})");
  int shown = 0;
  const int code = EndCode([&] {
    for (; shown < 100; ++shown) desktop.dialogs().MessageBox("retry?", "c", platform::kMbYesNoCancel);
  });
  EXPECT_EQ(code, kExitDryRunCut);
  EXPECT_EQ(shown, 2 + kRepeatedQuestionLimit - 1) << "answered boxes are not counted";
}

TEST(SimDryRun, QuestionsThatChangeOrHaveStatementsBetweenGoOn) {
  SimDesktop desktop;
  Loop loop(desktop);
  EXPECT_EQ(EndCode([&] {
              for (int i = 0; i < 50; ++i) {
                desktop.dialogs().MessageBox("same", "c", platform::kMbOk);
                loop.Start(At(i + 1));
                desktop.dialogs().InputBox("c", "same", "");
              }
              for (int i = 0; i < 50; ++i) desktop.dialogs().MessageBox(std::to_string(i), "c", platform::kMbOk);
            }),
            -1);
}

TEST(SimDryRun, BoundsOnTimeAndStatementsEndTheRun) {
  SimDesktop timed;
  timed.SetDryRunRules({.maxTimeMs = 1000});
  EXPECT_EQ(EndCode([&] { timed.clock().Sleep(1000); }), -1);
  EXPECT_EQ(EndCode([&] { timed.clock().Sleep(1); }), kExitDryRunCut);

  SimDesktop counted;
  Loop countedLoop(counted);
  counted.SetDryRunRules({.maxStatements = 3});
  int started = 0;
  EXPECT_EQ(EndCode([&] {
              for (; started < 10; ++started) countedLoop.Start(At(started + 1));
            }),
            kExitDryRunCut);
  EXPECT_EQ(started, 3);
}

// The bounds are looked at as each statement starts: the statement past a
// bound is the one the message names, whichever rules are set together.
TEST(SimDryRun, TheStatementPastABoundIsTheOneNamed) {
  struct Case {
    DryRunRules rules;
    uint32_t sleepMs;  // virtual time that passes during each statement
    std::string message;
  };
  const Case cases[] = {
      {{.maxStatements = 4}, 0, "m.mac:5: dry run ended: ran more than 4 statements (--max-statements)"},
      {{.maxTimeMs = 100000, .maxStatements = 2}, 10, "m.mac:3: dry run ended: ran more than 2 statements"},
      {{.maxTimeMs = 25, .maxStatements = 9}, 10, "m.mac:3: dry run ended: ran past 25 ms of virtual time"},
  };
  for (const Case& c : cases) {
    SimDesktop desktop;
    Loop loop(desktop);
    desktop.SetDryRunRules(c.rules);
    std::string message;
    try {
      for (int line = 1; line <= 20; ++line) {
        loop.Start(At(line));
        if (c.sleepMs > 0) desktop.clock().Sleep(c.sleepMs);
      }
    } catch (const DryRunEnd& end) {
      message = end.what();
    }
    EXPECT_EQ(message.substr(0, c.message.size()), c.message);
  }
}

TEST(SimDryRun, NoBoundsByDefault) {
  SimDesktop desktop;
  Loop loop(desktop);
  EXPECT_EQ(EndCode([&] {
              desktop.clock().Sleep(4'000'000'000u);
              for (int i = 0; i < 1000; ++i) loop.Start(At(1));
            }),
            -1);
}

TEST(SimDryRun, TraceLinesOfAStatementCarryItsLineAndIncludedFile) {
  std::ostringstream out;
  SimDesktop desktop;
  Loop loop(desktop);
  desktop.SetTraceStream(&out);
  desktop.clock().Sleep(1);
  loop.Start(At(4));
  desktop.clock().Sleep(2);
  loop.Start(At(9, Utf8ToSjis("部品.mac"), true));
  desktop.clock().Sleep(3);
  loop.Start({});
  desktop.clock().Sleep(4);
  const std::vector<json> lines = Lines(out.str());
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_EQ(lines[0], json::parse(R"({"t": 0, "call": "Sleep", "ms": 1})"));
  EXPECT_EQ(lines[1], json::parse(R"({"t": 1, "call": "Sleep", "macro_line": 4, "ms": 2})"));
  EXPECT_EQ(lines[2], json::parse(R"({"t": 3, "call": "Sleep", "macro_line": 9, "macro_file": "部品.mac", "ms": 3})"));
  EXPECT_EQ(lines[3], json::parse(R"({"t": 6, "call": "Sleep", "ms": 4})"));
}

TEST(SimDryRun, RoutinePollsAreTracedOnlyWhenAskedFor) {
  for (const bool tracePolls : {false, true}) {
    SimDesktop desktop;
    Loop loop(desktop);
    desktop.KeepTrace(true);
    desktop.SetDryRunRules({.tracePolls = tracePolls});
    desktop.input().VkKeyScan('a');  // a start-up table, outside statements
    desktop.input().PollKey(27);
    loop.Start(At(1));
    desktop.input().VkKeyScan('b');  // typing
    desktop.input().GetAsyncKeyState(16);
    std::vector<std::string> calls;
    for (const json& line : desktop.Trace()) calls.push_back(line["call"]);
    const std::vector<std::string> always = {"VkKeyScanA", "GetAsyncKeyState"};
    const std::vector<std::string> all = {"VkKeyScanA", "GetAsyncKeyState", "VkKeyScanA", "GetAsyncKeyState"};
    EXPECT_EQ(calls, tracePolls ? all : always) << tracePolls;
  }
}

TEST(SimDryRun, TypedCharactersAreTracedAsText) {
  SimDesktop desktop(R"({"windows": [{"id": 5}]})");
  desktop.KeepTrace(true);
  const std::string a = Utf8ToSjis("あ");
  const auto lead = static_cast<unsigned char>(a[0]);
  const auto trail = static_cast<unsigned char>(a[1]);
  desktop.windows().SendWindowMessage(5, platform::kWmChar, 'x', 0);
  desktop.windows().SendWindowMessage(5, platform::kWmChar, lead, 0);
  desktop.windows().PostWindowMessage(5, platform::kWmChar, trail, 0);
  desktop.windows().SendWindowMessage(5, platform::kWmImeChar, lead * 256u + trail, 0);
  desktop.windows().SendWindowMessage(5, platform::kWmImeChar, 0xB1, 0);  // half-width ｱ
  std::vector<json> chars;
  for (const json& line : desktop.Trace()) chars.push_back(line.contains("char") ? line["char"] : json());
  EXPECT_EQ(chars, (std::vector<json>{"x", nullptr, "あ", "あ", "ｱ"}));
}

// A stream whose writes fail, as on a full disk.
class FullDisk : public std::streambuf {
 protected:
  int_type overflow(int_type) override { return traits_type::eof(); }
  std::streamsize xsputn(const char*, std::streamsize) override { return 0; }
};

TEST(SimDryRun, ATraceThatCannotBeWrittenEndsTheRun) {
  FullDisk disk;
  std::ostream out(&disk);
  SimDesktop desktop;
  desktop.SetTraceStream(&out);
  desktop.input().GetAsyncKeyState(1);
  EXPECT_EQ(desktop.TraceTrouble(), TraceProblem::kWriteFailed);
  EXPECT_FALSE(desktop.TraceTroubleMessage().empty());
  EXPECT_EQ(EndCode([&] { desktop.clock().Sleep(1); }), kExitTraceFailed);
}

TEST(SimDryRun, TheTraceStopsAtItsBoundAndEndsTheRun) {
  std::ostringstream out;
  SimDesktop desktop;
  Loop loop(desktop);
  desktop.SetTraceStream(&out);
  desktop.SetTraceBound(200);
  const int code = EndCode([&] {
    for (int i = 0; i < 100; ++i) desktop.input().GetAsyncKeyState(27);
    loop.Start(At(1));
  });
  EXPECT_EQ(code, kExitDryRunCut);
  EXPECT_LE(out.str().size(), 200u);
  EXPECT_GT(out.str().size(), 100u);
  EXPECT_EQ(out.str().back(), '\n') << "only whole lines";
  EXPECT_EQ(desktop.TraceTrouble(), TraceProblem::kBoundReached);
}

}  // namespace
}  // namespace vendrix::sim
