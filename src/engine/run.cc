#include "engine/run.h"

#include "desktop/input.h"
#include "desktop/paste.h"
#include "engine/engine.h"
#include "engine/interpreter.h"
#include "engine/expression.h"
#include "engine/function_table.h"
#include "engine/loader.h"
#include "engine/poll_schedule.h"
#include "engine/program_end.h"
#include "engine/purity.h"
#include "engine/report.h"
#include "engine/step_display.h"
#include "engine/tokenizer.h"

namespace vendrix {
namespace {

constexpr size_t kBuiltStatementCacheLimit = 4096;
// A parsed statement keeps its text about six times over (the text, the
// texts after the keyword and the first operands, the operands).
constexpr size_t kStatementCopies = 6;
constexpr size_t kCachedEntryBytes = 512;

bool Skipping(const Engine& engine) {
  const IfStack& ifs = engine.run.ifs;
  return ifs.depth > 0 && ifs.entries[static_cast<size_t>(ifs.depth - 1)] != kIfRunning;
}

// A line that is no statement: pasted, evaluated for its effect, or
// reported.
void RunFallback(Engine& engine, const Statement& statement) {
  const std::string& text = statement.text;
  if (engine.desktop.autoPaste) {
    PasteText(DesktopOf(engine), EvaluateText(engine, text));
    return;
  }
  if (!text.empty() && text.front() == '(') {
    TokenResult first = NextToken(std::string_view(text).substr(1));
    if (first.error) Fatal(engine, *first.error);
    if (FindFunction(first.token) >= 0) {
      EvaluateText(engine, text);
    } else {
      AskContinue(engine, std::string(msg::kBadFunctionLine) + text);
    }
    return;
  }
  AskContinue(engine, std::string(msg::kBadCommand) + text);
}

void PrepareRun(Engine& engine) {
  RunState& run = engine.run;
  run.idle = false;
  run.programCounter = -1;
  engine.input.heldButtonLeft = false;
  engine.input.heldButtonRight = false;
  run.calls.depth = 0;
  run.fors.depth = 0;
  run.ifs.depth = 0;
  run.ifs.entries.fill(kIfWaiting);
}

// Lets the window system deliver what waits: repaints, timers, the shell's
// events.
void LetMessagesThrough(Engine& engine) {
  engine.platform.messages.ProcessMessages();
  if (engine.shell != nullptr) engine.shell->AfterMessages();
}

bool BreakKeyDown(Engine& engine) {
  return (engine.platform.input.PollKey(engine.input.breakKey) & 0x8000) != 0;
}

bool NestingFull(const Engine& engine) { return engine.statementDepth >= kMaxStatementDepth; }

// Counts the nesting of statements run by statements (one-line IFs);
// deep nesting is a fatal error rather than a stack overflow.
class StatementDepthGuard {
 public:
  StatementDepthGuard(Engine& engine, const Statement& statement) : engine_(engine) {
    if (NestingFull(engine_)) Fatal(engine_, msg::kStatementTooDeep, statement.text);
    // Evaluation work is counted per statement as the run executes it.
    if (++engine_.statementDepth == 1) engine_.evaluations = 0;
  }
  ~StatementDepthGuard() { --engine_.statementDepth; }
  StatementDepthGuard(const StatementDepthGuard&) = delete;
  StatementDepthGuard& operator=(const StatementDepthGuard&) = delete;

 private:
  Engine& engine_;
};

// What ExecuteStatement does for labels, block lines, lines split with an
// error and lines that are no statement.
[[gnu::noinline]] Next RunUncommonStatement(Engine& engine, const Statement& statement) {
  if (statement.splitError) Fatal(engine, *statement.splitError);
  if (statement.label) return Next::GoOn();
  if (statement.structural) {
    if (statement.blockIf && engine.pacing.stepMode) ShowCurrentStep(engine);
    Interpreter interpreter(engine);
    return statement.handler(interpreter, statement);
  }
  if (Skipping(engine)) return Next::GoOn();
  if (engine.pacing.stepMode) ShowCurrentStep(engine);
  RunFallback(engine, statement);
  return Next::GoOn();
}

// ExecuteStatement, inline in the run loop.
inline Next RunStatement(Engine& engine, const Statement& statement) {
  StatementDepthGuard guard(engine, statement);
  // Most lines: a statement with a handler was split whole and is no label.
  if (statement.handler == nullptr || statement.structural) return RunUncommonStatement(engine, statement);
  if (Skipping(engine)) return Next::GoOn();
  if (engine.pacing.stepMode) ShowCurrentStep(engine);
  Interpreter interpreter(engine);
  return statement.handler(interpreter, statement);
}

// Tells the desktop which line runs, so what it shows or records can point
// at it; it is called only when it asked to be told of this start.
void StartLine(Engine& engine, platform::RunningStatement& running, int line) {
  running.statement = line;
  if (++running.started >= running.callAt) engine.platform.shellWindow.StatementStarting();
}

// No statement runs any more.  Between two statements that follow each
// other without a look nothing outside the interpreter happens, so there
// the next statement's start says it all.
void StatementsPaused(Engine& engine) { engine.running.statement = -1; }

// The line after `current` that `next` leads to; the size of the list or
// more ends the run.
int LineAfter(RunState& run, int current, Next next) {
  switch (next.kind) {
    case Next::Kind::kGoOn:
      return current + 1;
    case Next::Kind::kJump:
      return next.line;
    case Next::Kind::kCall:
      // The handler has checked that the stack has room.
      run.calls.entries[static_cast<size_t>(run.calls.depth++)] = current;
      return next.line;
    case Next::Kind::kReturn:
      // The handler has checked that there is a CALL to return to.
      return run.calls.entries[static_cast<size_t>(--run.calls.depth)] + 1;
    case Next::Kind::kEnd:
      return static_cast<int>(run.statements.size());
  }
  return current + 1;
}

// The run loop: the one place that moves the program counter.  Between two
// statements the counter rests on the line before the next one, where a
// break, a pause or the next run finds it.
void RunLoadedMacro(Engine& engine) {
  if (engine.run.statements.empty()) {
    ShowMessageBox(engine, msg::kNoStatements, platform::kMbSetForeground);
    EndProgram(0);
  }
  PrepareRun(engine);
  RunState& run = engine.run;
  run.statements.LinkJumps();
  run.statements.DecidePurity([&](const Statement& s) { return StatementIsPure(s, engine.builtins); });
  const int size = static_cast<int>(run.statements.size());
  PollSchedule schedule(engine);
  platform::RunningStatement& running = engine.running;
  bool look = true;  // messages are let through before the first statement
  int line = 0;
  do {
    run.programCounter = line;
    if (look) LetMessagesThrough(engine);
    const Statement& statement = run.statements[static_cast<size_t>(line)];
    StartLine(engine, running, line);
    Next next;
    try {
      next = RunStatement(engine, statement);
    } catch (const RunBroken&) {
      break;  // the break key stopped it: no next line
    }
    line = next.kind == Next::Kind::kGoOn ? line + 1 : LineAfter(run, line, next);
    run.programCounter = line - 1;
    // An auto-delay paces every statement, so it always comes with a look.
    look = schedule.LookAfter(statement, line);
    if (!look) continue;
    StatementsPaused(engine);
    if (BreakRequested(engine)) break;
    if (!engine.settings.autoDelaySkip && engine.pacing.autoDelay > 0) {
      engine.platform.clock.Sleep(static_cast<uint32_t>(engine.pacing.autoDelay));
    }
  } while (line < size);
  StatementsPaused(engine);
  EndRun(engine);
}

void BeginLoad(Engine& engine, std::string fileName) {
  engine.run.statements.Clear();
  engine.run.includeDepth = 0;
  engine.run.loadedBytes = 0;
  engine.run.macroFileName = std::move(fileName);
}

// The cache's estimate of one parsed statement's memory.
size_t CachedStatementBytes(std::string_view text) { return kStatementCopies * text.size() + kCachedEntryBytes; }

}  // namespace

bool BreakRequested(Engine& engine) {
  if (!BreakKeyDown(engine)) return false;
  ShowMessageBox(engine, msg::kBreakMessage, platform::kMbSetForeground);
  return true;
}

void NoteEffect(Engine& engine) {
  PollState& poll = engine.run.poll;
  poll.effectSeen = true;
  if (!poll.owed) return;
  // The loop skipped its look before this statement, taking it for pure.
  poll.owed = false;
  if (BreakRequested(engine)) throw RunBroken{};
}

void RunMacro(Engine& engine, const std::string& fileName) {
  BeginLoad(engine, fileName);
  LoadMacroFile(engine, fileName);
  RunLoadedMacro(engine);
}

void RunMacroLines(Engine& engine, int first, int last) {
  BeginLoad(engine, "");
  LoadMacroLines(engine, first, last);
  RunLoadedMacro(engine);
}

void EndRun(Engine& engine) {
  // An input block ends with its run: in resident mode a later message box
  // (the icon's question, another run's) must not block the user again.
  engine.input.blockLevel = 0;
  engine.run.poll = PollState{};
  engine.platform.messages.KillTimer(kWatchdogTimer);
  engine.platform.input.BlockInput(false);
  engine.run.idle = true;
  ReleaseHeldInput(DesktopOf(engine));
}

Next ExecuteStatement(Engine& engine, const Statement& statement) { return RunStatement(engine, statement); }

void EnterImpliedJump(Engine& engine, std::string_view jumpText, const OptionalText* splitError) {
  if (NestingFull(engine)) Fatal(engine, msg::kStatementTooDeep, jumpText);
  if (splitError != nullptr && *splitError) Fatal(engine, **splitError);
  if (engine.pacing.stepMode) ShowCurrentStep(engine);
}

std::shared_ptr<const Statement> BuiltStatement(Engine& engine, std::string_view text) {
  auto it = engine.builtStatements.find(text);
  if (it != engine.builtStatements.end()) return it->second;
  auto parsed = std::make_shared<const Statement>(ParseStatement(std::string(text), engine.builtins.findStatement));
  // Bounded by what the entries hold, not only by their number: a few
  // large texts must not keep gigabytes.  A text too large for the cache
  // is parsed each time.
  const size_t cost = CachedStatementBytes(text);
  if (cost > kRunTimeCacheBytes) return parsed;
  if (engine.builtStatements.size() >= kBuiltStatementCacheLimit ||
      engine.builtStatementBytes + cost > kRunTimeCacheBytes) {
    engine.builtStatements.clear();
    engine.builtStatementBytes = 0;
  }
  engine.builtStatements.emplace(std::string(text), parsed);
  engine.builtStatementBytes += cost;
  return parsed;
}

Next ExecuteText(Engine& engine, std::string_view text) {
  std::shared_ptr<const Statement> statement = BuiltStatement(engine, text);  // survives a cache clear
  return ExecuteStatement(engine, *statement);
}

}  // namespace vendrix
