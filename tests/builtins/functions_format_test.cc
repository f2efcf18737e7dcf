// "format", "date", "random" and "getcopyright".
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "support/test_world.h"
#include "values/text_format.h"

namespace vendrix::testing {
namespace {

constexpr std::string_view kAborted = "マクロを中断します";
constexpr std::string_view kMorningClock = R"({"clock": "2003-07-14T09:05:03.042"})";

// Evaluates an operand that must end the program; returns the first box.
std::string FatalMessage(TestWorld& world, std::string_view operand) {
  try {
    const std::string value = world.Eval(operand);
    ADD_FAILURE() << "no fatal error for " << operand << ", value " << value;
  } catch (const ProgramEnd& end) {
    EXPECT_EQ(end.exitCode, 1) << operand;
  }
  const std::vector<std::string> boxes = world.Boxes();
  if (boxes.size() != 2 || boxes[1] != kAborted) {
    ADD_FAILURE() << operand << " showed " << boxes.size() << " boxes";
    return {};
  }
  return boxes[0];
}

// ---- format

struct FormatCase {
  const char* pattern;
  const char* value;
  const char* kind;
  const char* expected;
};

void PrintTo(const FormatCase& c, std::ostream* out) { *out << c.pattern << " " << c.value << " " << c.kind; }

std::string FormatCall(const FormatCase& c) {
  return std::string("(format \"") + c.pattern + "\" \"" + c.value + "\" " + c.kind + ")";
}

class FormatValue : public ::testing::TestWithParam<FormatCase> {};

TEST_P(FormatValue, Gives) {
  TestWorld world;
  EXPECT_EQ(world.Eval(FormatCall(GetParam())), GetParam().expected);
  EXPECT_TRUE(world.Boxes().empty());
}

INSTANTIATE_TEST_SUITE_P(
    Integers, FormatValue,
    ::testing::Values(
        FormatCase{"%.3d", "7", "", "007"}, FormatCase{"%d", "abc", "", "0"}, FormatCase{"%d", "", "", "0"},
        FormatCase{"%d", "$FF", "", "255"}, FormatCase{"%d", "-2147483648", "", "-2147483648"},
        FormatCase{"%5d", "42", "", "   42"}, FormatCase{"%-5d|", "42", "", "42   |"},
        FormatCase{"%1d", "12345", "", "12345"},  // a width never cuts
        FormatCase{"%.5d", "-42", "", "-00042"},  // the sign stands before the zeros
        FormatCase{"%8.5d", "-42", "", "  -00042"}, FormatCase{"%.0d", "0", "", "0"},
        FormatCase{"%.d", "3", "", "3"},
        FormatCase{"%05d", "7", "", "    7"},  // no zero flag: 05 is a width of blanks
        FormatCase{"%u", "-1", "", "4294967295"}, FormatCase{"%.12u", "5", "", "000000000005"},
        FormatCase{"%x", "255", "", "ff"}, FormatCase{"%X", "255", "", "FF"}, FormatCase{"%.4x", "255", "", "00ff"},
        FormatCase{"%x", "-1", "", "ffffffff"}, FormatCase{"%8.3x|", "10", "", "     00a|"},
        FormatCase{"%D", "3", "", "3"}, FormatCase{"%U", "3", "", "3"},
        // One argument, named as often as wanted by its index.
        FormatCase{"%0:d-%0:x", "26", "", "26-1a"}, FormatCase{"%0:-4d|", "1", "", "1   |"},
        FormatCase{"100%%", "1", "", "100%"}, FormatCase{"%%d", "1", "", "%d"}, FormatCase{"no directive", "1", "", "no directive"},
        FormatCase{"", "1", "", ""}, FormatCase{"値=%d円", "5", "", "値=5円"},
        // Only ":string" exactly asks for a text.
        FormatCase{"%d", "12", ":STRING", "12"}, FormatCase{"%d", "12", "string", "12"}));

INSTANTIATE_TEST_SUITE_P(
    Texts, FormatValue,
    ::testing::Values(FormatCase{"[%s]", "abc", ":string", "[abc]"}, FormatCase{"%-10s|", "abc", ":string", "abc       |"},
                      FormatCase{"%10s", "abc", ":string", "       abc"}, FormatCase{"%.2s", "abcdef", ":string", "ab"},
                      FormatCase{"%.0s|", "abc", ":string", "|"}, FormatCase{"%S", "x", ":string", "x"},
                      FormatCase{"%s", "", ":string", ""}, FormatCase{"%s", "日本", ":string", "日本"},
                      // Widths and precisions count bytes, which are columns in Shift-JIS; a
                      // precision never keeps half of a character.
                      FormatCase{"%6s|", "日本", ":string", "  日本|"}, FormatCase{"%.3s", "日本", ":string", "日"},
                      FormatCase{"%.4s", "日本", ":string", "日本"}, FormatCase{"%.2s", "a日", ":string", "a"},
                      FormatCase{"%s%%", "50", ":string", "50%"}, FormatCase{"%s", "%d", ":string", "%d"}));

class FormatRefused : public ::testing::TestWithParam<FormatCase> {};

TEST_P(FormatRefused, EndsTheProgram) {
  TestWorld world;
  EXPECT_EQ(FatalMessage(world, FormatCall(GetParam())), std::string("Err：") + GetParam().expected + GetParam().pattern);
}

constexpr const char* kMismatch = "書式が引数に合いません : ";
constexpr const char* kTooLarge = "書式の幅か結果が大きすぎます（幅と精度は 4096 まで、結果は 16 MB まで）: ";

INSTANTIATE_TEST_SUITE_P(
    Mismatches, FormatRefused,
    ::testing::Values(FormatCase{"%s", "abc", "", kMismatch}, FormatCase{"%d", "1", ":string", kMismatch},
                      FormatCase{"%x", "1", ":string", kMismatch},
                      // Two directives want two arguments; there is one.
                      FormatCase{"%d %d", "1", "", kMismatch}, FormatCase{"%0:d%d", "1", "", kMismatch},
                      FormatCase{"%1:d", "1", "", kMismatch}, FormatCase{"%", "1", "", kMismatch},
                      FormatCase{"100%", "1", "", kMismatch}, FormatCase{"%5", "1", "", kMismatch},
                      FormatCase{"%.3", "1", "", kMismatch}, FormatCase{"%f", "1", "", kMismatch},
                      FormatCase{"%*d", "1", "", kMismatch}, FormatCase{"%e", "1", "", kMismatch},
                      FormatCase{"% d", "1", "", kMismatch}));

INSTANTIATE_TEST_SUITE_P(
    TooLarge, FormatRefused,
    ::testing::Values(FormatCase{"%4097d", "1", "", kTooLarge}, FormatCase{"%.4097d", "1", "", kTooLarge},
                      FormatCase{"%-99999999999999999999s", "a", ":string", kTooLarge},
                      FormatCase{"%.99999999999999999999x", "1", "", kTooLarge}));

TEST(Format, WidthAtTheCapIsKept) {
  TestWorld world;
  const std::string value = world.Eval("(format \"%4096d\" 7)");
  ASSERT_EQ(value.size(), 4096u);
  EXPECT_EQ(value.back(), '7');
  EXPECT_EQ(value.find_first_not_of(' '), 4095u);
}

TEST(Format, ResultAboveTheCapIsRefusedBeforeItIsBuilt) {
  std::string pattern;
  const size_t directives = kMaxFormatResult / kMaxFormatWidth + 1;
  for (size_t i = 0; i < directives; ++i) pattern += "%0:4096d";
  const FormatResult result = FormatText(pattern, FormatArgument{false, 1, {}});
  EXPECT_EQ(result.status, FormatStatus::kTooLarge);
  EXPECT_TRUE(result.text.empty());
  // One directive fewer fits exactly.
  pattern.resize(pattern.size() - 8);
  EXPECT_EQ(FormatText(pattern, FormatArgument{false, 1, {}}).text.size(), kMaxFormatResult);
}

TEST(Format, VariablesAndExpressionsAsArguments) {
  TestWorld world;
  ASSERT_EQ(world.RunLines({"DIM %p %v %k", "SET %p \"<%.4d>\"", "SET %v 12", "SET %k :string"}), 0);
  EXPECT_EQ(world.Eval("(format %p %v)"), "<0012>");
  EXPECT_EQ(world.Eval("(format \"%-3d|\" (+ 1 2))"), "3  |");
  EXPECT_EQ(world.Eval("(format \"[%s]\" %v %k)"), "[12]");
}

// ---- date

struct DateCase {
  const char* clock;
  const char* pattern;
  const char* expected;
};

TEST(Date, TrailingZsAppendTheMilliseconds) {
  const DateCase cases[] = {
      {"2003-07-14T09:05:03.042", "(date \"yyyy/mm/dd hh:nn:ss.zzz\")", "2003/07/14 09:05:03.042"},
      {"2003-07-14T09:05:03.042", "(date hh:nn:ssz)", "09:05:0342"},
      {"2003-07-14T09:05:03.042", "(date hh:nn:ss.ZZZ)", "09:05:03.042"},
      {"2003-07-14T09:05:03.005", "(date ss.zzz)", "03.005"},
      {"2003-07-14T09:05:03.005", "(date ss.Z)", "03.5"},
      {"2003-07-14T09:05:03.000", "(date ss.z)", "03.0"},
      {"2003-07-14T09:05:03.042", "(date yyyymmdd)", "20030714"},
      // Only the end counts: "z" elsewhere is copied.
      {"2003-07-14T09:05:03.042", "(date zss)", "z03"},
      // "zz" is a "z" after a "z": one digit group, after the pattern minus one "z".
      {"2003-07-14T09:05:03.042", "(date sszz)", "03z42"},
      // Nothing left before the Zs: an empty pattern, which means "c".
      {"2003-07-14T09:05:03.042", "(date zzz)", "2003/07/14 9:05:03042"},
      {"2003-07-14T09:05:03.042", "(date)", "2003/07/14 9:05:03"},
      {"2003-07-14T09:05:03.042", "(date 年ｚ)", "年ｚ"},  // a full-width ｚ is no z
      {"2019-05-01T00:00:00", "(date ggee年m月d日)", "令和01年5月1日"},
  };
  for (const DateCase& c : cases) {
    TestWorld world(std::string(R"({"clock": ")") + c.clock + "\"}");
    EXPECT_EQ(world.Eval(c.pattern), c.expected) << c.pattern;
  }
}

TEST(Date, FollowsTheVirtualClock) {
  TestWorld world(R"({"start_ms": 500, "clock": "2003-12-31T23:59:58.500"})");
  EXPECT_EQ(world.Eval("(date \"yyyy/mm/dd hh:nn:ss\")"), "2003/12/31 23:59:58");
  world.desktop.clock().Sleep(1500);
  EXPECT_EQ(world.Eval("(date \"yyyy/mm/dd hh:nn:ss dddd\")"), "2004/01/01 00:00:00 木曜日");
}

// ---- random

TEST(Random, TheGeneratorStepsItsSeedAndScalesTheHighHalf) {
  TestWorld world;
  world.engine->randomSeed = 0;
  std::vector<std::string> values;
  for (int i = 0; i < 5; ++i) values.push_back(world.Eval("(random 100)"));
  EXPECT_EQ(values, (std::vector<std::string>{"0", "3", "86", "20", "27"}));
  world.engine->randomSeed = 0;
  EXPECT_EQ(world.Eval("(random 2147483647)"), "0");
  EXPECT_EQ(world.Eval("(random 2147483647)"), "67387906");
  EXPECT_EQ(world.Eval("(random 2147483647)"), "1849087502");
}

TEST(Random, TheSeedComesFromTheClockSoAFixedClockRepeats) {
  // 2003-07-14 09:05:03.042 is 1058173503042 ms after 1970; 1611548226 in 32 bits.
  TestWorld first(kMorningClock);
  EXPECT_EQ(first.engine->randomSeed, 1611548226u);
  std::vector<std::string> values;
  for (int i = 0; i < 5; ++i) values.push_back(first.Eval("(random 100)"));
  EXPECT_EQ(values, (std::vector<std::string>{"49", "1", "97", "22", "2"}));

  TestWorld later(R"({"clock": "2003-07-14T09:05:03.043"})");
  EXPECT_NE(later.engine->randomSeed, first.engine->randomSeed);
}

TEST(Random, StaysInRange) {
  TestWorld world;
  for (int i = 0; i < 200; ++i) {
    const int value = std::stoi(world.Eval("(random 7)"));
    ASSERT_GE(value, 0);
    ASSERT_LT(value, 7);
  }
  for (int i = 0; i < 20; ++i) EXPECT_EQ(world.Eval("(random 1)"), "0");
}

TEST(Random, ARangeBelowOneEndsTheProgram) {
  for (const char* range : {"0", "-5", "x", ""}) {
    TestWorld world;
    const std::string call = std::string("(random \"") + range + "\")";
    EXPECT_EQ(FatalMessage(world, call), std::string("Err：引数が不正です：random ") + range) << call;
  }
}

// ---- getcopyright

TEST(GetCopyright, IsAFixedNoticeOfLinesEndedByCarriageReturns) {
  TestWorld world;
  const std::string notice = world.Eval("(getcopyright)");
  EXPECT_EQ(notice.rfind("Vendrix V0.74a\r", 0), 0u);
  EXPECT_EQ(std::count(notice.begin(), notice.end(), '\r'), 3);
  EXPECT_EQ(notice.find('\n'), std::string::npos);
  EXPECT_NE(notice.find("自由"), std::string::npos);
  EXPECT_EQ(world.Eval("(getcopyright ignored)"), notice);
}

}  // namespace
}  // namespace vendrix::testing
