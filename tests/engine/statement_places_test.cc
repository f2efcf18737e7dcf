// Each loaded statement remembers the file and line it was written on, and
// the run tells the desktop which one runs: error reports and trace lines
// point back at the macro.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "engine/loader.h"
#include "support/test_world.h"

namespace vendrix::testing {
namespace {

constexpr std::string_view kIncluded = "C:\\m\\inc.mac";

TEST(StatementPlaces, LoadedLinesKeepTheirFileAndLineThroughIncludesAndSplits) {
  TestWorld world;
  world.files.Add(kIncluded, Sjis("\r\nSET %0 in\r\n"));
  world.AddMacro({"; comment", "INCLUDE C:\\m\\inc.mac", "IF %0 = x THEN", "ELSE SET %0 y", "ENDIF"});
  world.engine->run.statements.Clear();
  LoadMacroFile(*world.engine, std::string(kMacroName));
  const StatementList& list = world.engine->run.statements;
  struct Expected {
    std::string_view file;
    uint32_t line;
  };
  const std::vector<Expected> expected = {
      {kIncluded, 2}, {kMacroName, 3}, {kMacroName, 4}, {kMacroName, 4}, {kMacroName, 5}};
  ASSERT_EQ(list.size(), expected.size());
  for (size_t i = 0; i < expected.size(); ++i) {
    EXPECT_EQ(list.SourceFile(list.PlaceOf(i).file), expected[i].file) << i;
    EXPECT_EQ(list.PlaceOf(i).line, expected[i].line) << i;
  }
}

TEST(StatementPlaces, ErrorReportsAndTraceLinesNameTheStatementsFileAndLine) {
  TestWorld world(R"({"answers": ["OK", "YES", "OK", "YES"]})");
  std::ostringstream log;
  world.desktop.SetDialogLog(&log);
  world.files.Add(kIncluded, Sjis("MESAGE in\r\n"));
  EXPECT_EQ(world.RunLines({"SET %0 a", "INCLUDE C:\\m\\inc.mac", "MESAGE main"}), 0);

  const std::string text = log.str();
  const size_t included = text.find("C:\\m\\inc.mac:1: Err：");
  const size_t main = text.find("C:\\m\\test.mac:3: Err：");
  EXPECT_NE(included, std::string::npos) << text;
  EXPECT_NE(main, std::string::npos) << text;
  EXPECT_LT(included, main);
  EXPECT_NE(text.find("C:\\m\\test.mac:3: message box: マクロを継続しますか？ [YES]"), std::string::npos) << text;

  std::vector<std::pair<int, std::string>> boxes;
  for (const nlohmann::json& entry : world.desktop.Trace()) {
    if (entry.value("call", "") != "MessageBoxA") continue;
    boxes.emplace_back(entry.value("macro_line", 0), entry.value("macro_file", ""));
  }
  const std::vector<std::pair<int, std::string>> expected = {
      {1, "C:\\m\\inc.mac"}, {1, "C:\\m\\inc.mac"}, {3, ""}, {3, ""}};
  EXPECT_EQ(boxes, expected);
}

// A statement that looks pure when loaded can still reach the desktop: a
// variable holding a call of the macro's own text is evaluated.  Its trace
// line names it, not the statement the desktop last heard of.
TEST(StatementPlaces, AStatementTakenForPureThatReachesTheDesktopIsNamed) {
  TestWorld world;
  EXPECT_EQ(world.RunLines({"DIM %b %r", "SET %b \"(getmouse)\"", "BEEP", "SET %r 1", "SET %r (& %b)", "SET %r 2"}), 0);
  std::vector<int> lines;
  for (const nlohmann::json& entry : world.desktop.Trace()) {
    if (entry.value("call", "") == "GetCursorPos") lines.push_back(entry.value("macro_line", 0));
  }
  EXPECT_EQ(lines, std::vector<int>{5});
}

TEST(StatementPlaces, StopOnErrorEndsTheRunAtTheFirstReport) {
  TestWorld world;
  world.desktop.SetDryRunRules({.stopOnError = true});
  world.AddMacro({"SET %0 a", "MESAGE hello", "SET %0 b"});
  EXPECT_THROW(world.Run(), sim::DryRunEnd);
  EXPECT_EQ(world.Var("%0"), "a");
  EXPECT_EQ(world.Boxes().size(), 1u) << "no question after the report";
}

TEST(StatementPlaces, TheBreakKeyPollBetweenStatementsIsLeftOutOfTheTrace) {
  TestWorld world;
  world.desktop.SetDryRunRules({.tracePolls = false});
  EXPECT_EQ(world.RunLines({"DIM %i", "FOR %i=1 TO 1000", "NEXT"}), 0);
  EXPECT_EQ(world.Var("%I"), "1001") << "the loop ran";
  EXPECT_EQ(world.CountCalls("GetAsyncKeyState"), 0);
  EXPECT_LT(world.desktop.Trace().size(), 20u);
}

}  // namespace
}  // namespace vendrix::testing
