#include "values/sjis.h"

#include <gtest/gtest.h>

#include <climits>
#include <random>
#include <string>
#include <vector>

namespace vendrix::sjis {
namespace {

// Shift-JIS spellings used below.
const std::string kNichi = "\x93\xfa";     // 日
const std::string kHon = "\x96\x7b";       // 本
const std::string kGo = "\x8c\xea";        // 語
const std::string kSo = "\x83\x5c";        // ソ, trail byte is '\'
const std::string kWideSpace = "\x81\x40"; // full-width space
const std::string kHalfA = "\xb1";         // half-width katakana a
const std::string kHalfI = "\xb2";

TEST(SjisCharTest, CharacterPrimitives) {
  EXPECT_TRUE(IsLeadByteAt(kSo, 0));
  EXPECT_FALSE(IsLeadByteAt(kSo, 1));
  EXPECT_FALSE(IsLeadByteAt("\x83", 0));                       // lone lead at the end
  EXPECT_FALSE(IsLeadByteAt(std::string_view("\x83\0x", 3), 0));  // followed by a zero byte
  EXPECT_FALSE(IsLeadByteAt(kHalfA, 0));                       // half-width katakana is one byte

  EXPECT_EQ(CharCodeAt(kWideSpace, 0), 0x8140);
  EXPECT_EQ(CharCodeAt("A", 0), 'A');
  EXPECT_EQ(CharCodeAt("\x83", 0), 0x83);
  EXPECT_EQ(CharCodeAt("A", 1), 0);

  EXPECT_EQ(NextChar(kSo + "a", 0), 2u);
  EXPECT_EQ(NextChar(kSo + "a", 2), 3u);
  EXPECT_EQ(NextChar(kSo + "a", 3), 3u);

  EXPECT_TRUE(IsBlankChar("\t", 0, false));
  EXPECT_TRUE(IsBlankChar("\x7f", 0, false));
  EXPECT_FALSE(IsBlankChar("!", 0, false));
  EXPECT_FALSE(IsBlankChar(kWideSpace, 0, false));
  EXPECT_TRUE(IsBlankChar(kWideSpace, 0, true));
  EXPECT_FALSE(IsBlankChar("\x81\x41", 0, true));
  EXPECT_EQ(JCharCode(""), 0);
  EXPECT_EQ(JCharCode(kNichi + "a"), 0x93fa);
}

TEST(SjisLengthTest, CountsCharacters) {
  struct Case {
    std::string text;
    int length;
  };
  const std::vector<Case> cases = {
      {"", 0},
      {kNichi + kHon + "a", 3},
      {"a\x83", 2},                         // a lone lead byte at the end is one character
      {std::string("ab\0cd", 5), 2},        // a zero byte ends the text
      {std::string("a\x83\0\x40", 4), 2},  // ... and leaves a lead byte before it alone
      {kSo + kSo + "\\", 3},
      {"\x81\x81\x81", 2},                   // lead-range trail byte
  };
  for (const auto& c : cases) EXPECT_EQ(JLength(c.text), c.length) << c.text;
}

TEST(SjisCopyTest, CopiesWholeCharacters) {
  struct Case {
    std::string text;
    int start;
    int count;
    std::string expected;
  };
  const std::vector<Case> cases = {
      {"ABCDE", 0, 2, "AB"},
      {"ABCDE", -1, 2, ""},
      {"ABCDE", 4, 9, "DE"},
      {"ABCDE", 6, 1, ""},
      {"ABCDE", 2, 0, ""},
      {"ABCDE", 5, 1, "E"},
      {"", 1, 1, ""},
      {kNichi + kHon + kGo, 2, 1, kHon},
      {kNichi + kHon + kGo, 2, 5, kHon + kGo},
      {"a" + kSo + "b", 2, 1, kSo},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(JCopy(c.text, c.start, c.count), c.expected) << c.text << " " << c.start << " " << c.count;
  }
}

TEST(SjisPosTest, FindsOnlyAtCharacterBoundaries) {
  struct Case {
    std::string sub;
    std::string text;
    int expected;
  };
  const std::vector<Case> cases = {
      {"c", "abcabc", 3},
      {"", "abc", 0},
      {"a", "", 0},
      {"\\", kSo, 0},
      {"\\", kSo + "\\", 2},
      {"B", "aB" + kNichi + "B", 2},
      {"B", kNichi + "B", 2},
      {kHon, kNichi + kHon, 2},
      {"\x83", kSo, 0},                   // lone lead must not match a two-byte character
      {"\x83", "a\x83", 2},               // but matches a lone lead at the end
      {"\x81", "\x81\x81\x81\x81", 0},    // every 0x81 here is a lead or a trail
      {"\x81", "\x81\x81\x81", 2},
      {"\x81\x81", "a\x81\x81\x81\x81", 2},
      {"\x5c\x83", kSo + "\x83", 0},      // starts on a trail byte
      {"x", std::string("ab\0x", 4), 0},  // nothing after a zero byte is searched
  };
  for (const auto& c : cases) EXPECT_EQ(JPos(c.sub, c.text), c.expected) << c.sub << " in " << c.text;
}

TEST(SjisPosTest, PosFromCountsFromTheTextStart) {
  struct Case {
    std::string sub;
    std::string text;
    int start;
    int expected;
  };
  const std::vector<Case> cases = {
      {"c", "abcabc", 4, 6},
      {"c", "abcabc", 3, 3},
      {"c", "abcabc", 0, 3},
      {"c", "abcabc", -5, 3},
      {"c", "abcabc", 7, 0},
      {"a", "abcabc", 5, 0},
      {"B", kNichi + "B" + kNichi + "B", 3, 4},
      {"\\", kSo + kSo + "\\", 2, 3},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(PosFrom(c.sub, c.text, c.start), c.expected) << c.sub << " in " << c.text << " from " << c.start;
  }
}

// The search as the character-by-character scan describes it, for comparison
// with the memchr-based one on many texts.
int ReferencePos(const std::string& sub, const std::string& text) {
  if (sub.empty() || text.empty()) return 0;
  std::vector<std::string> subChars;
  for (size_t p = 0; p < sub.size(); p = NextChar(sub, p)) subChars.push_back(sub.substr(p, NextChar(sub, p) - p));
  int index = 1;
  for (size_t p = 0; p < text.size(); p = NextChar(text, p), ++index) {
    size_t q = p;
    size_t i = 0;
    while (i < subChars.size() && q < text.size()) {
      const size_t next = NextChar(text, q);
      if (text.substr(q, next - q) != subChars[i]) break;
      q = next;
      ++i;
    }
    if (i == subChars.size()) return index;
  }
  return 0;
}

TEST(SjisPosTest, AgreesWithCharacterScanOnRandomTexts) {
  const std::string alphabet = "a\\\x81\x83\x5c\xe0\x40";
  std::mt19937 random(932);
  auto randomText = [&](size_t maxLength) {
    std::string text(random() % (maxLength + 1), ' ');
    for (char& c : text) c = alphabet[random() % alphabet.size()];
    return text;
  };
  for (int round = 0; round < 20000; ++round) {
    const std::string text = randomText(12);
    const std::string sub = randomText(3);
    ASSERT_EQ(JPos(sub, text), ReferencePos(sub, text)) << "sub=" << sub << " text=" << text;
  }
}

TEST(SjisTrimTest, DropsHalfAndFullWidthBlanksAtBothEnds) {
  struct Case {
    std::string text;
    std::string expected;
  };
  const std::vector<Case> cases = {
      {" \t" + kWideSpace + "a b" + kWideSpace + "c\t " + kWideSpace, "a b" + kWideSpace + "c"},
      {"", ""},
      {" \t ", ""},
      {kWideSpace, ""},
      {"x", "x"},
      {"\x81\x40\x81", "\x81"},      // a lone lead at the end is no full-width space
      {kSo + " ", kSo},
      {std::string(" a\0 b", 5), "a"},
  };
  for (const auto& c : cases) EXPECT_EQ(JTrim(c.text), c.expected) << c.text;
}

TEST(SjisCaseTest, NeverTouchesTrailBytes) {
  // 0x82 0x61 has a trail byte that reads as 'a'.
  const std::string wideWithLowerTrail = "\x82\x61";
  const std::string wideWithUpperTrail = "\x82\x41";
  EXPECT_EQ(JUpperAscii("abc" + kHalfA + kHalfI + kNichi + kHon), "ABC" + kHalfA + kHalfI + kNichi + kHon);
  EXPECT_EQ(JUpperAscii(wideWithLowerTrail + "z"), wideWithLowerTrail + "Z");
  EXPECT_EQ(AnsiUpper(wideWithLowerTrail + "az{"), wideWithLowerTrail + "AZ{");
  EXPECT_EQ(AnsiLower(wideWithUpperTrail + "AZ@"), wideWithUpperTrail + "az@");
  EXPECT_EQ(AnsiUpper("a\x82"), "A\x82");

  struct Case {
    std::string a;
    std::string b;
    bool equal;
  };
  const std::vector<Case> cases = {
      {"Options", "OPTIONS", true},
      {"", "", true},
      {"menufile", "MenuFile", true},
      {"a", "ab", false},
      {wideWithLowerTrail, wideWithUpperTrail, false},
      {"x" + kSo, "X" + kSo, true},
      {kSo + "a", "\x83" "A" "a", false},
      {"[", "{", false},
  };
  for (const auto& c : cases) EXPECT_EQ(AnsiEqualNoCase(c.a, c.b), c.equal) << c.a << " vs " << c.b;
}

TEST(SjisPadTest, PadsAndJustifiesByCharacters) {
  EXPECT_EQ(JRightJustify("abc", 5), "  abc");
  EXPECT_EQ(JRightJustify("abcdef", 2), "ef");
  EXPECT_EQ(JRightJustify("abc", 0), "");
  EXPECT_EQ(JRightJustify(kNichi + kHon + kGo, 2), kHon + kGo);
  EXPECT_EQ(JRightJustify(kNichi, 2), " " + kNichi);
  EXPECT_EQ(JPadRight("abc", 5), "abc  ");
  EXPECT_EQ(JPadRight("abcdef", 3), "abc");
  EXPECT_EQ(JPadRight(kNichi + kHon + kGo, 2), kNichi + kHon);
  EXPECT_EQ(JPadRight(kNichi, 3), kNichi + "  ");
  EXPECT_EQ(JPadRight("abc", -1), "");
}

TEST(SjisCutTokenTest, CutsAtTheFirstSeparator) {
  struct Case {
    std::string text;
    std::string separator;
    std::string token;
    std::string rest;
  };
  const std::vector<Case> cases = {
      {"a,b,c", ",", "a", "b,c"},
      {",x", ",", "", "x"},
      {"abc", ",", "abc", ""},
      {"a::b::c", "::", "a", "b::c"},
      {"abc", "", "abc", ""},
      {"", ",", "", ""},
      {"a,", ",", "a", ""},
      {kSo + "\\x", "\\", kSo, "x"},
      {kSo + "x", "\\", kSo + "x", ""},
  };
  for (const auto& c : cases) {
    std::string text = c.text;
    EXPECT_EQ(CutToken(text, c.separator), c.token) << c.text;
    EXPECT_EQ(text, c.rest) << c.text;
  }
}

TEST(SjisRepeatTest, RepeatsAndStaysBounded) {
  EXPECT_EQ(JRepeat("ab", 3), "ababab");
  EXPECT_EQ(JRepeat("", 3), "");
  EXPECT_EQ(JRepeat("ab", 0), "");
  EXPECT_EQ(JRepeat("ab", -2), "");
  const std::string huge = JRepeat("ab", INT_MAX);
  EXPECT_GT(huge.size(), 1000000u);
  EXPECT_LE(huge.size(), 16u * 1024 * 1024);
  EXPECT_LE(JPadRight("a", INT_MAX).size(), 16u * 1024 * 1024 + 1);
}

TEST(SjisReplaceTest, ReplacesLeftToRightWithoutRescanning) {
  struct Case {
    std::string text;
    std::string oldText;
    std::string newText;
    std::string expected;
  };
  const std::vector<Case> cases = {
      {"aaa", "aa", "b", "ba"},
      {"aaaa", "aa", "a", "aa"},
      {"abc", "", "x", "abc"},
      {"", "a", "x", ""},
      {"a\\nb", "\\n", "\r", "a\rb"},
      {"say \"\"hi\"\"", "\"\"", "--", "say --hi--"},
      {"i=1", "=", " = ", "i = 1"},
      {kSo + "\\" + kSo, "\\", "/", kSo + "/" + kSo},
      {"abc", "abc", "", ""},
      {"ab", "b", "bb", "abb"},
  };
  for (const auto& c : cases) EXPECT_EQ(JReplaceAll(c.text, c.oldText, c.newText), c.expected) << c.text;
}

TEST(SjisFindTest, StartsAtTheGivenBoundary) {
  const std::string text = kSo + "\\" + kSo + "\\";
  EXPECT_EQ(FindAtCharBoundary(text, "\\"), 2u);
  EXPECT_EQ(FindAtCharBoundary(text, "\\", 3), 5u);
  EXPECT_EQ(FindAtCharBoundary(text, "\\", 6), std::string_view::npos);
  EXPECT_EQ(FindAtCharBoundary(text, ""), std::string_view::npos);
  EXPECT_EQ(FindAtCharBoundary("plain ascii text", "text"), 12u);
}

}  // namespace
}  // namespace vendrix::sjis
