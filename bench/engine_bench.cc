// Speed of the engine: statements per second, jump cost against macro size,
// loading, and expression evaluation.  Every macro runs on the simulated
// desktop with files in memory and no trace, so only the engine is timed.
//
// Run:   build/linux/bench/vendrix_bench
// Target: BM_LoopStatements at 5 million statements/s or more.  BM_TclLoop
// runs the same loop in tclsh so the ratio can be read from one run.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <malloc.h>
#include <memory>
#include <string>
#include <string_view>
#include <time.h>
#include <unistd.h>

#include "builtins/builtins.h"
#include "builtins/dispatch.h"
#include "engine/engine.h"
#include "engine/expression.h"
#include "engine/interpreter.h"
#include "engine/loader.h"
#include "engine/program_end.h"
#include "engine/run.h"
#include "engine/tokenizer.h"
#include "platform/sim/memory_files.h"
#include "platform/sim/memory_host.h"
#include "platform/sim/sim_desktop.h"

namespace vendrix::bench {
namespace {

constexpr std::string_view kMacroName = "C:\\m\\bench.mac";

// A fresh engine over a fresh simulated desktop; nothing is traced.
struct World {
  World()
      : platform{desktop.PlatformWith(files, host)},
        engine(NewEngine(platform)) {}

  // Runs the macro; returns the exit code the program would end with.
  int Run(std::string_view name = kMacroName) {
    try {
      RunMacro(*engine, std::string(name));
      return 0;
    } catch (const ProgramEnd& end) {
      engine->run.idle = true;
      return end.exitCode;
    }
  }

  std::string Var(std::string_view name) {
    int index = engine->variables.Find(name);
    return index < 0 ? "<undeclared>" : engine->variables.Value(index);
  }

  sim::SimDesktop desktop;
  sim::MemoryFiles files;
  sim::MemoryHost host;
  platform::Platform platform;
  std::unique_ptr<Engine> engine;
};

std::string Lines(std::initializer_list<std::string_view> lines) {
  std::string out;
  for (std::string_view line : lines) {
    out += line;
    out += "\r\n";
  }
  return out;
}

// ---- the statement loop ---------------------------------------------------

constexpr int kLoopCount = 1000000;

// Statements the loop macro executes.  The DIM line is carried out by the
// loader and leaves no statement.  Executed: the FOR line once; per pass the
// INC, the IF line, the SET of the length and the NEXT (4 statements); and
// the SET inside the one-line IF each time its condition holds.  That count
// is found by following %n exactly as the macro does: it starts empty (0),
// gains 2 per pass and drops to 0 once it exceeds 100, so it resets on
// every 51st pass: 1,000,000 / 51 = 19,607 times.  Total 4,019,608.
struct LoopCount {
  int64_t statements = 0;
  int64_t finalN = 0;
};

LoopCount CountLoopStatements() {
  LoopCount count;
  int64_t n = 0;
  count.statements = 1;  // FOR
  for (int i = 1; i <= kLoopCount; ++i) {
    count.statements += 4;  // INC, IF, SET %s, NEXT
    n += 2;
    if (n > 100) {
      n = 0;
      ++count.statements;  // the IF's inner SET
    }
  }
  count.finalN = n;
  return count;
}

const std::string kLoopMacro = Lines({
    "DIM %i %n %s",
    "FOR %i=1 TO 1000000",
    "INC %n 2",
    "IF (> %n 100) SET %n 0",
    "SET %s (len abc)",
    "NEXT",
});

void BM_LoopStatements(benchmark::State& state) {
  const LoopCount expected = CountLoopStatements();
  for (auto _ : state) {
    World world;
    world.files.Add(kMacroName, kLoopMacro);
    int code = world.Run();
    // The count above is only honest if the macro really ran as followed.
    if (code != 0 || world.Var("%N") != std::to_string(expected.finalN) || world.Var("%S") != "3" ||
        world.Var("%I") != std::to_string(kLoopCount + 1)) {
      state.SkipWithError("the loop macro did not run as expected");
      return;
    }
  }
  state.counters["statements"] = static_cast<double>(expected.statements);
  state.counters["stmts_per_s"] = benchmark::Counter(static_cast<double>(expected.statements),
                                                     benchmark::Counter::kIsIterationInvariantRate);
}
// Wall time, as tclsh measures its loop, so the two rates compare.
BENCHMARK(BM_LoopStatements)->UseRealTime()->Unit(benchmark::kMillisecond)->MinTime(2.0);

// The same loop in tclsh, timed inside Tcl so that the interpreter's
// start-up is left out: at global level, where Tcl finds each variable by
// name, and inside a proc, where its byte-compiled body keeps the
// variables in numbered slots.  The statement count is the same: `for`
// once, per pass `incr n`, `if`, `set s`, and the `incr i` step standing
// for NEXT, plus the inner `set n 0` when it runs.
std::string TclLoopScript(bool insideProc) {
  const std::string loop =
      "for {set i 1} {$i <= 1000000} {incr i} { incr n 2; if {$n > 100} {set n 0}; "
      "set s [string length abc] }\n";
  const std::string start = "set t0 [clock microseconds]\n";
  const std::string report = "set t1 [clock microseconds]\nputs \"[expr {$t1 - $t0}] $n\"\n";
  if (!insideProc) return start + loop + report;
  return "proc run {} {\nset n 0\n" + loop + "return $n\n}\n" + start + "set n [run]\n" + report;
}

void TclLoop(benchmark::State& state, bool insideProc) {
  const char* tclsh = "/usr/bin/tclsh";
  if (access(tclsh, X_OK) != 0) {
    state.SkipWithError("tclsh is not installed");
    return;
  }
  char path[] = "/tmp/vendrix_bench_XXXXXX.tcl";
  int fd = mkstemps(path, 4);
  if (fd < 0) {
    state.SkipWithError("cannot create a temporary file");
    return;
  }
  close(fd);
  {
    std::ofstream script(path);
    script << TclLoopScript(insideProc);
  }
  const LoopCount expected = CountLoopStatements();
  const std::string command = std::string(tclsh) + " " + path;
  for (auto _ : state) {
    FILE* pipe = popen(command.c_str(), "r");
    long long micros = -1;
    long long finalN = -1;
    int fields = pipe ? std::fscanf(pipe, "%lld %lld", &micros, &finalN) : 0;
    int status = pipe ? pclose(pipe) : -1;
    if (fields != 2 || status != 0 || micros <= 0 || finalN != expected.finalN) {
      state.SkipWithError("tclsh did not run the loop");
      break;
    }
    state.SetIterationTime(static_cast<double>(micros) / 1e6);
  }
  std::remove(path);
  state.counters["statements"] = static_cast<double>(expected.statements);
  state.counters["stmts_per_s"] = benchmark::Counter(static_cast<double>(expected.statements),
                                                     benchmark::Counter::kIsIterationInvariantRate);
}
void BM_TclLoop(benchmark::State& state) { TclLoop(state, false); }
void BM_TclProcLoop(benchmark::State& state) { TclLoop(state, true); }
BENCHMARK(BM_TclLoop)->UseManualTime()->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_TclProcLoop)->UseManualTime()->Unit(benchmark::kMillisecond)->MinTime(2.0);

// ---- jumps in small and large macros -------------------------------------
//
// Each macro jumps over `filler` lines that never run, so a jump that
// searched the lines one by one would cost in proportion to the macro's
// size.  Loading a large macro takes time of its own, so every iteration
// runs the macro twice, with 1 and with 1 + kPasses passes, and only the
// difference is reported: the cost of kPasses passes, and ns_per_pass.

constexpr int kPasses = 100000;

// CPU time of this thread, so that other programs on the machine do not
// blur the small difference being measured.
double ThreadCpuSeconds() {
  timespec now{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

std::string Filler(int64_t lines) {
  std::string out;
  out.reserve(static_cast<size_t>(lines) * 12);
  for (int64_t i = 0; i < lines; ++i) out += "SET %x " + std::to_string(i) + "\r\n";
  return out;
}

// GOTO :start searches from the top; :start is below all the filler.
// One pass: INC, IF with the inner GOTO (3 statements, 1 jump).
std::string GotoMacro(int64_t filler, int passes) {
  return Lines({"DIM %k %x", "GOTO :start"}) + Filler(filler) +
         Lines({":start", "INC %k 1", "IF (< %k " + std::to_string(passes) + ") GOTO :start"});
}

// NEXT finds its FOR line searching backwards across all the filler, and
// the body's GOTO :end searches forwards across it.
// One pass: GOTO, NEXT (2 statements, 2 jumps).
std::string ForNextMacro(int64_t filler, int passes) {
  return Lines({"DIM %k %x", "FOR %k=1 TO " + std::to_string(passes), "GOTO :end"}) + Filler(filler) +
         Lines({":end", "NEXT"});
}

template <std::string (*Build)(int64_t, int)>
void RunJumpBench(benchmark::State& state, int lastK) {
  const int64_t filler = state.range(0);
  const std::string once = Build(filler, 1);
  const std::string many = Build(filler, 1 + kPasses);
  double totalSeconds = 0;
  for (auto _ : state) {
    World a;
    a.files.Add(kMacroName, once);
    double t0 = ThreadCpuSeconds();
    int codeA = a.Run();
    double t1 = ThreadCpuSeconds();
    World b;
    b.files.Add(kMacroName, many);
    double t2 = ThreadCpuSeconds();
    int codeB = b.Run();
    double t3 = ThreadCpuSeconds();
    if (codeA != 0 || codeB != 0 || b.Var("%K") != std::to_string(lastK)) {
      state.SkipWithError("the jump macro did not run as expected");
      return;
    }
    double seconds = (t3 - t2) - (t1 - t0);
    seconds = seconds > 0 ? seconds : 1e-9;
    totalSeconds += seconds;
    state.SetIterationTime(seconds);
  }
  const double passes = static_cast<double>(kPasses) * static_cast<double>(state.iterations());
  state.counters["lines"] = static_cast<double>(filler + 5);
  if (passes > 0) state.counters["ns_per_pass"] = totalSeconds * 1e9 / passes;
}

// %K ends at the pass count.
void BM_JumpCost(benchmark::State& state) { RunJumpBench<GotoMacro>(state, 1 + kPasses); }
BENCHMARK(BM_JumpCost)->Arg(10)->Arg(100000)->UseManualTime()->Unit(benchmark::kMillisecond);

// %K ends one past the limit.
void BM_ForNextLargeMacro(benchmark::State& state) { RunJumpBench<ForNextMacro>(state, 2 + kPasses); }
BENCHMARK(BM_ForNextLargeMacro)->Arg(10)->Arg(100000)->UseManualTime()->Unit(benchmark::kMillisecond);

// Loading alone: a macro of N plain lines with END first, so nothing runs.
void BM_LoadMacro(benchmark::State& state) {
  const int64_t lines = state.range(0);
  const std::string macro = Lines({"DIM %x", "END"}) + Filler(lines);
  for (auto _ : state) {
    World world;
    world.files.Add(kMacroName, macro);
    if (world.Run() != 0) {
      state.SkipWithError("the macro did not load");
      return;
    }
  }
  state.counters["lines_per_s"] =
      benchmark::Counter(static_cast<double>(lines), benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_LoadMacro)->Arg(100000)->Unit(benchmark::kMillisecond);

// Memory a loaded line costs: the heap's growth over loading a macro of a
// million one-character lines, divided by the lines.  The lines never run,
// so this is what the statement list keeps for every line of a big macro.
size_t HeapInUse() {
  const struct mallinfo2 info = mallinfo2();
  return info.uordblks + info.hblkhd;  // small blocks and mapped (large) ones
}

void BM_LoadedLineBytes(benchmark::State& state) {
  constexpr size_t kLines = 1000000;
  std::string macro;
  for (size_t i = 0; i < kLines; ++i) macro += "A\r\n";
  double bytesPerLine = 0;
  for (auto _ : state) {
    World world;
    world.files.Add(kMacroName, macro);
    const size_t before = HeapInUse();
    LoadMacroFile(*world.engine, std::string(kMacroName));
    const size_t after = HeapInUse();
    if (world.engine->run.statements.size() != kLines || after < before) {
      state.SkipWithError("the macro did not load");
      return;
    }
    bytesPerLine = static_cast<double>(after - before) / static_cast<double>(kLines);
  }
  state.counters["bytes_per_line"] = bytesPerLine;
  state.counters["record_bytes"] = static_cast<double>(sizeof(Statement));
}
BENCHMARK(BM_LoadedLineBytes)->Unit(benchmark::kMillisecond)->Iterations(1);

// ---- expressions ----------------------------------------------------------

void BM_Evaluate(benchmark::State& state, std::string_view operand, std::string_view expected) {
  World world;
  if (EvaluateText(*world.engine, operand) != expected) {
    state.SkipWithError("unexpected value");
    return;
  }
  for (auto _ : state) benchmark::DoNotOptimize(EvaluateText(*world.engine, operand));
}
BENCHMARK_CAPTURE(BM_Evaluate, nested, "(+ (* 2 3) (- 10 (div 8 2)) (mod 7 3) (len (& ab cd)))", "17");
BENCHMARK_CAPTURE(BM_Evaluate, variadic_sum, "(+ 1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 16)", "136");
BENCHMARK_CAPTURE(BM_Evaluate, quoted, "(& \"hello, \" \"quoted world\" \" and more\")",
                  "hello, quoted world and more");
BENCHMARK_CAPTURE(BM_Evaluate, compare, "(and (> 5 3) (<> abc abd) (= 7 7))", "True");

// KEY with a 1,000-character text, no trace: the time per injected key
// event (2,000 of them: a press and a release per character).  The
// simulated desktop's own share is a few array writes, so the figure is
// the engine's cost with a small upper margin.  Target: below 1 us/event.
void BM_KeyTextPerEvent(benchmark::State& state) {
  World world;
  std::string letters;
  for (int i = 0; i < 1000; ++i) letters += static_cast<char>('A' + i % 26);
  Statement key = ParseStatement("KEY " + letters, FindStatementHandler);
  constexpr double kEventsPerStatement = 2000;
  Interpreter interpreter(*world.engine);
  for (auto _ : state) StmtKey(interpreter, key);
  state.counters["s_per_event"] =
      benchmark::Counter(kEventsPerStatement, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_KeyTextPerEvent)->Unit(benchmark::kMicrosecond);

// ---- long lines -----------------------------------------------------------

// Cutting a line of N one-letter words into tokens.  Linear in the line's
// length: each token trims only the blanks before it.  The cutter that
// trimmed the whole rest after every token took 81 s for a KEY line of
// 100,000 words and 34 s for a DIM line of 200,000 names (the whole
// program, on a busy 2-core machine); now 0.66 s and 0.42 s there.
void BM_TokenizeLongLine(benchmark::State& state) {
  const int64_t words = state.range(0);
  std::string line;
  for (int64_t i = 0; i < words; ++i) line += "ab ";
  for (auto _ : state) {
    int64_t count = 0;
    for (TokenCursor tokens(line); !tokens.done(); ++count) benchmark::DoNotOptimize(tokens.Next().token);
    if (count != words) state.SkipWithError("wrong token count");
  }
  state.counters["tokens_per_s"] =
      benchmark::Counter(static_cast<double>(words), benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_TokenizeLongLine)->Arg(1000)->Arg(100000)->Unit(benchmark::kMillisecond);

// Loading one DIM line of N names.
void BM_DimLongLine(benchmark::State& state) {
  const int64_t names = state.range(0);
  std::string line = "DIM";
  for (int64_t i = 0; i < names; ++i) line += " %v" + std::to_string(i);
  const std::string macro = Lines({line, "END"});
  for (auto _ : state) {
    World world;
    world.files.Add(kMacroName, macro);
    if (world.Run() != 0) state.SkipWithError("the macro did not load");
  }
  state.counters["names_per_s"] =
      benchmark::Counter(static_cast<double>(names), benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_DimLongLine)->Arg(200000)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace vendrix::bench

BENCHMARK_MAIN();
