// A fresh engine over a fresh simulated desktop, with files in memory.
//
//   TestWorld world;
//   world.AddMacro("DIM %a\r\nSET %a 1\r\n");
//   EXPECT_EQ(world.Run(), 0);
//   EXPECT_EQ(world.Var("%A"), "1");
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include <nlohmann/json.hpp>

#include "builtins/builtins.h"
#include "engine/engine.h"
#include "engine/expression.h"
#include "engine/program_end.h"
#include "engine/run.h"
#include "platform/sim/memory_files.h"
#include "platform/sim/memory_host.h"
#include "platform/sim/sim_desktop.h"
#include "platform/sim/sjis_utf8.h"

namespace vendrix::testing {

inline constexpr std::string_view kMacroName = "C:\\m\\test.mac";

// Shift-JIS bytes of a UTF-8 literal, so tests can be written in Japanese.
inline std::string Sjis(std::string_view utf8) { return sim::Utf8ToSjis(utf8); }
inline std::string Utf8(std::string_view sjis) { return sim::SjisToUtf8(sjis); }

class TestWorld {
 public:
  explicit TestWorld(std::string_view desktopJson = "{}", Settings settings = {})
      : desktop(desktopJson),
        platform{desktop.PlatformWith(files, host)},
        engine(NewEngine(platform, settings)) {
    desktop.KeepTrace(true);
  }

  // A macro written as UTF-8 lines; lines end with CR LF.
  void AddMacro(const std::vector<std::string>& lines, std::string_view name = kMacroName) {
    std::string bytes;
    for (const std::string& line : lines) bytes += Sjis(line) + "\r\n";
    files.Add(name, bytes);
  }

  // Runs a macro file; returns the exit code the program would end with.
  int Run(std::string_view name = kMacroName) {
    try {
      RunMacro(*engine, std::string(name));
      return 0;
    } catch (const ProgramEnd& end) {
      EndRunAfterError();
      return end.exitCode;
    }
  }

  int RunLines(const std::vector<std::string>& lines) {
    AddMacro(lines);
    return Run();
  }

  // A variable's value as UTF-8, or "<undeclared>".
  std::string Var(std::string_view name) {
    int index = engine->variables.Find(Sjis(name));
    return index < 0 ? "<undeclared>" : Utf8(engine->variables.Value(index));
  }

  std::string Eval(std::string_view utf8Operand) { return Utf8(EvaluateText(*engine, Sjis(utf8Operand))); }

  // The texts of the message boxes shown, in UTF-8.
  std::vector<std::string> Boxes() const { return CallsOf("MessageBoxA", "text"); }

  std::vector<std::string> CallsOf(std::string_view call, std::string_view field) const {
    std::vector<std::string> out;
    for (const nlohmann::json& entry : desktop.Trace()) {
      if (entry.value("call", "") == call) out.push_back(entry[std::string(field)].dump());
    }
    for (std::string& text : out) {
      if (!text.empty() && text.front() == '"') text = nlohmann::json::parse(text).get<std::string>();
    }
    return out;
  }

  int CountCalls(std::string_view call) const { return static_cast<int>(CallsOf(call, "call").size()); }

  sim::SimDesktop desktop;
  sim::MemoryFiles files;
  sim::MemoryHost host;
  platform::Platform platform;
  std::unique_ptr<Engine> engine;

 private:
  void EndRunAfterError() { engine->run.idle = true; }
};

}  // namespace vendrix::testing
