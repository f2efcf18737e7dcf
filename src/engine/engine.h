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

#include "desktop/keys.h"
#include "engine/file_slots.h"
#include "engine/image_slots.h"
#include "engine/messages.h"
#include "engine/settings.h"
#include "engine/shell_hooks.h"
#include "engine/statement_list.h"
#include "platform/platform.h"
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

// IF block states.
inline constexpr int8_t kIfDone = -1;
inline constexpr int8_t kIfWaiting = 0;
inline constexpr int8_t kIfRunning = 1;

inline constexpr int kWatchdogTimer = 2;
inline constexpr uint32_t kWatchdogPeriodMs = 1000;

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
  std::shared_ptr<const Statement> backJump;  // "GOTOBEFORE " + header, parsed once
};

struct ForStack {
  int depth = 0;
  std::array<ForLoop, kForStackSize> loops{};
};

// The macro being run and its control state.
struct RunState {
  StatementList statements;
  int includeDepth = 0;
  std::string macroFileName;
  int programCounter = -1;
  IfStack ifs;
  CallStack calls;
  ForStack fors;
  bool idle = true;
};

// Input the program holds or blocks.
struct InputState {
  bool heldButtonLeft = false;
  bool heldButtonRight = false;
  std::array<bool, 256> heldKeys{};
  int blockLevel = 0;
  int breakKey = 0x1B;
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

// What the desktop statements set; kept from run to run.
struct DesktopState {
  int32_t originX = 0;
  int32_t originY = 0;
  std::string pasteKey;
  bool autoPaste = false;
  // The last foreground-window rectangle getheight/getwidth could read.
  platform::WindowRect measured;
};

inline DesktopState StartupDesktopState(const Settings& settings) {
  DesktopState state;
  state.autoPaste = settings.autoPaste;
  return state;
}

class Engine : public platform::TimerSink {
 public:
  explicit Engine(platform::Platform& platform, Settings settings = {});
  ~Engine() override;
  Engine(const Engine&) = delete;
  Engine& operator=(const Engine&) = delete;

  void OnTimer(int timerId) override;

  platform::Platform& platform;
  Settings settings;

  std::string programFolder;
  std::string caption{msg::kCaption};
  bool residentMode = false;

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

  // Parsed forms of texts that are built at run time (one-line IF bodies
  // aside, which their IF line keeps): bounded, cleared when full.
  std::unordered_map<std::string, std::shared_ptr<const Statement>, TextHash, std::equal_to<>> builtStatements;
  std::unordered_map<std::string, std::shared_ptr<const Expr>, TextHash, std::equal_to<>> dynamicExprs;

  // Recursion guards for input-controlled nesting.
  int expressionDepth = 0;
  int statementDepth = 0;
};

}  // namespace vendrix
