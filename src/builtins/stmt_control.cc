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
  if (ifs.depth == kIfStackSize) Fatal(engine, msg::kIfTooDeep);
  ++ifs.depth;
  bool insideSkipped = ifs.depth > 1 && ifs.entries[static_cast<size_t>(ifs.depth - 2)] != kIfRunning;
  TopIf(engine) = insideSkipped ? kIfDone : (value ? kIfRunning : kIfWaiting);
}

Next OneLineIf(Engine& engine, const Statement& statement, bool unless) {
  if (statement.Operand(0).empty() || statement.Operand(1).empty()) {
    Fatal(engine, std::string(msg::kTooFewArguments) + statement.text);
  }
  if (!Condition(engine, statement, unless)) return Next::GoOn();
  // The body was split with the line, unless it is nested too deep to run.
  if (!statement.inner) Fatal(engine, std::string(msg::kStatementTooDeep) + std::string(statement.After(1)));
  return ExecuteStatement(engine, *statement.inner);
}

Next IfOrUnless(Engine& engine, const Statement& statement, bool unless) {
  if (!statement.blockIf) return OneLineIf(engine, statement, unless);
  OpenBlock(engine, statement, unless);
  return Next::GoOn();
}

// Where a jump statement goes when it runs from the current line: its
// linked line, or the line its target names now.  A parenthesised target
// is evaluated; any other is the whole text after the keyword.
int JumpLine(Engine& engine, const Statement& statement, JumpDirection direction) {
  if (statement.jumpLine != kJumpUnlinked) return statement.jumpLine;
  StatementList& list = engine.run.statements;
  const int pc = engine.run.programCounter;
  if (!HasEvaluatedTarget(statement)) return list.Find(LiteralJumpTarget(statement), direction, pc);
  std::string target = sjis::AnsiUpper(EvaluateOperand(engine, statement, 0));
  if (statement.jumpMemo < 0) return list.Find(target, direction, pc);
  // The same text leads to the same line for as long as the macro is loaded.
  JumpMemo& memo = list.Memo(statement.jumpMemo);
  if (memo.line == kJumpUnlinked || memo.text != target) {
    memo.line = list.Find(target, direction, pc);
    memo.text = std::move(target);
  }
  return memo.line;
}

Next Jump(Engine& engine, const Statement& statement, JumpDirection direction) {
  const int line = JumpLine(engine, statement, direction);
  if (line < 0) Fatal(engine, std::string(msg::kNoSuchLine) + statement.text);
  return Next::JumpTo(line);
}

// CALL's target as the GOTO statement it stands for, split once per text.
std::shared_ptr<const Statement> CallJump(Engine& engine, const Statement& call, std::string target) {
  if (call.jumpMemo < 0) return BuiltStatement(engine, "GOTO " + target);
  JumpMemo& memo = engine.run.statements.Memo(call.jumpMemo);
  if (!memo.built || memo.text != target) {
    memo.built = std::make_shared<const Statement>(ParseStatement("GOTO " + target, nullptr));
    memo.line = kJumpUnlinked;
    memo.text = std::move(target);
  }
  return memo.built;
}

// CALL's GOTO: its line, found once per target text when the CALL is a
// loaded line.
int CallLine(Engine& engine, const Statement& call, const Statement& jump) {
  if (call.jumpMemo < 0 || HasEvaluatedTarget(jump)) return JumpLine(engine, jump, JumpDirection::kFromTop);
  JumpMemo& memo = engine.run.statements.Memo(call.jumpMemo);
  if (memo.line == kJumpUnlinked) memo.line = JumpLine(engine, jump, JumpDirection::kFromTop);
  return memo.line;
}

// A CALL whose target is outside text names its line as it is: a "(" in it
// is never evaluated, and no GOTO is read from it.
Next CallOutsideText(Engine& engine, const std::string& target) {
  const std::string upperTarget = sjis::AnsiUpper(TrimView(target));
  const int line = engine.run.statements.Find(upperTarget, JumpDirection::kFromTop, engine.run.programCounter);
  if (line < 0) Fatal(engine, std::string(msg::kNoSuchLine) + "GOTO " + target);
  return Next::CallTo(line);
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
    if (cut.error) Fatal(engine, *cut.error);
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

Next StmtIf(Engine& engine, const Statement& statement) { return IfOrUnless(engine, statement, false); }
Next StmtUnless(Engine& engine, const Statement& statement) { return IfOrUnless(engine, statement, true); }

Next StmtElseIf(Engine& engine, const Statement& statement) {
  if (engine.run.ifs.depth == 0) return Next::GoOn();
  int8_t& top = TopIf(engine);
  if (top == kIfRunning) {
    top = kIfDone;
  } else if (top == kIfWaiting && Condition(engine, statement, false)) {
    top = kIfRunning;
  }
  return Next::GoOn();
}

Next StmtElse(Engine& engine, const Statement&) {
  if (engine.run.ifs.depth == 0) return Next::GoOn();
  int8_t& top = TopIf(engine);
  if (top == kIfRunning) {
    top = kIfDone;
  } else if (top == kIfWaiting) {
    top = kIfRunning;
  }
  return Next::GoOn();
}

Next StmtEndIf(Engine& engine, const Statement&) {
  if (engine.run.ifs.depth == 0) return Next::GoOn();
  TopIf(engine) = kIfWaiting;
  --engine.run.ifs.depth;
  return Next::GoOn();
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

Next StmtGoto(Engine& engine, const Statement& statement) { return Jump(engine, statement, JumpDirection::kFromTop); }
Next StmtGotoNext(Engine& engine, const Statement& statement) {
  return Jump(engine, statement, JumpDirection::kForward);
}
Next StmtGotoBefore(Engine& engine, const Statement& statement) {
  return Jump(engine, statement, JumpDirection::kBackward);
}

Next StmtCall(Engine& engine, const Statement& statement) {
  if (engine.run.calls.depth >= kCallStackSize) Fatal(engine, std::string(msg::kCallTooDeep) + statement.text);
  OutsideTextWatch watch(engine);
  std::string target = EvaluateOperand(engine, statement, 0);
  if (watch.Origin() != TextOrigin::kMacro) return CallOutsideText(engine, target);
  // Held here: the engine's cache of built statements may be cleared below.
  const std::shared_ptr<const Statement> jump = CallJump(engine, statement, std::move(target));
  EnterImpliedJump(engine, jump->text, &jump->splitError);
  const int line = CallLine(engine, statement, *jump);
  if (line < 0) Fatal(engine, std::string(msg::kNoSuchLine) + jump->text);
  return Next::CallTo(line);
}

Next StmtReturn(Engine& engine, const Statement& statement) {
  if (engine.run.calls.depth == 0) Fatal(engine, std::string(msg::kReturnWithoutCall) + statement.text);
  return Next::Return();
}

void StmtFor(Engine& engine, const Statement& statement) {
  ForStack& fors = engine.run.fors;
  if (fors.depth == kForStackSize) Fatal(engine, msg::kForTooDeep);
  ForLoop& loop = fors.loops[static_cast<size_t>(fors.depth++)];
  loop.header = statement.text;
  loop.backFrom = -1;
  ForHeader header = ReadForHeader(engine, statement.After(0));
  loop.variable = LookupVariable(engine, header.variable);
  if (loop.variable < 0) Fatal(engine, std::string(msg::kForVariableUndeclared) + statement.text);
  int32_t start = ForNumber(engine, header.start);
  loop.limit = ForNumber(engine, header.limit);
  loop.step = ForNumber(engine, header.step);
  AssignIntegerText(engine.variables.MutableValue(loop.variable), start);
}

namespace {

// NEXT goes back to the line below the nearest line above it that reads
// like its loop's FOR line, found once per loop and NEXT line.
int ForLine(Engine& engine, ForLoop& loop) {
  const int pc = engine.run.programCounter;
  if (loop.backFrom != pc) {
    const std::string target = sjis::AnsiUpper(TrimView(loop.header));
    loop.backTo = engine.run.statements.FindBackward(target, pc - 1);
    loop.backFrom = pc;
  }
  return loop.backTo;
}

std::string BackJumpText(const ForLoop& loop) { return "GOTOBEFORE " + loop.header; }

}  // namespace

Next StmtNext(Engine& engine, const Statement&) {
  ForStack& fors = engine.run.fors;
  if (fors.depth == 0) {
    AskContinue(engine, msg::kNextWithoutFor);
    return Next::GoOn();
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
    return Next::GoOn();
  }
  if (engine.statementDepth >= kMaxStatementDepth || engine.pacing.stepMode) {
    EnterImpliedJump(engine, BackJumpText(loop));
  }
  const int line = ForLine(engine, loop);
  if (line < 0) Fatal(engine, std::string(msg::kNoSuchLine) + BackJumpText(loop));
  return Next::JumpTo(line + 1);
}

Next StmtExitFor(Engine& engine, const Statement& statement) {
  ForStack& fors = engine.run.fors;
  if (fors.depth == 0) {
    AskContinue(engine, msg::kExitForOutsideFor);
    return Next::GoOn();
  }
  --fors.depth;
  constexpr std::string_view kImpliedJump = "GOTONEXT NEXT";
  EnterImpliedJump(engine, kImpliedJump);
  const int line = statement.jumpLine != kJumpUnlinked
                       ? statement.jumpLine
                       : engine.run.statements.Find("NEXT", JumpDirection::kForward, engine.run.programCounter);
  if (line < 0) Fatal(engine, std::string(msg::kNoSuchLine) + std::string(kImpliedJump));
  return Next::JumpTo(line + 1);
}

Next StmtEnd(Engine&, const Statement&) { return Next::End(); }

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
    engine.platform.clock.SleepAwaitingUser(100);
    if (code > 0 && (input.GetAsyncKeyState(code) & 0x8000) != 0) break;
    if ((input.PollKey(engine.input.breakKey) & 0x8000) != 0) break;
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
