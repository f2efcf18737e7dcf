#include "engine/step_display.h"

#include "engine/engine.h"

namespace vendrix {
namespace {

void Pause(Engine& engine, int ms) {
  if (ms > 0) engine.platform.clock.Sleep(static_cast<uint32_t>(ms));
}

}  // namespace

void AppendStepLine(Engine& engine, std::string_view line) { engine.platform.shellWindow.AppendStepLine(line); }

void ShowCurrentStep(Engine& engine) {
  const RunState& run = engine.run;
  Pause(engine, engine.pacing.stepDelayBefore);
  if (run.programCounter >= 0 && static_cast<size_t>(run.programCounter) < run.statements.size()) {
    AppendStepLine(engine, run.statements[static_cast<size_t>(run.programCounter)].text);
  }
  Pause(engine, engine.pacing.stepDelayAfter);
}

}  // namespace vendrix
