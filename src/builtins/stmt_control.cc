// IF blocks and one-line IFs, jumps, subroutines, loops, END, PAUSE, STEP.
#include <cstdint>
#include <string>

#include "builtins/dispatch.h"
#include "desktop/keys.h"
#include "engine/engine.h"
#include "engine/expression.h"
#include "engine/operands.h"
#include "engine/report.h"
#include "engine/run.h"
#include "engine/step_display.h"
#include "engine/tokenizer.h"
#include "values/integer.h"
#include "values/sjis.h"

namespace vendrix {
namespace {

int8_t& TopIf(Engine& engine) {
  IfStack& ifs = engine.run.ifs;
  return ifs.entries[static_cast<size_t>(ifs.depth - 1)];
}

bool Condition(Engine& engine, const Statement& statement, bool unless) {
  bool value = IsTrue(EvaluateOperand(engine, statement, 0));
  return unless ? !value : value;
}

void OpenBlock(Engine& engine, const Statement& statement, bool unless) {
  bool value = Condition(engine, statement, unless);
  IfStack& ifs = engine.run.ifs;
  if (ifs.depth == kIfStackSize) ReportError(engine, msg::kIfTooDeep, true);
  ++ifs.depth;
  bool insideSkipped = ifs.depth > 1 && ifs.entries[static_cast<size_t>(ifs.depth - 2)] != kIfRunning;
  TopIf(engine) = insideSkipped ? kIfDone : (value ? kIfRunning : kIfWaiting);
}

void OneLineIf(Engine& engine, const Statement& statement, bool unless) {
  if (statement.operand[0].empty() || statement.operand[1].empty()) {
    ReportError(engine, std::string(msg::kTooFewArguments) + statement.text, true);
  }
  if (!Condition(engine, statement, unless)) return;
  if (!statement.inner) {
    statement.inner = std::make_unique<Statement>(ParseStatement(statement.after[1], engine.builtins.findStatement));
  }
  ExecuteStatement(engine, *statement.inner);
}

void IfOrUnless(Engine& engine, const Statement& statement, bool unless) {
  if (statement.blockIf) {
    OpenBlock(engine, statement, unless);
  } else {
    OneLineIf(engine, statement, unless);
  }
}

// The line a jump looks for: a parenthesised target is evaluated, any other
// is the whole text after the keyword.
std::string JumpTarget(Engine& engine, const Statement& statement) {
  const std::string& text = statement.after[0];
  if (!text.empty() && text.front() == '(') return sjis::AnsiUpper(EvaluateOperand(engine, statement, 0));
  if (!statement.upperAfterKeyword) statement.upperAfterKeyword = sjis::AnsiUpper(text);
  return *statement.upperAfterKeyword;
}

enum class Direction { kFromTop, kForward, kBackward };

// Jumps to the line whose upper-cased text is `target`; `text` is the
// jump's statement for the message when there is none.
void JumpTo(Engine& engine, std::string_view text, const std::string& target, Direction direction) {
  const StatementList& list = engine.run.statements;
  int pc = engine.run.programCounter;
  int line = -1;
  switch (direction) {
    case Direction::kFromTop: line = list.FindForward(target, 0); break;
    case Direction::kForward: line = list.FindForward(target, pc + 1); break;
    case Direction::kBackward: line = list.FindBackward(target, pc - 1); break;
  }
  if (line < 0) ReportError(engine, std::string(msg::kNoSuchLine) + std::string(text), true);
  engine.run.programCounter = line - 1;
}

void Jump(Engine& engine, const Statement& statement, Direction direction) {
  JumpTo(engine, statement.text, JumpTarget(engine, statement), direction);
}

// FOR %i = 1 TO 10 means the same as FOR %i=1 TO 10.
std::string WithoutBlanksAroundEquals(std::string_view header) {
  size_t equals = sjis::FindAtCharBoundary(header, "=");
  if (equals == std::string_view::npos) return std::string(header);
  return std::string(TrimView(header.substr(0, equals))) + "=" +
         std::string(TrimView(header.substr(equals + 1)));
}

struct ForHeader {
  std::string variable;
  std::string start;
  std::string limit;
  std::string step;
};

// Reads "%i=1 TO 10 STEP 2": the words in the places of "=", TO and STEP
// are not looked at.
ForHeader ReadForHeader(Engine& engine, std::string_view afterKeyword) {
  std::string rest = sjis::JReplaceAll(WithoutBlanksAroundEquals(afterKeyword), "=", " = ");
  ForHeader header;
  header.variable = sjis::AnsiUpper(sjis::CutToken(rest, " "));
  sjis::CutToken(rest, " ");
  auto take = [&](std::string& out) {
    TokenResult cut = NextToken(rest);
    if (cut.error) ReportError(engine, *cut.error, true);
    out = std::string(cut.token);
    rest = std::string(cut.rest);
  };
  take(header.start);
  sjis::CutToken(rest, " ");
  take(header.limit);
  sjis::CutToken(rest, " ");
  take(header.step);
  return header;
}

// A FOR bound: a literal, or the value of the variable it names.
int32_t ForNumber(Engine& engine, const std::string& text) {
  int index = LookupVariable(engine, text);
  return IntegerValue(index >= 0 ? engine.variables.Value(index) : text, 1);
}

}  // namespace

void StmtIf(Engine& engine, const Statement& statement) { IfOrUnless(engine, statement, false); }
void StmtUnless(Engine& engine, const Statement& statement) { IfOrUnless(engine, statement, true); }

void StmtElseIf(Engine& engine, const Statement& statement) {
  if (engine.run.ifs.depth == 0) return;
  int8_t& top = TopIf(engine);
  if (top == kIfRunning) {
    top = kIfDone;
  } else if (top == kIfWaiting && Condition(engine, statement, false)) {
    top = kIfRunning;
  }
}

void StmtElse(Engine& engine, const Statement&) {
  if (engine.run.ifs.depth == 0) return;
  int8_t& top = TopIf(engine);
  if (top == kIfRunning) {
    top = kIfDone;
  } else if (top == kIfWaiting) {
    top = kIfRunning;
  }
}

void StmtEndIf(Engine& engine, const Statement&) {
  if (engine.run.ifs.depth == 0) return;
  TopIf(engine) = kIfWaiting;
  --engine.run.ifs.depth;
}

void StmtExitIf(Engine& engine, const Statement& statement) {
  int32_t levels = OperandInteger(engine, statement, 0, 1);
  IfStack& ifs = engine.run.ifs;
  while (ifs.depth > 0 && levels > 0) {
    TopIf(engine) = kIfWaiting;
    --ifs.depth;
    --levels;
  }
}

void StmtGoto(Engine& engine, const Statement& statement) { Jump(engine, statement, Direction::kFromTop); }
void StmtGotoNext(Engine& engine, const Statement& statement) { Jump(engine, statement, Direction::kForward); }
void StmtGotoBefore(Engine& engine, const Statement& statement) { Jump(engine, statement, Direction::kBackward); }

void StmtCall(Engine& engine, const Statement& statement) {
  CallStack& calls = engine.run.calls;
  if (calls.depth >= kCallStackSize) ReportError(engine, std::string(msg::kCallTooDeep) + statement.text, true);
  calls.entries[static_cast<size_t>(calls.depth++)] = engine.run.programCounter;
  OutsideTextWatch watch(engine);
  const std::string target = EvaluateOperand(engine, statement, 0);
  const std::string gotoText = "GOTO " + target;
  if (watch.Origin() == TextOrigin::kMacro) {
    ExecuteText(engine, gotoText);
    return;
  }
  // Outside text names its line as it is: a "(" in it is never evaluated.
  JumpTo(engine, gotoText, sjis::AnsiUpper(TrimView(target)), Direction::kFromTop);
}

void StmtReturn(Engine& engine, const Statement& statement) {
  CallStack& calls = engine.run.calls;
  if (calls.depth == 0) ReportError(engine, std::string(msg::kReturnWithoutCall) + statement.text, true);
  engine.run.programCounter = calls.entries[static_cast<size_t>(--calls.depth)];
}

void StmtFor(Engine& engine, const Statement& statement) {
  ForStack& fors = engine.run.fors;
  if (fors.depth == kForStackSize) ReportError(engine, msg::kForTooDeep, true);
  ForLoop& loop = fors.loops[static_cast<size_t>(fors.depth++)];
  loop.header = statement.text;
  loop.backJump = BuiltStatement(engine, "GOTOBEFORE " + loop.header);
  ForHeader header = ReadForHeader(engine, statement.after[0]);
  loop.variable = LookupVariable(engine, header.variable);
  if (loop.variable < 0) ReportError(engine, std::string(msg::kForVariableUndeclared) + statement.text, true);
  int32_t start = ForNumber(engine, header.start);
  loop.limit = ForNumber(engine, header.limit);
  loop.step = ForNumber(engine, header.step);
  AssignIntegerText(engine.variables.MutableValue(loop.variable), start);
}

void StmtNext(Engine& engine, const Statement&) {
  ForStack& fors = engine.run.fors;
  if (fors.depth == 0) {
    ReportError(engine, msg::kNextWithoutFor, false);
    return;
  }
  ForLoop& loop = fors.loops[static_cast<size_t>(fors.depth - 1)];
  std::string& value = engine.variables.MutableValue(loop.variable);
  const int32_t counter = IntegerValue(value, 0);
  AssignIntegerText(value, WrapAdd(counter, loop.step));
  // The limit test sees the sum before it wraps: a counter that would pass
  // the largest (or smallest) integer is past any limit, so the loop ends.
  const int64_t next = int64_t{counter} + loop.step;
  if ((loop.step > 0 && next > loop.limit) || (loop.step < 0 && next < loop.limit)) {
    --fors.depth;
    return;
  }
  std::shared_ptr<const Statement> backJump = loop.backJump;  // the loop record may be reused below
  ExecuteStatement(engine, *backJump);
  ++engine.run.programCounter;
}

void StmtExitFor(Engine& engine, const Statement&) {
  ForStack& fors = engine.run.fors;
  if (fors.depth == 0) {
    ReportError(engine, msg::kExitForOutsideFor, false);
    return;
  }
  --fors.depth;
  ExecuteText(engine, "GOTONEXT NEXT");
  ++engine.run.programCounter;
}

void StmtEnd(Engine& engine, const Statement&) {
  engine.run.programCounter = static_cast<int>(engine.run.statements.size()) - 1;
}

void StmtPause(Engine& engine, const Statement& statement) {
  InputReleased released(DesktopOf(engine));
  std::string key = EvaluateOperand(engine, statement, 0);
  // An empty key waits for the break key alone.
  int code = key.empty() ? 0 : ParseKeyToken(engine.platform.input, key);
  if (code < 0) return;
  std::string message = EvaluateOperand(engine, statement, 1);
  if (!message.empty()) {
    engine.platform.dialogs.MessageBox(message, engine.caption, platform::kMbSetForeground);
  }
  platform::Input& input = engine.platform.input;
  for (;;) {
    engine.platform.clock.Sleep(100);
    if (code > 0 && (input.GetAsyncKeyState(code) & 0x8000) != 0) break;
    if ((input.GetAsyncKeyState(engine.input.breakKey) & 0x8000) != 0) break;
  }
}

void StmtStep(Engine& engine, const Statement& statement) {
  std::string mode = sjis::AnsiUpper(EvaluateOperand(engine, statement, 0));
  const Settings& settings = engine.settings;
  platform::ShellWindow& window = engine.platform.shellWindow;
  if (mode == "ON") {
    engine.pacing.stepMode = true;
    platform::Rect where{settings.stepLeft, settings.stepTop, settings.stepWidth, settings.stepHeight};
    if (where.top < 0) where.top += engine.platform.display.ScreenHeight() - settings.stepHeight;
    if (where.left < 0) where.left += engine.platform.display.ScreenWidth() - settings.stepWidth;
    window.ShowStepDisplay(where, settings.stepFontSize);
    if (engine.shell != nullptr) engine.shell->MainWindowChanged();
    engine.pacing.stepDelayBefore = OperandInteger(engine, statement, 1, 1000);
    engine.pacing.stepDelayAfter = OperandInteger(engine, statement, 2, 500);
    const RunState& run = engine.run;
    if (run.programCounter >= 0 && static_cast<size_t>(run.programCounter) < run.statements.size()) {
      AppendStepLine(engine, run.statements[static_cast<size_t>(run.programCounter)].text);
    }
  } else if (mode == "OFF") {
    engine.pacing.stepMode = false;
    window.HideStepDisplay(settings.menuWidth, settings.menuHeight);
    if (engine.shell != nullptr) engine.shell->MainWindowChanged();
  } else {
    AppendStepLine(engine, mode);
  }
}

}  // namespace vendrix
