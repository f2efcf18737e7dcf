#include "engine/report.h"

#include <exception>
#include <string>

#include "engine/engine.h"
#include "engine/program_end.h"

namespace vendrix {

using platform::kMbOk;
using platform::kMbSetForeground;
using platform::kMbYesNo;

void SetInputBlocked(Engine& engine, bool blocked) {
  if (blocked) {
    engine.platform.messages.SetTimer(kWatchdogTimer, kWatchdogPeriodMs);
    engine.platform.input.BlockInput(true);
  } else {
    engine.platform.messages.KillTimer(kWatchdogTimer);
    engine.platform.input.BlockInput(false);
  }
}

InputReleased::InputReleased(Engine& engine)
    : engine_(engine), released_(engine.input.blockLevel > 0) {
  if (released_) SetInputBlocked(engine_, false);
}

InputReleased::~InputReleased() noexcept(false) {
  // Ending the program lifts every block anyway: do not block again while
  // unwinding.
  if (released_ && engine_.input.blockLevel > 0 && std::uncaught_exceptions() == 0) {
    SetInputBlocked(engine_, true);
  }
}

int ShowMessageBox(Engine& engine, std::string_view text, uint32_t flags) {
  InputReleased released(engine);
  return engine.platform.dialogs.MessageBox(text, engine.caption, flags);
}

void ReportError(Engine& engine, std::string_view message, bool fatal) {
  InputReleased released(engine);
  std::string text(msg::kErrPrefix);
  text += message;
  engine.platform.dialogs.MessageBox(text, engine.caption, kMbOk | kMbSetForeground);
  if (fatal) {
    engine.platform.dialogs.MessageBox(msg::kMacroAborted, engine.caption, kMbSetForeground);
    throw ProgramEnd{1};
  }
  int answer = engine.platform.dialogs.MessageBox(msg::kContinueQuestion, engine.caption,
                                                  kMbYesNo | kMbSetForeground);
  if (answer == platform::kIdNo) throw ProgramEnd{1};
}

void ReportFatal(Engine& engine, std::string_view message) {
  ReportError(engine, message, true);
  throw ProgramEnd{1};  // not reached: a fatal ReportError has thrown
}

void BlockInputFor(Engine& engine, int seconds) {
  engine.input.blockLevel = seconds;
  if (seconds == 0) {
    engine.platform.messages.KillTimer(kWatchdogTimer);
    engine.platform.input.BlockInput(false);
  } else {
    engine.platform.input.BlockInput(true);
    engine.platform.messages.SetTimer(kWatchdogTimer, kWatchdogPeriodMs);
  }
}

void Timer2Timer(Engine& engine) {
  if (engine.input.blockLevel <= 0) return;
  if (--engine.input.blockLevel <= 0) engine.platform.input.BlockInput(false);
}

}  // namespace vendrix
