#include "engine/statement.h"

#include "engine/expression.h"
#include "engine/tokenizer.h"
#include "values/sjis.h"

namespace vendrix {
namespace {

// Cuts the next token into `out`; false (with the error recorded) when a
// quote or parenthesis is never closed.
bool Cut(Statement& s, std::string_view& rest, std::string& out) {
  TokenResult cut = NextToken(rest);
  if (cut.error) {
    s.splitError = std::move(cut.error);
    return false;
  }
  out = std::string(cut.token);
  rest = cut.rest;
  return true;
}

bool SplitParts(Statement& s) {
  std::string_view rest = s.text;
  std::string token1;
  if (!Cut(s, rest, token1)) return false;
  s.label = !token1.empty() && token1.front() == ':';
  s.keyword = sjis::AnsiUpper(token1);
  if (s.keyword.compare(0, 2, "__") == 0) s.keyword.erase(0, 2);
  for (size_t i = 0; i < s.operand.size(); ++i) {
    if (i < s.after.size()) s.after[i] = std::string(rest);
    if (!Cut(s, rest, s.operand[i])) return false;
  }
  return true;
}

}  // namespace

Statement ParseStatement(std::string text, StatementLookup findHandler) {
  Statement s;
  s.text = std::move(text);
  if (!SplitParts(s)) return s;
  s.blockIf = (s.keyword == "IF" || s.keyword == "UNLESS") && sjis::AnsiUpper(s.operand[1]) == "THEN";
  s.structural = s.blockIf || s.keyword == "ELSEIF" || s.keyword == "ELSE" || s.keyword == "ENDIF";
  if (findHandler != nullptr) s.handler = findHandler(s.keyword);
  return s;
}

}  // namespace vendrix
