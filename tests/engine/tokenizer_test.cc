// Splitting statements into tokens and parts.
#include "engine/tokenizer.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "builtins/dispatch.h"
#include "engine/loader.h"
#include "engine/statement.h"
#include "values/sjis.h"
#include "support/test_world.h"

namespace vendrix::testing {
namespace {

constexpr size_t npos = std::string_view::npos;

const std::string kWideSpace = "\x81\x40";  // full-width space
const std::string kSo = "\x83\x5c";         // ソ: trail byte "\"
const std::string kZo = "\x83\x5d";         // ゾ: trail byte "]"
const std::string kSmallYa = "\x83\x62";    // ャ: trail byte "b"
const std::string kTrail81 = "\x89\x81";    // a kanji whose trail byte is a lead byte value

TEST(FindClosingQuoteTest, SkipsDoubledQuotes) {
  struct Case {
    std::string text;  // after the opening quote
    size_t expected;
  };
  const Case cases[] = {
      {"abc\"", 3},         {"\"", 0},        {"abc\" x \"", 3},  {"a\"\"b\"", 4},
      {"\"\"\"", 2},        {"\"\"", npos},   {"a\"\"", npos},    {"", npos},
      {"abc", npos},        {"\"\"\"\"", npos}, {"\"\"\"\"\"", 4}, {kSo + "\"", 2},
      {kSo + kSo + "x\"", 5},
  };
  for (const Case& c : cases) EXPECT_EQ(FindClosingQuote(c.text), c.expected) << c.text;
}

TEST(FindClosingParenTest, CountsNestingAndSkipsQuotedText) {
  struct Case {
    std::string text;  // after the opening "("
    size_t expected;
  };
  const Case cases[] = {
      {")", 0},
      {"a)", 1},
      {"a(b)c)", 5},
      {"(())x)", 5},
      {"\")\")", 3},           // a quoted ")" does not close
      {"\"(\")", 3},           // a quoted "(" does not open
      {"\"a\"\")\")", 6},      // doubled quote inside the string
      {"\"\")", 2},            // empty string
      {"\"\"\")", npos},       // the ")" is inside a string that never closes
      {"a", npos},
      {"", npos},
      {"(", npos},
      {"(a)", npos},
      {"\"a)", npos},          // an unclosed quote runs to the end
      {"a) b)", 1},
      {kSo + ")", 2},
      {"x " + kZo + ")", 4},
  };
  for (const Case& c : cases) EXPECT_EQ(FindClosingParen(c.text), c.expected) << c.text;
}

struct TokenCase {
  std::string text;
  std::string token;
  std::string rest;
};

void PrintTo(const TokenCase& c, std::ostream* out) { *out << c.text; }

class NextTokenTest : public ::testing::TestWithParam<TokenCase> {};

TEST_P(NextTokenTest, CutsTokenAndTrimsRest) {
  TokenResult result = NextToken(GetParam().text);
  ASSERT_FALSE(result.error) << *result.error;
  EXPECT_EQ(result.token, GetParam().token);
  EXPECT_EQ(result.rest, GetParam().rest);
}

INSTANTIATE_TEST_SUITE_P(
    Forms, NextTokenTest,
    ::testing::Values(
        TokenCase{"abc def", "abc", "def"}, TokenCase{"abc    def  ", "abc", "def"},
        TokenCase{"abc", "abc", ""}, TokenCase{"", "", ""}, TokenCase{"a b c", "a", "b c"},
        TokenCase{"\"a b\" c", "\"a b\"", "c"},
        TokenCase{"\"say \"\"hi\"\"\" x", "\"say \"\"hi\"\"\"", "x"},
        TokenCase{"\"\"\"\" x", "\"\"\"\"", "x"}, TokenCase{"\"\" x", "\"\"", "x"},
        TokenCase{"(+ 1 (len \")\")) z", "(+ 1 (len \")\"))", "z"},
        TokenCase{"(& \"(\" x)y z", "(& \"(\" x)", "y z"},  // glued word after ")"
        TokenCase{"(a)(b)", "(a)", "(b)"}, TokenCase{"\"a\"b c", "\"a\"", "b c"},
        TokenCase{"\"a\"\"b\"c", "\"a\"\"b\"", "c"},
        // Quotes and parentheses in the middle of a word mean nothing.
        TokenCase{"a\"b c\"", "a\"b", "c\""}, TokenCase{"a(b c)", "a(b", "c)"},
        // Only the half-width space separates.
        TokenCase{"KEY\tabc", "KEY\tabc", ""}, TokenCase{"a\t b", "a\t", "b"},
        TokenCase{"a" + kWideSpace + "b c", "a" + kWideSpace + "b", "c"},
        // The rest is trimmed of blanks, the full-width space included.
        TokenCase{"a " + kWideSpace + "b" + kWideSpace, "a", "b"},
        TokenCase{"\"x\"" + kWideSpace + "\ty\t ", "\"x\"", "y"},
        TokenCase{"a \t\x7f b \x01", "a", "b"},
        // Shift-JIS characters whose trail bytes look like ASCII.
        TokenCase{kSo + " " + kZo, kSo, kZo}, TokenCase{kSo + kSmallYa + " x", kSo + kSmallYa, "x"},
        TokenCase{"a " + kTrail81 + "@", "a", kTrail81 + "@"},
        TokenCase{"\"" + kSo + "\" x", "\"" + kSo + "\"", "x"},
        TokenCase{"(a " + kSo + ")b", "(a " + kSo + ")", "b"}));

TEST(NextTokenTest, ReportsUnclosedQuoteOrParen) {
  struct Case {
    std::string text;
    std::string message;  // UTF-8
  };
  const Case cases[] = {
      {"\"abc def", "\"～\" が閉じていません：\"abc def"},
      {"\"say \"\"hi\"\" x", "\"～\" が閉じていません：\"say \"\"hi\"\" x"},
      {"\"", "\"～\" が閉じていません：\""},
      {"(abc def", "(～) が閉じていません：(abc def"},
      {"(a (b) c", "(～) が閉じていません：(a (b) c"},
      {"(a \")\"", "(～) が閉じていません：(a \")\""},
      {"(", "(～) が閉じていません：("},
  };
  for (const Case& c : cases) {
    TokenResult result = NextToken(c.text);
    ASSERT_TRUE(result.error) << c.text;
    EXPECT_EQ(Utf8(*result.error), c.message);
  }
}

TEST(TrimViewTest, TrimsBlanksByCharacter) {
  struct Case {
    std::string text;
    std::string expected;
  };
  const Case cases[] = {
      {"  a b  ", "a b"},
      {kWideSpace + "a" + kWideSpace, "a"},
      {"\t\r\n a \x7f", "a"},
      {"", ""},
      {kWideSpace + " " + kWideSpace, ""},
      // 0x81 0x40 across a character boundary is no full-width space.
      {kTrail81 + "@", kTrail81 + "@"},
      {"@" + kSo, "@" + kSo},
      {"a\x81\x41", "a\x81\x41"},  // a different full-width character
  };
  for (const Case& c : cases) EXPECT_EQ(TrimView(c.text), c.expected) << c.text;
}

// ---- the linear cutter against the cutter it replaced

// The former NextToken, kept as the oracle: it trims the whole remaining
// text after every token, which made a line of n tokens cost n² steps.
TokenResult OracleNextToken(std::string_view text) {
  TokenResult result;
  if (!text.empty() && (text.front() == '"' || text.front() == '(')) {
    const bool quote = text.front() == '"';
    size_t close = quote ? FindClosingQuote(text.substr(1)) : FindClosingParen(text.substr(1));
    if (close == npos) {
      result.error = std::string(quote ? msg::kQuoteNotClosed : msg::kParenNotClosed) + std::string(text);
      return result;
    }
    result.token = text.substr(0, close + 2);
    result.rest = TrimView(text.substr(close + 2));
    return result;
  }
  size_t space = sjis::FindAtCharBoundary(text, " ");
  result.token = space == npos ? text : text.substr(0, space);
  result.rest = space == npos ? std::string_view() : TrimView(text.substr(space + 1));
  return result;
}

// The former comment remover, kept as the oracle of the one-pass one.
std::string OracleRemoveComment(std::string_view line) {
  std::string result;
  while (!line.empty()) {
    size_t semicolon = sjis::FindAtCharBoundary(line, ";");
    if (semicolon == npos) return result.append(line);
    if (semicolon + 1 < line.size() && line[semicolon + 1] == ';') {
      result.append(line.substr(0, semicolon + 1));
      line.remove_prefix(semicolon + 2);
      continue;
    }
    return result.append(line.substr(0, semicolon));
  }
  return result;
}

// Lines made of the pieces that steer the cutter: separators, blanks of
// every kind, quotes, parentheses, semicolons, double-byte characters whose
// trail bytes look like ASCII, lone lead bytes and zero bytes.
std::string RandomLine(std::mt19937& random) {
  static const std::string kPieces[] = {
      "a", "%b", "xy", " ", " ", "   ", "\t", "\x7f", "\"", "\"\"", "(", ")", ";", ";;",
      kWideSpace, kSo, kZo, kSmallYa, kTrail81, "\x81 ", "\x83", "\x81\x40", std::string(1, '\0'), "\x81\"",
  };
  std::uniform_int_distribution<size_t> length(0, 30);
  std::uniform_int_distribution<size_t> pick(0, std::size(kPieces) - 1);
  std::string line;
  for (size_t n = length(random); n > 0; --n) line += kPieces[pick(random)];
  return line;
}

TEST(TokenCursorTest, CutsExactlyWhatTheFormerCutterCut) {
  std::mt19937 random(20261208);
  for (int round = 0; round < 20000; ++round) {
    const std::string line = RandomLine(random);
    TokenCursor cursor(line);
    std::string_view oracleRest = line;
    for (int n = 0;; ++n) {
      TokenResult expected = OracleNextToken(oracleRest);
      TokenResult got = cursor.Next();
      ASSERT_EQ(got.error, expected.error) << "line " << round << " token " << n;
      if (expected.error) break;
      ASSERT_EQ(got.token, expected.token) << "line " << round << " token " << n;
      ASSERT_EQ(got.rest, expected.rest) << "line " << round << " token " << n;
      ASSERT_EQ(cursor.rest(), expected.rest);
      // The cut parts are views into the line, as before.
      ASSERT_TRUE(got.token.empty() || got.token.data() >= line.data());
      oracleRest = expected.rest;
      if (oracleRest.empty()) break;
    }
  }
}

TEST(TokenCursorTest, RemovesCommentsExactlyAsTheFormerRemoverDid) {
  std::mt19937 random(8122026);
  for (int round = 0; round < 20000; ++round) {
    const std::string line = RandomLine(random);
    ASSERT_EQ(RemoveComment(line), OracleRemoveComment(line)) << "line " << round;
  }
}

// ---- statement parts

// A statement's five operands and the four texts after its first parts.
std::array<std::string, 5> Operands(const Statement& s) {
  std::array<std::string, 5> out;
  for (size_t i = 0; i < out.size(); ++i) out[i] = std::string(s.Operand(i));
  return out;
}

std::array<std::string, 4> Afters(const Statement& s) {
  std::array<std::string, 4> out;
  for (size_t i = 0; i < out.size(); ++i) out[i] = std::string(s.After(i));
  return out;
}

TEST(ParseStatementTest, SplitsKeywordOperandsAndTexts) {
  Statement s = ParseStatement("SET  %a   (+ 1 2) x y z w v  ", FindStatementHandler);
  EXPECT_EQ(s.keyword, "SET");
  EXPECT_EQ(Operands(s), (std::array<std::string, 5>{"%a", "(+ 1 2)", "x", "y", "z"}));
  EXPECT_EQ(Afters(s), (std::array<std::string, 4>{"%a   (+ 1 2) x y z w v", "(+ 1 2) x y z w v",
                                                  "x y z w v", "y z w v"}));
  EXPECT_FALSE(s.label);
  EXPECT_FALSE(s.splitError);
  EXPECT_NE(s.handler, nullptr);

  Statement few = ParseStatement("END", FindStatementHandler);
  EXPECT_EQ(few.keyword, "END");
  EXPECT_EQ(Operands(few), (std::array<std::string, 5>{}));
  EXPECT_EQ(Afters(few), (std::array<std::string, 4>{}));

  Statement message = ParseStatement("MESSAGE \"say \"\"hi\"\"\" x", FindStatementHandler);
  EXPECT_EQ(message.Operand(0), "\"say \"\"hi\"\"\"");
  EXPECT_EQ(message.Operand(1), "x");
  EXPECT_EQ(message.After(1), "x");

  Statement glued = ParseStatement("MESSAGE (& \"(\" a)b\"c\"d", FindStatementHandler);
  EXPECT_EQ(Operands(glued), (std::array<std::string, 5>{"(& \"(\" a)", "b\"c\"d", "", "", ""}));

  Statement quotedGlued = ParseStatement("MESSAGE \"a\"(+ 1 2)\"b\"", FindStatementHandler);
  EXPECT_EQ(Operands(quotedGlued), (std::array<std::string, 5>{"\"a\"", "(+ 1 2)", "\"b\"", "", ""}));

  Statement tab = ParseStatement("KEY\tabc", FindStatementHandler);
  EXPECT_EQ(tab.keyword, "KEY\tABC");
  EXPECT_EQ(tab.Operand(0), "");
  EXPECT_EQ(tab.handler, nullptr);

  Statement wide = ParseStatement("KEY" + kWideSpace + "a", FindStatementHandler);
  EXPECT_EQ(wide.keyword, "KEY" + kWideSpace + "A");
  EXPECT_EQ(wide.handler, nullptr);
}

TEST(ParseStatementTest, KeywordIsUpperCasedWithoutLeadingUnderscores) {
  struct Case {
    std::string text;
    std::string keyword;
    bool hasHandler;
  };
  const Case cases[] = {
      {"lclick", "LCLICK", true},
      {"__lclick 1 2", "LCLICK", true},
      {"__LClick", "LCLICK", true},
      {"____set %a 1", "__SET", false},  // only one "__" goes
      {"_set %a 1", "_SET", false},
      {"__", "", false},
      {"set__ %a", "SET__", false},
      {"Activate-Window x", "ACTIVATE-WINDOW", true},
      {"then", "THEN", false},
      {"SHIFT", "SHIFT", false},
      {"dim %a", "DIM", false},
      {"(+ 1 2)", "(+ 1 2)", false},
      {"\"hello\" world", "\"HELLO\"", false},
      {kSmallYa + "b x", kSmallYa + "B", false},  // the trail byte stays as it is
      {"HELLO", "HELLO", false},
  };
  for (const Case& c : cases) {
    Statement s = ParseStatement(c.text, FindStatementHandler);
    EXPECT_EQ(s.keyword, c.keyword) << c.text;
    EXPECT_EQ(s.handler != nullptr, c.hasHandler) << c.text;
    EXPECT_FALSE(s.label) << c.text;
  }
}

TEST(ParseStatementTest, DetectsLabelsAndBlockStructure) {
  EXPECT_TRUE(ParseStatement(":loop", FindStatementHandler).label);
  EXPECT_TRUE(ParseStatement(":loop and words", FindStatementHandler).label);
  EXPECT_TRUE(ParseStatement(":", FindStatementHandler).label);
  EXPECT_FALSE(ParseStatement("a:loop", FindStatementHandler).label);
  EXPECT_FALSE(ParseStatement("\":loop\"", FindStatementHandler).label);
  EXPECT_FALSE(ParseStatement("GOTO :loop", FindStatementHandler).label);

  struct Case {
    std::string text;
    bool blockIf;
    bool structural;
  };
  const Case cases[] = {
      {"IF (= 1 1) THEN", true, true},   {"if x then", true, true},
      {"UNLESS a Then", true, true},     {"IF a THEN b", true, true},
      {"IF a GOTO :b", false, false},    {"IF a THENX", false, false},
      {"IF THEN", false, false},         {"ELSEIF a THEN", false, true},
      {"else", false, true},             {"ENDIF", false, true},
      {"__endif", false, true},          {"ENDIFX", false, false},
      {"SET %a 1", false, false},        {"IF \"THEN\" THEN", true, true},
  };
  for (const Case& c : cases) {
    Statement s = ParseStatement(c.text, FindStatementHandler);
    EXPECT_EQ(s.blockIf, c.blockIf) << c.text;
    EXPECT_EQ(s.structural, c.structural) << c.text;
    if (c.structural) {
      EXPECT_NE(s.handler, nullptr) << c.text;
    }
  }
}

TEST(ParseStatementTest, SplitErrorsInTheFirstSixTokens) {
  struct Case {
    std::string text;
    bool error;
  };
  const Case cases[] = {
      {"MESSAGE \"abc", true},
      {":label \"abc", true},  // reported even on a label line
      {"SET %a (+ 1", true},
      {"A 1 2 3 4 \"x", true},     // sixth token
      {"A 1 2 3 4 5 \"x", false},  // seventh token is never cut
      {"A 1 2 3 4 5 (x", false},
      {"\"abc", true},
      {"KEY a\"b", false},  // a quote inside a word means nothing
  };
  for (const Case& c : cases) {
    Statement s = ParseStatement(c.text, FindStatementHandler);
    EXPECT_EQ(s.splitError.has_value(), c.error) << c.text;
  }
  Statement beyond = ParseStatement("A 1 2 3 4 5 \"x", FindStatementHandler);
  EXPECT_EQ(beyond.Operand(4), "5");
  EXPECT_EQ(beyond.After(3), "4 5 \"x");
  EXPECT_EQ(Utf8(*ParseStatement("MESSAGE x \"abc", FindStatementHandler).splitError), "\"～\" が閉じていません：\"abc");
  EXPECT_EQ(Utf8(*ParseStatement("SET %a (+ 1", FindStatementHandler).splitError), "(～) が閉じていません：(+ 1");
}

// ---- the same rules seen from a running macro

TEST(StatementRunTest, TabGluedKeywordIsReportedAsBadCommand) {
  TestWorld world;
  EXPECT_EQ(world.RunLines({"KEY\tabc"}), 0);  // the continue question gets Yes
  EXPECT_EQ(world.Boxes(), (std::vector<std::string>{"Err：不正なコマンドです : KEY\tabc", "マクロを継続しますか？"}));
}

TEST(StatementRunTest, UnclosedQuoteIsFatalEvenInASkippedBranchOrLabel) {
  const std::vector<std::vector<std::string>> macros = {
      {"DIM %a", "IF (= 1 2) THEN", "MESSAGE \"abc", "ENDIF", "SET %a reached"},
      {"DIM %a", ":label \"abc", "SET %a reached"},
  };
  for (const auto& lines : macros) {
    TestWorld world;
    EXPECT_EQ(world.RunLines(lines), 1) << lines[1];
    EXPECT_EQ(world.Boxes(), (std::vector<std::string>{"Err：\"～\" が閉じていません：\"abc", "マクロを中断します"}))
        << lines[1];
    EXPECT_EQ(world.Var("%A"), "") << lines[1];
  }
}

TEST(StatementRunTest, LowerCaseAndUnderscoredKeywordsRun) {
  TestWorld world;
  EXPECT_EQ(world.RunLines({"DIM %a %b %c", "set %a 1", "__SET %b 2", "__inc %c", ":label", "  :x  "}), 0);
  EXPECT_EQ(world.Var("%A"), "1");
  EXPECT_EQ(world.Var("%B"), "2");
  EXPECT_EQ(world.Var("%C"), "1");
  EXPECT_TRUE(world.Boxes().empty());
}

TEST(StatementRunTest, ParenthesisedLines) {
  TestWorld world;
  // A known name: evaluated, value dropped.
  EXPECT_EQ(world.RunLines({"(+ 1 2)", "(LEN abc)"}), 0);
  EXPECT_TRUE(world.Boxes().empty());

  TestWorld unknown;
  EXPECT_EQ(unknown.RunLines({"(hello world)"}), 0);
  EXPECT_EQ(unknown.Boxes(),
            (std::vector<std::string>{"Err：不正な関数です : (hello world)", "マクロを継続しますか？"}));
}

TEST(StatementRunTest, ShiftAndThenLinesAreBadCommands) {
  for (const std::string line : {"SHIFT", "THEN", "shift x"}) {
    TestWorld world;
    EXPECT_EQ(world.RunLines({line}), 0) << line;
    EXPECT_EQ(world.Boxes(), (std::vector<std::string>{"Err：不正なコマンドです : " + line, "マクロを継続しますか？"}))
        << line;
  }
  TestWorld no(R"({"answers": ["OK", "NO"]})");
  EXPECT_EQ(no.RunLines({"DIM %a", "SHIFT", "SET %a reached"}), 1);
  EXPECT_EQ(no.Var("%A"), "");
}

}  // namespace
}  // namespace vendrix::testing
