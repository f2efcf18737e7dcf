// A statement line split into its parts.
//
// Splitting is a pure function of the text, so it happens once per distinct
// text and the result is kept (in the statement list, or in the engine's
// cache for texts that statements build at run time).  What depends on
// variables is never cached here.
#pragma once

#include <array>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace vendrix {

class Engine;
struct Statement;
struct Expr;
struct VarRef;

using StatementHandler = void (*)(Engine&, const Statement&);
// The handler of an upper-cased keyword, or null when it is no statement.
using StatementLookup = StatementHandler (*)(std::string_view keyword);

struct Statement {
  std::string text;
  std::string keyword;                 // upper-cased, a leading "__" removed
  std::array<std::string, 5> operand;  // operands 1 to 5, as written
  // Text after the keyword, after operand 1, 2 and 3; trimmed.
  std::array<std::string, 4> after;
  bool label = false;
  bool blockIf = false;     // IF or UNLESS whose operand 2 is THEN
  bool structural = false;  // block IF, ELSEIF, ELSE, ENDIF: run even when skipping
  // Set when a quote or parenthesis in the first six tokens is never closed.
  std::optional<std::string> splitError;
  StatementHandler handler = nullptr;  // null: not a statement keyword

  // Built on first use.
  mutable std::array<std::shared_ptr<const Expr>, 5> operandExpr;
  mutable std::shared_ptr<const Expr> afterKeywordExpr;
  mutable std::unique_ptr<Statement> inner;  // body of a one-line IF
  mutable std::shared_ptr<const VarRef> target;  // the variable operand 1 names
  mutable std::optional<std::string> upperAfterKeyword;  // a jump's literal target
};

// Splits a line; `findHandler` names the statements (the built-ins'), or is
// null for none.
Statement ParseStatement(std::string text, StatementLookup findHandler);

}  // namespace vendrix
