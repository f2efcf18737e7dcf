// Menu files, the list file, and what a menu item runs.
#include "shell/menu_file.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "platform/sim/sjis_utf8.h"

namespace vendrix::shell {
namespace {

using Pairs = std::vector<std::pair<std::string, std::string>>;

std::string Sjis(std::string_view utf8) { return sim::Utf8ToSjis(utf8); }

Pairs PairsOf(const std::vector<MenuEntry>& entries) {
  Pairs pairs;
  for (const MenuEntry& e : entries) pairs.emplace_back(e.caption, e.macroText);
  return pairs;
}

TEST(MenuFileTest, BuildsItemsFromLinePairs) {
  const std::string fw = "\x81\x40";  // full-width space
  struct Case {
    const char* name;
    std::string bytes;
    Pairs expected;
  };
  const Case cases[] = {
      {"comments and blanks", "  :Edit ; open it\r\n" + fw + "\tx.mac" + fw + ";note\r\n", {{"Edit", "x.mac"}}},
      {"Japanese caption", Sjis(":編集　;コメント\r\n表.mac\r\n"), {{Sjis("編集"), Sjis("表.mac")}}},
      {"macro text first", "x.mac\r\n:Edit\r\n", {{"Edit", "x.mac"}}},
      {"replaced before completion", ":A\r\n:B\r\nx\r\n", {{"B", "x"}}},
      {"macro replaced", "x\r\ny\r\n:C\r\n", {{"C", "y"}}},
      {"colon alone is macro text", ":Cap\r\n : ; c\r\n", {{"Cap", ":"}}},
      {"inner blanks kept", ": Spaced  Out \r\nx\r\n", {{" Spaced  Out", "x"}}},
      {"empty lines skipped", ":A\r\n\r\n; only a comment\r\n" + fw + "\r\nx\r\n", {{"A", "x"}}},
      {"incomplete last dropped", ":A\r\nx\r\n:B\r\n", {{"A", "x"}}},
      {"LF lines, Ctrl-Z ends", ":A\nx\n:B\n\x1Ay\n", {{"A", "x"}}},
      {"next item starts fresh", ":A\r\nx\r\ny\r\n:B\r\n", {{"A", "x"}, {"B", "y"}}},
  };
  for (const Case& c : cases) EXPECT_EQ(PairsOf(ParseMenuFile(c.bytes)), c.expected) << c.name;
}

TEST(MenuFileTest, StopsAfterSixtyFourItems) {
  std::string bytes;
  for (int i = 0; i < 70; ++i) bytes += ":C" + std::to_string(i) + "\r\nm" + std::to_string(i) + ".mac\r\n";
  const std::vector<MenuEntry> entries = ParseMenuFile(bytes);
  ASSERT_EQ(entries.size(), 64u);
  EXPECT_EQ(entries.back().caption, "C63");
  EXPECT_EQ(entries.back().macroText, "m63.mac");
}

// The lines an entry was read from, as the checker reports them: the line
// of the macro text actually kept, and the line that completed the entry.
TEST(MenuFileTest, RemembersWhereEachEntryWasRead) {
  struct Case {
    const char* name;
    std::string bytes;
    std::vector<std::pair<int, int>> expected;  // macroLine, lastLine per entry
  };
  const Case cases[] = {
      {"caption first", ":A\r\nx\r\n:B\r\ny\r\n", {{2, 2}, {4, 4}}},
      {"macro text first", "x\r\n:A\r\n", {{1, 2}}},
      {"a replaced macro text counts from its own line", "x\r\n; note\r\n\r\ny\r\n:C\r\n", {{4, 5}}},
      {"comment and empty lines still count", "; head\r\n\r\n:A\r\n  x ; c\r\n", {{4, 4}}},
  };
  for (const Case& c : cases) {
    std::vector<std::pair<int, int>> lines;
    for (const MenuEntry& e : ParseMenuFile(c.bytes)) lines.emplace_back(e.macroLine, e.lastLine);
    EXPECT_EQ(lines, c.expected) << c.name;
  }
  const std::vector<MenuEntry> pairs = ParseListFile(":T\r\n\r\nf.mnu\r\n");
  ASSERT_EQ(pairs.size(), 1u);
  EXPECT_EQ(pairs[0].macroLine, 3);
}

TEST(ListFileTest, KeepsLinesRaw) {
  EXPECT_EQ(PairsOf(ParseListFile(": Report ;x\r\n report.mnu \r\n\r\n:\r\n:Mail\r\n")),
            (Pairs{{" Report ;x", " report.mnu "}, {"Mail", ":"}}));
  std::string many;
  for (int i = 0; i < 65; ++i) many += ":T\r\nf.mnu\r\n";
  EXPECT_EQ(ParseListFile(many).size(), 64u);
}

TEST(MenuActionTest, ThreeForms) {
  using Kind = MenuAction::Kind;
  struct Case {
    std::string macroText;
    Kind kind;
    std::string text;
  };
  const std::string folder = "C:\\Vendrix\\";
  const Case cases[] = {
      {"d:\\m\\x.mac", Kind::kFile, "d:\\m\\x.mac"},
      {"d:x.mac", Kind::kFile, "d:x.mac"},
      {"x.mac", Kind::kFile, folder + "x.mac"},
      {"sub\\x.mac", Kind::kFile, folder + "sub\\x.mac"},
      {"\\\\server:\\x.mac", Kind::kFile, "\\\\server:\\x.mac"},
      {"__BEEP", Kind::kStatement, "BEEP"},
      {"__", Kind::kStatement, ""},
      {"_x.mac", Kind::kFile, folder + "_x.mac"},
      // "表" ends in 0x5C: its trail byte followed by ":" is no ":\".
      {Sjis("ab表:x.mac"), Kind::kFile, folder + Sjis("ab表:x.mac")},
      // 0x81 0x3A is one character, so the ":" here is no character of its own.
      {"a\x81:\\x.mac", Kind::kFile, folder + "a\x81:\\x.mac"},
      // By characters "表" is the first, so ":" is the second.
      {Sjis("表:x.mac"), Kind::kFile, Sjis("表:x.mac")},
  };
  for (const Case& c : cases) {
    MenuAction action = MenuActionOf(c.macroText, folder);
    EXPECT_EQ(action.kind, c.kind) << c.macroText;
    EXPECT_EQ(action.text, c.text) << c.macroText;
  }
}

TEST(MenuActionTest, FirstItemWithTheCaptionWins) {
  const std::vector<MenuEntry> entries = {{"A", "1.mac"}, {"B", "2.mac"}, {"A", "3.mac"}};
  ASSERT_NE(FindMenuEntry(entries, "A"), nullptr);
  EXPECT_EQ(FindMenuEntry(entries, "A"), &entries[0]);
  EXPECT_EQ(FindMenuEntry(entries, "B"), &entries[1]);
  EXPECT_EQ(FindMenuEntry(entries, "a"), nullptr);
  EXPECT_EQ(FindMenuEntry(entries, "A "), nullptr);
}

TEST(ChooseMenuFileTest, PicksByNameOrTitle) {
  const std::vector<MenuEntry> list = {{"", "empty.mnu"}, {"Report", "report.mnu"}, {"Mail", "mail.mnu"},
                                       {"Rep", "rep.mnu"}};
  struct Case {
    std::string given;
    bool menuChange;
    std::string title;
    std::string expected;
  };
  const Case cases[] = {
      {"C:\\menus\\work.mnu", true, "Report", "work.mnu"},
      {"d:work.mnu", false, "", "work.mnu"},
      {"menus/work.mnu", false, "", "work.mnu"},
      {Sjis("表\\表.mnu"), false, "", Sjis("表.mnu")},  // the trail byte 0x5C is no "\"
      {"C:\\menus\\", false, "", ""},
      {"", false, "Monthly Report", "Vendrix.MNU"},
      {"", true, "Monthly Report - Mail", "report.mnu"},
      {"", true, "Mail: Report", "report.mnu"},
      {"", true, "MONTHLY REPORT", "Vendrix.MNU"},
      {"", true, "Reply", "rep.mnu"},
      {"", true, "Notepad", "Vendrix.MNU"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ChooseMenuFile(c.given, c.menuChange, list, c.title), c.expected) << c.given << " / " << c.title;
  }
}

}  // namespace
}  // namespace vendrix::shell
