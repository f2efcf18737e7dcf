#include "engine/purity.h"

#include <string_view>

#include "engine/engine.h"
#include "engine/tokenizer.h"

namespace vendrix {
namespace {

// Calls nested deeper than this are not looked into: the statement counts
// as one with an effect, and the check's own stack stays small.
constexpr int kDeepestCheckedCall = 32;

bool CallIsPure(std::string_view call, const FunctionEntries& functions, int depth);

// Every call among the tokens of `text` is pure.
bool TokensArePure(std::string_view text, const FunctionEntries& functions, int depth) {
  TokenCursor tokens(text);
  while (!tokens.done()) {
    const TokenResult cut = tokens.Next();
    if (cut.error) return false;
    if (!cut.token.empty() && cut.token.front() == '(' && !CallIsPure(cut.token, functions, depth)) return false;
  }
  return true;
}

// `call` is a token "(name arguments…)", read as the evaluator reads it.
bool CallIsPure(std::string_view call, const FunctionEntries& functions, int depth) {
  if (depth >= kDeepestCheckedCall) return false;
  const std::string_view afterParen = call.substr(1);
  const size_t close = FindClosingParen(afterParen);
  if (close == std::string_view::npos) return false;
  const TokenResult name = NextToken(afterParen.substr(0, close));
  if (name.error) return false;
  const int function = FindFunction(name.token);
  if (function < 0 || !functions[static_cast<size_t>(function)].pure) return false;
  return TokensArePure(name.rest, functions, depth + 1);
}

}  // namespace

bool StatementIsPure(const Statement& statement, const BuiltinTables& builtins) {
  if (statement.splitError) return false;
  if (statement.label) return true;
  if (statement.handler == nullptr || builtins.keywordIsPure == nullptr || builtins.functions == nullptr) return false;
  if (!builtins.keywordIsPure(statement.keyword)) return false;
  // A one-line IF: its condition, then its body as a statement of its own.
  if (statement.inner) {
    return TokensArePure(statement.Operand(0), *builtins.functions, 0) && StatementIsPure(*statement.inner, builtins);
  }
  return TokensArePure(statement.After(0), *builtins.functions, 0);
}

}  // namespace vendrix
