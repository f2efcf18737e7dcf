// Evaluating a statement's operands, with the parsed form kept on the
// statement so that loops do not split the same text again.  What a loop
// runs most (an operand parsed before, a variable found before) is answered
// inline.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "engine/expression.h"
#include "engine/statement.h"

namespace vendrix {

class Engine;

// Operand n's parsed form, made and kept on first use.
const Expr& CompileOperand(const Statement& statement, size_t n);
inline const Expr& OperandExpr(const Statement& statement, size_t n) {
  if (const CompiledOperands* compiled = statement.compiled.get()) {
    if (const Expr* expr = compiled->operandExpr[n].get()) return *expr;
  }
  return CompileOperand(statement, n);
}

// Operand n (0-based: 0 is the first operand after the keyword), evaluated.
inline std::string EvaluateOperand(Engine& engine, const Statement& statement, size_t n) {
  return Evaluate(engine, OperandExpr(statement, n));
}
// Its integer value, with the default for a text that is no number.
inline int32_t OperandInteger(Engine& engine, const Statement& statement, size_t n, int32_t defaultValue) {
  return EvaluateInteger(engine, OperandExpr(statement, n), defaultValue);
}
// Whether its value is true, with no text made for a comparison.
inline bool OperandTruth(Engine& engine, const Statement& statement, size_t n) {
  return EvaluateTruth(engine, OperandExpr(statement, n));
}
// EvaluateIntegerAnswer of operand n.
inline std::optional<int32_t> OperandIntegerAnswer(Engine& engine, const Statement& statement, size_t n) {
  return EvaluateIntegerAnswer(engine, OperandExpr(statement, n));
}

// The reference operand 1 makes, parsed and kept on first use.
const VarRef& CompileTarget(const Statement& statement);
// The index of the variable operand 1 names, or -1.
inline int OperandVariable(Engine& engine, const Statement& statement) {
  const CompiledOperands* compiled = statement.compiled.get();
  const VarRef& target = compiled != nullptr && compiled->target ? *compiled->target : CompileTarget(statement);
  return LookupVariable(engine, target);
}

}  // namespace vendrix
