// EXEC, SHELL, GETTITLE, HINTMESSAGE, CLIPBRD, GETCLIPBRD, PASTE,
// AUTOPASTE and READJOYSTICK.
#include <algorithm>
#include <string>

#include "builtins/dispatch.h"
#include "desktop/joystick.h"
#include "desktop/paste.h"
#include "engine/engine.h"
#include "engine/operands.h"
#include "engine/report.h"
#include "values/sjis.h"

namespace vendrix {
namespace {

constexpr uint32_t kExecPollMs = 100;
constexpr int kTitleBufferBytes = 256;

// Operand 2 as written, upper-cased and not evaluated, is "TRUE".
bool WaitRequested(const Statement& statement) { return sjis::AnsiUpper(statement.Operand(1)) == "TRUE"; }

// The variable operand 1 names, or "%0" when it names none.
int TargetOrFirstVariable(Engine& engine, const Statement& statement) {
  int index = OperandVariable(engine, statement);
  return index >= 0 ? index : 0;
}

}  // namespace

void StmtExec(Engine& engine, const Statement& statement) {
  platform::Programs& programs = engine.platform.programs;
  platform::ProcessId process = programs.StartProgram(EvaluateOperand(engine, statement, 0));
  if (process == 0) {
    AskContinue(engine, std::string(msg::kCannotExecute) + statement.text);
    return;
  }
  // Polled without handling messages or looking at the break key.
  if (WaitRequested(statement)) {
    while (programs.ProgramRunning(process)) engine.platform.clock.Sleep(kExecPollMs);
  }
  programs.CloseProgram(process);
}

void StmtShell(Engine& engine, const Statement& statement) {
  std::string file = EvaluateOperand(engine, statement, 0);
  platform::Programs& programs = engine.platform.programs;
  platform::ProcessId process = 0;
  if (!programs.OpenDocument(file, engine.platform.shellWindow.MainWindow(), &process)) {
    AskContinue(engine, std::string(msg::kCannotOpenDocument) + file);
    return;
  }
  if (process == 0) return;
  if (WaitRequested(statement)) programs.WaitForProgram(process);
  programs.CloseProgram(process);
}

void StmtGetTitle(Engine& engine, const Statement& statement) {
  int index = TargetOrFirstVariable(engine, statement);
  platform::Windows& windows = engine.platform.windows;
  platform::WindowId window = windows.GetForegroundWindow();
  int length = windows.WindowTitleLength(window);
  int bufferSize = length < 0 ? 1 : std::min(length + 1, kTitleBufferBytes);
  std::string title = windows.WindowTitle(window, bufferSize);
  engine.variables.Store(index, title, TextOrigin::kOutside);
  if (WaitRequested(statement) && (title.empty() || title == engine.caption)) {
    AskContinue(engine, msg::kGetTitleSuspicious);
  }
}

void StmtHintMessage(Engine& engine, const Statement& statement) {
  engine.platform.shellWindow.SetTrayTip(EvaluateOperand(engine, statement, 0));
}

void StmtClipbrd(Engine& engine, const Statement& statement) {
  platform::Clipboard& clipboard = engine.platform.clipboard;
  clipboard.Clear();
  clipboard.SetText(EvaluateOperand(engine, statement, 0));
}

void StmtGetClipbrd(Engine& engine, const Statement& statement) {
  int index = TargetOrFirstVariable(engine, statement);
  engine.variables.Store(index, engine.platform.clipboard.GetText(), TextOrigin::kOutside);
}

void StmtPaste(Engine& engine, const Statement& statement) {
  PasteText(DesktopOf(engine), EvaluateOperand(engine, statement, 0));
  AutoDelayStep(engine);
}

void StmtAutoPaste(Engine& engine, const Statement& statement) {
  engine.desktop.autoPaste = sjis::JUpperAscii(EvaluateOperand(engine, statement, 0)) == "ON";
}

void StmtReadJoystick(Engine& engine, const Statement& statement) {
  if (EvaluateOperand(engine, statement, 0) == "0") {
    ReadJoystickVariables(engine, 0);
    return;
  }
  // Evaluated again: a function with side effects may answer differently.
  ReadJoystickVariables(engine, EvaluateOperand(engine, statement, 0) == "2" ? 2 : 1);
}

}  // namespace vendrix
