// Which statements are pure, and when the run loop looks at the message
// queue and the break key.  On the simulated desktop every look tests the
// break key once, so the GetAsyncKeyState lines of a trace count the looks.
#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "builtins/dispatch.h"
#include "builtins/functions.h"
#include "engine/poll_schedule.h"
#include "engine/purity.h"
#include "support/test_world.h"

namespace vendrix::testing {
namespace {

bool Pure(const std::string& line) {
  const BuiltinTables builtins{FindStatementHandler, KeywordIsPure, &FunctionTable()};
  return StatementIsPure(ParseStatement(Sjis(line), FindStatementHandler), builtins);
}

TEST(PurityTest, StatementsOfTheInterpreterAloneArePure) {
  struct Case {
    std::string line;
    bool pure;
  };
  const Case cases[] = {
      {"SET %a (+ %a 1)", true},
      {"INC %n 2", true},
      {"DEC %n", true},
      {"SET %s (len abc)", true},
      {"SET %s (& (upcase (substr %t 1 2)) \"(date yyyy)\")", true},  // a quoted text is no call
      {"IF (> %n 100) SET %n 0", true},
      {"IF (> %n 100) THEN", true},
      {"ELSEIF (= %n 1)", true},
      {"ELSE", true},
      {"ENDIF", true},
      {"FOR %i=1 TO 10", true},
      {"NEXT", true},
      {"EXITFOR", true},
      {"GOTO :loop", true},
      {"CALL :sub", true},
      {"RETURN", true},
      {":loop", true},
      // Effects, at any depth.
      {"SET %t (date \"yyyy\")", false},
      {"SET %t (+ 1 (& x (getmouse)))", false},
      {"IF (> %n 100) KEY a", false},
      {"IF (fileexists a.txt) SET %n 0", false},
      {"GOTO (& \":\" (readkey 1))", false},
      {"KEY a", false},
      {"DELAY 10", false},
      {"MESSAGE hello", false},
      {"END", false},
      {"STEP ON", false},
      {"AUTODELAY 10", false},
      {"SETBREAKKEY A", false},
      // What cannot be told from the text counts as an effect.
      {"NOSUCH statement", false},
      {"(len abc)", false},
      {"SET %a (nosuchfunction 1)", false},
      {"SET %a (+ 1 2", false},
      {"SET %a \"open", false},
      {"SET %a " + std::string(40, '(') + "+ 1" + std::string(40, ')'), false},
  };
  for (const Case& c : cases) EXPECT_EQ(Pure(c.line), c.pure) << c.line;
}

// A function marked pure asks nothing of the platform: not the screen, the
// files, the clock, the user.
TEST(PurityTest, PureFunctionsMakeNoCallOutsideTheInterpreter) {
  for (const FunctionEntry& entry : FunctionTable()) {
    if (!entry.pure) continue;
    TestWorld world;
    try {
      world.Eval("(" + std::string(entry.name) + " 1 1 1)");
    } catch (const ProgramEnd&) {
      // A bad argument ends the program through the error box.
    }
    for (const nlohmann::json& call : world.desktop.Trace()) {
      EXPECT_EQ(call["call"], "MessageBoxA") << entry.name << " made " << call.dump();
    }
  }
}

TEST(PurityTest, FunctionsThatReachOutsideAreNotPure) {
  int effects = 0;
  for (const FunctionEntry& entry : FunctionTable()) {
    TestWorld world;
    try {
      world.Eval("(" + std::string(entry.name) + " 1 1 1)");
    } catch (const ProgramEnd&) {
    }
    // An effect shows in the trace (a failing one in its error box too).
    if (!world.desktop.Trace().empty() && world.CountCalls("MessageBoxA") == 0) {
      EXPECT_FALSE(entry.pure) << entry.name;
      ++effects;
    }
  }
  EXPECT_GT(effects, 5) << "the check looked at functions with effects";
}

TEST(PollScheduleTest, TheFirstAndTheLastStatementAreFollowedByALook) {
  TestWorld world;
  EXPECT_EQ(world.RunLines({"SET %0 a", "SET %0 b", "SET %0 c", "SET %0 d"}), 0);
  EXPECT_EQ(world.CountCalls("GetAsyncKeyState"), 2);
}

TEST(PollScheduleTest, PureLoopLooksEvery4096Statements) {
  TestWorld world;
  // FOR, then 10,000 times INC and NEXT: 20,001 statements.
  EXPECT_EQ(world.RunLines({"FOR %0=1 TO 10000", "INC %1", "NEXT"}), 0);
  EXPECT_EQ(world.Var("%1"), "10000");
  // After the first; after pure statements 4,096, 8,192, 12,288 and 16,384
  // in a row; after the last.
  EXPECT_EQ(world.CountCalls("GetAsyncKeyState"), 6);
  static_assert(kPureStatementsPerLook == 4096);
}

// A clock that moves while the interpreter computes, as a real one does:
// each read is `step` microseconds after the one before.
class RunningClock final : public platform::Clock {
 public:
  RunningClock(platform::Clock& inner, uint64_t step) : inner_(inner), step_(step) {}
  platform::LocalTime Now() override { return inner_.Now(); }
  void Sleep(uint32_t ms) override { inner_.Sleep(ms); }
  uint32_t TickCount() override { return inner_.TickCount(); }
  uint64_t SteadyMicroseconds() override { return now_ += step_; }

 private:
  platform::Clock& inner_;
  const uint64_t step_;
  uint64_t now_ = 0;
};

// On a clock that moves, a millisecond decides, not the count: the clock is
// read every 256 pure statements.
TEST(PollScheduleTest, PureLoopLooksEveryMillisecondOnARunningClock) {
  struct Case {
    uint64_t microsecondsPerRead;
    int looks;
  };
  // FOR, then 10,000 times INC and NEXT: 20,001 statements, the last 20,000
  // of them one pure run.  Besides the first and the last statement's:
  const Case cases[] = {
      {0, 2},       // a millisecond never passes: no look in between
      {250, 21},    // every fourth read, 1,024 statements: 19 in between
      {1000, 80},   // every read: 78 in between
  };
  for (const Case& c : cases) {
    TestWorld world;
    RunningClock clock(world.platform.clock, c.microsecondsPerRead);
    const platform::Platform& sim = world.platform;
    platform::Platform running{sim.dialogs, clock,         sim.input,    sim.messages, sim.shellWindow,
                               sim.display, sim.pointer,   sim.windows,  sim.clipboard, sim.programs,
                               sim.sound,   sim.joysticks, sim.files,    sim.host};
    std::unique_ptr<Engine> engine = NewEngine(running, Settings{});
    world.AddMacro({"FOR %0=1 TO 10000", "INC %1", "NEXT"});
    RunMacro(*engine, std::string(kMacroName));
    EXPECT_EQ(world.CountCalls("GetAsyncKeyState"), c.looks) << c.microsecondsPerRead;
  }
}

// A look comes between statements, whether it follows a long stretch of
// pure statements, an effect or the last line: its trace lines belong to
// no statement.
TEST(PollScheduleTest, LooksBelongToNoStatement) {
  const std::vector<std::vector<std::string>> macros = {
      {"FOR %0=1 TO 5000", "INC %1", "NEXT"},
      {"SET %0 a", "BEEP", "SET %0 b", "SET %0 c"},
      {"SET %0 a", "SET %0 b"},
  };
  for (const std::vector<std::string>& lines : macros) {
    TestWorld world;
    EXPECT_EQ(world.RunLines(lines), 0);
    int looks = 0;
    for (const nlohmann::json& entry : world.desktop.Trace()) {
      if (entry["call"] != "GetAsyncKeyState") continue;
      ++looks;
      EXPECT_EQ(entry.value("macro_line", 0), 0) << lines[0] << ": " << entry.dump();
    }
    EXPECT_GE(looks, 2) << lines[0];
  }
}

std::vector<std::string> LooksAnd(const TestWorld& world, const std::string& effect) {
  std::vector<std::string> calls;
  for (const nlohmann::json& entry : world.desktop.Trace()) {
    const std::string call = entry["call"];
    if (call == "GetAsyncKeyState") calls.push_back("look");
    if (call == effect) calls.push_back(call);
  }
  return calls;
}

TEST(PollScheduleTest, AnEffectIsLookedAtBeforeAndAfter) {
  TestWorld world;
  EXPECT_EQ(world.RunLines({"SET %0 a", "SET %0 b", "SET %0 c", "BEEP", "SET %0 d", "SET %0 e", "SET %0 f"}), 0);
  EXPECT_EQ(LooksAnd(world, "Beep"), (std::vector<std::string>{"look", "look", "Beep", "look", "look"}));
}

TEST(PollScheduleTest, AnEffectReachedThroughAVariablesTextIsLookedAt) {
  TestWorld world;
  // %1 holds macro text; & evaluates it as an operand, which asks for the
  // pointer.
  EXPECT_EQ(world.RunLines({"SET %1 \"(getmouse)\"", "SET %0 a", "SET %0 b", "SET %2 (& %1)", "SET %0 c",
                            "SET %0 d", "SET %0 e"}),
            0);
  EXPECT_EQ(world.Var("%2"), "0,0");
  // The look skipped after "SET %0 b" is taken before the pointer is read.
  EXPECT_EQ(LooksAnd(world, "GetCursorPos"),
            (std::vector<std::string>{"look", "look", "GetCursorPos", "look", "look"}));
}

TEST(PollScheduleTest, BreakHeldBeforeAHiddenEffectStopsTheStatement) {
  TestWorld world(R"({"keys": [{"vk": 27, "down": 0}]})");
  world.engine->run.idle = false;
  world.engine->run.poll.owed = true;
  EXPECT_THROW(ExecuteText(*world.engine, Sjis("SET %0 (getmouse)")), RunBroken);
  EXPECT_EQ(world.Var("%0"), "");
  EXPECT_EQ(world.CountCalls("GetCursorPos"), 0);
  EXPECT_EQ(world.Boxes(), (std::vector<std::string>{"マクロの実行を中断します"}));
}

TEST(PollScheduleTest, PacedRunsLookAfterEveryStatement) {
  Settings settings;
  settings.autoDelay = 5;
  TestWorld world("{}", settings);
  EXPECT_EQ(world.RunLines({"SET %0 a", "SET %0 b", "SET %0 c", "SET %0 d"}), 0);
  EXPECT_EQ(world.CountCalls("GetAsyncKeyState"), 4);
}

}  // namespace
}  // namespace vendrix::testing
