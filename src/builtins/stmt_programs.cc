// EXEC, SHELL, GETTITLE, HINTMESSAGE, CLIPBRD, GETCLIPBRD, PASTE,
// AUTOPASTE and READJOYSTICK.
#include <algorithm>
#include <string>

#include "builtins/dispatch.h"
#include "desktop/joystick.h"
#include "desktop/paste.h"
#include "engine/interpreter.h"
#include "values/sjis.h"

namespace vendrix {
namespace {

constexpr uint32_t kExecPollMs = 100;
constexpr int kTitleBufferBytes = 256;

// Operand 2 as written, upper-cased and not evaluated, is "TRUE".
bool WaitRequested(const Statement& statement) { return sjis::AnsiUpper(statement.Operand(1)) == "TRUE"; }

// The variable operand 1 names, or "%0" when it names none.
int TargetOrFirstVariable(Interpreter& interp, const Statement& statement) {
  int index = interp.OperandVariable(statement);
  return index >= 0 ? index : 0;
}

}  // namespace

void StmtExec(Interpreter& interp, const Statement& statement) {
  platform::Programs& programs = interp.Platform().programs;
  platform::ProcessId process = programs.StartProgram(interp.Operand(statement, 0));
  if (process == 0) {
    interp.AskContinue(std::string(msg::kCannotExecute) + statement.text);
    return;
  }
  // Polled without handling messages or looking at the break key.
  if (WaitRequested(statement)) {
    while (programs.ProgramRunning(process)) interp.Platform().clock.Sleep(kExecPollMs);
  }
  programs.CloseProgram(process);
}

void StmtShell(Interpreter& interp, const Statement& statement) {
  std::string file = interp.Operand(statement, 0);
  platform::Programs& programs = interp.Platform().programs;
  platform::ProcessId process = 0;
  if (!programs.OpenDocument(file, interp.Platform().shellWindow.MainWindow(), &process)) {
    interp.AskContinue(std::string(msg::kCannotOpenDocument) + file);
    return;
  }
  if (process == 0) return;
  if (WaitRequested(statement)) programs.WaitForProgram(process);
  programs.CloseProgram(process);
}

void StmtGetTitle(Interpreter& interp, const Statement& statement) {
  int index = TargetOrFirstVariable(interp, statement);
  platform::Windows& windows = interp.Platform().windows;
  platform::WindowId window = windows.GetForegroundWindow();
  int length = windows.WindowTitleLength(window);
  int bufferSize = length < 0 ? 1 : std::min(length + 1, kTitleBufferBytes);
  std::string title = windows.WindowTitle(window, bufferSize);
  interp.Store(index, title, TextOrigin::kOutside);
  if (WaitRequested(statement) && (title.empty() || title == interp.Caption())) {
    interp.AskContinue(msg::kGetTitleSuspicious);
  }
}

void StmtHintMessage(Interpreter& interp, const Statement& statement) {
  interp.Platform().shellWindow.SetTrayTip(interp.Operand(statement, 0));
}

void StmtClipbrd(Interpreter& interp, const Statement& statement) {
  platform::Clipboard& clipboard = interp.Platform().clipboard;
  clipboard.Clear();
  clipboard.SetText(interp.Operand(statement, 0));
}

void StmtGetClipbrd(Interpreter& interp, const Statement& statement) {
  int index = TargetOrFirstVariable(interp, statement);
  interp.Store(index, interp.Platform().clipboard.GetText(), TextOrigin::kOutside);
}

void StmtPaste(Interpreter& interp, const Statement& statement) {
  PasteText(interp.Desktop(), interp.Operand(statement, 0));
  AutoDelayStep(interp);
}

void StmtAutoPaste(Interpreter& interp, const Statement& statement) {
  interp.SetAutoPaste(sjis::JUpperAscii(interp.Operand(statement, 0)) == "ON");
}

void StmtReadJoystick(Interpreter& interp, const Statement& statement) {
  if (interp.Operand(statement, 0) == "0") {
    interp.ReadJoysticks(0);
    return;
  }
  // Evaluated again: a function with side effects may answer differently.
  interp.ReadJoysticks(interp.Operand(statement, 0) == "2" ? 2 : 1);
}

}  // namespace vendrix
