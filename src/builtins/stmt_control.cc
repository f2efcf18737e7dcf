// IF blocks and one-line IFs, jumps, subroutines, loops, END, PAUSE, STEP.
#include <cstdint>
#include <string>

#include "builtins/dispatch.h"
#include "desktop/keys.h"
#include "engine/interpreter.h"
#include "engine/expression.h"
#include "engine/tokenizer.h"
#include "values/integer.h"
#include "values/sjis.h"

namespace vendrix {
namespace {

bool Condition(Interpreter& interp, const Statement& statement, bool unless) {
  bool value = interp.OperandTruth(statement, 0);
  return unless ? !value : value;
}

void OpenBlock(Interpreter& interp, const Statement& statement, bool unless) {
  bool value = Condition(interp, statement, unless);
  bool insideSkipped = interp.IfDepth() > 0 && interp.InnermostIf() != kIfRunning;
  interp.OpenIf(insideSkipped ? kIfDone : (value ? kIfRunning : kIfWaiting));
}

inline Next OneLineIf(Interpreter& interp, const Statement& statement, bool unless) {
  if (!statement.HasOperand(0) || !statement.HasOperand(1)) {
    interp.Fatal(msg::kTooFewArguments, statement.text);
  }
  if (!Condition(interp, statement, unless)) return Next::GoOn();
  // The body was split with the line, unless it is nested too deep to run.
  if (!statement.inner) interp.Fatal(msg::kStatementTooDeep, statement.After(1));
  return interp.Execute(*statement.inner);
}

inline Next IfOrUnless(Interpreter& interp, const Statement& statement, bool unless) {
  if (!statement.blockIf) return OneLineIf(interp, statement, unless);
  OpenBlock(interp, statement, unless);
  return Next::GoOn();
}

// Where a jump statement goes when it runs from the current line: its
// linked line, or the line its target names now.  A parenthesised target
// is evaluated; any other is the whole text after the keyword.
int JumpLine(Interpreter& interp, const Statement& statement, JumpDirection direction) {
  if (statement.jumpLine != kJumpUnlinked) return statement.jumpLine;
  const int pc = interp.ProgramCounter();
  if (!HasEvaluatedTarget(statement)) return interp.FindLine(LiteralJumpTarget(statement), direction, pc);
  std::string target = sjis::AnsiUpper(interp.Operand(statement, 0));
  if (statement.jumpMemo < 0) return interp.FindLine(target, direction, pc);
  // The same text leads to the same line for as long as the macro is loaded.
  JumpMemo& memo = interp.Memo(statement.jumpMemo);
  if (memo.line == kJumpUnlinked || memo.text != target) {
    memo.line = interp.FindLine(target, direction, pc);
    memo.text = std::move(target);
  }
  return memo.line;
}

Next Jump(Interpreter& interp, const Statement& statement, JumpDirection direction) {
  const int line = JumpLine(interp, statement, direction);
  if (line < 0) interp.Fatal(msg::kNoSuchLine, statement.text);
  return Next::JumpTo(line);
}

// CALL's target as the GOTO statement it stands for, split once per text.
std::shared_ptr<const Statement> CallJump(Interpreter& interp, const Statement& call, std::string target) {
  if (call.jumpMemo < 0) return interp.BuiltStatement("GOTO " + target);
  JumpMemo& memo = interp.Memo(call.jumpMemo);
  if (!memo.built || memo.text != target) {
    memo.built = std::make_shared<const Statement>(ParseStatement("GOTO " + target, nullptr));
    memo.line = kJumpUnlinked;
    memo.text = std::move(target);
  }
  return memo.built;
}

// CALL's GOTO: its line, found once per target text when the CALL is a
// loaded line.
int CallLine(Interpreter& interp, const Statement& call, const Statement& jump) {
  if (call.jumpMemo < 0 || HasEvaluatedTarget(jump)) return JumpLine(interp, jump, JumpDirection::kFromTop);
  JumpMemo& memo = interp.Memo(call.jumpMemo);
  if (memo.line == kJumpUnlinked) memo.line = JumpLine(interp, jump, JumpDirection::kFromTop);
  return memo.line;
}

// A CALL whose target is outside text names its line as it is: a "(" in it
// is never evaluated, and no GOTO is read from it.
Next CallOutsideText(Interpreter& interp, const std::string& target) {
  const std::string upperTarget = sjis::AnsiUpper(TrimView(target));
  const int line = interp.FindLine(upperTarget, JumpDirection::kFromTop, interp.ProgramCounter());
  if (line < 0) interp.Fatal(std::string(msg::kNoSuchLine) + "GOTO " + target);
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
ForHeader ReadForHeader(Interpreter& interp, std::string_view afterKeyword) {
  std::string rest = sjis::JReplaceAll(WithoutBlanksAroundEquals(afterKeyword), "=", " = ");
  ForHeader header;
  header.variable = sjis::AnsiUpper(sjis::CutToken(rest, " "));
  sjis::CutToken(rest, " ");
  auto take = [&](std::string& out) {
    TokenResult cut = NextToken(rest);
    if (cut.error) interp.Fatal(*cut.error);
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
int32_t ForNumber(Interpreter& interp, const std::string& text) {
  int index = interp.LookupVariable(text);
  return IntegerValue(index >= 0 ? interp.Value(index) : text, 1);
}

}  // namespace

Next StmtIf(Interpreter& interp, const Statement& statement) { return IfOrUnless(interp, statement, false); }
Next StmtUnless(Interpreter& interp, const Statement& statement) { return IfOrUnless(interp, statement, true); }

Next StmtElseIf(Interpreter& interp, const Statement& statement) {
  if (interp.IfDepth() == 0) return Next::GoOn();
  int8_t& top = interp.InnermostIf();
  if (top == kIfRunning) {
    top = kIfDone;
  } else if (top == kIfWaiting && Condition(interp, statement, false)) {
    top = kIfRunning;
  }
  return Next::GoOn();
}

Next StmtElse(Interpreter& interp, const Statement&) {
  if (interp.IfDepth() == 0) return Next::GoOn();
  int8_t& top = interp.InnermostIf();
  if (top == kIfRunning) {
    top = kIfDone;
  } else if (top == kIfWaiting) {
    top = kIfRunning;
  }
  return Next::GoOn();
}

Next StmtEndIf(Interpreter& interp, const Statement&) {
  if (interp.IfDepth() == 0) return Next::GoOn();
  interp.CloseIf();
  return Next::GoOn();
}

void StmtExitIf(Interpreter& interp, const Statement& statement) {
  int32_t levels = interp.OperandInteger(statement, 0, 1);
  while (interp.IfDepth() > 0 && levels > 0) {
    interp.CloseIf();
    --levels;
  }
}

Next StmtGoto(Interpreter& interp, const Statement& statement) {
  return Jump(interp, statement, JumpDirection::kFromTop);
}
Next StmtGotoNext(Interpreter& interp, const Statement& statement) {
  return Jump(interp, statement, JumpDirection::kForward);
}
Next StmtGotoBefore(Interpreter& interp, const Statement& statement) {
  return Jump(interp, statement, JumpDirection::kBackward);
}

Next StmtCall(Interpreter& interp, const Statement& statement) {
  if (interp.CallDepth() >= kCallStackSize) interp.Fatal(msg::kCallTooDeep, statement.text);
  const OutsideTextWatch watch = interp.WatchOutsideText();
  std::string target = interp.Operand(statement, 0);
  if (watch.Origin() != TextOrigin::kMacro) return CallOutsideText(interp, target);
  // Held here: the engine's cache of built statements may be cleared below.
  const std::shared_ptr<const Statement> jump = CallJump(interp, statement, std::move(target));
  interp.EnterImpliedJump(jump->text, &jump->splitError);
  const int line = CallLine(interp, statement, *jump);
  if (line < 0) interp.Fatal(msg::kNoSuchLine, jump->text);
  return Next::CallTo(line);
}

Next StmtReturn(Interpreter& interp, const Statement& statement) {
  if (interp.CallDepth() == 0) interp.Fatal(msg::kReturnWithoutCall, statement.text);
  return Next::Return();
}

void StmtFor(Interpreter& interp, const Statement& statement) {
  ForLoop& loop = interp.BeginForLoop();
  loop.header = statement.text;
  loop.backFrom = -1;
  ForHeader header = ReadForHeader(interp, statement.After(0));
  loop.variable = interp.LookupVariable(header.variable);
  if (loop.variable < 0) interp.Fatal(msg::kForVariableUndeclared, statement.text);
  int32_t start = ForNumber(interp, header.start);
  loop.limit = ForNumber(interp, header.limit);
  loop.step = ForNumber(interp, header.step);
  interp.StoreInteger(loop.variable, start);
}

namespace {

[[gnu::noinline]] void FindForLine(Interpreter& interp, ForLoop& loop, int pc) {
  const std::string target = sjis::AnsiUpper(TrimView(loop.header));
  loop.backTo = interp.FindLineBackward(target, pc - 1);
  loop.backFrom = pc;
}

// NEXT goes back to the line below the nearest line above it that reads
// like its loop's FOR line, found once per loop and NEXT line.
int ForLine(Interpreter& interp, ForLoop& loop) {
  const int pc = interp.ProgramCounter();
  if (loop.backFrom != pc) FindForLine(interp, loop, pc);
  return loop.backTo;
}

std::string BackJumpText(const ForLoop& loop) { return "GOTOBEFORE " + loop.header; }

// What the jump back to the FOR line does before it jumps when it counts
// as a statement of its own (deep nesting, the step display).
[[gnu::noinline]] void EnterBackJump(Interpreter& interp, const ForLoop& loop) {
  interp.EnterImpliedJump(BackJumpText(loop));
}

[[noreturn, gnu::noinline, gnu::cold]] void ReportNoForLine(Interpreter& interp, const ForLoop& loop) {
  interp.Fatal(msg::kNoSuchLine, BackJumpText(loop));
}

}  // namespace

Next StmtNext(Interpreter& interp, const Statement&) {
  ForLoop* innermost = interp.InnermostForLoop();
  if (innermost == nullptr) {
    interp.AskContinue(msg::kNextWithoutFor);
    return Next::GoOn();
  }
  ForLoop& loop = *innermost;
  const int32_t counter = interp.VariableInteger(loop.variable, 0);
  interp.StoreInteger(loop.variable, WrapAdd(counter, loop.step));
  // The limit test sees the sum before it wraps: a counter that would pass
  // the largest (or smallest) integer is past any limit, so the loop ends.
  const int64_t next = int64_t{counter} + loop.step;
  if ((loop.step > 0 && next > loop.limit) || (loop.step < 0 && next < loop.limit)) {
    interp.EndForLoop();
    return Next::GoOn();
  }
  if (interp.StatementDepth() >= kMaxStatementDepth || interp.StepMode()) EnterBackJump(interp, loop);
  const int line = ForLine(interp, loop);
  if (line < 0) ReportNoForLine(interp, loop);
  return Next::JumpTo(line + 1);
}

Next StmtExitFor(Interpreter& interp, const Statement& statement) {
  if (interp.InnermostForLoop() == nullptr) {
    interp.AskContinue(msg::kExitForOutsideFor);
    return Next::GoOn();
  }
  interp.EndForLoop();
  constexpr std::string_view kImpliedJump = "GOTONEXT NEXT";
  interp.EnterImpliedJump(kImpliedJump);
  const int line = statement.jumpLine != kJumpUnlinked
                       ? statement.jumpLine
                       : interp.FindLine("NEXT", JumpDirection::kForward, interp.ProgramCounter());
  if (line < 0) interp.Fatal(msg::kNoSuchLine, kImpliedJump);
  return Next::JumpTo(line + 1);
}

Next StmtEnd(Interpreter&, const Statement&) { return Next::End(); }

void StmtPause(Interpreter& interp, const Statement& statement) {
  InputReleased released(interp.Desktop());
  std::string key = interp.Operand(statement, 0);
  // An empty key waits for the break key alone.
  int code = key.empty() ? 0 : ParseKeyToken(interp.Platform().input, key);
  if (code < 0) return;
  std::string message = interp.Operand(statement, 1);
  if (!message.empty()) {
    interp.Platform().dialogs.MessageBox(message, interp.Caption(), platform::kMbSetForeground);
  }
  platform::Input& input = interp.Platform().input;
  for (;;) {
    interp.Platform().clock.SleepAwaitingUser(100);
    if (code > 0 && (input.GetAsyncKeyState(code) & 0x8000) != 0) break;
    if ((input.PollKey(interp.BreakKey()) & 0x8000) != 0) break;
  }
}

void StmtStep(Interpreter& interp, const Statement& statement) {
  std::string mode = sjis::AnsiUpper(interp.Operand(statement, 0));
  const Settings& settings = interp.Options();
  platform::ShellWindow& window = interp.Platform().shellWindow;
  if (mode == "ON") {
    interp.SetStepMode(true);
    platform::Rect where{settings.stepLeft, settings.stepTop, settings.stepWidth, settings.stepHeight};
    if (where.top < 0) where.top += interp.Platform().display.ScreenHeight() - settings.stepHeight;
    if (where.left < 0) where.left += interp.Platform().display.ScreenWidth() - settings.stepWidth;
    window.ShowStepDisplay(where, settings.stepFontSize);
    interp.MainWindowChanged();
    const int32_t before = interp.OperandInteger(statement, 1, 1000);
    interp.SetStepDelays(before, interp.OperandInteger(statement, 2, 500));
    if (const std::string* line = interp.CurrentLineText()) interp.AppendStepLine(*line);
  } else if (mode == "OFF") {
    interp.SetStepMode(false);
    window.HideStepDisplay(settings.menuWidth, settings.menuHeight);
    interp.MainWindowChanged();
  } else {
    interp.AppendStepLine(mode);
  }
}

}  // namespace vendrix
