// DELAY, AUTODELAY and BLOCKINPUT.
#include "builtins/dispatch.h"
#include "engine/engine.h"
#include "engine/operands.h"
#include "engine/report.h"

namespace vendrix {

void StmtDelay(Engine& engine, const Statement& statement) {
  int32_t total = OperandInteger(engine, statement, 0, 100);
  int32_t step = OperandInteger(engine, statement, 1, 0);
  platform::Clock& clock = engine.platform.clock;
  if (step <= 0) {
    if (total > 0) clock.Sleep(static_cast<uint32_t>(total));
    return;
  }
  // In slices, so that the break key can cut the wait short.
  while (total > 0) {
    clock.Sleep(static_cast<uint32_t>(step < total ? step : total));
    if ((engine.platform.input.PollKey(engine.input.breakKey) & 0x8000) != 0) return;
    total -= step;
  }
}

void StmtAutoDelay(Engine& engine, const Statement& statement) {
  engine.pacing.autoDelay = OperandInteger(engine, statement, 0, 100);
}

void StmtBlockInput(Engine& engine, const Statement& statement) {
  int32_t seconds = OperandInteger(engine, statement, 0, 10);
  BlockInputFor(DesktopOf(engine), seconds < 0 ? 10 : seconds);
}

}  // namespace vendrix
