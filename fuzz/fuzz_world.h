// The world a fuzz input runs in: a fresh engine over a simulated desktop,
// files in memory, and budgets that end every run.
//
// The program bounds the work and memory of everything a macro does once:
// a text, a loaded macro, the evaluation of one statement, a capture, the
// caches (see the limits in docs/language.md); passing a bound is a fatal
// error with its own message.  What no bound of the program can stop is a
// macro that goes on for ever: ":a" then "GOTO :a" is a fine program, as is
// a wait for ever or a loop that stores ever more variables.  Only those
// are the macro's doing, so the harness bounds them, and nothing else:
//   - the user presses the break key (Escape) at 5 virtual seconds and holds
//     it, so every wait that watches the break key ends;
//   - a cost budget: the desktop is told as each statement starts, and
//     each is charged the work the program let it do (its function calls;
//     a screen capture by its size);
//   - a virtual-time budget: a Sleep that takes the clock past the limit;
//   - a live-heap budget (memory_limit.cc) for the sum of many bounded
//     things, which throws MemoryBudgetSpent.
// A spent budget ends the run with ProgramEnd{kBudgetSpent}, as ending the
// program would.
//
// Everything else is a finding: a single allocation larger than any bound
// of the program allows aborts at once (memory_limit.cc), and any other
// std::bad_alloc leaves the target as a crash.  An input that runs past
// libFuzzer's timeout is a finding too, since every statement's work is
// bounded and the statement count is charged here.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <new>
#include <optional>
#include <string>
#include <string_view>

#include "builtins/builtins.h"
#include "engine/engine.h"
#include "engine/program_end.h"
#include "platform/platform.h"
#include "platform/sim/memory_files.h"
#include "platform/sim/memory_host.h"
#include "platform/sim/sim_desktop.h"
#include "platform/sim/sim_dry_run.h"

namespace vendrix::fuzz {

// Escape goes down at 5 s of virtual time and stays down.
// Something of every kind on the desktop, so the window, program and
// joystick statements reach past their failure paths.  The screen is small:
// every capture, picture search and pixel read costs its size, and a macro
// may capture the whole screen in a loop thousands of times.
inline constexpr std::string_view kDesktopJson = R"({"keys":[{"vk":27,"down":5000}],
  "screen":{"width":64,"height":48,"rects":[{"rect":[8,8,24,20],"colour":"#0000FF"}]},
  "windows":[{"id":100,"title":"fuzz","rect":[0,0,50,40],"thread":7,"caret":[4,4],"focus":101,"ime":false,
              "children":[{"id":101,"rect":[2,10,48,38],"ime":true}]},
             {"id":200,"title":"back","rect":[30,30,90,70],"refuses_foreground":true}],
  "clipboard":"clip","pointer":[20,30],
  "joysticks":[{"id":0,"states":[{"at":0},{"at":1000,"x":0,"buttons":3}]}],
  "programs":[{"command":"x","match":"prefix","runs_ms":300}],
  "documents":[{"file":"d","match":"prefix","runs_ms":200}]})";
inline constexpr std::string_view kMacroName = "C:\\m\\fuzz.mac";
// A second macro, for INCLUDE and CALL to find.
inline constexpr std::string_view kIncludeName = "C:\\m\\sub.mac";
inline constexpr std::string_view kIncludeText = ":sub\r\nDIM %r\r\nSET %r (+ %r 1)\r\nRETURN\r\n";

inline constexpr size_t kMaxInputBytes = 64 * 1024;
// In statements; other work is charged as its cost in statements.  A
// thousand statements run every loop of a macro many times over, and keep
// an input that loops until the budget ends at a few milliseconds: most
// inputs are such loops, so this bound sets the rate of the whole run.
inline constexpr uint64_t kCostBudget = 1000;
// A capture costs a statement per this many pixels: a whole-screen capture
// of the fuzz world's screen (and its JPEG or BMP file) about as much as 200
// statements, which is close to what it takes.
inline constexpr uint64_t kPixelsPerStatement = 16;
// Function calls that cost as much as a statement.
inline constexpr uint64_t kEvaluationsPerStatement = 64;
// Every event of the fuzz desktop happens in its first 5 s, so a wait past
// ten seconds only repeats what it did; a wait for a key polls every key each
// 10 ms, and a minute of that was a quarter of fuzz_evaluate's time.
inline constexpr uint64_t kVirtualTimeLimitMs = 10 * 1000;
inline constexpr int kBudgetSpent = 99;

// Memory budget of memory_limit.cc; in force between Arm and Disarm.
void ArmMemoryLimit();
void DisarmMemoryLimit();

// What the live-heap budget throws; any other std::bad_alloc is a finding.
struct MemoryBudgetSpent : std::bad_alloc {
  const char* what() const noexcept override { return "the fuzz run's live-heap budget is spent"; }
};

// What a run has spent, in statements.
class CostBudget {
 public:
  void Charge(uint64_t cost) {
    spent_ += cost;
    if (armed && spent_ > kCostBudget) throw ProgramEnd{kBudgetSpent};
  }
  bool armed = false;

 private:
  uint64_t spent_ = 0;
};

class BudgetClock final : public platform::Clock {
 public:
  BudgetClock(platform::Clock& inner, const sim::SimDesktop& desktop) : inner_(inner), desktop_(desktop) {}
  void Sleep(uint32_t ms) override {
    inner_.Sleep(ms);
    if (armed && desktop_.NowMs() > kVirtualTimeLimitMs) throw ProgramEnd{kBudgetSpent};
  }
  uint32_t TickCount() override { return inner_.TickCount(); }
  uint64_t SteadyMicroseconds() override { return inner_.SteadyMicroseconds(); }
  bool StandsStillWhileComputing() const override { return inner_.StandsStillWhileComputing(); }
  platform::LocalTime Now() override { return inner_.Now(); }
  bool armed = false;

 private:
  platform::Clock& inner_;
  const sim::SimDesktop& desktop_;
};

class BudgetDisplay final : public platform::Display {
 public:
  BudgetDisplay(platform::Display& inner, CostBudget& budget) : inner_(inner), budget_(budget) {}
  int ScreenWidth() override { return inner_.ScreenWidth(); }
  int ScreenHeight() override { return inner_.ScreenHeight(); }
  std::optional<images::Image> CaptureScreen(const platform::Rect& area) override {
    const uint64_t pixels = uint64_t(std::max(area.width, 0)) * uint64_t(std::max(area.height, 0));
    budget_.Charge(1 + pixels / kPixelsPerStatement);
    return inner_.CaptureScreen(area);
  }
  images::Colour ScreenPixel(platform::Point at) override { return inner_.ScreenPixel(at); }

 private:
  platform::Display& inner_;
  CostBudget& budget_;
};

// Parsed once: reading the description took a fifth of every input's time.
// Each input's desktop starts from a copy.
inline const sim::DesktopDescription& FuzzDesktopDescription() {
  static const sim::DesktopDescription description = sim::ParseDesktopDescription(kDesktopJson);
  return description;
}

struct FuzzWorld {
  FuzzWorld()
      : desktop(FuzzDesktopDescription()),
        clock(desktop.clock(), desktop),
        display(desktop.display(), budget),
        platform{desktop.dialogs(),   clock,              desktop.input(),     desktop.messages(),
                 desktop.shellWindow(), display,           desktop.pointer(),   desktop.windows(),
                 desktop.clipboard(),   desktop.programs(), desktop.sound(),    desktop.joysticks(),
                 files,                 host},
        engine(NewEngine(platform)) {
    files.Add(kIncludeName, kIncludeText);
    // Each statement pays for itself and for the function calls of the
    // statement before it: the engine counts them per statement.
    desktop.SetStatementHook([this] { budget.Charge(1 + engine->evaluations / kEvaluationsPerStatement); });
  }

  // Runs `body` with the budgets in force.  Returns the exit code the
  // program would end with (kBudgetSpent when a budget ran out).
  template <typename Body>
  int RunBounded(Body&& body) {
    clock.armed = budget.armed = true;
    int code = 0;
    ArmMemoryLimit();
    try {
      body();
    } catch (const ProgramEnd& end) {
      code = end.exitCode;
    } catch (const MemoryBudgetSpent&) {
      code = kBudgetSpent;
    } catch (const sim::DryRunEnd& end) {
      // A wait the scripted user never ends, or a question that keeps
      // coming back: the simulated desktop ends the program, as it should.
      code = end.ExitCode();
    }
    DisarmMemoryLimit();
    clock.armed = budget.armed = false;
    engine->run.idle = true;
    return code;
  }

  sim::SimDesktop desktop;
  CostBudget budget;
  BudgetClock clock;
  BudgetDisplay display;
  sim::MemoryFiles files;
  sim::MemoryHost host;
  platform::Platform platform;
  std::unique_ptr<Engine> engine;
};

}  // namespace vendrix::fuzz
