// The engine: all state of a running Vendrix, in a few plain records.
//
// One Engine object owns everything the macro language touches: settings,
// the variable table, the loaded macro with its stacks, the held-input
// record and the pacing values.  Routines elsewhere are free functions that
// take the engine first.  There are no globals, so a test builds a fresh
// engine over a fresh simulated desktop in one line.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "desktop/desktop.h"
#include "desktop/keys.h"
#include "engine/builtin_tables.h"
#include "engine/file_slots.h"
#include "engine/function_table.h"
#include "engine/image_slots.h"
#include "engine/settings.h"
#include "engine/shell_hooks.h"
#include "engine/statement_list.h"
#include "platform/platform.h"
#include "values/messages.h"
#include "values/variables.h"

namespace vendrix {

struct Expr;

inline constexpr int kIfStackSize = 64;
inline constexpr int kCallStackSize = 8;
inline constexpr int kForStackSize = 8;
inline constexpr int kIncludeLimit = 4;
inline constexpr int kMaxExpressionDepth = 200;
inline constexpr int kMaxStatementDepth = 64;
// Text files the program reads whole (macros, options, INI, menu, list and
// hotkey files): a bigger one is refused rather than let exhaust memory.
inline constexpr size_t kMaxTextFileBytes = 64u << 20;
// A loaded macro, INCLUDEs expanded: the biggest hand-written or recorded
// macros hold thousands of lines, so a million lines or the text of one
// largest macro file leaves them all room while files that include each
// other line by line cannot multiply into billions.
inline constexpr size_t kMaxLoadedLines = 1000000;
inline constexpr size_t kMaxLoadedBytes = kMaxTextFileBytes;
// A text a macro builds (joined, replaced, formatted): READ gives lines of
// up to 64 MB, so texts made from them may be as large, and no larger.
inline constexpr size_t kMaxTextBytes = 64u << 20;
// Function calls evaluated for one statement, about a second's work.  A
// statement's own text calls at most thousands; only values that hold calls
// of calls multiply beyond that (forty chained values each using the
// previous twice make 2^40).
inline constexpr uint64_t kMaxEvaluationsPerStatement = 1000000;
// The caches of texts parsed at run time hold this much at most, by the
// estimates of what their entries keep.
inline constexpr size_t kRunTimeCacheBytes = 32u << 20;
// How often a long evaluation looks at the break key, in calls.
inline constexpr uint64_t kBreakPollEvaluations = 1u << 16;

// IF block states.
inline constexpr int8_t kIfDone = -1;
inline constexpr int8_t kIfWaiting = 0;
inline constexpr int8_t kIfRunning = 1;

struct IfStack {
  int depth = 0;
  std::array<int8_t, kIfStackSize> entries{};
};

struct CallStack {
  int depth = 0;
  std::array<int, kCallStackSize> entries{};
};

struct ForLoop {
  int variable = -1;
  int32_t step = 1;
  int32_t limit = 0;
  std::string header;  // the FOR statement's text, to find the line again
  // NEXT's way back, found once per loop and NEXT line: from line
  // `backFrom` (-1: not yet) to the FOR line `backTo` (-1: none).
  int backFrom = -1;
  int backTo = -1;
};

struct ForStack {
  int depth = 0;
  std::array<ForLoop, kForStackSize> loops{};
};

// What the run loop's poll schedule keeps between statements.
struct PollState {
  bool owed = false;       // the loop skipped its look after the last statement
  bool effectSeen = false; // the running statement called a function with an effect
};

// The macro being run and its control state.
struct RunState {
  StatementList statements;
  int includeDepth = 0;
  size_t loadedBytes = 0;  // of the statements' texts, across INCLUDEs
  size_t lineLimit = kMaxLoadedLines;  // lowered only by tests
  std::string macroFileName;
  // The line being loaded, for the statements it adds.
  SourcePlace loadingPlace;
  int programCounter = -1;
  IfStack ifs;
  CallStack calls;
  ForStack fors;
  PollState poll;
  bool idle = true;
};

// Pacing and the step display.
struct Pacing {
  int autoDelay = 0;
  bool stepMode = false;
  int stepDelayBefore = 1000;
  int stepDelayAfter = 500;
};

// One registered hotkey of resident mode.
struct HotkeyEntry {
  int hotkeyId = 0;  // 0: its registration failed
  std::string definitionText;
};

// Resident mode's hotkeys, in registration order; empty while not resident.
using HotkeyTable = std::vector<HotkeyEntry>;

inline DesktopState StartupDesktopState(const Settings& settings) {
  DesktopState state;
  state.autoPaste = settings.autoPaste;
  return state;
}

class Engine : public platform::TimerSink, public MacroErrors {
 public:
  explicit Engine(platform::Platform& platform, Settings settings = {});
  ~Engine() override;
  Engine(const Engine&) = delete;
  Engine& operator=(const Engine&) = delete;

  void OnTimer(int timerId) override;
  // A desktop action's error: the error box and the continue question.
  bool AskContinue(std::string_view message) override;

  platform::Platform& platform;
  // Where the run loop says which statement runs (the shell window's).
  platform::RunningStatement& running;
  Settings settings;

  std::string programFolder;
  std::string caption{msg::kCaption};
  bool residentMode = false;

  BuiltinTables builtins;
  VariableTable variables;
  RunState run;
  InputState input;
  Pacing pacing;
  DesktopState desktop = StartupDesktopState(settings);
  HotkeyTable hotkeys;
  // The shell of menu and resident mode; none in file mode and in tests of
  // the engine alone.
  ShellHooks* shell = nullptr;
  KeyNameTable keyNames;
  FileSlots fileSlots;
  ImageSlots imageSlots;
  // The state of "random"; taken from the clock at start, so a fixed clock
  // gives the same numbers.
  uint32_t randomSeed = 0;
  std::vector<std::string> hotkeyLines;
  std::string hotkeyFileName;           // where hotkeyLines were read
  std::vector<int> hotkeyLineNumbers;  // their lines in it

  // Parsed forms of texts that are built at run time (one-line IF bodies
  // aside, which their IF line keeps): bounded, cleared when full.
  std::unordered_map<std::string, std::shared_ptr<const Statement>, TextHash, std::equal_to<>> builtStatements;
  std::unordered_map<std::string, std::shared_ptr<const Expr>, TextHash, std::equal_to<>> dynamicExprs;

  // What the two caches above hold, by the estimates of what their
  // entries keep.
  size_t builtStatementBytes = 0;
  size_t dynamicExprBytes = 0;

  // Grows at every read of outside text (a variable that holds it, or a
  // function that brings it in), so an OutsideTextWatch can tell whether an
  // evaluation touched any.
  uint64_t outsideTextReads = 0;

  // Recursion guards for input-controlled nesting.
  int expressionDepth = 0;
  int statementDepth = 0;
  // Function calls evaluated since the current statement began.
  uint64_t evaluations = 0;
};

// A fatal error when a text of `size` bytes would pass kMaxTextBytes;
// `what` names the operation in the message.
void CheckTextSize(Engine& engine, uint64_t size, std::string_view what);

// What the desktop actions need of the engine, for one call.
inline DesktopContext DesktopOf(Engine& engine) {
  return {engine.platform, engine.settings.useSendInput, engine.input, engine.desktop, engine};
}

// Reads the joysticks (ReadJoystick's modes) into the declared joystick
// variables.
void ReadJoystickVariables(Engine& engine, int mode);

}  // namespace vendrix
