#include "engine/statement_list.h"

#include <algorithm>

#include "values/sjis.h"

namespace vendrix {

void StatementList::Clear() {
  statements_.clear();
  lines_.clear();
  indexed_ = false;
}

void StatementList::Append(std::string text, StatementLookup findHandler) {
  statements_.push_back(ParseStatement(std::move(text), findHandler));
  indexed_ = false;
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

}  // namespace vendrix
