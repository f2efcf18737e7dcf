// The loaded lines: jump sites linked before a run, and what a line costs.
#include <gtest/gtest.h>

#include "builtins/dispatch.h"
#include "engine/statement_list.h"

namespace vendrix {
namespace {

StatementList Loaded(const std::vector<std::string>& lines) {
  StatementList list;
  for (const std::string& line : lines) list.Append(line, FindStatementHandler);
  list.LinkJumps();
  return list;
}

// The statement a line jumps through: itself, or a one-line IF's body.
const Statement& Site(const StatementList& list, size_t line) {
  const Statement* site = &list[line];
  while (site->inner) site = site->inner.get();
  return *site;
}

TEST(StatementListTest, LiteralTargetsAreLinkedFromTheirOwnLine) {
  const StatementList list = Loaded({
      ":a",                      // 0
      "GOTO :B",                 // 1: from the top, any case
      "GOTONEXT :a",             // 2: below only
      ":b",                      // 3
      "GOTOBEFORE :b",           // 4: the nearest above
      ":b",                      // 5
      "IF True GOTONEXT :b",     // 6: through a one-line IF
      "GOTOBEFORE :c",           // 7: none
      "EXITFOR",                 // 8: the next line reading NEXT
      "next",                    // 9
      "IF 1 IF 1 GOTO  :a  ",    // 10: nested, blanks trimmed
  });
  const struct {
    size_t line;
    int target;
  } cases[] = {{1, 3}, {2, kJumpNowhere}, {4, 3}, {6, kJumpNowhere}, {7, kJumpNowhere}, {8, 9}, {10, 0}};
  for (const auto& c : cases) {
    EXPECT_EQ(Site(list, c.line).jumpLine, c.target) << list[c.line].text;
    EXPECT_EQ(Site(list, c.line).jumpMemo, -1) << list[c.line].text;
  }
}

TEST(StatementListTest, RunTimeTargetsGetAMemoInsteadOfALine) {
  const StatementList list = Loaded({"CALL :a", "GOSUB %t", "GOTO (& %t)", "IF %x GOTOBEFORE (& %t)", "SET %a 1",
                                     "NEXT", "GOTO \"unclosed"});
  for (size_t line : {0, 1, 2, 3}) {
    EXPECT_EQ(Site(list, line).jumpLine, kJumpUnlinked) << list[line].text;
    EXPECT_GE(Site(list, line).jumpMemo, 0) << list[line].text;
  }
  // Not jumps, or a line that never runs (its split error ends the program).
  for (size_t line : {4, 5, 6}) {
    EXPECT_EQ(Site(list, line).jumpLine, kJumpUnlinked) << list[line].text;
    EXPECT_EQ(Site(list, line).jumpMemo, -1) << list[line].text;
  }
}

TEST(StatementListTest, ALinkedSiteFollowsTheLinesItWasLinkedWith) {
  StatementList list = Loaded({"GOTO :x", ":y"});
  EXPECT_EQ(list[0].jumpLine, kJumpNowhere);
  list.Append(":x", FindStatementHandler);
  list.LinkJumps();
  EXPECT_EQ(list[0].jumpLine, 2);
}

// A loaded line costs its text plus this record; a macro of a million
// short lines should stay within a few hundred megabytes.
TEST(StatementListTest, ALoadedLineStaysSmall) { EXPECT_LE(sizeof(Statement), 200u); }

}  // namespace
}  // namespace vendrix
