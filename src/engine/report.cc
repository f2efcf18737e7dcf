#include "engine/report.h"

#include <string>

#include "engine/engine.h"
#include "engine/program_end.h"

namespace vendrix {

using platform::kMbOk;
using platform::kMbSetForeground;
using platform::kMbYesNo;

int ShowMessageBox(Engine& engine, std::string_view text, uint32_t flags) {
  InputReleased released(DesktopOf(engine));
  return engine.platform.dialogs.MessageBox(text, engine.caption, flags);
}

void ReportError(Engine& engine, std::string_view message, bool fatal) {
  InputReleased released(DesktopOf(engine));
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

}  // namespace vendrix
