#include "engine/statement_list.h"

#include <algorithm>

#include "values/sjis.h"

namespace vendrix {

JumpKind JumpKindOf(const Statement& statement) {
  if (statement.handler == nullptr || statement.splitError) return {};
  const std::string& keyword = statement.keyword;
  if (keyword == "GOTO") return {JumpKind::Kind::kGoto, JumpDirection::kFromTop};
  if (keyword == "GOTONEXT") return {JumpKind::Kind::kGoto, JumpDirection::kForward};
  if (keyword == "GOTOBEFORE") return {JumpKind::Kind::kGoto, JumpDirection::kBackward};
  if (keyword == "EXITFOR") return {JumpKind::Kind::kExitFor, JumpDirection::kForward};
  if (keyword == "CALL" || keyword == "GOSUB") return {JumpKind::Kind::kCall, JumpDirection::kFromTop};
  return {};
}

bool HasEvaluatedTarget(const Statement& statement) {
  std::string_view text = statement.After(0);
  return !text.empty() && text.front() == '(';
}

std::string LiteralJumpTarget(const Statement& statement) { return sjis::AnsiUpper(statement.After(0)); }

void StatementList::Clear() {
  statements_.clear();
  places_.clear();
  sourceFiles_.clear();
  memos_.clear();
  lines_.clear();
  indexed_ = false;
  purityDecided_ = false;
}

void StatementList::Append(std::string text, StatementLookup findHandler, SourcePlace place) {
  statements_.push_back(ParseStatement(std::move(text), findHandler));
  places_.push_back(place);
  indexed_ = false;
  purityDecided_ = false;
}

void StatementList::DecidePurity(const std::function<bool(const Statement&)>& isPure) {
  if (purityDecided_) return;
  for (Statement& statement : statements_) statement.pure = isPure(statement);
  purityDecided_ = true;
}

uint32_t StatementList::AddSourceFile(std::string name) {
  sourceFiles_.push_back(std::move(name));
  return static_cast<uint32_t>(sourceFiles_.size() - 1);
}

platform::StatementPlace StatementList::PlaceOfStatement(int statement) const {
  if (statement < 0 || static_cast<size_t>(statement) >= places_.size()) return {};
  const SourcePlace& place = places_[static_cast<size_t>(statement)];
  return {SourceFile(place.file), static_cast<int>(place.line), place.file != 0};
}

void StatementList::LinkJumps() {
  memos_.clear();
  for (size_t i = 0; i < statements_.size(); ++i) {
    // A one-line IF jumps through its body.
    Statement* site = &statements_[i];
    while (site->inner) site = site->inner.get();
    LinkSite(*site, static_cast<int>(i));
  }
}

void StatementList::LinkSite(Statement& site, int line) {
  const JumpKind jump = JumpKindOf(site);
  site.jumpLine = kJumpUnlinked;
  site.jumpMemo = -1;
  switch (jump.kind) {
    case JumpKind::Kind::kNone:
      return;
    case JumpKind::Kind::kExitFor:
      site.jumpLine = Find("NEXT", JumpDirection::kForward, line);
      return;
    case JumpKind::Kind::kGoto:
      if (!HasEvaluatedTarget(site)) {
        site.jumpLine = Find(LiteralJumpTarget(site), jump.direction, line);
        return;
      }
      break;
    case JumpKind::Kind::kCall:
      break;
  }
  site.jumpMemo = static_cast<int>(memos_.size());
  memos_.emplace_back();
}

const std::vector<int>* StatementList::Lines(std::string_view upperTarget) const {
  if (!indexed_) {
    lines_.clear();
    for (size_t i = 0; i < statements_.size(); ++i) {
      lines_[sjis::AnsiUpper(statements_[i].text)].push_back(static_cast<int>(i));
    }
    indexed_ = true;
  }
  auto it = lines_.find(upperTarget);
  return it == lines_.end() ? nullptr : &it->second;
}

int StatementList::FindForward(std::string_view upperTarget, int from) const {
  const std::vector<int>* lines = Lines(upperTarget);
  if (lines == nullptr) return -1;
  auto it = std::lower_bound(lines->begin(), lines->end(), from);
  return it == lines->end() ? -1 : *it;
}

int StatementList::FindBackward(std::string_view upperTarget, int from) const {
  const std::vector<int>* lines = Lines(upperTarget);
  if (lines == nullptr || from < 0) return -1;
  auto it = std::upper_bound(lines->begin(), lines->end(), from);
  return it == lines->begin() ? -1 : *std::prev(it);
}

int StatementList::Find(std::string_view upperTarget, JumpDirection direction, int pc) const {
  switch (direction) {
    case JumpDirection::kFromTop: return FindForward(upperTarget, 0);
    case JumpDirection::kForward: return FindForward(upperTarget, pc + 1);
    case JumpDirection::kBackward: return FindBackward(upperTarget, pc - 1);
  }
  return -1;
}

}  // namespace vendrix
