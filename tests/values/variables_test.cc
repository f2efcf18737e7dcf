// The variable table (lookups, the integer kept beside each text) and the
// SET, INC and DEC statements.
#include "values/variables.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "support/test_world.h"
#include "values/integer.h"

namespace vendrix::testing {
namespace {

const std::vector<std::string> kNamedSystemVariables = {
    "%breakkey", "%joybutton", "%joybuttonex", "%joybutton2", "%joybuttonex2", "%joystick",
    "%joystick2", "%joyxpos", "%joyypos", "%joyzpos", "%joybit", "%joyxpos2",
    "%joyypos2", "%joyzpos2", "%joybit2", "%capturejpg"};

std::vector<std::string> FatalReport(const std::string& message) {
  return {"Err：" + message, "マクロを中断します"};
}

// Lines run after "DIM %n %s", and what %N then reads.
struct LinesCase {
  std::vector<std::string> lines;
  const char* expected;
};

void ExpectNAfterEach(const std::vector<LinesCase>& cases) {
  for (const LinesCase& c : cases) {
    TestWorld world;
    std::vector<std::string> lines = {"DIM %n %s"};
    lines.insert(lines.end(), c.lines.begin(), c.lines.end());
    EXPECT_EQ(world.RunLines(lines), 0) << c.lines.back();
    EXPECT_EQ(world.Var("%N"), c.expected) << c.lines.back();
    EXPECT_TRUE(world.Boxes().empty()) << c.lines.back();
  }
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
  ExpectNAfterEach({
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
  });
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

// The integer the table keeps beside a text: it must read exactly as the
// text does, and no store of text may leave a stale number behind.

// Texts on every edge of what reads as a number.
const std::vector<std::string> kTexts = {
    "", " ", "0", "12", " 12", "   -3", "12 ", "12abc", "abc", "-0", "+0", "+5", "-", "+", "007",
    "2147483647", "2147483648", "-2147483648", "-2147483649", "99999999999", "000000000012",
    "$7fffffff", "$FFFFFFFF", "$80000000", "$100000000", "$000000001", "$", "$g", " $1F", "1.5",
    "\t3", "3\t", "True", "\x82\x4f\x82\x50" /* full-width 01 */, "1\x82\x4f", "(+ 1 2)", "%n"};

const int32_t kDefaults[] = {0, 1, -7};

TEST(VariableNumbersTest, ACachedReadAgreesWithTheTextForEveryKindOfStore) {
  VariableTable table;
  const int index = table.Declare("%N");
  ASSERT_GE(index, 0);
  for (const std::string& text : kTexts) {
    for (int32_t fallback : kDefaults) {
      const int32_t expected = IntegerValue(text, fallback);
      table.Store(index, text);
      EXPECT_EQ(table.IntegerOf(index, fallback), expected) << "stored \"" << text << "\"";
      EXPECT_EQ(table.IntegerOf(index, fallback), expected) << "again \"" << text << "\"";
      std::string swapped = text;
      table.Exchange(index, swapped, TextOrigin::kOutside);
      EXPECT_EQ(table.IntegerOf(index, fallback), expected) << "exchanged \"" << text << "\"";
    }
  }
}

TEST(VariableNumbersTest, AStoredIntegerReadsAsItsDecimalText) {
  VariableTable table;
  const int index = table.Declare("%N");
  for (int32_t value : {0, 1, -1, 9, 10, -10, 123456789, INT32_MAX, INT32_MIN}) {
    table.StoreInteger(index, value);
    EXPECT_EQ(table.Value(index), IntegerText(value));
    EXPECT_EQ(table.IntegerOf(index, 77), value);
    EXPECT_EQ(IntegerValue(table.Value(index), 77), value);
  }
}

TEST(VariableNumbersTest, AnIntegerCountedWithoutItsTextStillReadsAsText) {
  // A counter's text is written only when read: each read sees the last
  // integer stored, whatever was read in between.
  VariableTable table;
  const int index = table.Declare("%N");
  table.Store(index, "old");
  table.StoreInteger(index, 5);
  EXPECT_EQ(table.IntegerOf(index, 0), 5);
  table.StoreInteger(index, 6);
  table.StoreInteger(index, 7);
  EXPECT_EQ(table.NumberOf(index), 7);
  EXPECT_EQ(table.Value(index), "7");
  table.StoreInteger(index, -12);
  EXPECT_EQ(table.Value(index), "-12");
  const VariableTable copy = table;
  EXPECT_EQ(VariableTable(copy).Value(index), "-12");
}

TEST(VariableNumbersTest, StoringTextForgetsTheNumber) {
  VariableTable table;
  const int index = table.Declare("%N");
  table.StoreInteger(index, 41);
  table.Store(index, "abc");
  EXPECT_EQ(table.IntegerOf(index, 5), 5);
  table.StoreInteger(index, 41);
  std::string line = "$10";
  table.Exchange(index, line, TextOrigin::kOutside);
  EXPECT_EQ(table.IntegerOf(index, 5), 16);
  EXPECT_EQ(line, "41");
  // A text read once as a number, then replaced by another.
  table.Store(index, "8");
  EXPECT_EQ(table.IntegerOf(index, 0), 8);
  table.Store(index, "9");
  EXPECT_EQ(table.IntegerOf(index, 0), 9);
}

TEST(VariableNumbersTest, TheSystemVariablesStartWithTheirNumbers) {
  VariableTable table;
  EXPECT_EQ(table.IntegerOf(kCaptureJpgVariable, 0), 80);
  EXPECT_EQ(table.IntegerOf(0, -1), -1);
}

// Counting statements over texts that are not plain numbers, and a text
// stored after a count (a stale number would show in the last values).
TEST(VariableNumbersTest, CountingStatementsReadTheTextAsItIs) {
  ExpectNAfterEach({
      {{"SET %n \" 12\"", "INC %n"}, "13"},
      {{"SET %n 12abc", "INC %n 2"}, "2"},
      {{"SET %n $10", "DEC %n"}, "15"},
      {{"SET %n -0", "INC %n 0"}, "0"},
      {{"SET %n 2147483647", "INC %n"}, "-2147483648"},
      {{"SET %n -2147483648", "DEC %n"}, "2147483647"},
      {{"SET %n 2147483648", "INC %n"}, "1"},
      {{"SET %n 5", "INC %n", "SET %n 40", "INC %n"}, "41"},
      {{"SET %n 5", "INC %n", "SET %n x", "INC %n"}, "1"},
      {{"SET %n 5", "INC %n %n"}, "10"},
      {{"SET %s 3", "SET %n 1", "INC %n %s", "SET %s 10", "INC %n %s"}, "14"},
      // A statement's operand is not evaluated again: no number, step 1.
      {{"SET %s \"(+ 1 2)\"", "SET %n 1", "INC %n %s"}, "2"},
      {{"FOR %n=1 TO 3", "NEXT"}, "4"},
      {{"FOR %n=1 TO 3", "SET %n 10", "NEXT"}, "11"},
      {{"FOR %n=1 TO 5", "SET %n \" 7\"", "NEXT"}, "8"},
  });
}

// A comparison of two arguments is answered from their numbers; with a
// third argument it takes the path through the arguments' texts.  Both
// must agree for every pair of values, whatever the variables hold.
TEST(VariableNumbersTest, TwoArgumentComparisonsAgreeWithTheTextPath) {
  const std::vector<std::string> values = {"", "0", " 12", "12", "12abc", "-0", "$FF", "2147483648",
                                           "-2147483648", "(+ 6 6)", "\"12\"", "%b", "x"};
  for (const char* op : {">", "<", ">=", "<="}) {
    TestWorld world;
    ASSERT_EQ(world.RunLines({"DIM %a %b"}), 0);
    VariableTable& table = world.engine->variables;
    for (const std::string& a : values) {
      for (const std::string& b : values) {
        table.Store(table.Find("%A"), a);
        table.Store(table.Find("%B"), b);
        const std::string two = std::string("(") + op + " %a %b)";
        const std::string three = std::string("(") + op + " %a %b \"\")";
        EXPECT_EQ(world.Eval(two), world.Eval(three)) << two << " a=" << a << " b=" << b;
        const std::string literal = std::string("(") + op + " %a 12)";
        const std::string literalThree = std::string("(") + op + " %a 12 \"\")";
        EXPECT_EQ(world.Eval(literal), world.Eval(literalThree)) << literal << " a=" << a;
      }
    }
  }
}

// What a statement leaves in %N, with its origin and the boxes shown, after
// "DIM %n %o" and %O set to outside text.
struct Outcome {
  int exitCode = 0;
  std::string value;
  TextOrigin origin = TextOrigin::kMacro;
  std::vector<std::string> boxes;
};

Outcome RunWithOutsideText(const std::string& line) {
  TestWorld world;
  EXPECT_EQ(world.RunLines({"DIM %n %o", "SET %n 5"}), 0);
  VariableTable& table = world.engine->variables;
  table.Store(table.Find("%O"), "ab\x83\x41" "c", TextOrigin::kOutside);
  Outcome outcome;
  outcome.exitCode = world.RunLines({line});
  outcome.value = world.Var("%N");
  outcome.origin = table.Origin(table.Find("%N"));
  outcome.boxes = world.Boxes();
  return outcome;
}

// A function whose value is always an integer hands SET and INC the integer
// itself; what the variable then holds, its origin and every error must be
// what the same value taken as text gives ("&" of one argument is that text).
TEST(VariableNumbersTest, IntegerAnswersAgreeWithTheirTexts) {
  const std::vector<std::string> calls = {
      "(len abc)", "(len \"\")", "(len %o)", "(len (& %o x))", "(pos b abc)", "(pos x abc)",
      "(pos %o abc)", "(div 7 2)", "(div -7 2)", "(div -2147483648 -1)", "(div 1 0)", "(mod 7 -1)",
      "(mod -7 3)", "(mod 1 0)", "(asc A)", "(asc \"\")", "(asc %o)", "(random 10)", "(random 0)",
      "(len a b c d e f)"};
  for (const std::string& call : calls) {
    for (const char* statement : {"SET %n ", "INC %n ", "DEC %n "}) {
      const Outcome integer = RunWithOutsideText(statement + call);
      const Outcome text = RunWithOutsideText(statement + ("(& " + call + ")"));
      EXPECT_EQ(integer.exitCode, text.exitCode) << statement << call;
      EXPECT_EQ(integer.value, text.value) << statement << call;
      EXPECT_EQ(integer.origin, text.origin) << statement << call;
      EXPECT_EQ(integer.boxes, text.boxes) << statement << call;
    }
  }
}

TEST(VariableNumbersTest, ComparisonsReadNumbersOfEveryForm) {
  TestWorld world;
  EXPECT_EQ(world.Eval("(> 12abc -1)"), "True");   // no number: 0
  EXPECT_EQ(world.Eval("(> $10 15)"), "True");
  EXPECT_EQ(world.Eval("(< \" 3\" 4)"), "True");
  EXPECT_EQ(world.Eval("(>= -0 0)"), "True");
  EXPECT_EQ(world.Eval("(<= 2147483648 0)"), "True");  // too large: 0
  EXPECT_EQ(world.Eval("(> (+ 2 2) 3)"), "True");
  EXPECT_EQ(world.Eval("(> 1)"), "True");
  EXPECT_EQ(world.Eval("(< 1)"), "False");
}

}  // namespace
}  // namespace vendrix::testing
