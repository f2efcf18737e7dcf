// The variable table, lookups, and the SET, INC and DEC statements.
#include "values/variables.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/test_world.h"

namespace vendrix::testing {
namespace {

const std::vector<std::string> kNamedSystemVariables = {
    "%breakkey", "%joybutton", "%joybuttonex", "%joybutton2", "%joybuttonex2", "%joystick",
    "%joystick2", "%joyxpos", "%joyypos", "%joyzpos", "%joybit", "%joyxpos2",
    "%joyypos2", "%joyzpos2", "%joybit2", "%capturejpg"};

std::vector<std::string> FatalReport(const std::string& message) {
  return {"Err：" + message, "マクロを中断します"};
}

TEST(VariableTableTest, StartsWithTheSystemVariables) {
  TestWorld world;
  Engine& engine = *world.engine;
  ASSERT_EQ(engine.variables.size(), 80u);
  for (int i = 0; i < 64; ++i) {
    std::string name = "%" + std::to_string(i);
    EXPECT_EQ(LookupVariable(engine, name), i) << name;
    EXPECT_EQ(engine.variables.Value(i), "") << name;
  }
  for (size_t k = 0; k < kNamedSystemVariables.size(); ++k) {
    const std::string& name = kNamedSystemVariables[k];
    int index = 64 + static_cast<int>(k);
    EXPECT_EQ(LookupVariable(engine, name), index) << name;
    EXPECT_EQ(engine.variables.Value(index), name == "%capturejpg" ? "80" : "") << name;
  }
  EXPECT_EQ(LookupVariable(engine, "%CAPTUREJPG"), 79);
  EXPECT_EQ(LookupVariable(engine, "%CaptureJpg"), 79);
  EXPECT_EQ(LookupVariable(engine, "%JOYBUTTONEX2"), 68);
  EXPECT_EQ(LookupVariable(engine, "%64"), -1);
  EXPECT_EQ(LookupVariable(engine, "%00"), -1);
  EXPECT_EQ(LookupVariable(engine, "%-1"), -1);
  EXPECT_EQ(LookupVariable(engine, "capturejpg"), -1);
  EXPECT_EQ(LookupVariable(engine, "%"), -1);
  EXPECT_EQ(LookupVariable(engine, ""), -1);
  EXPECT_EQ(world.Eval("%capturejpg"), "80");
}

TEST(VariableTableTest, DeclareUpperCasesAndKeepsValues) {
  VariableTable table;
  int index = table.Declare("%count");
  ASSERT_EQ(index, 80);
  EXPECT_EQ(table.Name(index), "%COUNT");
  EXPECT_EQ(table.Value(index), "");
  table.Store(index, "5");
  EXPECT_EQ(table.Declare("%Count"), index);
  EXPECT_EQ(table.Declare("%COUNT"), index);
  EXPECT_EQ(table.Value(index), "5");
  EXPECT_EQ(table.size(), 81u);
  EXPECT_EQ(table.Find("%COUNT"), index);
  // Declaring a system variable keeps it where it is.
  EXPECT_EQ(table.Declare("%CaptureJpg"), 79);
  EXPECT_EQ(table.Value(79), "80");
  EXPECT_EQ(table.Declare("%5"), 5);
  EXPECT_EQ(table.size(), 81u);
  // Entries are appended in order.
  EXPECT_EQ(table.Declare("%b"), 81);
  EXPECT_EQ(table.Declare("%a"), 82);
  EXPECT_EQ(table.Value(index), "5");
}

TEST(VariableTableTest, UpperCasingLeavesTrailBytesAlone) {
  // ャ is 0x83 0x62: its trail byte is the letter b.  ィ is 0x83 0x42: the
  // trail byte is B.  They are different characters.
  const std::string small = "%\x83\x62";
  const std::string other = "%\x83\x42";
  VariableTable table;
  int index = table.Declare(small + "x");
  EXPECT_EQ(table.Name(index), small + "X");
  EXPECT_EQ(table.Find(other + "X"), -1);
  EXPECT_NE(table.Declare(other + "x"), index);

  TestWorld world;
  world.engine->variables.Declare(small);
  EXPECT_EQ(LookupVariable(*world.engine, other), -1);
  EXPECT_GE(LookupVariable(*world.engine, small), 0);
}

TEST(VariablesTest, SetIncDecThroughAMacro) {
  struct Case {
    std::vector<std::string> lines;  // after "DIM %n %s"
    std::string expected;            // %N afterwards
  };
  const Case cases[] = {
      {{"INC %n"}, "1"},
      {{"SET %n abc", "INC %n"}, "1"},
      {{"SET %n 3", "DEC %n 5"}, "-2"},
      {{"SET %n 3", "DEC %n"}, "2"},
      {{"DEC %n"}, "-1"},
      {{"SET %n 10", "INC %n x"}, "11"},
      {{"SET %n 10", "DEC %n x"}, "9"},
      {{"SET %n 10", "INC %n 0"}, "10"},
      {{"SET %n 10", "INC %n -3"}, "7"},
      {{"SET %n 10", "INC %n $10"}, "26"},
      {{"SET %n $F", "INC %n"}, "16"},
      {{"SET %n \" 7\"", "INC %n"}, "8"},
      {{"SET %n 10", "INC %n (* 2 3)"}, "16"},
      {{"SET %s 4", "SET %n 10", "INC %n %s"}, "14"},
      {{"SET %n 007", "INC %n"}, "8"},
      {{"SET %n 2147483647", "INC %n"}, "-2147483648"},
      {{"SET %n -2147483648", "DEC %n"}, "2147483647"},
      {{"SET %n 2147483647", "INC %n 2147483647"}, "-2"},
      {{"SET %n 1", "INC %n", "INC %n", "INC %n"}, "4"},
      {{"SET %n (+ 1 2)"}, "3"},
      {{"SET %n \"(+ 1 2)\""}, "(+ 1 2)"},
      {{"SET %n hello world"}, "hello"},
      {{"SET %n x", "SET %n"}, ""},
      {{"SET %N 5", "inc %n", "Dec %N 3"}, "3"},
      {{"SET %n 日本語"}, "日本語"},
      {{"SET %s \"a b\"", "SET %n %s"}, "a b"},
  };
  for (const Case& c : cases) {
    TestWorld world;
    std::vector<std::string> lines = {"DIM %n %s"};
    lines.insert(lines.end(), c.lines.begin(), c.lines.end());
    EXPECT_EQ(world.RunLines(lines), 0) << c.lines.back();
    EXPECT_EQ(world.Var("%N"), c.expected) << c.lines.back();
    EXPECT_TRUE(world.Boxes().empty()) << c.lines.back();
  }
}

TEST(VariablesTest, IncInALoopSeesEachNewValue) {
  TestWorld world;
  EXPECT_EQ(world.RunLines({"DIM %i %sum", ":top", "INC %i", "INC %sum %i",
                            "IF (< %i 10) GOTO :top"}),
            0);
  EXPECT_EQ(world.Var("%I"), "10");
  EXPECT_EQ(world.Var("%SUM"), "55");
}

TEST(VariablesTest, BadTargetsAreFatal) {
  struct Case {
    std::string line;
  };
  const Case cases[] = {
      {"SET abc 1"}, {"SET %undeclared 1"}, {"INC abc"}, {"DEC %nothing 2"},
      {"SET"},       {"SET %a[3] y"},       {"SET %a[%j] z"},  // %j is empty: key %A[]
      {"SET 日本 1"},
  };
  for (const Case& c : cases) {
    TestWorld world;
    EXPECT_EQ(world.RunLines({"DIM %a[2] %j", c.line, "SET %a[0] reached"}), 1) << c.line;
    EXPECT_EQ(world.Boxes(), FatalReport("不正な変数です：" + c.line)) << c.line;
    EXPECT_EQ(world.Var("%A[0]"), "") << c.line;
  }
}

TEST(VariablesTest, VarErrorReportsTheUndeclaredNameInstead) {
  Settings settings;
  settings.varError = true;
  TestWorld world("{}", settings);
  EXPECT_EQ(world.RunLines({"SET %undeclared 1"}), 1);
  EXPECT_EQ(world.Boxes(), FatalReport("変数が宣言されていません : %undeclared"));

  TestWorld index("{}", settings);
  EXPECT_EQ(index.RunLines({"DIM %a[2]", "SET %a[%k] 1"}), 1);
  EXPECT_EQ(index.Boxes(), FatalReport("変数が宣言されていません : %k"));

  // A target that does not begin with "%" is still a bad variable.
  TestWorld plain("{}", settings);
  EXPECT_EQ(plain.RunLines({"SET abc 1"}), 1);
  EXPECT_EQ(plain.Boxes(), FatalReport("不正な変数です：SET abc 1"));
}

TEST(VariablesTest, ElementTargets) {
  TestWorld world;
  EXPECT_EQ(world.RunLines({"DIM %a[2] %i %b[x]", "SET %a[1] x", "SET %i 2", "SET %a[%i] y",
                            "SET %A[0] z", "SET %b[9] nine", "INC %a[%I]"}),
            0);
  EXPECT_EQ(world.Var("%A[0]"), "z");
  EXPECT_EQ(world.Var("%A[1]"), "x");
  EXPECT_EQ(world.Var("%A[2]"), "1");  // "y" read as 0, plus 1
  EXPECT_EQ(world.Var("%A[3]"), "<undeclared>");
  EXPECT_EQ(world.Var("%B[9]"), "nine");
  EXPECT_EQ(world.Var("%B[10]"), "<undeclared>");
}

TEST(VariablesTest, ElementIndexEndsAtACharacterBoundary) {
  // ゾ is 0x83 0x5D: its trail byte is "]".
  const std::string zo = "\x83\x5d";
  TestWorld world;
  int index = world.engine->variables.Declare("%k[" + zo + "]");
  ASSERT_GE(index, 0);
  world.files.Add(kMacroName, "SET %k[" + zo + "] 5\r\nSET %j %k[" + zo + "]\r\n");
  world.engine->variables.Declare("%j");
  EXPECT_EQ(world.Run(), 0);
  EXPECT_EQ(world.engine->variables.Value(index), "5");
  EXPECT_EQ(world.Var("%J"), "5");
}

TEST(VariablesTest, BracketTrailBytesDoNotMakeAnElementForm) {
  // ゼ is 0x83 0x5B and ゾ 0x83 0x5D: "%ゼxゾ" is a simple name.
  const std::string name = "%\x83\x5bx\x83\x5d";
  TestWorld world;
  world.files.Add(kMacroName, "DIM " + name + "\r\nSET " + name + " 7\r\nINC " + name + "\r\n");
  EXPECT_EQ(world.Run(), 0);
  int index = world.engine->variables.Find("%\x83\x5bX\x83\x5d");  // upper-cased
  ASSERT_GE(index, 0);
  EXPECT_EQ(world.engine->variables.Value(index), "8");
  EXPECT_TRUE(world.Boxes().empty());
}

TEST(VariablesTest, ValuesOutliveARunAndDimKeepsThem) {
  TestWorld world;
  world.AddMacro({"DIM %k", "SET %k 5", "SET %capturejpg 50"}, "C:\\m\\first.mac");
  world.AddMacro({"DIM %k %m", "INC %k", "INC %capturejpg"}, "C:\\m\\second.mac");
  EXPECT_EQ(world.Run("C:\\m\\first.mac"), 0);
  EXPECT_EQ(world.Run("C:\\m\\second.mac"), 0);
  EXPECT_EQ(world.Var("%K"), "6");
  EXPECT_EQ(world.Var("%M"), "");
  EXPECT_EQ(world.Var("%CAPTUREJPG"), "51");
}

}  // namespace
}  // namespace vendrix::testing
