// The variable table's integer beside the text: it must read exactly as the
// text does, and no store of text may leave a stale number behind.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "support/test_world.h"
#include "values/integer.h"
#include "values/variables.h"

namespace vendrix::testing {
namespace {

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
struct CountCase {
  std::vector<std::string> lines;
  const char* expected;
};

TEST(VariableNumbersTest, CountingStatementsReadTheTextAsItIs) {
  const std::vector<CountCase> cases = {
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
  };
  for (const CountCase& c : cases) {
    TestWorld world;
    std::vector<std::string> lines = {"DIM %n %s"};
    lines.insert(lines.end(), c.lines.begin(), c.lines.end());
    EXPECT_EQ(world.RunLines(lines), 0) << c.lines.back();
    EXPECT_EQ(world.Var("%N"), c.expected) << c.lines.back();
    EXPECT_TRUE(world.Boxes().empty()) << c.lines.back();
  }
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
