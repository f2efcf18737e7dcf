// Saving a recording: names the menu reads back as written, whole files,
// and no macro replaced without asking.
#include "recorder/saving.h"

#include <gtest/gtest.h>

#include "platform/sim/memory_files.h"
#include "shell/menu_file.h"
#include "support/test_world.h"
#include "values/messages.h"

namespace vendrix::recorder {
namespace {

using testing::Sjis;

constexpr std::string_view kFolder = "C:\\Vendrix\\";

TEST(SavingTest, DefaultsNameTheMoment) {
  LocalTime now{2026, 12, 8, 9, 5, 7, 0, 2};
  EXPECT_EQ(DefaultMacroName(now), "rec-20261208-090507.mac");
  EXPECT_EQ(DefaultCaption(now), Sjis("記録 2026/12/08 09:05"));
  std::string problem;
  EXPECT_EQ(MacroFileName(DefaultMacroName(now), &problem), DefaultMacroName(now));
  EXPECT_EQ(MenuCaption(DefaultCaption(now), &problem), DefaultCaption(now));
}

TEST(SavingTest, MacroFileNames) {
  struct Case {
    std::string typed;
    std::optional<std::string> saved;
  };
  const Case cases[] = {
      {"login", "login.mac"},
      {"  login.txt ", "login.txt"},
      {Sjis("表示"), Sjis("表示.mac")},  // 0x5C as a trail byte is no separator
      {Sjis("ソフト"), Sjis("ソフト.mac")},
      {"", std::nullopt},
      {Sjis("　"), std::nullopt},
      {"a\\b", std::nullopt},
      {"a/b", std::nullopt},
      {"c:x", std::nullopt},
      {"what?", std::nullopt},
      {"a;b", std::nullopt},  // the menu file would cut it at the comment
      {"__BEEP", std::nullopt},  // the menu file would run it as a statement
      {"con", std::nullopt},
      {"COM1.mac", std::nullopt},
      {"name.", std::nullopt},
      {std::string("a\tb"), std::nullopt},
  };
  for (const Case& c : cases) {
    std::string problem;
    std::optional<std::string> saved = MacroFileName(c.typed, &problem);
    EXPECT_EQ(saved, c.saved) << c.typed;
    EXPECT_EQ(problem.empty(), saved.has_value()) << c.typed;
  }
}

TEST(SavingTest, CaptionsTheMenuReadsBackAsWritten) {
  for (std::string typed : {std::string("Login"), Sjis("毎朝の　ログイン"), std::string(":colon first"),
                            std::string("a & b")}) {
    std::string problem;
    std::optional<std::string> caption = MenuCaption(typed, &problem);
    ASSERT_TRUE(caption) << typed;
    std::vector<shell::MenuEntry> items = shell::ParseMenuFile(WithMenuItem("", *caption, "x.mac"));
    ASSERT_EQ(items.size(), 1u) << typed;
    EXPECT_EQ(items[0].caption, *caption);
    EXPECT_EQ(items[0].macroText, "x.mac");
  }
  for (std::string typed : {std::string(""), std::string("a;b"), std::string("a\nb")}) {
    std::string problem;
    EXPECT_FALSE(MenuCaption(typed, &problem)) << typed;
    EXPECT_FALSE(problem.empty());
  }
}

TEST(SavingTest, MenuItemGoesAfterTheLastLine) {
  EXPECT_EQ(WithMenuItem(":A\r\na.mac\r\n", "B", "b.mac"), ":A\r\na.mac\r\n:B\r\nb.mac\r\n");
  EXPECT_EQ(WithMenuItem(":A\r\na.mac", "B", "b.mac"), ":A\r\na.mac\r\n:B\r\nb.mac\r\n");
  EXPECT_EQ(WithMenuItem("", "B", "b.mac"), ":B\r\nb.mac\r\n");
}

TEST(SavingTest, SavesWholeAndAsksBeforeReplacing) {
  sim::MemoryFiles files;
  files.CreateFolder("C:\\Vendrix");
  EXPECT_EQ(SaveMacro(files, kFolder, "a.mac", "KEY a\r\n", false).outcome, SaveOutcome::kSaved);
  EXPECT_EQ(files.Get("C:\\Vendrix\\a.mac"), "KEY a\r\n");
  EXPECT_EQ(SaveMacro(files, kFolder, "a.mac", "KEY b\r\n", false).outcome, SaveOutcome::kExists);
  EXPECT_EQ(files.Get("C:\\Vendrix\\a.mac"), "KEY a\r\n");
  EXPECT_EQ(SaveMacro(files, kFolder, "a.mac", "KEY b\r\n", true).outcome, SaveOutcome::kSaved);
  EXPECT_EQ(files.Get("C:\\Vendrix\\a.mac"), "KEY b\r\n");

  files.FailWritesOf("C:\\Vendrix\\a.mac");
  SaveResult failed = SaveMacro(files, kFolder, "a.mac", "KEY c\r\n", true);
  EXPECT_EQ(failed.outcome, SaveOutcome::kFailed);
  EXPECT_NE(failed.message.find("a.mac"), std::string::npos);
  EXPECT_EQ(files.Get("C:\\Vendrix\\a.mac"), "KEY b\r\n") << "a failed write leaves the file as it was";

  files.CreateFolder("C:\\Vendrix\\dir.mac");
  EXPECT_EQ(SaveMacro(files, kFolder, "dir.mac", "x", true).outcome, SaveOutcome::kFailed);
}

TEST(SavingTest, MenuItemAddedToTheNamedMenuFile) {
  sim::MemoryFiles files;
  files.CreateFolder("C:\\Vendrix");
  files.Add("C:\\Vendrix\\Vendrix.MNU", ":Hello\r\nhello.mac\r\n");
  EXPECT_EQ(AddMenuItem(files, kFolder, "Vendrix.MNU", "Rec", "rec.mac").outcome, SaveOutcome::kSaved);
  EXPECT_EQ(files.Get("C:\\Vendrix\\Vendrix.MNU"), ":Hello\r\nhello.mac\r\n:Rec\r\nrec.mac\r\n");

  EXPECT_EQ(AddMenuItem(files, kFolder, "New.MNU", "Rec", "rec.mac").outcome, SaveOutcome::kSaved);
  EXPECT_EQ(files.Get("C:\\Vendrix\\New.MNU"), ":Rec\r\nrec.mac\r\n");

  files.FailWritesOf("C:\\Vendrix\\Vendrix.MNU");
  EXPECT_EQ(AddMenuItem(files, kFolder, "Vendrix.MNU", "Again", "again.mac").outcome, SaveOutcome::kFailed);
  EXPECT_EQ(files.Get("C:\\Vendrix\\Vendrix.MNU"), ":Hello\r\nhello.mac\r\n:Rec\r\nrec.mac\r\n");

  files.Add("C:\\Vendrix\\Other.MNU", ":X\r\nx.mac\r\n");
  files.FailReadsOf("C:\\Vendrix\\Other.MNU");
  EXPECT_EQ(AddMenuItem(files, kFolder, "Other.MNU", "Rec", "rec.mac").outcome, SaveOutcome::kFailed)
      << "a menu that cannot be read is never replaced by one item";
}

}  // namespace
}  // namespace vendrix::recorder
