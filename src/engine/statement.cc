#include "engine/statement.h"

#include "engine/expression.h"
#include "engine/tokenizer.h"
#include "values/sjis.h"

namespace vendrix {
namespace {

// Cuts the next token into `out`; false (with the error recorded) when a
// quote or parenthesis is never closed.
bool Cut(Statement& s, TokenCursor& tokens, std::string& out) {
  TokenResult cut = tokens.Next();
  if (cut.error) {
    s.splitError = std::move(cut.error);
    return false;
  }
  out = std::string(cut.token);
  return true;
}

bool SplitParts(Statement& s) {
  TokenCursor tokens(s.text);
  std::string token1;
  if (!Cut(s, tokens, token1)) return false;
  s.label = !token1.empty() && token1.front() == ':';
  s.keyword = sjis::AnsiUpper(token1);
  if (s.keyword.compare(0, 2, "__") == 0) s.keyword.erase(0, 2);
  for (size_t i = 0; i < s.operand.size(); ++i) {
    if (i < s.after.size()) s.after[i] = std::string(tokens.rest());
    if (!Cut(s, tokens, s.operand[i])) return false;
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
