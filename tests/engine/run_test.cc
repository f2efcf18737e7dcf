// The run driver: breaking, pacing, the input block and how runs end.
#include <gtest/gtest.h>

#include "support/test_world.h"

namespace vendrix::testing {
namespace {

TEST(RunTest, EmptyMacroEndsTheProgramWithExitCodeZero) {
  TestWorld world;
  EXPECT_EQ(world.RunLines({"; only comments", "", "   "}), 0);
  EXPECT_EQ(world.Boxes(), (std::vector<std::string>{"マクロが１行もありません。終了します"}));
  EXPECT_EQ(world.CountCalls("GetAsyncKeyState"), 0) << "no statement ran";
}

TEST(RunTest, BreakKeyEndsTheRunAfterTheStatement) {
  TestWorld world(R"({"keys": [{"vk": 27, "down": 0}]})");
  EXPECT_EQ(world.RunLines({"SET %0 first", "SET %0 second"}), 0);
  EXPECT_EQ(world.Var("%0"), "first");
  EXPECT_EQ(world.Boxes(), (std::vector<std::string>{"マクロの実行を中断します"}));
  EXPECT_TRUE(world.engine->run.idle);
}

TEST(RunTest, BreakReleasesHeldKeysAndButtons) {
  TestWorld world(R"({"keys": [{"vk": 27, "down": 0}]})");
  world.engine->input.heldKeys[16] = true;
  world.AddMacro({"SET %0 x"});
  world.engine->input.heldButtonLeft = true;  // cleared without a release at the start of a run
  EXPECT_EQ(world.Run(), 0);
  EXPECT_EQ(world.CallsOf("keybd_event", "vk"), (std::vector<std::string>{"16"}));
  EXPECT_EQ(world.CallsOf("keybd_event", "flags"), (std::vector<std::string>{"3"}));
  EXPECT_EQ(world.CountCalls("mouse_event"), 0);
  EXPECT_FALSE(world.engine->input.heldKeys[16]);
}

TEST(RunTest, AutoDelayFollowsEveryStatementIncludingLabels) {
  Settings settings;
  settings.autoDelay = 200;
  TestWorld world("{}", settings);
  EXPECT_EQ(world.RunLines({"SET %0 a", ":label", "SET %1 b", "STEP x", "SET %2 c"}), 0);
  EXPECT_EQ(world.CallsOf("Sleep", "ms"), std::vector<std::string>(5, "200"));
}

TEST(RunTest, AutoDelayStatementChangesThePause) {
  TestWorld world;
  EXPECT_EQ(world.RunLines({"AUTODELAY", "SET %0 a", "AUTODELAY 0", "SET %0 b"}), 0);
  EXPECT_EQ(world.CallsOf("Sleep", "ms"), std::vector<std::string>(2, "100"));
}

TEST(RunTest, AutoDelaySkipLeavesOtherStatementsUnpaced) {
  Settings settings;
  settings.autoDelay = 200;
  settings.autoDelaySkip = true;
  TestWorld world("{}", settings);
  EXPECT_EQ(world.RunLines({"SET %0 a", "SET %1 b"}), 0);
  EXPECT_EQ(world.CountCalls("Sleep"), 0);
}

TEST(RunTest, DelayWaitsAndCanBeCutShortInSlices) {
  struct Case {
    std::string delay;
    std::string keys;
    uint64_t endsAt;
  };
  const Case cases[] = {
      {"DELAY", "[]", 100},
      {"DELAY 60000", "[]", 60000},
      {"DELAY -5", "[]", 0},
      {"DELAY 1000 100", R"([{"vk": 27, "down": 250}])", 300},
      {"DELAY 1000", R"([{"vk": 27, "down": 250}])", 1000},
      {"DELAY 250 100", "[]", 250},
      {"DELAY 300 -1", "[]", 300},
  };
  for (const Case& c : cases) {
    TestWorld world(R"({"keys": )" + c.keys + "}");
    EXPECT_EQ(world.RunLines({c.delay}), 0) << c.delay;
    EXPECT_EQ(world.desktop.NowMs(), c.endsAt) << c.delay;
  }
}

TEST(RunTest, BlockInputIsLiftedByTheWatchdogAfterItsTicks) {
  TestWorld world;
  // Each DELAY passes a second; the watchdog ticks when messages are let
  // through before the next statement.
  EXPECT_EQ(world.RunLines({"BLOCKINPUT 3", "DELAY 1000", "DELAY 1000", "DELAY 1000", "SET %0 x"}), 0);
  std::vector<std::string> blocks = world.CallsOf("BlockInput", "block");
  ASSERT_GE(blocks.size(), 2u);
  EXPECT_EQ(blocks[0], "true");
  EXPECT_EQ(blocks[1], "false");
  EXPECT_EQ(world.CountCalls("WM_TIMER"), 3);
  EXPECT_EQ(world.engine->input.blockLevel, 0);
  EXPECT_FALSE(world.desktop.InputBlocked());
}

TEST(RunTest, BlockInputValues) {
  struct Case {
    std::string line;
    int level;
  };
  for (const Case& c : {Case{"BLOCKINPUT", 10}, Case{"BLOCKINPUT -1", 10}, Case{"BLOCKINPUT 0", 0},
                        Case{"BLOCKINPUT 4", 4}}) {
    TestWorld world;
    ExecuteText(*world.engine, c.line);
    EXPECT_EQ(world.engine->input.blockLevel, c.level) << c.line;
    EXPECT_EQ(world.desktop.InputBlocked(), c.level > 0) << c.line;
    EXPECT_EQ(world.RunLines({c.line}), 0);
    EXPECT_EQ(world.engine->input.blockLevel, 0) << "a run's end ends its block";
    EXPECT_FALSE(world.desktop.InputBlocked()) << "a run's end always frees input";
    EXPECT_FALSE(world.desktop.TimerRunning(2)) << c.line;
  }
}

TEST(RunTest, MessageBoxesWithoutABlockDoNotTouchBlockInput) {
  TestWorld world(R"({"answers": ["NO"]})");
  EXPECT_EQ(world.RunLines({"DIM %a", "MESSAGE %a hello"}), 0);
  EXPECT_EQ(world.Var("%A"), "NO");
  // Only the end of the run frees input.
  EXPECT_EQ(world.CountCalls("BlockInput"), 1);
  EXPECT_EQ(world.CountCalls("SetTimer"), 0);
}

TEST(RunTest, NonFatalErrorWhileBlockedReleasesAroundBothBoxes) {
  TestWorld world(R"({"answers": ["OK", "YES"]})");
  EXPECT_EQ(world.RunLines({"BLOCKINPUT 5", "NOSUCH statement", "SET %0 after"}), 0);
  EXPECT_EQ(world.Var("%0"), "after");
  std::vector<std::string> calls;
  for (const nlohmann::json& entry : world.desktop.Trace()) {
    std::string call = entry["call"];
    if (call == "BlockInput") call += entry["block"].get<bool>() ? "(1)" : "(0)";
    if (call == "BlockInput(1)" || call == "BlockInput(0)" || call == "MessageBoxA") calls.push_back(call);
  }
  EXPECT_EQ(calls, (std::vector<std::string>{"BlockInput(1)", "BlockInput(0)", "MessageBoxA", "MessageBoxA",
                                             "BlockInput(1)", "BlockInput(0)"}));
}

TEST(RunTest, FatalErrorWhileBlockedFreesInputFirst) {
  TestWorld world;
  EXPECT_EQ(world.RunLines({"BLOCKINPUT 5", "SET nope 1"}), 1);
  EXPECT_EQ(world.Boxes(), (std::vector<std::string>{"Err：不正な変数です：SET nope 1", "マクロを中断します"}));
  EXPECT_FALSE(world.desktop.InputBlocked());
}

TEST(RunTest, NoToTheContinueQuestionEndsWithExitCodeOne) {
  TestWorld world(R"({"answers": ["OK", "NO"]})");
  EXPECT_EQ(world.RunLines({"THEN", "SET %0 never"}), 1);
  EXPECT_EQ(world.Boxes(), (std::vector<std::string>{"Err：不正なコマンドです : THEN", "マクロを継続しますか？"}));
  EXPECT_EQ(world.Var("%0"), "");
}

TEST(RunTest, FallbackForLinesThatAreNoStatement) {
  struct Case {
    std::string line;
    std::string firstBox;
  };
  const Case cases[] = {
      {"SHIFT", "Err：不正なコマンドです : SHIFT"},
      {"KEY\tabc", "Err：不正なコマンドです : KEY\tabc"},
      {"(hello world)", "Err：不正な関数です : (hello world)"},
  };
  for (const Case& c : cases) {
    TestWorld world;
    EXPECT_EQ(world.RunLines({c.line}), 0);
    ASSERT_FALSE(world.Boxes().empty());
    EXPECT_EQ(world.Boxes()[0], c.firstBox);
  }
  // A keyword alone is still its statement, with empty operands.
  TestWorld world;
  EXPECT_EQ(world.RunLines({"CAPTURE"}), 1);
  ASSERT_FALSE(world.Boxes().empty());
  EXPECT_EQ(world.Boxes()[0], "Err：保存ファイル名がありません : CaptureBmp");
}

TEST(RunTest, ParenthesisedLineIsEvaluatedForItsEffect) {
  TestWorld world(R"({"answers": ["CANCEL"]})");
  EXPECT_EQ(world.RunLines({"DIM %a", "(& (+ 1 2))", "__set %a done"}), 0);
  EXPECT_EQ(world.Var("%A"), "done");
  EXPECT_TRUE(world.Boxes().empty());
}

TEST(RunTest, UnclosedQuoteIsFatalEvenInASkippedBranch) {
  TestWorld world;
  EXPECT_EQ(world.RunLines({"IF False THEN", "MESSAGE %a \"open", "ENDIF"}), 1);
  EXPECT_EQ(world.Boxes()[0], "Err：\"～\" が閉じていません：\"open");
}

TEST(RunTest, StateSurvivesFromRunToRun) {
  TestWorld world;
  world.AddMacro({"DIM %count", "INC %count", "FOR %0=1 TO 3", "GOTO :out", "NEXT", ":out"});
  EXPECT_EQ(world.Run(), 0);
  EXPECT_EQ(world.engine->run.fors.depth, 1);
  EXPECT_EQ(world.Run(), 0);
  EXPECT_EQ(world.Var("%COUNT"), "2");
  EXPECT_EQ(world.engine->run.fors.depth, 1) << "each run starts with an empty FOR stack";
}

TEST(RunTest, JumpsCostTheSameInLargeMacros) {
  TestWorld world;
  std::vector<std::string> lines = {"DIM %n", ":top", "INC %n", "IF (< %n 1000) GOTO :top", "GOTO :end"};
  for (int i = 0; i < 100000; ++i) lines.push_back("SET %0 filler");
  lines.push_back(":end");
  EXPECT_EQ(world.RunLines(lines), 0);
  EXPECT_EQ(world.Var("%N"), "1000");
  EXPECT_EQ(world.Var("%0"), "");
}

}  // namespace
}  // namespace vendrix::testing
