// The pointer, the clipboard, other programs, sound and joysticks.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/sim/sim_desktop.h"
#include "platform/sim/sjis_utf8.h"
#include "sim_test_support.h"

namespace vendrix::sim {
namespace {

using platform::Point;

TEST(SimPointer, SetCursorPosKeepsThePointerOnTheScreen) {
  SimDesktop desktop(R"({"screen": {"width": 800, "height": 600}, "pointer": [5, 6]})");
  EXPECT_EQ(desktop.pointer().GetCursorPos().x, 5);
  EXPECT_EQ(desktop.pointer().GetCursorPos().y, 6);
  struct Case {
    Point asked;
    Point landed;
  };
  const Case cases[] = {
      {{10, 20}, {10, 20}},    {{799, 599}, {799, 599}}, {{800, 600}, {799, 599}},
      {{-5, 300}, {0, 300}},   {{2147483647, -2147483647 - 1}, {799, 0}},
  };
  for (const Case& c : cases) {
    desktop.pointer().SetCursorPos(c.asked);
    const Point at = desktop.pointer().GetCursorPos();
    EXPECT_EQ(at.x, c.landed.x) << c.asked.x;
    EXPECT_EQ(at.y, c.landed.y) << c.asked.y;
  }
}

TEST(SimPointer, InjectedMouseMovesMoveThePointer) {
  SimDesktop desktop(R"({"screen": {"width": 800, "height": 600}, "pointer": [100, 100]})");
  constexpr uint32_t kMove = 0x0001;
  constexpr uint32_t kAbsolute = 0x8000;
  struct Case {
    int32_t dx;
    int32_t dy;
    uint32_t flags;
    Point landed;
  };
  const Case cases[] = {
      {10, -20, kMove, {110, 80}},
      {10, 10, platform::kMouseEventLeftDown, {110, 80}},  // no move flag: stays
      {-1000, 1000, kMove, {0, 599}},
      {32768, 32768, kMove | kAbsolute, {400, 300}},
      {65535, 0, kMove | kAbsolute, {799, 0}},
  };
  for (const Case& c : cases) {
    desktop.input().SendMouseInput(c.dx, c.dy, 0, c.flags, 0);
    EXPECT_EQ(desktop.PointerAt().x, c.landed.x) << c.dx;
    EXPECT_EQ(desktop.PointerAt().y, c.landed.y) << c.dy;
  }
  desktop.input().MouseEvent(kMove, 5, 5, 0, 0);
  EXPECT_EQ(desktop.PointerAt().x, 799);
  EXPECT_EQ(desktop.PointerAt().y, 5);
}

TEST(SimClipboard, HoldsTextUntilEmptied) {
  SimDesktop desktop(R"({"clipboard": "はじめ"})");
  auto& clipboard = desktop.clipboard();
  EXPECT_EQ(clipboard.GetText(), Utf8ToSjis("はじめ"));
  clipboard.SetText("next");
  EXPECT_EQ(clipboard.GetText(), "next");
  EXPECT_EQ(desktop.ClipboardText(), std::optional<std::string>("next"));
  clipboard.Clear();
  EXPECT_EQ(clipboard.GetText(), "");
  EXPECT_FALSE(desktop.ClipboardText().has_value());
  clipboard.SetText(std::string("a\0b", 3));
  EXPECT_EQ(clipboard.GetText(), "a") << "text ends at its first NUL";
  SimDesktop empty;
  EXPECT_EQ(empty.clipboard().GetText(), "");
}

TEST(SimClipboard, TraceShowsTextsAndNoText) {
  SimDesktop desktop;
  desktop.KeepTrace(true);
  desktop.clipboard().GetText();
  desktop.clipboard().SetText(Utf8ToSjis("日本"));
  desktop.clipboard().GetText();
  desktop.clipboard().Clear();
  const auto& trace = desktop.Trace();
  ASSERT_EQ(trace.size(), 4u);
  EXPECT_EQ(trace[0], nlohmann::json::parse(R"({"t":0,"call":"GetClipboardData","result":null})"));
  EXPECT_EQ(trace[1], nlohmann::json::parse(R"({"t":0,"call":"SetClipboardData","text":"日本"})"));
  EXPECT_EQ(trace[2], nlohmann::json::parse(R"({"t":0,"call":"GetClipboardData","result":"日本"})"));
  EXPECT_EQ(trace[3], nlohmann::json::parse(R"({"t":0,"call":"EmptyClipboard"})"));
}

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

TEST(SimSound, BeepTakesItsTimeUnlessTheToneIsRefused) {
  struct Case {
    uint32_t frequency;
    uint32_t ms;
    uint64_t after;
  };
  const Case cases[] = {
      {440, 250, 250}, {37, 10, 10}, {32767, 10, 10}, {36, 10, 0}, {32768, 10, 0}, {1000, 0, 0},
  };
  for (const Case& c : cases) {
    SimDesktop desktop;
    desktop.sound().Beep(c.frequency, c.ms);
    EXPECT_EQ(desktop.NowMs(), c.after) << c.frequency;
  }
}

TEST(SimJoysticks, StateFollowsVirtualTime) {
  SimDesktop desktop(R"({"joysticks": [
      {"id": 0, "states": [{"at": 100, "x": 0, "buttons": 1}, {"at": 200, "x": 65535, "z": 5}]},
      {"id": 1}]})");
  auto& joysticks = desktop.joysticks();
  struct Step {
    uint32_t sleep;
    uint32_t x;
    uint32_t z;
    uint32_t buttons;
  };
  const Step steps[] = {
      {0, 32767, 32767, 0},  // before the first sample: centred
      {100, 0, 32767, 1},
      {99, 0, 32767, 1},
      {1, 65535, 5, 0},      // a sample replaces the whole state
      {100000, 65535, 5, 0},
  };
  for (const Step& s : steps) {
    desktop.clock().Sleep(s.sleep);
    const auto state = joysticks.Read(0);
    ASSERT_TRUE(state.has_value());
    EXPECT_EQ(state->x, s.x) << desktop.NowMs();
    EXPECT_EQ(state->z, s.z) << desktop.NowMs();
    EXPECT_EQ(state->buttons, s.buttons) << desktop.NowMs();
  }
  ASSERT_TRUE(joysticks.Read(1).has_value());
  EXPECT_EQ(joysticks.Read(1)->y, 32767u);
  for (int absent : {-1, 2, 15}) EXPECT_FALSE(joysticks.Read(absent).has_value()) << absent;
  SimDesktop none;
  EXPECT_FALSE(none.joysticks().Read(0).has_value());
}

}  // namespace
}  // namespace vendrix::sim
