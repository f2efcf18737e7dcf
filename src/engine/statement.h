// A statement line split into its parts.
//
// Splitting is a pure function of the text, so it happens once per distinct
// text and the result is kept (in the statement list, or in the engine's
// cache for texts that statements build at run time).  What depends on
// variables is never kept here.  The parts are offsets into the text, so a
// loaded line costs little more than its text.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace vendrix {

class Interpreter;
struct Statement;
struct Expr;
struct VarRef;

// What a statement asks of the run loop, which alone moves the program
// counter.
struct Next {
  enum class Kind : uint8_t {
    kGoOn,    // the line below
    kJump,    // `line`
    kCall,    // `line`, with the current line kept for RETURN
    kReturn,  // the line below the last CALL's
    kEnd,     // no further line
  };
  Kind kind = Kind::kGoOn;
  int line = 0;

  static constexpr Next GoOn() { return {}; }
  static constexpr Next JumpTo(int target) { return {Kind::kJump, target}; }
  static constexpr Next CallTo(int target) { return {Kind::kCall, target}; }
  static constexpr Next Return() { return {Kind::kReturn, 0}; }
  static constexpr Next End() { return {Kind::kEnd, 0}; }
};

using StatementHandler = Next (*)(Interpreter&, const Statement&);
// The handler of an upper-cased keyword, or null when it is no statement.
using StatementLookup = StatementHandler (*)(std::string_view keyword);

// A piece of a statement's text.
struct TextSpan {
  uint32_t offset = 0;
  uint32_t length = 0;
};

// A message kept only when there is one: most statements have none.
class OptionalText {
 public:
  OptionalText() = default;
  explicit OptionalText(std::string text) : text_(std::make_unique<const std::string>(std::move(text))) {}
  bool has_value() const { return text_ != nullptr; }
  explicit operator bool() const { return has_value(); }
  const std::string& operator*() const { return *text_; }

 private:
  std::unique_ptr<const std::string> text_;
};

// Where a jump site goes, found once per loaded macro.
inline constexpr int kJumpUnlinked = -2;  // not linked: searched when it runs
inline constexpr int kJumpNowhere = -1;   // linked, and no line matches

// The parsed operands of a statement that has run, kept for its next run.
struct CompiledOperands {
  std::array<std::shared_ptr<const Expr>, 5> operandExpr;
  std::shared_ptr<const VarRef> target;  // the variable operand 1 names
};

struct Statement {
  std::string text;
  std::string keyword;  // upper-cased, a leading "__" removed
  StatementHandler handler = nullptr;  // null: not a statement keyword
  // The body of a one-line IF or UNLESS, split with its line (null for one
  // nested too deep to run).
  std::unique_ptr<Statement> inner;
  // Set when a quote or parenthesis in the first six tokens is never closed.
  OptionalText splitError;
  // Built on first use.
  mutable std::unique_ptr<CompiledOperands> compiled;
  std::array<TextSpan, 5> operandSpan{};  // operands 1 to 5, as written
  // Text after the keyword, after operand 1, 2 and 3; trimmed.
  std::array<TextSpan, 4> afterSpan{};
  // A jump with a literal target: its line once linked (kJumpUnlinked,
  // kJumpNowhere or a line).
  int jumpLine = kJumpUnlinked;
  // A jump whose target is text found at run time: its slot in the list's
  // memo, or -1.
  int jumpMemo = -1;
  bool label = false;
  bool blockIf = false;     // IF or UNLESS whose operand 2 is THEN
  bool structural = false;  // block IF, ELSEIF, ELSE, ENDIF: run even when skipping
  // Works on the interpreter alone (purity.h); decided before a run.
  bool pure = false;

  std::string_view Operand(size_t n) const { return Piece(operandSpan[n]); }
  bool HasOperand(size_t n) const { return operandSpan[n].length != 0; }
  std::string_view After(size_t n) const { return Piece(afterSpan[n]); }
  CompiledOperands& Compiled() const {
    if (!compiled) compiled = std::make_unique<CompiledOperands>();
    return *compiled;
  }

 private:
  std::string_view Piece(TextSpan span) const { return std::string_view(text).substr(span.offset, span.length); }
};

// Splits a line; `findHandler` names the statements (the built-ins'), or is
// null for none.  The body of a one-line IF is split too, down to the
// depth at which running it would be refused.
Statement ParseStatement(std::string text, StatementLookup findHandler);

}  // namespace vendrix
