// Half-width <-> full-width conversion of code-page-932 texts.
#include "values/width_map.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/sim/sjis_utf8.h"
#include "values/sjis.h"

namespace vendrix {
namespace {

std::string S(std::string_view utf8) { return sim::Utf8ToSjis(utf8); }

struct WidthCase {
  std::string half;
  std::string full;
};

// Pairs that convert into each other both ways.
const std::vector<WidthCase>& BothWays() {
  static const std::vector<WidthCase> cases = {
      {"", ""},
      {"abc XYZ 019", S("ａｂｃ　ＸＹＺ　０１９")},
      {"!#$%&()*+,-./:;<=>?@[]^_`{|}", S("！＃＄％＆（）＊＋，－．／：；＜＝＞？＠［］＾＿｀｛｜｝")},
      {"\\", "\x81\x5f"},   // the backslash and "＼"
      {"~", "\x81\x60"},    // the tilde and "～"
      {"\"'", "\xfa\x57\xfa\x56"},
      {S("ｱｲｳｴｵﾝｦｧｯｬｰ"), S("アイウエオンヲァッャー")},
      {S("ｶﾞｷﾞﾀﾞﾊﾞﾎﾞ"), S("ガギダバボ")},
      {S("ﾊﾟﾋﾟﾌﾟﾍﾟﾎﾟ"), S("パピプペポ")},
      {S("ｳﾞ"), S("ヴ")},
      {S("｡｢｣､･"), S("。「」、・")},
      {S("ﾞﾟ"), S("゛゜")},  // sound marks on their own
      {S("ｱﾞｶﾟ"), S("ア゛カ゜")},  // marks that do not combine stay marks
      {S("日本語ひらがなです"), S("日本語ひらがなです")},
      {"\t\r\x7f", "\t\r\x7f"},
      {S("ﾃﾞｰﾀ1件"), S("データ１件")},
  };
  return cases;
}

TEST(WidthMapTest, ConvertsBothWays) {
  for (const WidthCase& c : BothWays()) {
    EXPECT_EQ(MapWidth(c.half, WidthDirection::kFull), c.full) << sim::SjisToUtf8(c.half);
    EXPECT_EQ(MapWidth(c.full, WidthDirection::kHalf), c.half) << sim::SjisToUtf8(c.full);
  }
}

TEST(WidthMapTest, OneWayAndUnchangedForms) {
  struct Case {
    std::string text;
    WidthDirection direction;
    std::string expected;
  };
  const std::vector<Case> cases = {
      {"\x81\x8f", WidthDirection::kHalf, "\\"},        // "￥" has 0x5C as its only one-byte form
      {"\x81\x50", WidthDirection::kHalf, "\x81\x50"},  // "￣" has none
      {"\xee\xfc\xee\xfb", WidthDirection::kHalf, "\"'"},  // NEC-selected duplicates of ＂＇
      {S("ヵヶヮヰヱ"), WidthDirection::kHalf, S("ヵヶヮヰヱ")},  // no half-width forms
      {S("がぱ”’"), WidthDirection::kHalf, S("がぱ”’")},
      {S("ｱｲ"), WidthDirection::kHalf, S("ｱｲ")},
      {S("ガ"), WidthDirection::kFull, S("ガ")},
      {S("ﾜﾞ"), WidthDirection::kFull, S("ワ゛")},  // code page 932 has no ヷ
      // A lone lead byte at the end stays as it is, in both directions.
      {"a\x82", WidthDirection::kFull, S("ａ") + "\x82"},
      {S("ａ") + "\x82", WidthDirection::kHalf, "a\x82"},
      // A lead byte takes the mark after it as its second byte.
      {"\x82\xde", WidthDirection::kFull, "\x82\xde"},
      // A zero byte ends the text.
      {std::string("a\0b", 3), WidthDirection::kFull, S("ａ")},
      {std::string("\x82\x60\0\x82\x61", 5), WidthDirection::kHalf, "A"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(MapWidth(c.text, c.direction), c.expected) << sim::SjisToUtf8(c.text);
  }
}

// Every one-byte character comes back from its full-width form, and every
// full-width katakana with a half-width form comes back from it.
TEST(WidthMapTest, RoundTripsOverTheCodePage) {
  for (int byte = 0x01; byte <= 0xDF; ++byte) {
    if (byte >= 0x80 && byte < 0xA1) continue;
    const std::string one(1, static_cast<char>(byte));
    const std::string full = MapWidth(one, WidthDirection::kFull);
    if (byte > 0x20 && byte != 0x7F) {
      EXPECT_EQ(full.size(), 2u) << byte;
    }
    EXPECT_EQ(MapWidth(full, WidthDirection::kHalf), one) << byte;
  }
  int converted = 0;
  for (int code = 0x8340; code <= 0x8396; ++code) {
    if (code == 0x837F) continue;
    const std::string kana{static_cast<char>(code >> 8), static_cast<char>(code & 0xFF)};
    const std::string half = MapWidth(kana, WidthDirection::kHalf);
    if (half == kana) continue;
    ++converted;
    EXPECT_EQ(MapWidth(half, WidthDirection::kFull), kana) << code;
  }
  EXPECT_EQ(converted, 86 - 5);  // all katakana but ヮ ヰ ヱ ヵ ヶ
}

}  // namespace
}  // namespace vendrix
