// The loaded macro: one parsed statement per line, plus an index from the
// upper-cased text of each line to its positions, so that a jump costs the
// same in a ten-line and a hundred-thousand-line macro.
#pragma once

#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "engine/statement.h"
#include "values/variables.h"

namespace vendrix {

class StatementList {
 public:
  void Clear();
  void Append(std::string text, StatementLookup findHandler);

  size_t size() const { return statements_.size(); }
  bool empty() const { return statements_.empty(); }
  const Statement& operator[](size_t index) const { return statements_[index]; }

  // First line at or after `from` whose upper-cased text equals the target,
  // or -1.
  int FindForward(std::string_view upperTarget, int from) const;
  // Last line at or before `from` whose upper-cased text equals the target,
  // or -1.
  int FindBackward(std::string_view upperTarget, int from) const;

 private:
  const std::vector<int>* Lines(std::string_view upperTarget) const;

  std::vector<Statement> statements_;
  // Built on the first jump after a load.
  mutable std::unordered_map<std::string, std::vector<int>, TextHash, std::equal_to<>> lines_;
  mutable bool indexed_ = false;
};

}  // namespace vendrix
