#include "engine/engine.h"

#include "engine/report.h"
#include "values/expression.h"

namespace vendrix {

Engine::Engine(platform::Platform& platformIn, Settings settingsIn)
    : platform(platformIn), settings(std::move(settingsIn)) {
  pacing.autoDelay = settings.autoDelay;
  keyNames = BuildKeyNameTable(platform.input);
  platform.messages.SetTimerSink(this);
}

Engine::~Engine() { platform.messages.SetTimerSink(nullptr); }

void Engine::OnTimer(int timerId) {
  if (timerId == kWatchdogTimer) WatchdogTick(*this);
}

}  // namespace vendrix
