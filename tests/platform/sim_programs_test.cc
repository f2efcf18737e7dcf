// Programs and documents started on the simulated desktop.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/sim/sim_desktop.h"
#include "sim_test_support.h"

namespace vendrix::sim {
namespace {

constexpr const char* kPrograms = R"({
    "programs": [
      {"command": "notepad.exe a.txt", "runs_ms": 500},
      {"command": "calc", "match": "prefix", "runs_ms": 100},
      {"command": "broken.exe", "fails": true},
      {"command": "quick.exe"}],
    "documents": [
      {"file": "a.txt", "runs_ms": 300},
      {"file": "b.html", "process": false},
      {"file": "c.doc", "fails": true}]})";

TEST(SimPrograms, OnlyListedCommandsStart) {
  struct Case {
    const char* command;
    bool starts;
  };
  const Case cases[] = {
      {"notepad.exe a.txt", true}, {"notepad.exe", false},     {"notepad.exe a.txt ", false},
      {"calc", true},              {"calc.exe /x", true},      {"Calc", false},
      {"broken.exe", false},       {"quick.exe", true},        {"", false},
  };
  for (const Case& c : cases) {
    SimDesktop desktop(kPrograms);
    EXPECT_EQ(desktop.programs().StartProgram(c.command) != 0, c.starts) << c.command;
  }
}

TEST(SimPrograms, ProgramsRunForTheirTimeAndWaitingAdvancesTheClock) {
  SimDesktop desktop(kPrograms);
  testing::RecordingSink sink(desktop);
  auto& programs = desktop.programs();
  desktop.messages().SetTimer(1, 100);
  const platform::ProcessId notepad = programs.StartProgram("notepad.exe a.txt");
  const platform::ProcessId calc = programs.StartProgram("calc");
  ASSERT_NE(notepad, 0u);
  ASSERT_NE(calc, notepad);
  EXPECT_EQ(desktop.RunningPrograms(), (std::vector<std::string>{"notepad.exe a.txt", "calc"}));
  desktop.clock().Sleep(99);
  EXPECT_TRUE(programs.ProgramRunning(calc));
  desktop.clock().Sleep(1);
  EXPECT_FALSE(programs.ProgramRunning(calc));
  EXPECT_TRUE(programs.ProgramRunning(notepad));
  programs.WaitForProgram(notepad);
  EXPECT_EQ(desktop.NowMs(), 500u);
  EXPECT_TRUE(sink.ticks.empty()) << "a blocking wait delivers no tick";
  EXPECT_FALSE(programs.ProgramRunning(notepad));
  programs.WaitForProgram(notepad);
  EXPECT_EQ(desktop.NowMs(), 500u) << "waiting for an ended program returns at once";
  EXPECT_EQ(desktop.OpenProgramHandles(), 2u);
  programs.CloseProgram(notepad);
  programs.CloseProgram(calc);
  EXPECT_EQ(desktop.OpenProgramHandles(), 0u);
  EXPECT_FALSE(programs.ProgramRunning(notepad)) << "a closed handle cannot be waited on";
}

TEST(SimPrograms, ClosingTheHandleLeavesTheProgramRunning) {
  SimDesktop desktop(kPrograms);
  const platform::ProcessId id = desktop.programs().StartProgram("notepad.exe a.txt");
  desktop.programs().CloseProgram(id);
  EXPECT_EQ(desktop.RunningPrograms(), (std::vector<std::string>{"notepad.exe a.txt"}));
  desktop.programs().WaitForProgram(id);
  EXPECT_EQ(desktop.NowMs(), 0u) << "no handle, no wait";
  desktop.clock().Sleep(500);
  EXPECT_TRUE(desktop.RunningPrograms().empty());
}

TEST(SimPrograms, DocumentsOpenWithOrWithoutAProcess) {
  struct Case {
    const char* file;
    bool opens;
    bool hasProcess;
  };
  const Case cases[] = {
      {"a.txt", true, true}, {"b.html", true, false}, {"c.doc", false, false}, {"d.pdf", false, false},
  };
  for (const Case& c : cases) {
    SimDesktop desktop(kPrograms);
    platform::ProcessId process = 77;
    EXPECT_EQ(desktop.programs().OpenDocument(c.file, SimDesktop::kMainWindow, &process), c.opens) << c.file;
    EXPECT_EQ(process != 0, c.hasProcess) << c.file;
  }
  SimDesktop desktop(kPrograms);
  platform::ProcessId process = 0;
  ASSERT_TRUE(desktop.programs().OpenDocument("a.txt", SimDesktop::kMainWindow, &process));
  desktop.programs().WaitForProgram(process);
  EXPECT_EQ(desktop.NowMs(), 300u);
}

TEST(SimPrograms, TooManyLiveProgramsCannotStart) {
  SimDesktop desktop(R"({"programs": [{"command": "x", "runs_ms": 10}]})");
  auto& programs = desktop.programs();
  for (size_t i = 0; i < SimDesktop::kMaxProcesses; ++i) ASSERT_NE(programs.StartProgram("x"), 0u) << i;
  EXPECT_EQ(programs.StartProgram("x"), 0u);
  // Ended programs whose handles are closed make room.
  desktop.clock().Sleep(10);
  programs.CloseProgram(0x100);
  EXPECT_NE(programs.StartProgram("x"), 0u);
}

TEST(SimPrograms, TraceRecordsStartsWaitsAndCloses) {
  SimDesktop desktop(kPrograms);
  desktop.KeepTrace(true);
  auto& programs = desktop.programs();
  const platform::ProcessId id = programs.StartProgram("quick.exe");
  programs.StartProgram("nothing.exe");
  programs.ProgramRunning(id);
  programs.CloseProgram(id);
  programs.ProgramRunning(id);
  const auto& trace = desktop.Trace();
  ASSERT_EQ(trace.size(), 5u);
  EXPECT_EQ(trace[0]["call"], "CreateProcessA");
  EXPECT_EQ(trace[0]["command"], "quick.exe");
  EXPECT_EQ(trace[0]["result"], id);
  EXPECT_EQ(trace[1]["result"], 0);
  EXPECT_EQ(trace[2]["result"], "WAIT_OBJECT_0");
  EXPECT_EQ(trace[3], nlohmann::json::parse(R"({"t":0,"call":"CloseHandle","process":)" + std::to_string(id) +
                                            R"(,"result":true})"));
  EXPECT_EQ(trace[4]["result"], "WAIT_FAILED");
}

}  // namespace
}  // namespace vendrix::sim
