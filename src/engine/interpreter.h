// What a built-in statement, operator or function sees of the interpreter.
//
// The built-ins take an Interpreter, never the Engine: they evaluate their
// operands, read and store variables, act on the desktop, use the file and
// image slots, pace the run, and ask the run loop for what comes next through
// the named operations below.  The engine's records (run state, stacks,
// caches, shell fields) stay the engine's, so a built-in cannot come to
// depend on how they are laid out.  Every member is a one-line inline
// forward, so the layer costs nothing on the statement loop.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "engine/engine.h"
#include "engine/expression.h"
#include "engine/file_slots.h"
#include "engine/image_slots.h"
#include "engine/operands.h"
#include "engine/report.h"
#include "engine/run.h"
#include "engine/step_display.h"

namespace vendrix {

class Interpreter {
 public:
  explicit Interpreter(Engine& engine) : engine_(engine) {}
  Interpreter(const Interpreter&) = delete;
  Interpreter& operator=(const Interpreter&) = delete;

  // --- Evaluation -------------------------------------------------------
  // Operand n (0-based) of a statement, evaluated.
  std::string Operand(const Statement& statement, size_t n) { return EvaluateOperand(engine_, statement, n); }
  // Whether its value is true.
  bool OperandTruth(const Statement& statement, size_t n) { return vendrix::OperandTruth(engine_, statement, n); }
  // Its integer value, with the default for a text that is no number.
  int32_t OperandInteger(const Statement& statement, size_t n, int32_t defaultValue) {
    return vendrix::OperandInteger(engine_, statement, n, defaultValue);
  }
  // Operand n's integer when it is a call of a function that always answers
  // an integer (evaluated then, and only then).
  std::optional<int32_t> OperandIntegerAnswer(const Statement& statement, size_t n) {
    return vendrix::OperandIntegerAnswer(engine_, statement, n);
  }
  // The index of the variable operand 1 names, or -1.
  int OperandVariable(const Statement& statement) { return vendrix::OperandVariable(engine_, statement); }
  std::string Evaluate(const Expr& expr) { return vendrix::Evaluate(engine_, expr); }
  // A variable's text evaluated as an operand (the macro's own text only).
  std::string EvaluateText(std::string_view operand) { return vendrix::EvaluateText(engine_, operand); }
  // Whether the value of an evaluation made after this call came from
  // outside the macro.
  OutsideTextWatch WatchOutsideText() const { return OutsideTextWatch(engine_); }

  // --- Variables --------------------------------------------------------
  // The index of the variable a reference ("%name", "%base[i]") names, or -1.
  int LookupVariable(const VarRef& ref) { return vendrix::LookupVariable(engine_, ref); }
  int LookupVariable(std::string_view reference) { return vendrix::LookupVariable(engine_, reference); }
  // The index of a declared variable by its upper-cased name, or -1.
  int FindVariable(std::string_view upperName) const { return engine_.variables.Find(upperName); }
  const std::string& Value(int index) { return engine_.variables.Value(index); }
  // A variable's text read as an integer, with the default for a text that
  // is no number; parsed once per stored text.
  int32_t VariableInteger(int index, int32_t defaultValue) {
    return engine_.variables.IntegerOf(index, defaultValue);
  }
  // Stores an integer's decimal text; the origin stays as it is.
  void StoreInteger(int index, int32_t value) { engine_.variables.StoreInteger(index, value); }
  void Store(int index, std::string_view value, TextOrigin origin = TextOrigin::kMacro) {
    engine_.variables.Store(index, value, origin);
  }
  // Swaps `value` into the variable (what it held comes back in `value`).
  void Exchange(int index, std::string& value, TextOrigin origin) { engine_.variables.Exchange(index, value, origin); }
  void SetOrigin(int index, TextOrigin origin) { engine_.variables.SetOrigin(index, origin); }

  // --- Errors and boxes -------------------------------------------------
  [[noreturn]] void Fatal(std::string_view message) { vendrix::Fatal(engine_, message); }
  [[noreturn]] void Fatal(std::string_view message, std::string_view subject) {
    vendrix::Fatal(engine_, message, subject);
  }
  // Yes goes on (true); No ends the program, so this never returns false.
  bool AskContinue(std::string_view message) { return vendrix::AskContinue(engine_, message); }
  int ShowMessageBox(std::string_view text, uint32_t flags) { return vendrix::ShowMessageBox(engine_, text, flags); }
  // A fatal error when a text of `size` bytes would be too large.
  void CheckTextSize(uint64_t size, std::string_view what) { vendrix::CheckTextSize(engine_, size, what); }
  const std::string& Caption() const { return engine_.caption; }

  // --- The desktop ------------------------------------------------------
  DesktopContext Desktop() { return DesktopOf(engine_); }
  platform::Platform& Platform() { return engine_.platform; }
  const Settings& Options() const { return engine_.settings; }
  platform::Point Origin() const { return {engine_.desktop.originX, engine_.desktop.originY}; }
  void SetOrigin(platform::Point origin) {
    engine_.desktop.originX = origin.x;
    engine_.desktop.originY = origin.y;
  }
  void SetPasteKey(std::string key) { engine_.desktop.pasteKey = std::move(key); }
  void SetAutoPaste(bool on) { engine_.desktop.autoPaste = on; }
  // The last foreground-window rectangle getheight/getwidth could read.
  platform::WindowRect& MeasuredWindow() { return engine_.desktop.measured; }
  int BreakKey() const { return engine_.input.breakKey; }
  void SetBreakKey(int code) { engine_.input.breakKey = code; }
  // The name of a virtual key code (0 to 255).
  std::string_view KeyName(int code) const { return engine_.keyNames[static_cast<size_t>(code)]; }
  // Reads the joysticks into the declared joystick variables.
  void ReadJoysticks(int mode) { ReadJoystickVariables(engine_, mode); }
  // The state of "random", taken from the clock at start.
  uint32_t& RandomSeed() { return engine_.randomSeed; }

  // --- Files and images -------------------------------------------------
  [[noreturn]] void FileFailure(std::string_view what, std::string_view file, std::string_view reason) {
    ReportFileFailure(engine_, what, file, reason);
  }
  FileSlot& CheckedFileSlot(int32_t n, bool mustBeOpen) { return CheckedSlot(engine_, n, mustBeOpen); }
  void OpenFileSlot(int32_t n, std::string_view file, std::string_view mode) { OpenSlot(engine_, n, file, mode); }
  void CloseFileSlot(FileSlot& slot, std::string_view what) { CloseSlot(engine_, slot, what); }
  void ReadLine(FileSlot& slot, std::string& line) { ReadSlotLine(engine_, slot, line); }
  void WriteLine(FileSlot& slot, std::string_view line) { WriteSlotLine(engine_, slot, line); }
  bool AtEnd(FileSlot& slot) { return SlotAtEnd(engine_, slot); }
  void AppendLog(std::string_view file, std::string_view line) { AppendLogLine(engine_, file, line); }
  std::string IniPathOf(std::string_view name) { return IniPath(engine_, name); }
  // The file the macro was read from; empty for lines given otherwise.
  const std::string& MacroFileName() const { return engine_.run.macroFileName; }
  // A macro file's own INI file, as an INI path.
  std::string MacroIniPathOf(std::string_view macroFileName) { return MacroIniPath(engine_, macroFileName); }
  void WriteIni(std::string_view what, std::string_view path, std::string_view section, std::string_view key,
                std::string_view value) {
    WriteIniValue(engine_, what, path, section, key, value);
  }
  std::string ReadIni(std::string_view path, std::string_view section, std::string_view key) {
    return ReadIniValue(engine_, path, section, key);
  }
  const std::string& ProgramFolder() const { return engine_.programFolder; }
  // The image slot a text names (1 to 4), or a fatal report naming `what`.
  int CheckedImageSlot(std::string_view slotText, std::string_view what) {
    return vendrix::CheckedImageSlot(engine_, slotText, what);
  }
  std::optional<images::Image>& ImageSlot(int n) { return engine_.imageSlots[static_cast<size_t>(n - 1)]; }

  // --- Pacing and the step display --------------------------------------
  int AutoDelay() const { return engine_.pacing.autoDelay; }
  void SetAutoDelay(int milliseconds) { engine_.pacing.autoDelay = milliseconds; }
  bool StepMode() const { return engine_.pacing.stepMode; }
  void SetStepMode(bool on) { engine_.pacing.stepMode = on; }
  void SetStepDelays(int before, int after) {
    engine_.pacing.stepDelayBefore = before;
    engine_.pacing.stepDelayAfter = after;
  }
  void AppendStepLine(std::string_view line) { vendrix::AppendStepLine(engine_, line); }
  // The text of the line being run, or null outside the loaded lines.
  const std::string* CurrentLineText() const {
    const RunState& run = engine_.run;
    if (run.programCounter < 0 || static_cast<size_t>(run.programCounter) >= run.statements.size()) return nullptr;
    return &run.statements[static_cast<size_t>(run.programCounter)].text;
  }

  // --- The shell --------------------------------------------------------
  bool ResidentMode() const { return engine_.residentMode; }
  const HotkeyTable& Hotkeys() const { return engine_.hotkeys; }
  // Tells the shell (if any) that the main window changed.
  void MainWindowChanged() {
    if (engine_.shell != nullptr) engine_.shell->MainWindowChanged();
  }

  // --- Run control ------------------------------------------------------
  int ProgramCounter() const { return engine_.run.programCounter; }
  int StatementDepth() const { return engine_.statementDepth; }
  Next Execute(const Statement& statement) { return ExecuteStatement(engine_, statement); }
  std::shared_ptr<const Statement> BuiltStatement(std::string_view text) {
    return vendrix::BuiltStatement(engine_, text);
  }
  // What a jump nested in the running statement does before it jumps.
  void EnterImpliedJump(std::string_view jumpText, const OptionalText* splitError = nullptr) {
    vendrix::EnterImpliedJump(engine_, jumpText, splitError);
  }
  // The loaded line an upper-cased target names, looked for from line
  // `from` (the program counter when the jump began), or -1.
  int FindLine(std::string_view upperTarget, JumpDirection direction, int from) const {
    return engine_.run.statements.Find(upperTarget, direction, from);
  }
  // The nearest line at or above `from` that reads `upperTarget`, or -1.
  int FindLineBackward(std::string_view upperTarget, int from) const {
    return engine_.run.statements.FindBackward(upperTarget, from);
  }
  JumpMemo& Memo(int slot) { return engine_.run.statements.Memo(slot); }

  // IF blocks: the innermost block's state, opening and closing blocks.
  int IfDepth() const { return engine_.run.ifs.depth; }
  int8_t& InnermostIf() { return engine_.run.ifs.entries[static_cast<size_t>(engine_.run.ifs.depth - 1)]; }
  // Opens a block in `state`; too many open blocks is a fatal error.
  void OpenIf(int8_t state) {
    IfStack& ifs = engine_.run.ifs;
    if (ifs.depth == kIfStackSize) Fatal(msg::kIfTooDeep);
    ifs.entries[static_cast<size_t>(ifs.depth++)] = state;
  }
  // Closes the innermost block, leaving its entry ready for the next.
  void CloseIf() {
    InnermostIf() = kIfWaiting;
    --engine_.run.ifs.depth;
  }

  int CallDepth() const { return engine_.run.calls.depth; }

  // FOR loops: a new innermost loop (too many is a fatal error), the
  // innermost loop (null when none is open) and its end.
  ForLoop& BeginForLoop() {
    ForStack& fors = engine_.run.fors;
    if (fors.depth == kForStackSize) Fatal(msg::kForTooDeep);
    return fors.loops[static_cast<size_t>(fors.depth++)];
  }
  ForLoop* InnermostForLoop() {
    ForStack& fors = engine_.run.fors;
    return fors.depth == 0 ? nullptr : &fors.loops[static_cast<size_t>(fors.depth - 1)];
  }
  void EndForLoop() { --engine_.run.fors.depth; }

 private:
  Engine& engine_;
};

}  // namespace vendrix
