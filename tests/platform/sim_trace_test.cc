#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "platform/sim/sim_desktop.h"
#include "platform/sim/sjis_utf8.h"
#include "sim_test_support.h"

namespace vendrix::sim {
namespace {

using nlohmann::json;

// "Err" and a full-width colon, in Shift-JIS and in UTF-8.
constexpr std::string_view kErrSjis = "Err\x81\x46";
constexpr std::string_view kErrUtf8 = "Err\xEF\xBC\x9A";

std::vector<json> ParseLines(const std::string& text) {
  std::vector<json> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(json::parse(line));
  return lines;
}

TEST(SimTrace, EveryLineIsOneJsonObjectWithTimeAndCall) {
  std::ostringstream out;
  SimDesktop desktop(R"({"answers": ["NO"]})");
  desktop.SetTraceStream(&out);
  desktop.dialogs().MessageBox(kErrSjis, "Vendrix", platform::kMbYesNo);
  desktop.clock().Sleep(250);
  desktop.clock().TickCount();
  desktop.input().GetAsyncKeyState(27);

  const std::vector<json> lines = ParseLines(out.str());
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_EQ(lines[0], json::parse(R"({"t": 0, "call": "MessageBoxA", "text": "Err\uFF1A",
      "caption": "Vendrix", "flags": 4, "answer": "NO"})"));
  EXPECT_EQ(lines[1], json::parse(R"({"t": 0, "call": "Sleep", "ms": 250})"));
  EXPECT_EQ(lines[2], json::parse(R"({"t": 250, "call": "timeGetTime", "result": 250})"));
  EXPECT_EQ(lines[3], json::parse(R"({"t": 250, "call": "GetAsyncKeyState", "vk": 27, "result": 0})"));
  // "t" and "call" lead each line, for people reading it.
  EXPECT_EQ(out.str().rfind(R"({"t":0,"call":"MessageBoxA",)", 0), 0u);
}

TEST(SimTrace, InputCallsCarryTheirArguments) {
  SimDesktop desktop;
  desktop.KeepTrace(true);
  auto& input = desktop.input();
  input.BlockInput(true);
  input.SendKeyboardInput(0x2D, 0x52, 1, 7);
  input.SendMouseInput(1, -2, 120, 0x0800, 0);
  input.KeybdEvent(0x41, 0, 2, 0);
  input.MouseEvent(2, 0, 0, 0, 9);
  input.MapVirtualKey(0x41, 0);
  input.VkKeyScan('A');
  input.GetKeyState(16);

  const std::vector<json> expected = {
      json::parse(R"({"t":0,"call":"BlockInput","block":true})"),
      json::parse(R"({"t":0,"call":"SendInput","type":"keyboard","vk":45,"scan":82,"flags":1,"extra":7})"),
      json::parse(R"({"t":0,"call":"SendInput","type":"mouse","dx":1,"dy":-2,"data":120,"flags":2048,"extra":0})"),
      json::parse(R"({"t":0,"call":"keybd_event","vk":65,"scan":0,"flags":2,"extra":0})"),
      json::parse(R"({"t":0,"call":"mouse_event","flags":2,"dx":0,"dy":0,"data":0,"extra":9})"),
      json::parse(R"({"t":0,"call":"MapVirtualKeyA","code":65,"map_type":0,"result":30})"),
      json::parse(R"({"t":0,"call":"VkKeyScanA","char":65,"result":321})"),
      json::parse(R"({"t":0,"call":"GetKeyState","vk":16,"result":0})"),
  };
  EXPECT_EQ(desktop.Trace(), expected);
}

TEST(SimTrace, TimersShowWhenTheyTick) {
  SimDesktop desktop(R"({"answers": [{"button": "OK", "after": 250}]})");
  testing::RecordingSink sink(desktop);
  desktop.KeepTrace(true);
  desktop.messages().SetTimer(1, 100);
  desktop.messages().SetTimer(2, 150);
  desktop.messages().ProcessMessages();  // nothing due: no line
  desktop.clock().Sleep(300);
  desktop.messages().ProcessMessages();
  desktop.messages().KillTimer(2);
  desktop.dialogs().MessageBox("a", "b", platform::kMbOk);

  const std::vector<json> expected = {
      json::parse(R"({"t":0,"call":"SetTimer","id":1,"period":100})"),
      json::parse(R"({"t":0,"call":"SetTimer","id":2,"period":150})"),
      json::parse(R"({"t":0,"call":"Sleep","ms":300})"),
      json::parse(R"({"t":300,"call":"ProcessMessages","timers":[1,2]})"),
      json::parse(R"({"t":300,"call":"WM_TIMER","id":1})"),
      json::parse(R"({"t":300,"call":"WM_TIMER","id":2})"),
      json::parse(R"({"t":300,"call":"KillTimer","id":2})"),
      json::parse(R"({"t":300,"call":"MessageBoxA","text":"a","caption":"b","flags":0,"answer":"OK"})"),
      json::parse(R"({"t":400,"call":"WM_TIMER","id":1})"),
      json::parse(R"({"t":500,"call":"WM_TIMER","id":1})"),
  };
  EXPECT_EQ(desktop.Trace(), expected);
}

TEST(SimTrace, StepDisplayAndScreen) {
  SimDesktop desktop(R"({"screen": {"width": 1920, "height": 1080}})");
  desktop.KeepTrace(true);
  desktop.shellWindow().ShowStepDisplay({10, 20, 300, 400}, 12);
  desktop.shellWindow().AppendStepLine(kErrSjis);
  desktop.shellWindow().HideStepDisplay(120, 40);
  EXPECT_EQ(desktop.display().ScreenWidth(), 1920);
  EXPECT_EQ(desktop.display().ScreenHeight(), 1080);

  const std::vector<json> expected = {
      json::parse(R"({"t":0,"call":"ShowStepDisplay","left":10,"top":20,"width":300,"height":400,"font_size":12})"),
      json{{"t", 0}, {"call", "AppendStepLine"}, {"line", kErrUtf8}},
      json::parse(R"({"t":0,"call":"HideStepDisplay","width":120,"height":40})"),
      json::parse(R"({"t":0,"call":"GetSystemMetrics","index":0,"result":1920})"),
      json::parse(R"({"t":0,"call":"GetSystemMetrics","index":1,"result":1080})"),
  };
  EXPECT_EQ(desktop.Trace(), expected);

  const StepDisplayState& step = desktop.StepDisplay();
  EXPECT_FALSE(step.shown);
  EXPECT_EQ(step.rect.width, 300);
  EXPECT_EQ(step.fontSize, 12);
  EXPECT_EQ(step.menuWidth, 120);
  ASSERT_EQ(step.lines.size(), 1u);
  EXPECT_EQ(step.lines[0], kErrSjis);  // kept as the program's own bytes
}

TEST(SimTrace, NothingIsKeptUnlessAsked) {
  SimDesktop desktop;
  desktop.clock().Sleep(5);
  EXPECT_TRUE(desktop.Trace().empty());
  desktop.KeepTrace(true);
  desktop.clock().Sleep(5);
  EXPECT_EQ(desktop.Trace().size(), 1u);
}

TEST(SjisUtf8, ConvertsBothWays) {
  struct Case {
    std::string_view sjis;
    std::string_view utf8;
  };
  const Case cases[] = {
      {"", ""},
      {"plain \\ ~", "plain \\ ~"},
      {kErrSjis, kErrUtf8},
      {"\x83\x7D\x83\x4E\x83\x8D", "\xE3\x83\x9E\xE3\x82\xAF\xE3\x83\xAD"},  // katakana "makuro"
      {"\xB1", "\xEF\xBD\xB1"},                                              // half-width katakana
      {"\x87\x40", "\xE2\x91\xA0"},                                          // NEC circled digit one
  };
  for (const Case& c : cases) {
    EXPECT_EQ(SjisToUtf8(c.sjis), c.utf8);
    EXPECT_EQ(Utf8ToSjis(c.utf8), c.sjis);
  }
}

TEST(SjisUtf8, BadInputIsReplacedNotDropped) {
  EXPECT_EQ(SjisToUtf8("a\x81"), "a\xEF\xBF\xBD");          // lead byte at the end
  EXPECT_EQ(SjisToUtf8("\xFD" "b"), "\xEF\xBF\xBD" "b");    // never a Shift-JIS byte
  EXPECT_EQ(Utf8ToSjis("\xF0\x9F\x98\x80!"), "?!");          // emoji: not in code page 932
  EXPECT_EQ(Utf8ToSjis("x\xC3"), "x?");                      // cut-off sequence
}

}  // namespace
}  // namespace vendrix::sim
