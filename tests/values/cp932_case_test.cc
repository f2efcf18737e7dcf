// Letter case in code page 932: the two-byte table and the ANSI case calls
// built on it.
#include "values/cp932_case.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/test_world.h"
#include "values/sjis.h"

namespace vendrix {
namespace {

using testing::Sjis;

TEST(Cp932CaseTest, MapsCasedTwoByteCharacters) {
  struct Case {
    int lower;
    int upper;
  };
  const std::vector<Case> cases = {
      {0x8281, 0x8260},  // ａ Ａ
      {0x829A, 0x8279},  // ｚ Ｚ
      {0x83BF, 0x839F},  // α Α
      {0x83D6, 0x83B6},  // ω Ω
      {0x8470, 0x8440},  // а А
      {0x8476, 0x8446},  // ё Ё
      {0x8480, 0x844F},  // о О: the row skips 0x7F
      {0x8491, 0x8460},  // я Я
      {0xFA40, 0x8754},  // ⅰ Ⅰ
  };
  for (const Case& c : cases) {
    EXPECT_EQ(cp932::UpperCode(c.lower), c.upper) << std::hex << c.lower;
    EXPECT_EQ(cp932::LowerCode(c.upper), c.lower) << std::hex << c.upper;
    EXPECT_EQ(cp932::UpperCode(c.upper), c.upper) << std::hex << c.upper;
    EXPECT_EQ(cp932::LowerCode(c.lower), c.lower) << std::hex << c.lower;
  }
}

TEST(Cp932CaseTest, DuplicateRomanNumeralsMeetInOneCode) {
  EXPECT_EQ(cp932::UpperCode(0xEEEF), 0x8754);  // ⅰ of the NEC-selected rows
  EXPECT_EQ(cp932::UpperCode(0xFA4A), 0x8754);  // Ⅰ of the IBM rows
  EXPECT_EQ(cp932::LowerCode(0xFA4A), 0xFA40);
  EXPECT_EQ(cp932::LowerCode(0xEEEF), 0xFA40);
}

TEST(Cp932CaseTest, UncasedCodesStay) {
  for (int code : {0x8140, 0x82A0, 0x8341, 0x8361, 0x839E, 0x83B7, 0x8392, 0x93FA, 0x847F, 0xFCFC, 0x41, 0}) {
    EXPECT_EQ(cp932::UpperCode(code), code) << std::hex << code;
    EXPECT_EQ(cp932::LowerCode(code), code) << std::hex << code;
  }
}

// Over every two-byte code: results are valid two-byte codes, and casing
// twice changes nothing more than casing once.
TEST(Cp932CaseTest, TableIsConsistent) {
  int upperChanged = 0;
  for (int lead = 0x81; lead <= 0xFC; ++lead) {
    if (!sjis::IsLeadByte(static_cast<unsigned char>(lead))) continue;
    for (int trail = 0x40; trail <= 0xFC; ++trail) {
      const int code = lead * 256 + trail;
      const int upper = cp932::UpperCode(code);
      const int lower = cp932::LowerCode(code);
      if (upper != code) ++upperChanged;
      for (int mapped : {upper, lower}) {
        ASSERT_TRUE(sjis::IsLeadByte(static_cast<unsigned char>(mapped >> 8))) << std::hex << code;
        ASSERT_GE(mapped & 0xFF, 0x40) << std::hex << code;
      }
      EXPECT_EQ(cp932::UpperCode(upper), upper) << std::hex << code;
      EXPECT_EQ(cp932::LowerCode(lower), lower) << std::hex << code;
      EXPECT_EQ(cp932::UpperCode(lower), cp932::UpperCode(code)) << std::hex << code;
    }
  }
  // 26 Latin, 24 Greek, 33 Cyrillic letters, 20 small and 10 duplicate
  // capital Roman numerals.
  EXPECT_EQ(upperChanged, 26 + 24 + 33 + 20 + 10);
}

TEST(AnsiCaseTest, UpperAndLowerTexts) {
  struct Case {
    std::string text;
    std::string upper;
    std::string lower;
  };
  const std::vector<Case> cases = {
      {"", "", ""},
      {"Key_Name1", "KEY_NAME1", "key_name1"},
      {Sjis("ａＢｃαΒпЁ"), Sjis("ＡＢＣΑΒПЁ"), Sjis("ａｂｃαβпё")},
      // Second bytes that look like letters are never cased.
      {Sjis("ヂアＢ"), Sjis("ヂアＢ"), Sjis("ヂアｂ")},
      {Sjis("ｱｲあ日本"), Sjis("ｱｲあ日本"), Sjis("ｱｲあ日本")},
      {"a\x83", "A\x83", "a\x83"},  // a lone lead byte at the end
      {std::string("ab\0cd", 5), "AB", "ab"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(sjis::AnsiUpper(c.text), c.upper) << testing::Utf8(c.text);
    EXPECT_EQ(sjis::AnsiLower(c.text), c.lower) << testing::Utf8(c.text);
  }
  // Only the one-byte letters for JUpperAscii.
  EXPECT_EQ(sjis::JUpperAscii(Sjis("abｃα")), Sjis("ABｃα"));
}

TEST(AnsiCaseTest, NamesMatchAcrossFullWidthCase) {
  EXPECT_TRUE(sjis::AnsiEqualNoCase(Sjis("%ａｂc"), Sjis("%ＡＢC")));
  EXPECT_TRUE(sjis::AnsiEqualNoCase(Sjis("σ"), Sjis("Σ")));
  EXPECT_TRUE(sjis::AnsiEqualNoCase("\xee\xef", "\xfa\x4a"));  // ⅰ and Ⅰ, different rows
  EXPECT_FALSE(sjis::AnsiEqualNoCase(Sjis("ａ"), Sjis("ｂ")));
  EXPECT_FALSE(sjis::AnsiEqualNoCase(Sjis("ア"), Sjis("ァ")));

  testing::TestWorld world;
  ASSERT_EQ(world.RunLines({"DIM %ｎａｍｅ", "SET %ＮＡＭＥ 5", "INC %Ｎａｍｅ"}), 0);
  EXPECT_EQ(world.Var("%ＮＡＭＥ"), "6");
  EXPECT_TRUE(world.Boxes().empty());
}

}  // namespace
}  // namespace vendrix
