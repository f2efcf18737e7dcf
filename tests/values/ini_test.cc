#include "values/ini.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace vendrix::ini {
namespace {

const std::string kSo = "\x83\x5c";  // ソ: its trail byte reads as '\'
const std::string kHyo = "\x95\x5d"; // 表: its trail byte reads as ']'

TEST(IniReadTest, FindsValues) {
  const std::string file =
      "; settings\r\n"
      "top=before any section\r\n"
      "[Other]\r\n"
      "font=wrong\r\n"
      "  [ Options ]  \r\n"
      "Font = MS Gothic \r\n"
      "font=second\r\n"
      "\tsize\t=\t12\r\n"
      "quoted=\"  padded  \"\r\n"
      "single='x'\r\n"
      "mixed=\"x'\r\n"
      "lone=\"\r\n"
      "empty=\r\n"
      "noequals\r\n"
      "path=C:\\" + kSo + "\\a\r\n"
      "[options]\r\n"
      "later=never\r\n";
  struct Case {
    std::string section;
    std::string key;
    std::string expected;
  };
  const std::vector<Case> cases = {
      {"Options", "font", "MS Gothic"},       // first match wins, case ignored
      {"OPTIONS", "FONT", "MS Gothic"},
      {" Options ", " font ", "MS Gothic"},   // requested names are trimmed too
      {"Options", "size", "12"},
      {"Options", "quoted", "  padded  "},
      {"Options", "single", "x"},
      {"Options", "mixed", "\"x'"},
      {"Options", "lone", "\""},
      {"Options", "empty", ""},
      {"Options", "noequals", "dflt"},
      {"Options", "path", "C:\\" + kSo + "\\a"},
      {"Options", "later", "dflt"},           // only the first section of a name counts
      {"Other", "font", "wrong"},
      {"Other", "size", "dflt"},              // keys end at the next section
      {"Options", "top", "dflt"},
      {"Missing", "font", "dflt"},
      {"Options", "", ""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ReadString(file, c.section, c.key, "dflt"), c.expected) << c.section << "/" << c.key;
  }
}

TEST(IniReadTest, DefaultLosesTrailingSpacesAndQuotes) {
  EXPECT_EQ(ReadString("", "s", "k", "abc  "), "abc");
  EXPECT_EQ(ReadString("", "s", "k", "  abc"), "  abc");
  EXPECT_EQ(ReadString("", "s", "k", "'q'"), "q");
  EXPECT_EQ(ReadString("", "s", "k", ""), "");
}

TEST(IniReadTest, AcceptsEveryLineEnding) {
  const std::vector<std::string> files = {
      "[s]\r\na=1\r\nb=2\r\n",
      "[s]\na=1\nb=2\n",
      "[s]\ra=1\rb=2\r",
      "[s]\na=1\r\nb=2",
  };
  for (const auto& file : files) {
    EXPECT_EQ(ReadString(file, "s", "a", ""), "1");
    EXPECT_EQ(ReadString(file, "s", "b", ""), "2");
  }
}

TEST(IniReadTest, ShiftJisNamesAndValuesPassThrough) {
  // A ']' trail byte must not end the section name early.
  const std::string file = "[" + kHyo + "x]\r\n" + kSo + "=" + kHyo + "\r\n";
  EXPECT_EQ(ReadString(file, kHyo + "X", kSo, ""), kHyo);
  // "[" and a two-byte character ending in ']' is no section header.
  EXPECT_EQ(ReadString("[" + kHyo + "\r\nk=1\r\n", "\x95", "k", ""), "");
}

TEST(IniReadTest, CutsToTheBufferWithoutSplittingCharacters) {
  const std::string longValue(2000, 'v');
  EXPECT_EQ(ReadString("[s]\nk=" + longValue + "\n", "s", "k", "").size(), 1023u);
  EXPECT_EQ(ReadString("[s]\nk=" + longValue + "\n", "s", "k", "", 10), std::string(9, 'v'));

  // 1022 single bytes and a two-byte character that would end at byte 1024.
  const std::string value = std::string(1022, 'v') + kSo;
  EXPECT_EQ(ReadString("[s]\nk=" + value + "\n", "s", "k", ""), std::string(1022, 'v'));
  const std::string fits = std::string(1021, 'v') + kSo;
  EXPECT_EQ(ReadString("[s]\nk=" + fits + "\n", "s", "k", ""), fits);

  EXPECT_EQ(ReadString("[s]\nk=abc\n", "s", "k", "", 1), "");
  EXPECT_EQ(ReadString("[s]\nk=abc\n", "s", "k", "", 0), "");
  EXPECT_EQ(ReadString("[s]\nk=\"abcdef\"\n", "s", "k", "", 4), "abc");
}

TEST(IniWriteTest, ProducesTheExpectedBytes) {
  struct Case {
    std::string name;
    std::string file;
    std::string section;
    std::string key;
    std::string value;
    std::string expected;
  };
  const std::vector<Case> cases = {
      {"empty file", "", "Options", "menufile", "report.mnu", "[Options]\r\nmenufile=report.mnu\r\n"},
      {"replace in place", "; c\r\n[Options]\r\nMenuFile = old.mnu ; x\r\nother=1\r\n", "options", "menufile",
       "new.mnu", "; c\r\n[Options]\r\nMenuFile = new.mnu\r\nother=1\r\n"},
      {"replace keeps LF", "[s]\nk=1\nj=2\n", "s", "k", "3", "[s]\nk=3\nj=2\n"},
      {"replace last unterminated line", "[s]\nk=1", "s", "k", "22", "[s]\nk=22"},
      {"append after last key", "[s]\r\na=1\r\n; note\r\nb=2\r\n\r\n[t]\r\nc=3\r\n", "s", "new", "v",
       "[s]\r\na=1\r\n; note\r\nb=2\r\nnew=v\r\n\r\n[t]\r\nc=3\r\n"},
      {"append to empty section", "[s]\n[t]\nc=3\n", "s", "k", "v", "[s]\nk=v\n[t]\nc=3\n"},
      {"append after unterminated", "[s]\r\na=1", "s", "b", "2", "[s]\r\na=1\r\nb=2\r\n"},
      {"new section, terminated", "[s]\r\na=1\r\n", "t", "b", "2", "[s]\r\na=1\r\n[t]\r\nb=2\r\n"},
      {"new section, unterminated", "[s]\na=1", "t", "b", "2", "[s]\na=1\n[t]\nb=2\n"},
      {"leading blanks of value dropped", "", "s", "k", "  v ", "[s]\r\nk=v \r\n"},
      {"Shift-JIS value", "[s]\r\nk=x\r\n", "s", "k", kSo + kHyo, "[s]\r\nk=" + kSo + kHyo + "\r\n"},
      {"duplicate section: first wins", "[s]\na=1\n[s]\nk=old\n", "s", "k", "new", "[s]\na=1\nk=new\n[s]\nk=old\n"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(WriteString(c.file, c.section, c.key, c.value), c.expected) << c.name;
  }
}

TEST(IniWriteTest, WrittenValuesReadBack) {
  std::string file = "; comment\n[Options]\nfont=x\n";
  file = WriteString(file, "Options", "menufile", "a.mnu");
  file = WriteString(file, "saveini", "count", "3");
  file = WriteString(file, "Options", "menufile", "b.mnu");
  EXPECT_EQ(ReadString(file, "Options", "menufile", ""), "b.mnu");
  EXPECT_EQ(ReadString(file, "Options", "font", ""), "x");
  EXPECT_EQ(ReadString(file, "saveini", "count", ""), "3");
  EXPECT_EQ(file, "; comment\n[Options]\nfont=x\nmenufile=b.mnu\n[saveini]\ncount=3\n");
}

}  // namespace
}  // namespace vendrix::ini
