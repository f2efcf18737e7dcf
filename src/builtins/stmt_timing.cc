// DELAY, AUTODELAY and BLOCKINPUT.
#include "builtins/dispatch.h"
#include "engine/interpreter.h"

namespace vendrix {

void StmtDelay(Interpreter& interp, const Statement& statement) {
  int32_t total = interp.OperandInteger(statement, 0, 100);
  int32_t step = interp.OperandInteger(statement, 1, 0);
  platform::Clock& clock = interp.Platform().clock;
  if (step <= 0) {
    if (total > 0) clock.Sleep(static_cast<uint32_t>(total));
    return;
  }
  // In slices, so that the break key can cut the wait short.
  while (total > 0) {
    clock.Sleep(static_cast<uint32_t>(step < total ? step : total));
    if ((interp.Platform().input.PollKey(interp.BreakKey()) & 0x8000) != 0) return;
    total -= step;
  }
}

void StmtAutoDelay(Interpreter& interp, const Statement& statement) {
  interp.SetAutoDelay(interp.OperandInteger(statement, 0, 100));
}

void StmtBlockInput(Interpreter& interp, const Statement& statement) {
  int32_t seconds = interp.OperandInteger(statement, 0, 10);
  BlockInputFor(interp.Desktop(), seconds < 0 ? 10 : seconds);
}

}  // namespace vendrix
