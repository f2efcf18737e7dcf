// SET, INC and DEC.
#include <string>

#include "builtins/dispatch.h"
#include "engine/engine.h"
#include "engine/expression.h"
#include "engine/operands.h"
#include "engine/report.h"
#include "values/integer.h"

namespace vendrix {
namespace {

int TargetOf(Engine& engine, const Statement& statement) {
  int index = OperandVariable(engine, statement);
  if (index < 0) Fatal(engine, std::string(msg::kBadVariable) + statement.text);
  return index;
}

void AddToVariable(Engine& engine, const Statement& statement, bool subtract) {
  int index = TargetOf(engine, statement);
  OutsideTextWatch watch(engine);
  int32_t step = OperandInteger(engine, statement, 1, 1);
  // A sum with outside text in it is outside text too.
  if (watch.Origin() == TextOrigin::kOutside) engine.variables.SetOrigin(index, TextOrigin::kOutside);
  std::string& value = engine.variables.MutableValue(index);
  int32_t current = IntegerValue(value, 0);
  AssignIntegerText(value, subtract ? WrapSub(current, step) : WrapAdd(current, step));
}

}  // namespace

void StmtSet(Engine& engine, const Statement& statement) {
  int index = TargetOf(engine, statement);
  OutsideTextWatch watch(engine);
  std::string value = EvaluateOperand(engine, statement, 1);
  engine.variables.Store(index, value, watch.Origin());
}

void StmtInc(Engine& engine, const Statement& statement) { AddToVariable(engine, statement, false); }
void StmtDec(Engine& engine, const Statement& statement) { AddToVariable(engine, statement, true); }

}  // namespace vendrix
