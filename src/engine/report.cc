#include "engine/report.h"

#include <string>

#include "engine/engine.h"
#include "engine/program_end.h"

namespace vendrix {

using platform::kMbOk;
using platform::kMbSetForeground;
using platform::kMbYesNo;

namespace {

void ShowError(Engine& engine, std::string_view message) {
  std::string text(msg::kErrPrefix);
  text += message;
  engine.platform.dialogs.ErrorBox(text, engine.caption, kMbOk | kMbSetForeground);
}

}  // namespace

void EndProgram(int exitCode) { throw ProgramEnd{exitCode}; }

int ShowMessageBox(Engine& engine, std::string_view text, uint32_t flags) {
  InputReleased released(DesktopOf(engine));
  return engine.platform.dialogs.MessageBox(text, engine.caption, flags);
}

void Fatal(Engine& engine, std::string_view message, std::string_view subject) {
  std::string text(message);
  text += subject;
  Fatal(engine, text);
}

void Fatal(Engine& engine, std::string_view message) {
  InputReleased released(DesktopOf(engine));
  ShowError(engine, message);
  engine.platform.dialogs.MessageBox(msg::kMacroAborted, engine.caption, kMbSetForeground);
  EndProgram(1);
}

bool AskContinue(Engine& engine, std::string_view message) {
  InputReleased released(DesktopOf(engine));
  ShowError(engine, message);
  const int answer =
      engine.platform.dialogs.MessageBox(msg::kContinueQuestion, engine.caption, kMbYesNo | kMbSetForeground);
  if (answer == platform::kIdNo) EndProgram(1);
  return true;
}

}  // namespace vendrix
