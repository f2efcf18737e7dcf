// Operands and their values.
//
// An operand is a call "(name args…)", a quoted text, or a word (a
// variable reference when it begins with "%").  `CompileExpr` splits an
// operand once; what depends on variables is looked up at every
// evaluation.  Results are texts.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/engine.h"
#include "values/text_origin.h"

namespace vendrix {

class Engine;

// A text that may name a variable: "%name" or "%base[index]".
struct VarRef {
  std::string text;
  bool isReference = false;  // begins with "%"
  bool element = false;      // "%base[index]"
  std::string upperKey;      // the whole text upper-cased
  std::string base;          // element form: the text before "["
  std::unique_ptr<VarRef> index;

  // Simple form: the index once found (entries never move), or the table
  // size at the last miss, so a miss is re-checked only after declarations.
  mutable int foundIndex = -1;
  mutable size_t missedAtSize = static_cast<size_t>(-1);
};

VarRef MakeVarRef(std::string_view text);

struct Expr {
  enum class Kind { kWord, kQuoted, kCall, kBadCall };
  struct Arg {
    std::string token;
    VarRef ref;
    // A token that is no call, quote or variable reference: its own value,
    // and `number` what that reads as an integer.
    bool literal = false;
    std::optional<int32_t> number;
    mutable std::shared_ptr<const Expr> expr;  // compiled on first use
  };

  Kind kind = Kind::kWord;
  std::string text;   // the operand as written
  std::string value;  // quoted: the text; call of an unknown name: the inner text
  VarRef ref;         // word form
  // Word form that names no variable: what its text reads as an integer.
  std::optional<int32_t> number;
  int function = -1;  // call: index in the function table, -1 if unknown
  std::vector<Arg> args;
  // A quote or parenthesis never closed: reported after `tokensBeforeError`
  // tokens have been cut (and, for a walk, evaluated).
  std::optional<std::string> tokenError;
  size_t tokensBeforeError = 0;
  std::optional<std::string> error;  // kBadCall: the fatal message
};

std::shared_ptr<const Expr> CompileExpr(std::string_view operand);

// Index of the variable a reference names, or -1.  With var_error on, a
// "%" reference that is not declared is a fatal error.
int LookupVariableAgain(Engine& engine, const VarRef& ref);
// Most lookups are of no reference or of one found before: those are
// answered here, the others looked up in the table.
inline int LookupVariable(Engine& engine, const VarRef& ref) {
  if (ref.foundIndex >= 0) return ref.foundIndex;  // set for simple references only
  if (!ref.isReference) return -1;
  return LookupVariableAgain(engine, ref);
}
int LookupVariable(Engine& engine, std::string_view reference);

std::string Evaluate(Engine& engine, const Expr& expr);
// Whether Evaluate's text is true (IsTrue), without making the text when
// the operand is a call that compares two integers.
bool EvaluateTruth(Engine& engine, const Expr& expr);
// The function a call names, or null for any other operand and for a call
// of an unknown name.
inline const FunctionEntry* KnownFunctionOf(const Engine& engine, const Expr& expr) {
  if (expr.kind != Expr::Kind::kCall || expr.function < 0) return nullptr;
  return &(*engine.builtins.functions)[static_cast<size_t>(expr.function)];
}
// The function of a call that answers an integer (FunctionEntry::integer),
// or null for any other operand.
inline const FunctionEntry* IntegerFunctionOf(const Engine& engine, const Expr& expr) {
  const FunctionEntry* entry = KnownFunctionOf(engine, expr);
  return entry != nullptr && entry->integer != nullptr ? entry : nullptr;
}
// The integer such a function answers for a call: what Evaluate does less
// the text, which could never be too large.
int32_t CallIntegerFunction(Engine& engine, const Expr& expr, const FunctionEntry& entry);
// For a call of a function whose value is always an integer's text: that
// integer, with everything Evaluate does but making the text.  Nothing
// (and nothing evaluated) for any other operand.  Inline, so that the
// answer is no value passed back through memory.
inline std::optional<int32_t> EvaluateIntegerAnswer(Engine& engine, const Expr& expr) {
  const FunctionEntry* entry = IntegerFunctionOf(engine, expr);
  if (entry == nullptr) return std::nullopt;
  return CallIntegerFunction(engine, expr, *entry);
}
// A variable's integer (VariableTable::IntegerOf), counted when its text
// came from outside the macro.
inline int32_t ReadVariableInteger(Engine& engine, int index, int32_t defaultValue) {
  VariableTable& variables = engine.variables;
  if (variables.HoldsOutsideText(index)) ++engine.outsideTextReads;
  return variables.IntegerOf(index, defaultValue);
}
// EvaluateInteger of a call, a quote or a bad call.
int32_t EvaluateIntegerOfNonWord(Engine& engine, const Expr& expr, int32_t defaultValue);
// What Evaluate's text reads as an integer (IntegerValue), without making
// the text when the operand is a variable or a literal word.  Counters and
// limits are mostly words, answered here without a call.
inline int32_t EvaluateInteger(Engine& engine, const Expr& expr, int32_t defaultValue) {
  if (expr.kind != Expr::Kind::kWord) return EvaluateIntegerOfNonWord(engine, expr, defaultValue);
  const int index = LookupVariable(engine, expr.ref);
  if (index < 0) return expr.number.value_or(defaultValue);
  return ReadVariableInteger(engine, index, defaultValue);
}
// Evaluates a text that is not known in advance (a variable's value).  Only
// the macro's own text may come here: outside text is never evaluated.
std::string EvaluateText(Engine& engine, std::string_view operand);

// Tells where the value of an evaluation came from: made before it, asked
// after it.  A value computed from outside text is outside text too.
class OutsideTextWatch {
 public:
  explicit OutsideTextWatch(const Engine& engine) : engine_(engine), readsBefore_(engine.outsideTextReads) {}
  TextOrigin Origin() const {
    return engine_.outsideTextReads != readsBefore_ ? TextOrigin::kOutside : TextOrigin::kMacro;
  }

 private:
  const Engine& engine_;
  uint64_t readsBefore_;
};

}  // namespace vendrix
