// The script's text functions, called as a macro calls them.
#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "support/test_world.h"

namespace vendrix::testing {
namespace {

void SetVar(TestWorld& world, std::string_view name, std::string_view sjisValue) {
  const int index = world.engine->variables.Declare(Sjis(name));
  ASSERT_GE(index, 0);
  world.engine->variables.Store(index, sjisValue);
}

std::string RawVar(TestWorld& world, std::string_view name) {
  const int index = world.engine->variables.Find(Sjis(name));
  return index < 0 ? "<undeclared>" : world.engine->variables.Value(index);
}

struct EvalCase {
  const char* operand;  // UTF-8
  const char* expected;
};

void PrintTo(const EvalCase& c, std::ostream* out) { *out << c.operand; }

class TextFunctionTest : public ::testing::TestWithParam<EvalCase> {};

TEST_P(TextFunctionTest, GivesValue) {
  TestWorld world;
  EXPECT_EQ(world.Eval(GetParam().operand), GetParam().expected);
  EXPECT_TRUE(world.Boxes().empty());
}

INSTANTIATE_TEST_SUITE_P(
    Slicing, TextFunctionTest,
    ::testing::Values(EvalCase{"(substr 日本語です 2 2)", "本語"}, EvalCase{"(substr abc 2)", "bc"},
                      EvalCase{"(substr abc 0 1)", "a"}, EvalCase{"(substr abc -1 1)", ""},
                      EvalCase{"(substr abc x 2)", "ab"},     // a start that is no number is 1
                      EvalCase{"(substr abc 2 x)", "bc"},     // a count that is no number is the length
                      EvalCase{"(substr 日本 3 1)", ""}, EvalCase{"(substr ｱｲｳ 2 1)", "ｲ"},
                      EvalCase{"(left abcde 2)", "ab"}, EvalCase{"(left abc 0)", ""},
                      EvalCase{"(left 日本語 2)", "日本"}, EvalCase{"(left abc 9)", "abc"},
                      EvalCase{"(right abcde 2)", "de"}, EvalCase{"(right abc 0)", ""},
                      EvalCase{"(right abc 9)", "abc"}, EvalCase{"(right 日本語 1)", "語"},
                      EvalCase{"(right abc 2147483647)", "abc"}, EvalCase{"(right \"\" 2)", ""}));

INSTANTIATE_TEST_SUITE_P(
    Searching, TextFunctionTest,
    ::testing::Values(EvalCase{"(pos b abcb)", "2"}, EvalCase{"(pos z abc)", "0"},
                      EvalCase{"(pos 語 日本語)", "3"}, EvalCase{"(pos \"\" abc)", "0"},
                      EvalCase{"(pos \\ ソ)", "0"},  // never inside a two-byte character
                      EvalCase{"(pos \\ ソ\\)", "2"}, EvalCase{"(len 日本a)", "3"},
                      EvalCase{"(retext aaaa aa a)", "aa"}, EvalCase{"(retext 日本日本 本 x)", "日x日x"},
                      EvalCase{"(retext ソ \\ /)", "ソ"}, EvalCase{"(retext abc \"\" x)", "abc"},
                      EvalCase{"(retext a,b , \"\")", "ab"}));

INSTANTIATE_TEST_SUITE_P(
    Trimming, TextFunctionTest,
    ::testing::Values(EvalCase{"(trim \"  a b  \")", "a b"}, EvalCase{"(ltrim \"  a b  \")", "a b  "},
                      EvalCase{"(rtrim \"  a b  \")", "  a b"}, EvalCase{"(trim \"\t\ra\n\")", "a"},
                      EvalCase{"(trim \"　a　\")", "　a　"},  // the full-width space stays
                      EvalCase{"(trim \"   \")", ""}, EvalCase{"(ltrim \"   \")", ""},
                      EvalCase{"(rtrim \"   \")", ""}, EvalCase{"(trim)", ""}));

// The tables themselves are tested in cp932_case_test and width_map_test.
INSTANTIATE_TEST_SUITE_P(CaseAndWidth, TextFunctionTest,
                         ::testing::Values(EvalCase{"(upcase abcＸｙzα)", "ABCＸＹZΑ"},
                                           EvalCase{"(downcase ABCＸｙZΑ)", "abcｘｙzα"},
                                           EvalCase{"(hankaku ＡＢＣ　ガパヴ。)", "ABC ｶﾞﾊﾟｳﾞ｡"},
                                           EvalCase{"(zenkaku \"ABC ｶﾞﾊﾟｳﾞ｡\")", "ＡＢＣ　ガパヴ。"}));

INSTANTIATE_TEST_SUITE_P(Codes, TextFunctionTest,
                         ::testing::Values(EvalCase{"(chr 65)", "A"}, EvalCase{"(chr 321)", "A"},
                                           EvalCase{"(chr $41)", "A"}, EvalCase{"(asc A)", "65"},
                                           EvalCase{"(asc \"あ\")", "33440"},  // 0x82A0
                                           EvalCase{"(asc ｱ)", "177"}, EvalCase{"(asc ABC)", "65"},
                                           EvalCase{"(asc \"　\")", "33088"}));

TEST(TextFunctionCodesTest, ChrGivesRawBytes) {
  TestWorld world;
  EXPECT_EQ(EvaluateText(*world.engine, "(chr 0)"), std::string(1, '\0'));
  EXPECT_EQ(EvaluateText(*world.engine, "(chr 130)"), "\x82");  // a lead byte, alone
  EXPECT_EQ(EvaluateText(*world.engine, "(chr 255)"), "\xff");
  // A lead byte at the end of a text is a character of its own.
  SetVar(world, "%lone", "\x82");
  EXPECT_EQ(world.Eval("(asc %lone)"), "130");
}

// Evaluates an operand that must end the program and returns its report.
std::vector<std::string> FatalBoxes(std::string_view operand) {
  TestWorld world;
  try {
    const std::string value = world.Eval(operand);
    ADD_FAILURE() << "no fatal error for " << operand << ", value " << value;
  } catch (const ProgramEnd& end) {
    EXPECT_EQ(end.exitCode, 1) << operand;
  }
  return world.Boxes();
}

TEST(TextFunctionErrorTest, BadArgumentsEndTheProgram) {
  struct Case {
    const char* operand;
    const char* message;
  };
  const std::vector<Case> cases = {
      {"(left abc x)", "引数が不正です：left+s_opt2 abc x"},
      {"(left abc -1)", "引数が不正です：left+s_opt2 abc -1"},
      {"(left 日本)", "引数が不正です：left+s_opt2 日本 "},  // no count reads as -1
      {"(right abc -2)", "引数が不正です：right abc -2"},
      {"(right abc two)", "引数が不正です：right abc two"},
      {"(chr -1)", "引数が不正です：chr -1"},
      {"(chr x)", "引数が不正です：chr x"},
      {"(chr)", "引数が不正です：chr "},
      {"(asc)", "引数が不正です：asc "},
      {"(asc \"\")", "引数が不正です：asc "},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(FatalBoxes(c.operand), (std::vector<std::string>{std::string("Err：") + c.message, "マクロを中断します"}))
        << c.operand;
  }
}

TEST(TokenFunctionTest, CutsTheVariableAtTheSeparator) {
  struct Case {
    const char* value;      // UTF-8
    const char* separator;  // as written in the call
    const char* result;
    const char* rest;
  };
  const std::vector<Case> cases = {
      {"a,b,c", "\",\"", "a", "b,c"},
      {"x", "\",\"", "x", ""},
      {",x", "\",\"", "", "x"},
      {"a,b", "\"\"", "a,b", ""},           // an empty separator takes everything
      {"a--b--c", "--", "a", "b--c"},        // a separator of several characters goes whole
      {"日本、語", "、", "日本", "語"},
      {"ソ\\x", "\\", "ソ", "x"},            // the "\" inside ソ is no separator
      {"", "\",\"", "", ""},
  };
  for (const Case& c : cases) {
    TestWorld world;
    SetVar(world, "%s", Sjis(c.value));
    EXPECT_EQ(world.Eval(std::string("(token %s ") + c.separator + ")"), c.result) << c.value;
    EXPECT_EQ(world.Var("%S"), c.rest) << c.value;
  }
}

TEST(TokenFunctionTest, WalksAListInAMacro) {
  TestWorld world;
  ASSERT_EQ(world.RunLines({"DIM %s %t %out %a[2] %i", "SET %s \"a,b,c\"", "SET %out \"\"",
                            "SET %t (token %s \",\")", "SET %out (& %out %t /)", "SET %t (token %s \",\")",
                            "SET %out (& %out %t /)", "SET %a[1] p:q:r", "SET %i 1", "(token %a[%i] :)"}),
            0);
  EXPECT_EQ(world.Var("%OUT"), "a/b/");
  EXPECT_EQ(world.Var("%S"), "c");
  EXPECT_EQ(world.Var("%A[1]"), "q:r");  // an element named through another variable
  EXPECT_TRUE(world.Boxes().empty());
}

TEST(TokenFunctionTest, StoresNothingWithoutAVariable) {
  TestWorld world;
  SetVar(world, "%s", "keep");
  EXPECT_EQ(world.Eval("(token a,b \",\")"), "a");
  EXPECT_EQ(world.Eval("(token (& %s ,x) \",\")"), "keep");
  EXPECT_EQ(RawVar(world, "%S"), "keep");
}

}  // namespace
}  // namespace vendrix::testing
