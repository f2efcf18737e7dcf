// The loaded macro: one parsed statement per line, plus an index from the
// upper-cased text of each line to its positions, so that a jump costs the
// same in a ten-line and a hundred-thousand-line macro.
//
// Before a run the list links its jump sites: each GOTO, GOTONEXT and
// GOTOBEFORE with a literal target, and each EXITFOR, learns the line it
// goes to.  Sites whose target is text found at run time (CALL's operand, a
// parenthesised GOTO target) get a memo slot instead, which remembers the
// last text and its line.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "engine/statement.h"
#include "platform/platform.h"
#include "values/variables.h"

namespace vendrix {

// The last run-time target of one jump site and where it led.
struct JumpMemo {
  std::string text;  // empty with `line` kJumpUnlinked: nothing kept yet
  int line = kJumpUnlinked;
  std::shared_ptr<const Statement> built;  // CALL: its jump as the GOTO it stands for
};

// Where a loaded line was written: a file of its list's and the line in it
// (from 1).
struct SourcePlace {
  uint32_t file = 0;
  uint32_t line = 0;
};

// How a jump site looks for its line.
enum class JumpDirection { kFromTop, kForward, kBackward };

// How a statement jumps, from its keyword; kind kNone for no jump.
struct JumpKind {
  enum class Kind { kNone, kGoto, kExitFor, kCall } kind = Kind::kNone;
  JumpDirection direction = JumpDirection::kFromTop;
};
JumpKind JumpKindOf(const Statement& statement);

class StatementList final : public platform::StatementPlaces {
 public:
  void Clear();
  void Append(std::string text, StatementLookup findHandler, SourcePlace place = {});
  // Notes a file whose lines are about to be appended; its number for
  // SourcePlace.  The first file noted is the macro itself.
  uint32_t AddSourceFile(std::string name);
  // Links every jump site (see above); done before each run of the list.
  void LinkJumps();
  // Marks each statement pure or not, once per load.
  void DecidePurity(const std::function<bool(const Statement&)>& isPure);

  size_t size() const { return statements_.size(); }
  bool empty() const { return statements_.empty(); }
  const Statement& operator[](size_t index) const { return statements_[index]; }

  // First line at or after `from` whose upper-cased text equals the target,
  // or -1.
  int FindForward(std::string_view upperTarget, int from) const;
  // Last line at or before `from` whose upper-cased text equals the target,
  // or -1.
  int FindBackward(std::string_view upperTarget, int from) const;
  // The search a jump site makes from line `pc`.
  int Find(std::string_view upperTarget, JumpDirection direction, int pc) const;

  const SourcePlace& PlaceOf(size_t index) const { return places_[index]; }
  // Empty for a number never handed out.
  std::string_view SourceFile(uint32_t file) const {
    return file < sourceFiles_.size() ? std::string_view(sourceFiles_[file]) : std::string_view();
  }
  // The file and line a statement came from, for the desktop.
  platform::StatementPlace PlaceOfStatement(int statement) const override;

  JumpMemo& Memo(int slot) { return memos_[static_cast<size_t>(slot)]; }

 private:
  const std::vector<int>* Lines(std::string_view upperTarget) const;
  void LinkSite(Statement& site, int line);

  std::vector<Statement> statements_;
  std::vector<SourcePlace> places_;  // one per statement
  std::vector<std::string> sourceFiles_;
  std::vector<JumpMemo> memos_;
  // Built on the first jump after a load.
  mutable std::unordered_map<std::string, std::vector<int>, TextHash, std::equal_to<>> lines_;
  mutable bool indexed_ = false;
  bool purityDecided_ = false;
};

// The literal target of a GOTO-family statement: the upper-cased text after
// its keyword.
std::string LiteralJumpTarget(const Statement& statement);
// True when the target is an operand to evaluate ("(…)").
bool HasEvaluatedTarget(const Statement& statement);

}  // namespace vendrix
