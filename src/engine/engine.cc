#include "engine/engine.h"

#include "desktop/input_block.h"
#include "desktop/joystick.h"
#include "engine/expression.h"
#include "engine/report.h"
#include "values/date_format.h"

namespace vendrix {
namespace {

// Milliseconds since 1970-01-01 in local time, wrapped to 32 bits.
uint32_t SeedFromClock(const platform::LocalTime& now) {
  const int64_t days = DaysFromCivil(now.year, now.month, now.day);
  const int64_t ms = ((days * 24 + now.hour) * 60 + now.minute) * 60000 + now.second * 1000LL + now.millisecond;
  return static_cast<uint32_t>(static_cast<uint64_t>(ms));
}

}  // namespace

Engine::Engine(platform::Platform& platformIn, Settings settingsIn)
    : platform(platformIn), running(platformIn.shellWindow.Running()), settings(std::move(settingsIn)) {
  running.places = &run.statements;
  running.statement = -1;
  pacing.autoDelay = settings.autoDelay;
  keyNames = BuildKeyNameTable(platform.input);
  randomSeed = SeedFromClock(platform.clock.Now());
  platform.messages.SetTimerSink(this);
}

Engine::~Engine() {
  platform.messages.SetTimerSink(nullptr);
  running.places = nullptr;
  running.statement = -1;
}

void OpenBuiltinTables(Engine& engine, const BuiltinTables& tables) { engine.builtins = tables; }

std::unique_ptr<Engine> NewEngineWithTables(platform::Platform& platform, Settings settings,
                                            const BuiltinTables& tables) {
  auto engine = std::make_unique<Engine>(platform, std::move(settings));
  OpenBuiltinTables(*engine, tables);
  return engine;
}

void Engine::OnTimer(int timerId) {
  if (timerId == kWatchdogTimer) Timer2Timer(DesktopOf(*this));
  if (timerId == kMenuTimer && shell != nullptr) shell->Timer1Timer();
}

bool Engine::AskContinue(std::string_view message) {
  return vendrix::AskContinue(*this, message);
}

void ReadJoystickVariables(Engine& engine, int mode) {
  for (const JoystickValue& read : ReadJoystick(DesktopOf(engine), mode)) {
    int index = engine.variables.Find(read.upperName);
    if (index >= 0) engine.variables.Store(index, read.value);
  }
}

void CheckTextSize(Engine& engine, uint64_t size, std::string_view what) {
  if (size > kMaxTextBytes) Fatal(engine, std::string(msg::kTextTooLarge) + std::string(what));
}

}  // namespace vendrix
