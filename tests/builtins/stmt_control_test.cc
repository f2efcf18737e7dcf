// IF blocks, jumps, subroutines, loops and the other control statements.
#include <gtest/gtest.h>

#include "support/test_world.h"

namespace vendrix::testing {
namespace {

// Runs a macro that records which branches ran in %0.
std::string Trail(const std::vector<std::string>& lines, int* exitCode = nullptr) {
  TestWorld world;
  int code = world.RunLines(lines);
  if (exitCode) *exitCode = code;
  return world.Var("%0");
}

TEST(IfTest, BlockRunsOnlyTheTakenBranch) {
  EXPECT_EQ(Trail({"IF (= 1 1) THEN", "SET %0 (& %0 a)", "ELSE", "SET %0 (& %0 b)", "ENDIF"}), "a");
  EXPECT_EQ(Trail({"IF (= 1 2) THEN", "SET %0 (& %0 a)", "ELSE", "SET %0 (& %0 b)", "ENDIF"}), "b");
  EXPECT_EQ(Trail({"unless (= 1 2) then", "SET %0 u", "endif"}), "u");
}

TEST(IfTest, ElseIfEvaluatesOnlyUntilABranchRuns) {
  // c's condition would show an error box if it were evaluated.
  TestWorld world;
  EXPECT_EQ(world.RunLines({"IF (= 1 2) THEN", "SET %0 a", "ELSEIF (= 1 1)", "SET %0 b", "ELSEIF (nosuch)",
                            "SET %0 c", "ELSE", "SET %0 d", "ENDIF"}),
            0);
  EXPECT_EQ(world.Var("%0"), "b");
  EXPECT_TRUE(world.Boxes().empty());
}

TEST(IfTest, BlocksInsideSkippedBranchesRunNothing) {
  EXPECT_EQ(Trail({"IF False THEN", "IF True THEN", "SET %0 (& %0 inner)", "ELSE", "SET %0 (& %0 else)",
                   "ENDIF", "SET %0 (& %0 outer)", "ENDIF", "SET %0 (& %0 end)"}),
            "end");
}

TEST(IfTest, ConditionsInSkippedBlocksAreStillEvaluated) {
  Settings settings;
  settings.varError = true;  // makes the evaluation visible
  TestWorld world("{}", settings);
  EXPECT_EQ(world.RunLines({"IF False THEN", "IF (= %nosuch 1) THEN", "ENDIF", "ENDIF"}), 1);
  ASSERT_FALSE(world.Boxes().empty());
  EXPECT_EQ(world.Boxes()[0], "Err：変数が宣言されていません : %nosuch");
}

struct TruthCase {
  const char* value;
  bool taken;
};

class TruthTest : public ::testing::TestWithParam<TruthCase> {};

TEST_P(TruthTest, OnlyTrueInAnyCaseIsTrue) {
  std::string macro = std::string("IF ") + GetParam().value + " SET %0 taken";
  EXPECT_EQ(Trail({"SET %1 \"\"", macro}), GetParam().taken ? "taken" : "");
}

INSTANTIATE_TEST_SUITE_P(Values, TruthTest,
                         ::testing::Values(TruthCase{"TRUE", true}, TruthCase{"True", true},
                                           TruthCase{"tRuE", true}, TruthCase{"1", false},
                                           TruthCase{"%1", false}, TruthCase{"yes", false},
                                           TruthCase{"(= a a)", true}));

TEST(IfTest, OneLineFormsRunTheirStatement) {
  EXPECT_EQ(Trail({"UNLESS (= 1 1) GOTO :x", "SET %0 stayed", "END", ":x", "SET %0 jumped"}), "stayed");
  EXPECT_EQ(Trail({"IF (= 1 1) IF (= 2 2) SET %0 nested"}), "nested");
}

TEST(IfTest, OneLineIfWithoutStatementIsFatal) {
  TestWorld world;
  EXPECT_EQ(world.RunLines({"IF (= %0 1)"}), 1);
  EXPECT_EQ(world.Boxes()[0], "Err：引数が足りません : IF (= %0 1)");
}

TEST(IfTest, DeeplyNestedOneLineIfsEndWithAMessage) {
  std::string line;
  for (int i = 0; i < 100; ++i) line += "IF True ";
  line += "SET %0 x";
  TestWorld world;
  EXPECT_EQ(world.RunLines({line}), 1);
  EXPECT_EQ(world.Boxes()[0].rfind("Err：一行 IF の入れ子が深すぎます", 0), 0u);
}

TEST(IfTest, StrayElseAndEndIfDoNothing) {
  EXPECT_EQ(Trail({"ELSE", "ENDIF", "ELSEIF True", "SET %0 ok"}), "ok");
}

TEST(IfTest, SixtyFourOpenLevelsThenFatal) {
  TestWorld world;
  // Each pass jumps out of an open block, leaving one level behind.
  EXPECT_EQ(world.RunLines({"DIM %n", ":top", "INC %n", "IF True THEN", "GOTO :top", "ENDIF"}), 1);
  EXPECT_EQ(world.Var("%N"), "65");
  EXPECT_EQ(world.Boxes()[0].rfind("Err：if のネストが 64 段階を超えました。", 0), 0u);
}

TEST(IfTest, ExitIfClosesLevelsBeforeAJump) {
  TestWorld world;
  EXPECT_EQ(world.RunLines({"DIM %n", ":top", "INC %n", "IF (< %n 100) THEN", "IF True THEN", "EXITIF 2",
                            "GOTO :top", "ENDIF", "ENDIF"}),
            0);
  EXPECT_EQ(world.Var("%N"), "100");
  EXPECT_EQ(world.engine->run.ifs.depth, 0);
}

TEST(JumpTest, GotoFindsLabelsWithoutRegardToCase) {
  EXPECT_EQ(Trail({"GOTO :Loop", "SET %0 skipped", ":loop", "SET %0 (& %0 here)"}), "here");
  EXPECT_EQ(Trail({"SET %1 :B", "GOTO (& %1)", ":a", "SET %0 a", "END", ":b", "SET %0 b"}), "b");
}

TEST(JumpTest, DirectionsDoNotWrap) {
  int code = 0;
  Trail({":x", "GOTONEXT :x"}, &code);
  EXPECT_EQ(code, 1);
  Trail({"GOTOBEFORE :x", ":x"}, &code);
  EXPECT_EQ(code, 1);
  EXPECT_EQ(Trail({"GOTO :x", ":back", "SET %0 back", "END", ":x", "GOTOBEFORE :back"}), "back");
}

TEST(JumpTest, MissingLabelIsFatal) {
  TestWorld world;
  EXPECT_EQ(world.RunLines({"GOTO :nowhere  "}), 1);
  EXPECT_EQ(world.Boxes()[0], "Err：該当行がありません : GOTO :nowhere");
}

TEST(JumpTest, AnyLineCanBeATarget) {
  EXPECT_EQ(Trail({"GOTO set %0 b", "SET %0 a", "SET %0 b"}), "b");
}

TEST(JumpTest, EvaluatedTargetsFollowTheirText) {
  // One GOTO line sends the run to a different label on each pass.
  EXPECT_EQ(Trail({"DIM %t %n", "SET %t :a", ":again", "INC %n", "IF (> %n 3) END", "GOTO (& %t)", ":a",
                   "SET %0 (& %0 a)", "SET %t :b", "GOTO :again", ":b", "SET %0 (& %0 b)", "SET %t :A",
                   "GOTO :again"}),
            "aba");
}

// Jumps a statement makes on behalf of another (CALL's GOTO, NEXT's way
// back, EXITFOR's way out) count one level deeper than the line itself.
TEST(JumpTest, ImpliedJumpsCountAsOneMoreNestedStatement) {
  auto ifs = [](int n) {
    std::string text;
    for (int i = 0; i < n; ++i) text += "IF True ";
    return text;
  };
  const std::string tooDeep = "Err：一行 IF の入れ子が深すぎます（上限 64 段）: ";
  struct Case {
    std::vector<std::string> lines;
    int exitCode;
    std::string firstBox;
  };
  const Case cases[] = {
      {{ifs(62) + "CALL :s", "END", ":s", "SET %0 in", "RETURN"}, 0, ""},
      {{ifs(63) + "CALL :s", "END", ":s", "SET %0 in", "RETURN"}, 1, tooDeep + "GOTO :s"},
      {{ifs(63) + "GOTO :s", "END", ":s", "SET %0 in"}, 0, ""},
      {{"DIM %i", "FOR %i=1 TO 2", ifs(63) + "NEXT"}, 1, tooDeep + "GOTOBEFORE FOR %i=1 TO 2"},
      {{"DIM %i", "FOR %i=1 TO 2", ifs(63) + "EXITFOR", "NEXT"}, 1, tooDeep + "GOTONEXT NEXT"},
  };
  for (const Case& c : cases) {
    TestWorld world;
    EXPECT_EQ(world.RunLines(c.lines), c.exitCode) << c.lines[0];
    if (c.firstBox.empty()) {
      EXPECT_TRUE(world.Boxes().empty()) << c.lines[0];
    } else {
      ASSERT_FALSE(world.Boxes().empty()) << c.lines[0];
      EXPECT_EQ(world.Boxes()[0], c.firstBox) << c.lines[0];
    }
  }
}

TEST(CallTest, CallsReturnToTheLineAfter) {
  EXPECT_EQ(Trail({"CALL :sub", "SET %0 (& %0 2)", "END", ":sub", "SET %0 (& %0 1)", "RETURN"}), "12");
  EXPECT_EQ(Trail({"SET %1 :sub", "GOSUB %1", "END", ":sub", "SET %0 via-var", "RETURN"}), "via-var");
}

TEST(CallTest, EightLevelsWorkTheNinthIsFatal) {
  std::vector<std::string> lines;
  auto chain = [&](int depth) {
    lines = {"CALL :s1", "END"};
    for (int i = 1; i <= depth; ++i) {
      lines.push_back(":s" + std::to_string(i));
      lines.push_back(i < depth ? "CALL :s" + std::to_string(i + 1) : "SET %0 bottom");
      lines.push_back("RETURN");
    }
  };
  chain(8);
  EXPECT_EQ(Trail(lines), "bottom");
  chain(9);
  TestWorld world;
  EXPECT_EQ(world.RunLines(lines), 1);
  EXPECT_EQ(world.Boxes()[0], "Err：CALL が８階層以上です : CALL :s9");
}

TEST(CallTest, ReturnWithoutCallIsFatal) {
  TestWorld world;
  EXPECT_EQ(world.RunLines({"RETURN"}), 1);
  EXPECT_EQ(world.Boxes()[0], "Err：CALL がされていません : RETURN");
}

TEST(CallTest, OneCallLineFollowsItsVariable) {
  TestWorld world;
  EXPECT_EQ(world.RunLines({"DIM %t", "SET %t :a", ":again", "CALL %t", "IF (= %t :b) END", "SET %t :b",
                            "GOTO :again", ":a", "SET %0 (& %0 a)", "RETURN", ":b", "SET %0 (& %0 b)", "RETURN"}),
            0);
  EXPECT_EQ(world.Var("%0"), "ab");
  TestWorld missing;
  EXPECT_EQ(missing.RunLines({"DIM %t", "SET %t :a", ":again", "CALL %t", "SET %t :nosuch", "GOTO :again", ":a",
                              "SET %0 (& %0 a)", "RETURN"}),
            1);
  EXPECT_EQ(missing.Var("%0"), "a");
  EXPECT_EQ(missing.Boxes()[0], "Err：該当行がありません : GOTO :nosuch");
}

TEST(CallTest, TargetIsReadAsAGotoWouldReadIt) {
  // A value that is itself an operand is evaluated again, as GOTO's target.
  EXPECT_EQ(Trail({"DIM %t", "SET %t \"(& :a)\"", "CALL %t", "END", ":a", "SET %0 in-a", "RETURN"}), "in-a");
  TestWorld world;
  EXPECT_EQ(world.RunLines({"DIM %t", "SET %t \"\"\"abc\"", "CALL %t"}), 1);
  EXPECT_EQ(world.Boxes()[0], "Err：\"～\" が閉じていません：\"abc");
}

struct ForCase {
  std::vector<std::string> header;
  std::string count;
  std::string last;
};

class ForTest : public ::testing::TestWithParam<ForCase> {};

TEST_P(ForTest, CountsAndLeavesTheVariable) {
  std::vector<std::string> lines = {"DIM %i %c %n", "SET %n 4"};
  lines.insert(lines.end(), GetParam().header.begin(), GetParam().header.end());
  lines.push_back("INC %c");
  lines.push_back("NEXT");
  TestWorld world;
  EXPECT_EQ(world.RunLines(lines), 0);
  EXPECT_EQ(world.Var("%C"), GetParam().count);
  EXPECT_EQ(world.Var("%I"), GetParam().last);
}

INSTANTIATE_TEST_SUITE_P(Headers, ForTest,
                         ::testing::Values(ForCase{{"FOR %i=1 TO 3"}, "3", "4"},
                                           ForCase{{"FOR %i=5 TO 1"}, "1", "6"},
                                           ForCase{{"FOR %i=3 TO 1 STEP -1"}, "3", "0"},
                                           ForCase{{"for %i=1 to %n step 2"}, "2", "5"},
                                           ForCase{{"FOR %i = 1 TO 10"}, "10", "11"},
                                           ForCase{{"FOR %i=$A TO 12"}, "3", "13"},
                                           ForCase{{"FOR %i=x TO y"}, "1", "2"}));

// A counter that would pass the integer range ends its loop; the variable
// keeps the wrapped sum, as any addition would leave it.  A run that does not
// end within ten passes jumps out, so a fault shows as a wrong count rather
// than as a loop that never ends.
TEST(ForTest, CounterThatWouldLeaveTheIntegerRangeEndsTheLoop) {
  const ForCase cases[] = {
      {{"FOR %i=2147483646 TO 2147483647"}, "2", "-2147483648"},
      {{"FOR %i=1 TO 2147483647 STEP 1073741824"}, "2", "-2147483647"},
      {{"FOR %i=2147483647 TO 2147483647 STEP 2147483647"}, "1", "-2"},
      {{"FOR %i=-2147483647 TO -2147483648 STEP -1"}, "2", "2147483647"},
      {{"FOR %i=-2147483648 TO -2147483648 STEP -2147483648"}, "1", "0"},
      {{"FOR %i=0 TO 2147483647", "SET %i 2147483647"}, "1", "-2147483648"},  // the body moves the counter
      {{"FOR %i=2147483640 TO 2147483647 STEP 3"}, "3", "-2147483647"},
  };
  for (const ForCase& c : cases) {
    std::vector<std::string> lines = {"DIM %i %c"};
    lines.push_back(c.header[0]);
    lines.insert(lines.end(), c.header.begin() + 1, c.header.end());
    lines.insert(lines.end(), {"INC %c", "IF (> %c 10) GOTO :runaway", "NEXT", ":runaway"});
    TestWorld world;
    EXPECT_EQ(world.RunLines(lines), 0) << c.header[0];
    EXPECT_EQ(world.Var("%C"), c.count) << c.header[0];
    EXPECT_EQ(world.Var("%I"), c.last) << c.header[0];
  }
}

TEST(ForTest, NestedLoopsAndNextWithOperand) {
  TestWorld world;
  EXPECT_EQ(world.RunLines({"DIM %i %j %c", "FOR %i=1 TO 3", "FOR %j=1 TO 4", "INC %c", "NEXT %j", "NEXT"}), 0);
  EXPECT_EQ(world.Var("%C"), "12");
  EXPECT_EQ(world.engine->run.fors.depth, 0);
}

TEST(ForTest, ExitForContinuesAfterTheNext) {
  EXPECT_EQ(Trail({"DIM %i", "FOR %i=1 TO 5", "IF (= %i 3) EXITFOR", "SET %0 (& %0 %i)", "NEXT",
                   "SET %0 (& %0 !)"}),
            "12!");
}

TEST(ForTest, ExitForCannotFindNextWithOperand) {
  TestWorld world;
  EXPECT_EQ(world.RunLines({"DIM %i", "FOR %i=1 TO 2", "EXITFOR", "NEXT %i"}), 1);
  EXPECT_EQ(world.Boxes()[0], "Err：該当行がありません : GOTONEXT NEXT");
}

TEST(ForTest, Errors) {
  struct Case {
    std::vector<std::string> lines;
    std::string firstBox;
    int exitCode;
  };
  std::string nine;
  std::vector<std::string> deep = {"DIM %i"};
  for (int i = 0; i < 9; ++i) deep.push_back("FOR %i=1 TO 1");
  const Case cases[] = {
      {{"FOR %undeclared=1 TO 2", "NEXT"}, "Err：制御変数が宣言されていません : FOR %undeclared=1 TO 2", 1},
      {{"NEXT"}, "Err：For が無いのに Next が実行されました", 0},
      {{"EXITFOR"}, "Err：For ～ Next の外側で ExitFor が実行されました", 0},
      {deep, "Err：FOR ～ NEXT のネストが８段階を超えました", 1},
  };
  for (const Case& c : cases) {
    TestWorld world;
    EXPECT_EQ(world.RunLines(c.lines), c.exitCode);
    ASSERT_FALSE(world.Boxes().empty());
    EXPECT_EQ(world.Boxes()[0], c.firstBox);
  }
}

TEST(ForTest, NextGoesBackToTheNearestLineReadingLikeItsFor) {
  // Two NEXT lines close the same loop.
  EXPECT_EQ(Trail({"DIM %i", "FOR %i=1 TO 4", "IF (= (mod %i 2) 0) GOTO :even", "SET %0 (& %0 o)", "NEXT", "END",
                   ":even", "SET %0 (& %0 e)", "NEXT"}),
            "oeoe");
  struct Case {
    std::vector<std::string> lines;
    std::string firstBox;
  };
  const Case cases[] = {
      // A FOR run by a one-line IF has no line of its own text to go back to.
      {{"DIM %i", "IF True FOR %i=1 TO 3", "NEXT"}, "Err：該当行がありません : GOTOBEFORE FOR %i=1 TO 3"},
      // Nor has a NEXT above its FOR.
      {{"DIM %i", "GOTO :a", ":b", "NEXT", "END", ":a", "FOR %i=1 TO 3", "GOTO :b"},
       "Err：該当行がありません : GOTOBEFORE FOR %i=1 TO 3"},
  };
  for (const Case& c : cases) {
    TestWorld world;
    EXPECT_EQ(world.RunLines(c.lines), 1) << c.lines[1];
    ASSERT_FALSE(world.Boxes().empty()) << c.lines[1];
    EXPECT_EQ(world.Boxes()[0], c.firstBox) << c.lines[1];
  }
}

TEST(EndTest, EndStopsTheRun) {
  EXPECT_EQ(Trail({"SET %0 a", "END", "SET %0 b"}), "a");
  EXPECT_EQ(Trail({"CALL :s", "SET %0 b", ":s", "SET %0 a", "END"}), "a");
}

TEST(PauseTest, WaitsForTheKeyPollingEvery100ms) {
  TestWorld world(R"({"keys": [{"vk": 13, "down": 450, "up": 600}]})");
  EXPECT_EQ(world.RunLines({"PAUSE [ENTER]", "SET %0 done"}), 0);
  EXPECT_EQ(world.Var("%0"), "done");
  EXPECT_EQ(world.CountCalls("Sleep"), 5);
  EXPECT_EQ(world.desktop.NowMs(), 500u);
}

TEST(PauseTest, ShowsItsMessageFirst) {
  TestWorld world(R"({"keys": [{"vk": 27, "down": 0}]})");
  EXPECT_EQ(world.RunLines({"PAUSE [ENTER] \"press Enter\""}), 0);
  EXPECT_EQ(world.Boxes(), (std::vector<std::string>{"press Enter", "マクロの実行を中断します"}));
}

TEST(PauseTest, EmptyKeyWaitsForTheBreakKeyAlone) {
  TestWorld world(R"({"keys": [{"vk": 13, "down": 0}, {"vk": 27, "down": 300}]})");
  EXPECT_EQ(world.RunLines({"PAUSE"}), 0);
  EXPECT_EQ(world.desktop.NowMs(), 300u);
}

TEST(PauseTest, UnknownKeyDoesNotWait) {
  TestWorld world;
  EXPECT_EQ(world.RunLines({"PAUSE [NOSUCHKEY] hello", "SET %0 on"}), 0);
  EXPECT_EQ(world.Var("%0"), "on");
  EXPECT_TRUE(world.Boxes().empty());
}

TEST(StepTest, ShowsLinesWithPauses) {
  TestWorld world;
  EXPECT_EQ(world.RunLines({"STEP ON 0 0", ":label", "SET %0 x", "STEP hello", "STEP OFF", "SET %1 y"}), 0);
  const sim::StepDisplayState& step = world.desktop.StepDisplay();
  std::vector<std::string> lines(step.lines.begin(), step.lines.end());
  EXPECT_EQ(lines, (std::vector<std::string>{"STEP ON 0 0", "SET %0 x", "STEP hello", "HELLO", "STEP OFF"}));
  EXPECT_FALSE(step.shown);
  EXPECT_EQ(world.CountCalls("Sleep"), 0);
}

TEST(StepTest, ImpliedJumpsShowTheirLineAgain) {
  TestWorld world;
  EXPECT_EQ(world.RunLines({"DIM %i", "STEP ON 0 0", "CALL :s", "FOR %i=1 TO 2", "IF (= %i 2) EXITFOR", "NEXT",
                            "IF True GOTO :y", ":y", "STEP OFF", "END", ":s", "RETURN"}),
            0);
  const sim::StepDisplayState& step = world.desktop.StepDisplay();
  std::vector<std::string> lines(step.lines.begin(), step.lines.end());
  const std::string exitFor = "IF (= %i 2) EXITFOR";
  const std::string gotoY = "IF True GOTO :y";
  EXPECT_EQ(lines, (std::vector<std::string>{"STEP ON 0 0", "CALL :s", "CALL :s", "RETURN", "FOR %i=1 TO 2", exitFor,
                                             "NEXT", "NEXT", exitFor, exitFor, exitFor, gotoY, gotoY, "STEP OFF"}));
}

TEST(StepTest, DefaultPausesAndPlacement) {
  Settings settings;
  settings.stepTop = -1;
  settings.stepLeft = -1;
  TestWorld world(R"({"screen": {"width": 800, "height": 600}})", settings);
  EXPECT_EQ(world.RunLines({"STEP ON", "SET %0 x"}), 0);
  EXPECT_EQ(world.desktop.NowMs(), 1500u);
  const platform::Rect& rect = world.desktop.StepDisplay().rect;
  EXPECT_EQ(rect.top, 600 - 200 - 1);
  EXPECT_EQ(rect.left, 800 - 200 - 1);
}

}  // namespace
}  // namespace vendrix::testing
