#include "engine/operands.h"

#include "engine/expression.h"
#include "engine/statement.h"
#include "values/integer.h"

namespace vendrix {

namespace {

const Expr& OperandExpr(const Statement& statement, size_t n) {
  std::shared_ptr<const Expr>& expr = statement.Compiled().operandExpr[n];
  if (!expr) expr = CompileExpr(statement.Operand(n));
  return *expr;
}

}  // namespace

std::string EvaluateOperand(Engine& engine, const Statement& statement, size_t n) {
  return Evaluate(engine, OperandExpr(statement, n));
}

std::optional<int32_t> OperandIntegerAnswer(Engine& engine, const Statement& statement, size_t n) {
  return EvaluateIntegerAnswer(engine, OperandExpr(statement, n));
}

bool OperandTruth(Engine& engine, const Statement& statement, size_t n) {
  return EvaluateTruth(engine, OperandExpr(statement, n));
}

int32_t OperandInteger(Engine& engine, const Statement& statement, size_t n, int32_t defaultValue) {
  return EvaluateInteger(engine, OperandExpr(statement, n), defaultValue);
}

int OperandVariable(Engine& engine, const Statement& statement) {
  std::shared_ptr<const VarRef>& target = statement.Compiled().target;
  if (!target) target = std::make_shared<const VarRef>(MakeVarRef(statement.Operand(0)));
  return LookupVariable(engine, *target);
}

}  // namespace vendrix
