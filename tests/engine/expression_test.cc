// Evaluating operands: calls, quoted texts, words, operators and the name
// table.
#include "engine/expression.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "builtins/functions.h"
#include "values/integer.h"
#include "support/test_world.h"

namespace vendrix::testing {
namespace {

constexpr std::string_view kAborted = "マクロを中断します";

// Declares a variable (if needed) and gives it a value, both UTF-8.
void SetVar(TestWorld& world, std::string_view name, std::string_view value) {
  int index = world.engine->variables.Declare(Sjis(name));
  ASSERT_GE(index, 0);
  world.engine->variables.Store(index, Sjis(value));
}

// Evaluates an operand that must end the program with a fatal error and
// returns the boxes shown.
std::vector<std::string> FatalBoxes(TestWorld& world, std::string_view operand) {
  try {
    std::string value = world.Eval(operand);
    ADD_FAILURE() << "no fatal error for " << operand << ", value " << value;
  } catch (const ProgramEnd& end) {
    EXPECT_EQ(end.exitCode, 1) << operand;
  }
  return world.Boxes();
}

std::vector<std::string> FatalReport(std::string_view message) {
  return {"Err：" + std::string(message), std::string(kAborted)};
}

struct EvalCase {
  const char* operand;
  const char* expected;
};

void PrintTo(const EvalCase& c, std::ostream* out) { *out << c.operand; }

class OperatorTest : public ::testing::TestWithParam<EvalCase> {};

TEST_P(OperatorTest, GivesValue) {
  TestWorld world;
  EXPECT_EQ(world.Eval(GetParam().operand), GetParam().expected);
  EXPECT_TRUE(world.Boxes().empty());
}

INSTANTIATE_TEST_SUITE_P(
    Arithmetic, OperatorTest,
    ::testing::Values(
        EvalCase{"(+ 1 2 3)", "6"}, EvalCase{"(+)", "0"}, EvalCase{"(+ 1 a)", "1"},
        EvalCase{"(+ 1 2 3 4 5 6 7)", "28"},  // variadic: more than five arguments
        EvalCase{"(+ -5 +3)", "-2"}, EvalCase{"(+ $10 1)", "17"}, EvalCase{"(+ $ff 0)", "255"},
        EvalCase{"(+ $FFFFFFFF 0)", "-1"}, EvalCase{"(+ \"  7\" 1)", "8"},
        EvalCase{"(+ \"7 \" 1)", "1"}, EvalCase{"(+ 7x 1)", "1"}, EvalCase{"(+ 2147483648 5)", "5"},
        EvalCase{"(+ 2147483647 1)", "-2147483648"}, EvalCase{"(+ -2147483648 -1)", "2147483647"},
        EvalCase{"(- 10 1 2)", "7"}, EvalCase{"(- 5)", "5"}, EvalCase{"(- -2147483648 1)", "2147483647"},
        // The walk reads one (empty) token even for an empty argument text.
        EvalCase{"(-)", "0"}, EvalCase{"(*)", "0"}, EvalCase{"(* 2 3 4)", "24"},
        EvalCase{"(* 65536 65536)", "0"}, EvalCase{"(* 2147483647 2)", "-2"},
        EvalCase{"(* -3 x)", "0"},
        EvalCase{"(div 7 2)", "3"}, EvalCase{"(div -7 2)", "-3"}, EvalCase{"(div 7 -2)", "-3"},
        EvalCase{"(div -7 -2)", "3"}, EvalCase{"(div abc 2)", "0"}, EvalCase{"(mod 7 2)", "1"},
        EvalCase{"(mod -7 2)", "-1"}, EvalCase{"(mod 7 -2)", "1"}, EvalCase{"(mod -7 -2)", "-1"},
        EvalCase{"(mod 6 3)", "0"}, EvalCase{"(div $10 3)", "5"},
        // Only the quotient of the smallest integer by -1 overflows.
        EvalCase{"(mod -2147483648 -1)", "0"}, EvalCase{"(mod 7 -1)", "0"}, EvalCase{"(mod -7 -1)", "0"},
        EvalCase{"(mod -2147483648 2)", "0"}, EvalCase{"(mod -2147483648 7)", "-2"},
        EvalCase{"(mod -2147483648 2147483647)", "-1"}, EvalCase{"(div -2147483647 -1)", "2147483647"},
        // Integer values: "$" and one to eight significant hex digits, or
        // decimal with optional leading spaces and sign, fitting 32 bits.
        EvalCase{"(+ $000000001 0)", "1"}, EvalCase{"(+ $100000000 5)", "5"}, EvalCase{"(+ $ 5)", "5"},
        EvalCase{"(+ $1G 5)", "5"}, EvalCase{"(+ -2147483648 0)", "-2147483648"},
        EvalCase{"(+ -2147483649 1)", "1"}, EvalCase{"(+ -0 1)", "1"}, EvalCase{"(+ \"\t7\" 1)", "1"},
        EvalCase{"(+ \"- 7\" 1)", "1"}, EvalCase{"(+ 1.5 1)", "1"}));

INSTANTIATE_TEST_SUITE_P(
    Comparison, OperatorTest,
    ::testing::Values(
        EvalCase{"(= abc abc)", "True"}, EvalCase{"(= abc ABC)", "False"}, EvalCase{"(= 1 01)", "False"},
        EvalCase{"(= \"\" \"\")", "True"}, EvalCase{"(<> abc ABC)", "True"}, EvalCase{"(<> 1 1)", "False"},
        EvalCase{"(<> 1 01)", "True"}, EvalCase{"(>= 01 1)", "True"}, EvalCase{"(<= 01 1)", "True"},
        EvalCase{"(> abc -1)", "True"}, EvalCase{"(< abc 1)", "True"}, EvalCase{"(> abc xyz)", "False"},
        EvalCase{"(>= abc xyz)", "True"},
        // Numeric, not textual, order.
        EvalCase{"(> 10 9)", "True"}, EvalCase{"(< 10 9)", "False"}, EvalCase{"(< -2 -1)", "True"},
        EvalCase{"(> $10 15)", "True"}, EvalCase{"(<= 2 1)", "False"}, EvalCase{"(>= 1 2)", "False"},
        EvalCase{"(> 1 1)", "False"}, EvalCase{"(< 1 1)", "False"}, EvalCase{"(= 日本 日本)", "True"},
        EvalCase{"(in b abc)", "True"}, EvalCase{"(in abc b)", "False"}, EvalCase{"(in abc abc)", "True"},
        EvalCase{"(in B abc)", "False"}, EvalCase{"(in \"\" abc)", "False"}, EvalCase{"(in 本 日本語)", "True"},
        EvalCase{"(in \"c d\" \"abc de\")", "True"}));

INSTANTIATE_TEST_SUITE_P(
    Logic, OperatorTest,
    ::testing::Values(
        EvalCase{"(not TRUE)", "False"}, EvalCase{"(not tRuE)", "False"}, EvalCase{"(not yes)", "True"},
        EvalCase{"(not False)", "True"}, EvalCase{"(not)", "True"}, EvalCase{"(not (= 1 1))", "False"},
        EvalCase{"(not \"true \")", "True"}, EvalCase{"(and x y)", "True"}, EvalCase{"(and)", "True"},
        EvalCase{"(and true FALSE)", "False"}, EvalCase{"(and true true true true true fAlSe)", "False"},
        EvalCase{"(or False FALSE)", "False"}, EvalCase{"(or)", "False"}, EvalCase{"(or x TRUE)", "True"},
        EvalCase{"(or 1 yes)", "False"}, EvalCase{"(or a b c d e f true)", "True"},
        EvalCase{"(or (= 1 2) (> 3 2))", "True"}, EvalCase{"(and (= 1 1) (< 3 2))", "False"}));

INSTANTIATE_TEST_SUITE_P(
    TextsAndForms, OperatorTest,
    ::testing::Values(
        EvalCase{"(& a b c (len xyz))", "abc3"}, EvalCase{"(& \"a b\" (len xy) c)", "a b2c"},
        EvalCase{"(&)", ""}, EvalCase{"(& 1 2 3 4 5 6 7 8)", "12345678"},
        EvalCase{"(&\"x\" y)", "&\"x\" y"},  // the name runs to the first space
        EvalCase{"(& (+ 1 2)(+ 3 4))", "37"},  // a token may follow ")" directly
        EvalCase{"(& \"a\"b)", "ab"},        // and a closing quote
        EvalCase{"(& a\tb c)", "a\tbc"},    // a tab does not separate
        EvalCase{"(& a　b c)", "a　bc"},    // nor a full-width space
        EvalCase{"(&   a    b   )", "ab"}, EvalCase{"(len 日本語)", "3"}, EvalCase{"(LEN abc)", "3"},
        EvalCase{"(Len \"a b\")", "3"}, EvalCase{"(+ 1 2) ignored", "3"}, EvalCase{"(+ 1 2)xyz", "3"},
        EvalCase{"(+ 1 (* 2 (- 10 4)))", "13"},
        // Quoted operands.
        EvalCase{"\"say \"\"hi\"\"\"", "say \"hi\""}, EvalCase{"\"a\\nb\"", "a\rb"},
        EvalCase{"\"\\n\\n\"", "\r\r"}, EvalCase{"\"a\\\\nb\"", "a\\\rb"}, EvalCase{"\"a\\Nb\"", "a\\Nb"},
        EvalCase{"\"\"", ""}, EvalCase{"\"\"\"\"", "\""}, EvalCase{"\"ab\"cd", "ab"},
        EvalCase{"\"(+ 1 2)\"", "(+ 1 2)"}, EvalCase{"\"日本語\"", "日本語"},
        // Words stand for themselves.
        EvalCase{"hello", "hello"}, EvalCase{"hello world", "hello world"}, EvalCase{"", ""},
        EvalCase{"[ENTER]", "[ENTER]"}, EvalCase{"%undeclared", "%undeclared"}, EvalCase{"12", "12"},
        // Unknown names (func_error off): the inner text, unevaluated.
        EvalCase{"(hello world)", "hello world"}, EvalCase{"(hello (+ 1 2))", "hello (+ 1 2)"},
        EvalCase{"( + 1 2)", " + 1 2"}, EvalCase{"()", ""}, EvalCase{"((+ 1 2) 3)", "(+ 1 2) 3"},
        EvalCase{"(\"len\" abc)", "\"len\" abc"}, EvalCase{"(plus 1 2) tail", "plus 1 2"}));

TEST(EvaluatorTest, QuotedNewlineIsCarriageReturnByte) {
  TestWorld world;
  std::string value = EvaluateText(*world.engine, "\"a\\nb\"");
  EXPECT_EQ(value, std::string("a\x0D" "b"));
}

TEST(EvaluatorTest, ShiftJisTrailBytesAreNotAscii) {
  TestWorld world;
  Engine& engine = *world.engine;
  const std::string so = "\x83\x5c";  // ソ: trail byte is a backslash
  // "ソn" holds no backslash-n pair of characters.
  EXPECT_EQ(EvaluateText(engine, "\"" + so + "n\""), so + "n");
  EXPECT_EQ(EvaluateText(engine, "\"" + so + "\\n\""), so + "\r");
  // A backslash is no part of ソ.
  EXPECT_EQ(EvaluateText(engine, "(in \\ " + so + ")"), "False");
  EXPECT_EQ(EvaluateText(engine, "(in \\ a\\b)"), "True");
  EXPECT_EQ(EvaluateText(engine, "(len " + so + so + ")"), "2");
}

TEST(EvaluatorTest, OrAndStopAtTheDecidingArgument) {
  // A variable whose value is an unclosed call: evaluating it is fatal.  As
  // the sixth token it is never prepared as a fixed argument, so only the
  // walk could reach it.
  TestWorld world;
  SetVar(world, "%u", "(+ 1");
  EXPECT_EQ(world.Eval("(or a b c d TRUE %u)"), "True");
  EXPECT_EQ(world.Eval("(and a b c d false %u)"), "False");
  EXPECT_TRUE(world.Boxes().empty());

  TestWorld notStopped;
  SetVar(notStopped, "%u", "(+ 1");
  EXPECT_EQ(FatalBoxes(notStopped, "(or a b c d e %u)"), FatalReport("(～) が閉じていません：(+ 1"));
  TestWorld notStoppedAnd;
  SetVar(notStoppedAnd, "%u", "(+ 1");
  EXPECT_EQ(FatalBoxes(notStoppedAnd, "(and a b c d e %u)"), FatalReport("(～) が閉じていません：(+ 1"));
}

TEST(EvaluatorTest, VariablesAsArgumentsAreEvaluatedAgain) {
  TestWorld world;
  SetVar(world, "%v", "(+ 1 2)");
  SetVar(world, "%q", "\"x\"");
  SetVar(world, "%p", "%r");
  SetVar(world, "%r", "(+ 5 5)");
  SetVar(world, "%s", "a b");
  SetVar(world, "%n", "4");
  EXPECT_EQ(world.Eval("(len %v)"), "1");  // the argument became "3"
  EXPECT_EQ(world.Eval("(+ %v 1)"), "4");
  EXPECT_EQ(world.Eval("(& %q)"), "x");
  EXPECT_EQ(world.Eval("(& %q %q)"), "xx");
  EXPECT_EQ(world.Eval("(= %q x)"), "True");
  // A value beginning with "%" is looked up again; that value is taken as it is.
  EXPECT_EQ(world.Eval("(& %p)"), "(+ 5 5)");
  // A value is one argument, even with a space inside.
  EXPECT_EQ(world.Eval("(& %s x)"), "a bx");
  EXPECT_EQ(world.Eval("(* %n %n %N)"), "64");
  // At the top level a variable's value is not evaluated.
  EXPECT_EQ(world.Eval("%v"), "(+ 1 2)");
  EXPECT_EQ(world.Eval("%V"), "(+ 1 2)");
  EXPECT_EQ(world.Eval("%q"), "\"x\"");
  EXPECT_TRUE(world.Boxes().empty());
}

TEST(EvaluatorTest, SetCopiesAVariableUnevaluated) {
  TestWorld world;
  int code = world.RunLines({"DIM %v %w %x", "SET %v \"(+ 1 2)\"", "SET %w %v", "SET %x (len %v)"});
  EXPECT_EQ(code, 0);
  EXPECT_EQ(world.Var("%V"), "(+ 1 2)");
  EXPECT_EQ(world.Var("%W"), "(+ 1 2)");
  EXPECT_EQ(world.Var("%X"), "1");
}

TEST(EvaluatorTest, ValuesFollowTheVariablesAtEachEvaluation) {
  TestWorld world;
  // Missed before the declaration, found after it.
  EXPECT_EQ(world.Eval("(& %late)"), "%late");
  EXPECT_EQ(world.Eval("%late"), "%late");
  SetVar(world, "%late", "now");
  EXPECT_EQ(world.Eval("(& %late)"), "now");
  EXPECT_EQ(world.Eval("%late"), "now");
  // The same text gives the current value every time.
  SetVar(world, "%n", "1");
  EXPECT_EQ(world.Eval("(+ %n 1)"), "2");
  SetVar(world, "%n", "41");
  EXPECT_EQ(world.Eval("(+ %n 1)"), "42");
  SetVar(world, "%n", "(* 3 3)");
  EXPECT_EQ(world.Eval("(+ %n 1)"), "10");
}

TEST(EvaluatorTest, ElementReferences) {
  TestWorld world;
  ASSERT_EQ(world.RunLines({"DIM %a[2] %i %j", "SET %a[1] one", "SET %a[2] (+ 1 1)", "SET %i 1"}), 0);
  EXPECT_EQ(world.Eval("%a[%i]"), "one");
  EXPECT_EQ(world.Eval("(& %A[%I] -)"), "one-");
  EXPECT_EQ(world.Eval("(& %a[1])"), "one");
  EXPECT_EQ(world.Eval("(+ %a[2] 0)"), "2");
  // The index is never evaluated.
  EXPECT_EQ(world.Eval("%a[(+ %i 1)]"), "%a[(+ %i 1)]");
  // Text after the "]" is dropped when the index is a variable; otherwise the
  // reference is looked up as written.
  EXPECT_EQ(world.Eval("%a[%i]junk"), "one");
  EXPECT_EQ(world.Eval("%a[1]junk"), "%a[1]junk");
  EXPECT_EQ(world.Eval("(& %a[%i]junk)"), "one");
  // An empty index variable gives the key %A[], which is not declared.
  EXPECT_EQ(world.Eval("%a[%j]"), "%a[%j]");
  EXPECT_EQ(world.Eval("%a[3]"), "%a[3]");
}

TEST(EvaluatorTest, UnknownNameIsFatalWithFuncError) {
  Settings settings;
  settings.funcError = true;
  TestWorld world("{}", settings);
  EXPECT_EQ(world.RunLines({"DIM %x", "SET %x (hello world)", "SET %x reached"}), 1);
  EXPECT_EQ(world.Boxes(), FatalReport("関数が誤っています : (hello world)"));
  EXPECT_EQ(world.Var("%X"), "");

  TestWorld blank("{}", settings);
  EXPECT_EQ(FatalBoxes(blank, "( + 1 2)"), FatalReport("関数が誤っています : ( + 1 2)"));

  // Known names, in any letter case, are unaffected.
  TestWorld known("{}", settings);
  EXPECT_EQ(known.Eval("(LEN abc)"), "3");
  EXPECT_EQ(known.Eval("(Div 9 2)"), "4");
  EXPECT_TRUE(known.Boxes().empty());
}

TEST(EvaluatorTest, UnknownNameWithoutFuncErrorRunsOn) {
  TestWorld world;
  EXPECT_EQ(world.RunLines({"DIM %x", "SET %x (hello world)"}), 0);
  EXPECT_EQ(world.Var("%X"), "hello world");
  EXPECT_TRUE(world.Boxes().empty());
}

TEST(EvaluatorTest, UnclosedParenIsFatal) {
  struct Case {
    const char* operand;
    const char* message;
  };
  const Case cases[] = {
      {"(+ 1 2", "(～) が閉じていません：(+ 1 2"},
      {"(+ 1 (+ 2 3)", "(～) が閉じていません：(+ 1 (+ 2 3)"},
      // A quote that is never closed runs to the end, taking the ")" with it.
      {"(& \"abc)", "(～) が閉じていません：(& \"abc)"},
      {"(", "(～) が閉じていません：("},
  };
  for (const Case& c : cases) {
    TestWorld world;
    EXPECT_EQ(FatalBoxes(world, c.operand), FatalReport(c.message)) << c.operand;
  }
}

TEST(EvaluatorTest, UnclosedQuoteIsFatal) {
  const char* const operands[] = {"\"abc", "\"", "\"say \"\"hi\"\"", "\"a b c"};
  for (const char* operand : operands) {
    TestWorld world;
    EXPECT_EQ(FatalBoxes(world, operand), FatalReport(std::string("\"～\" が閉じていません：") + operand))
        << operand;
  }
}

TEST(EvaluatorTest, UnclosedTextInsideAVariableIsFatal) {
  TestWorld world;
  SetVar(world, "%q", "\"open");
  EXPECT_EQ(FatalBoxes(world, "(& %q)"), FatalReport("\"～\" が閉じていません：\"open"));
}

TEST(EvaluatorTest, SelfReferenceEndsWithAFatalReport) {
  const std::vector<std::vector<std::pair<std::string, std::string>>> setups = {
      {{"%v", "(& %v)"}},
      {{"%a", "(+ 1 %b)"}, {"%b", "(+ 1 %a)"}},
  };
  for (const auto& setup : setups) {
    TestWorld world;
    for (const auto& [name, value] : setup) SetVar(world, name, value);
    std::vector<std::string> boxes = FatalBoxes(world, "(len " + setup.front().first + ")");
    ASSERT_EQ(boxes.size(), 2u) << setup.front().second;
    EXPECT_EQ(boxes[0].rfind("Err：", 0), 0u) << boxes[0];
    EXPECT_EQ(boxes[1], kAborted);
    // Unwinding leaves the engine usable.
    EXPECT_EQ(world.engine->expressionDepth, 0);
    EXPECT_EQ(world.Eval("(+ 1 1)"), "2");
  }
}

TEST(EvaluatorTest, SelfReferenceInAMacroEndsTheProgram) {
  TestWorld world;
  EXPECT_EQ(world.RunLines({"DIM %v %w", "SET %v \"(& %v)\"", "SET %w (& %v)", "SET %w reached"}), 1);
  EXPECT_EQ(world.Var("%W"), "");
  ASSERT_EQ(world.Boxes().size(), 2u);
  EXPECT_EQ(world.Boxes()[1], kAborted);
}

TEST(EvaluatorTest, DeepButFiniteNestingWorks) {
  TestWorld world;
  std::string operand = "0";
  for (int i = 0; i < 50; ++i) operand = "(+ 1 " + operand + ")";
  EXPECT_EQ(world.Eval(operand), "50");
}

TEST(EvaluatorTest, VarErrorReportsUndeclaredReferences) {
  Settings settings;
  settings.varError = true;
  struct Case {
    const char* operand;
    const char* reference;  // reported
  };
  const Case cases[] = {
      {"%nope", "%nope"},           {"(& %nope)", "%nope"},        {"(+ 1 %Nope)", "%Nope"},
      {"%a[5]", "%a[5]"},           {"%a[%nope]", "%nope"},        {"(& x %a[%i] %zz)", "%zz"},
  };
  for (const Case& c : cases) {
    TestWorld world("{}", settings);
    ASSERT_EQ(world.RunLines({"DIM %a[2] %i", "SET %i 1"}), 0);
    EXPECT_EQ(FatalBoxes(world, c.operand),
              FatalReport(std::string("変数が宣言されていません : ") + c.reference))
        << c.operand;
  }

  TestWorld world("{}", settings);
  ASSERT_EQ(world.RunLines({"DIM %a[2] %i", "SET %i 1", "SET %a[1] one"}), 0);
  // Declared references and texts without "%" are fine.
  EXPECT_EQ(world.Eval("(& %a[%i] %a[1] abc 50%)"), "oneoneabc50%");
  EXPECT_EQ(world.Eval("plain"), "plain");
  EXPECT_TRUE(world.Boxes().empty());
}

TEST(EvaluatorTest, VarErrorLooksUpOnlyWhatIsEvaluated) {
  Settings settings;
  settings.varError = true;
  TestWorld world("{}", settings);
  // An unknown name's arguments are not evaluated, so not looked up.
  EXPECT_EQ(world.Eval("(hello %nope)"), "hello %nope");
  // Fixed-arity calls read five tokens; the sixth is never looked up.
  EXPECT_EQ(world.Eval("(= a a b c d %nope)"), "True");
  // The walk of "or" stops before the undeclared reference.
  EXPECT_EQ(world.Eval("(or true %nope)"), "True");
  EXPECT_EQ(world.Eval("\"%nope\""), "%nope");
  EXPECT_TRUE(world.Boxes().empty());

  // A value beginning with "%" is a reference like any other.
  TestWorld chained("{}", settings);
  SetVar(chained, "%p", "%nothing");
  EXPECT_EQ(FatalBoxes(chained, "(& %p)"), FatalReport("変数が宣言されていません : %nothing"));
  TestWorld off;
  SetVar(off, "%p", "%nothing");
  EXPECT_EQ(off.Eval("(& %p)"), "%nothing");
}

TEST(EvaluatorTest, FuncErrorAppliesToNestedCalls) {
  Settings settings;
  settings.funcError = true;
  TestWorld world("{}", settings);
  EXPECT_EQ(FatalBoxes(world, "(& x (hello) y)"), FatalReport("関数が誤っています : (hello)"));
  TestWorld viaVariable("{}", settings);
  SetVar(viaVariable, "%v", "(nosuch 1 2)");
  EXPECT_EQ(FatalBoxes(viaVariable, "(len %v)"), FatalReport("関数が誤っています : (nosuch 1 2)"));
}

TEST(EvaluatorTest, VeryDeepNestingEndsCleanly) {
  // However deep a literal expression is, evaluating it either works or
  // ends the program with a report; it never overflows the stack.
  TestWorld world;
  std::string operand = "0";
  for (int i = 0; i < 5000; ++i) operand = "(+ 1 " + operand + ")";
  try {
    EXPECT_EQ(world.Eval(operand), "5000");
  } catch (const ProgramEnd& end) {
    EXPECT_EQ(end.exitCode, 1);
    ASSERT_EQ(world.Boxes().size(), 2u);
    EXPECT_EQ(world.Boxes()[1], kAborted);
  }
}

TEST(EvaluatorTest, FixedArityCallsUseFiveArguments) {
  TestWorld world;
  // Tokens after the second are read but unused by "=", and extra ones are
  // no error.
  EXPECT_EQ(world.Eval("(= a a b c d e f)"), "True");
  EXPECT_EQ(world.Eval("(div 20 2 99)"), "10");
}

// The name table: order and letter case.
TEST(FunctionTableTest, HoldsTheNamesInOrder) {
  const std::vector<std::string> expected = {
      "+",           "&",          "=",           ">",          "<",            "<>",
      "in",          "not",        "or",          "and",        "-",            "*",
      "div",         "mod",        "date",        "len",        "pos",          "substr",
      ">=",          "<=",         "getcopyright", "getmouse",  "getcaret",     "getwindowpos",
      "format",      "inputbox",   "readkey",     "getpixel",   "message",      "trim",
      "ltrim",       "rtrim",      "eof",         "fileexists", "find-window",  "get-ime",
      "random",      "getheight",  "getwidth",    "upcase",     "downcase",     "hankaku",
      "zenkaku",     "chr",        "asc",         "left",       "right",        "token",
      "retext",      "copyfile",   "deletefile",  "movefile",   "renamefile",   "createdir",
      "deletedir",   "direxists",  "getfilesize", "getenv",     "getcurrentdir", "getexedir",
      "readini",     "loadini",    "comparefile", "getscreenheight", "getscreenwidth",
      "getgraphpixel", "searchgraph"};
  ASSERT_EQ(expected.size(), 67u);
  ASSERT_EQ(FunctionTable().size(), expected.size());
  for (size_t i = 0; i < expected.size(); ++i) {
    EXPECT_EQ(FunctionTable()[i].name, expected[i]) << "#" << i + 1;
    EXPECT_EQ(FindFunction(expected[i]), static_cast<int>(i)) << expected[i];
    // Every entry is callable one way or the other.
    EXPECT_TRUE(FunctionTable()[i].fixed || FunctionTable()[i].variadic) << expected[i];
  }
}

TEST(FunctionTableTest, VariadicOnesWalkTheirArguments) {
  for (const char* name : {"+", "-", "*", "&", "or", "and", "message"}) {
    int index = FindFunction(name);
    ASSERT_GE(index, 0) << name;
    EXPECT_NE(FunctionTable()[static_cast<size_t>(index)].variadic, nullptr) << name;
  }
  for (const char* name : {"=", "<>", ">", "<", ">=", "<=", "in", "not", "div", "mod", "len"}) {
    int index = FindFunction(name);
    ASSERT_GE(index, 0) << name;
    EXPECT_EQ(FunctionTable()[static_cast<size_t>(index)].variadic, nullptr) << name;
  }
}

TEST(FunctionTableTest, LookupIgnoresLetterCaseOnly) {
  EXPECT_EQ(FindFunction("LEN"), 15);
  EXPECT_EQ(FindFunction("Len"), 15);
  EXPECT_EQ(FindFunction("GetScreenWidth"), 64);
  EXPECT_EQ(FindFunction("FIND-WINDOW"), 34);
  EXPECT_EQ(FindFunction("DIV"), 12);
  EXPECT_EQ(FindFunction("In"), 6);
  EXPECT_EQ(FindFunction("SearchGraph"), 66);
  EXPECT_EQ(FindFunction(""), -1);
  EXPECT_EQ(FindFunction("len "), -1);
  EXPECT_EQ(FindFunction("lenx"), -1);
  EXPECT_EQ(FindFunction("find_window"), -1);
  EXPECT_EQ(FindFunction("=="), -1);
  EXPECT_EQ(FindFunction("hello"), -1);
}

// A fixed call's arguments are read as written, made by evaluation, or
// missing (empty); one that ends the program releases those made before it.
TEST(EvaluatorTest, FixedCallArgumentsWrittenMadeAndMissing) {
  TestWorld world;
  const std::string longText = std::string(40, 'x') + "tail";  // too long to live inside a string
  EXPECT_EQ(world.RunLines({"DIM %l", "SET %l " + longText, "SET %0 (substr %l 41 4)",
                            "SET %1 (substr %l 41)", "SET %2 (pos tail %l)", "SET %3 (substr %l (div 1 0) 2)",
                            "SET %4 after"}),
            1);
  EXPECT_EQ(world.Var("%0"), "tail");
  EXPECT_EQ(world.Var("%1"), "tail");  // a missing count is the whole rest
  EXPECT_EQ(world.Var("%2"), "41");
  EXPECT_EQ(world.Boxes(), (std::vector<std::string>{"Err：0 で割ろうとしました : (div 1 0)", "マクロを中断します"}));
  EXPECT_EQ(world.Var("%4"), "");
}

TEST(EvaluatorTest, DivisionWithoutAnAnswerIsFatal) {
  struct Case {
    const char* expression;
    const char* message;
  };
  const Case cases[] = {
      {"(div 7 0)", "Err：0 で割ろうとしました : (div 7 0)"},
      {"(mod 7 x)", "Err：0 で割ろうとしました : (mod 7 0)"},
      {"(div -2147483648 -1)", "Err：割り算の答えが整数の範囲を超えます : (div -2147483648 -1)"},
      {"(mod -2147483648 0)", "Err：0 で割ろうとしました : (mod -2147483648 0)"},
  };
  for (const Case& c : cases) {
    TestWorld world;
    EXPECT_EQ(world.RunLines({std::string("SET %0 ") + c.expression, "SET %0 after"}), 1) << c.expression;
    EXPECT_EQ(world.Boxes(), (std::vector<std::string>{c.message, "マクロを中断します"}));
    EXPECT_EQ(world.Var("%0"), "");
  }
}

}  // namespace
}  // namespace vendrix::testing

namespace vendrix::testing {
namespace {

// An IF's condition that compares two integers is answered without the
// text "True" or "False": it must branch exactly as the text would.
TEST(ConditionTest, ComparisonsBranchAsTheirText) {
  const char* const conditions[] = {
      "(> %0 100)", "(> %0 3)", "(< %0 3)", "(= %0 3)", "(<> %0 3)", "(>= 3 %0)", "(<= %0 2)",
      "(> %1 1)",      // a variable holding macro text is evaluated first
      "(= abc 0)",     // a word that is no number reads as 0
      "(> (+ %0 1) 3)",
      "(= %0 3 4)",    // three arguments: no integer test
      "(not (> %0 3))", "%2", "True", "false",
  };
  for (const char* condition : conditions) {
    TestWorld world;
    ASSERT_EQ(world.RunLines({"SET %0 3", "SET %1 \"(+ 1 1)\"", "SET %2 TRUE",
                              std::string("IF ") + condition + " SET %3 yes"}),
              0);
    const std::string expected = vendrix::IsTrue(Sjis(world.Eval(condition))) ? "yes" : "";
    EXPECT_EQ(world.Var("%3"), expected) << condition;
  }
}

}  // namespace
}  // namespace vendrix::testing
