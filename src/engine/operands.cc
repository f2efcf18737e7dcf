#include "engine/operands.h"

namespace vendrix {

const Expr& CompileOperand(const Statement& statement, size_t n) {
  std::shared_ptr<const Expr>& expr = statement.Compiled().operandExpr[n];
  if (!expr) expr = CompileExpr(statement.Operand(n));
  return *expr;
}

const VarRef& CompileTarget(const Statement& statement) {
  std::shared_ptr<const VarRef>& target = statement.Compiled().target;
  if (!target) target = std::make_shared<const VarRef>(MakeVarRef(statement.Operand(0)));
  return *target;
}

}  // namespace vendrix
