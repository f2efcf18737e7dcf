#include "engine/statement.h"

#include "engine/expression.h"
#include "engine/tokenizer.h"
#include "values/sjis.h"

namespace vendrix {
namespace {

// Statements nested in one-line IFs deeper than this are refused when they
// run (the run driver's limit), so they are not split either.
constexpr int kDeepestSplitNesting = 64;

TextSpan SpanOf(const std::string& text, std::string_view piece) {
  if (piece.empty()) return {};
  return {static_cast<uint32_t>(piece.data() - text.data()), static_cast<uint32_t>(piece.size())};
}

// Cuts the next token into `out`; false (with the error recorded) when a
// quote or parenthesis is never closed.
bool Cut(Statement& s, TokenCursor& tokens, std::string_view& out) {
  TokenResult cut = tokens.Next();
  if (cut.error) {
    s.splitError = OptionalText(std::move(*cut.error));
    return false;
  }
  out = cut.token;
  return true;
}

bool SplitParts(Statement& s) {
  TokenCursor tokens(s.text);
  std::string_view token1;
  if (!Cut(s, tokens, token1)) return false;
  s.label = !token1.empty() && token1.front() == ':';
  s.keyword = sjis::AnsiUpper(token1);
  if (s.keyword.compare(0, 2, "__") == 0) s.keyword.erase(0, 2);
  for (size_t i = 0; i < s.operandSpan.size(); ++i) {
    if (i < s.afterSpan.size()) s.afterSpan[i] = SpanOf(s.text, tokens.rest());
    std::string_view operand;
    if (!Cut(s, tokens, operand)) return false;
    s.operandSpan[i] = SpanOf(s.text, operand);
  }
  return true;
}

bool IsOneLineIf(const Statement& s) {
  return (s.keyword == "IF" || s.keyword == "UNLESS") && !s.blockIf && !s.Operand(0).empty() &&
         !s.Operand(1).empty();
}

Statement ParseNested(std::string text, StatementLookup findHandler, int nesting) {
  Statement s;
  s.text = std::move(text);
  if (!SplitParts(s)) return s;
  s.blockIf = (s.keyword == "IF" || s.keyword == "UNLESS") && sjis::AnsiUpper(s.Operand(1)) == "THEN";
  s.structural = s.blockIf || s.keyword == "ELSEIF" || s.keyword == "ELSE" || s.keyword == "ENDIF";
  if (findHandler != nullptr) s.handler = findHandler(s.keyword);
  if (s.handler != nullptr && IsOneLineIf(s) && nesting < kDeepestSplitNesting) {
    s.inner = std::make_unique<Statement>(ParseNested(std::string(s.After(1)), findHandler, nesting + 1));
  }
  return s;
}

}  // namespace

Statement ParseStatement(std::string text, StatementLookup findHandler) {
  return ParseNested(std::move(text), findHandler, 1);
}

}  // namespace vendrix
