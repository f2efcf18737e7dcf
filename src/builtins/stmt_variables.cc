// SET, INC and DEC.
#include <optional>
#include <string>

#include "builtins/dispatch.h"
#include "engine/interpreter.h"
#include "engine/expression.h"
#include "values/integer.h"

namespace vendrix {
namespace {

inline int TargetOf(Interpreter& interp, const Statement& statement) {
  int index = interp.OperandVariable(statement);
  if (index < 0) interp.Fatal(msg::kBadVariable, statement.text);
  return index;
}

void AddToVariable(Interpreter& interp, const Statement& statement, bool subtract) {
  int index = TargetOf(interp, statement);
  const OutsideTextWatch watch = interp.WatchOutsideText();
  int32_t step = interp.OperandInteger(statement, 1, 1);
  // A sum with outside text in it is outside text too.
  if (watch.Origin() == TextOrigin::kOutside) interp.SetOrigin(index, TextOrigin::kOutside);
  const int32_t current = interp.VariableInteger(index, 0);
  interp.StoreInteger(index, subtract ? WrapSub(current, step) : WrapAdd(current, step));
}

// SET of a value that is text: the text is swapped in, so its room serves
// the old value.
[[gnu::noinline]] void SetText(Interpreter& interp, const Statement& statement, int index,
                               const OutsideTextWatch& watch) {
  std::string value = interp.Operand(statement, 1);
  interp.Exchange(index, value, watch.Origin());
}

}  // namespace

Next StmtSet(Interpreter& interp, const Statement& statement) {
  int index = TargetOf(interp, statement);
  const OutsideTextWatch watch = interp.WatchOutsideText();
  // An integer answer is stored as one; its text is written when read.
  if (const std::optional<int32_t> number = interp.OperandIntegerAnswer(statement, 1)) {
    interp.StoreInteger(index, *number);
    interp.SetOrigin(index, watch.Origin());
  } else {
    SetText(interp, statement, index, watch);
  }
  return Next::GoOn();
}

Next StmtInc(Interpreter& interp, const Statement& statement) {
  AddToVariable(interp, statement, false);
  return Next::GoOn();
}

Next StmtDec(Interpreter& interp, const Statement& statement) {
  AddToVariable(interp, statement, true);
  return Next::GoOn();
}

}  // namespace vendrix
