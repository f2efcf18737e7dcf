#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/sim/sim_desktop.h"
#include "platform/sim/sjis_utf8.h"

namespace vendrix::sim {
namespace {

using platform::kWmChar;
using platform::kWmImeChar;
using platform::kWmPaste;
using platform::Point;
using platform::WindowId;

// Two overlapping windows: 100 (an editor with an edit child holding a
// nested pane) in front of 200; 300 minimised over both.
constexpr const char* kDesk = R"({
    "windows": [
      {"id": 100, "title": "メモ帳", "rect": [0, 0, 400, 300], "thread": 7, "caret": [5, 6], "focus": 101,
       "ime": false,
       "children": [{"id": 101, "rect": [10, 30, 390, 290], "ime": true,
                     "children": [{"id": 102, "rect": [20, 40, 60, 80]}]}]},
      {"id": 200, "title": "Calc", "rect": [200, 100, 600, 500], "thread": 8},
      {"id": 300, "title": "Calc", "rect": [0, 0, 1000, 700], "thread": 9, "iconic": true},
      {"id": 400, "title": "Locked", "rect": [700, 600, 800, 700], "thread": 10, "refuses_foreground": true}],
    "foreground": 100})";

TEST(SimWindows, FindWindowMatchesWholeTitlesFrontFirst) {
  SimDesktop desktop(kDesk);
  struct Case {
    std::string title;
    WindowId found;
  };
  const Case cases[] = {
      {Utf8ToSjis("メモ帳"), 100},
      {"Calc", 200},  // 200 is in front of 300
      {"Vendrix V0.74a", SimDesktop::kMainWindow},
      {"Cal", 0},
      {"calc", 0},
      {"", 0},
  };
  for (const Case& c : cases) EXPECT_EQ(desktop.windows().FindWindowByTitle(c.title), c.found) << c.title;
  desktop.windows().BringWindowToTop(300);
  EXPECT_EQ(desktop.windows().FindWindowByTitle("Calc"), 300u);
}

TEST(SimWindows, WindowFromPointFindsTheDeepestWindowInFront) {
  SimDesktop desktop(kDesk);
  struct Case {
    Point where;
    WindowId found;
  };
  const Case cases[] = {
      {{0, 0}, 100},       // the frame, outside the child
      {{15, 35}, 101},     // the edit child
      {{20, 40}, 102},     // the nested pane, top-left edge inclusive
      {{60, 80}, 101},     // right and bottom edges are outside
      {{399, 299}, 100},
      {{300, 200}, 101},   // 100 and 200 overlap: 100 is in front
      {{500, 200}, 200},
      {{900, 650}, 0},     // only the minimised 300 would cover it
      {{-1, 0}, 0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(desktop.windows().WindowFromPoint(c.where), c.found) << c.where.x << "," << c.where.y;
  }
  // Raising 200 puts it over the overlap; raising a child raises its window.
  desktop.windows().BringWindowToTop(200);
  EXPECT_EQ(desktop.windows().WindowFromPoint({300, 200}), 200u);
  EXPECT_EQ(desktop.Foreground(), 100u) << "BringWindowToTop changes the z-order only";
  EXPECT_TRUE(desktop.windows().BringWindowToTop(102));
  EXPECT_EQ(desktop.windows().WindowFromPoint({300, 200}), 101u);
  EXPECT_FALSE(desktop.windows().BringWindowToTop(999));
}

TEST(SimWindows, ForegroundLockProtectsOnlyRefusingWindows) {
  struct Case {
    const char* name;
    WindowId target;
    uint32_t lockMs;
    bool attachToFront;
    bool succeeds;
  };
  const Case cases[] = {
      {"plain window", 200, 200000, false, true},
      {"refusing, locked", 400, 200000, false, false},
      {"refusing, lock off", 400, 0, false, true},
      {"refusing, attached to the front thread", 400, 200000, true, true},
      {"child window", 101, 0, false, false},
      {"no window", 999, 0, false, false},
  };
  for (const Case& c : cases) {
    SimDesktop desktop(kDesk);
    auto& windows = desktop.windows();
    windows.SetForegroundLockTimeout(c.lockMs);
    if (c.attachToFront) {
      ASSERT_TRUE(windows.AttachThreadInput(SimDesktop::kProgramThread, 7, true));
    }
    EXPECT_EQ(windows.SetForegroundWindow(c.target), c.succeeds) << c.name;
    EXPECT_EQ(windows.GetForegroundWindow(), c.succeeds ? c.target : 100u) << c.name;
    EXPECT_EQ(desktop.ZOrder().front(), c.succeeds ? c.target : 100u) << c.name;
  }
}

TEST(SimWindows, ProgramInFrontMayHandTheForegroundOn) {
  SimDesktop desktop(kDesk);
  auto& windows = desktop.windows();
  EXPECT_EQ(windows.GetActiveWindow(), 0u);
  ASSERT_TRUE(windows.SetForegroundWindow(SimDesktop::kMainWindow));
  EXPECT_EQ(windows.GetActiveWindow(), SimDesktop::kMainWindow);
  EXPECT_EQ(windows.GetFocus(), SimDesktop::kMainWindow);
  // The main window is in front, so even a refusing window may come forward.
  ASSERT_TRUE(windows.SetForegroundWindow(400));
  EXPECT_EQ(windows.GetActiveWindow(), 0u) << "the program's thread is no longer active";
  ASSERT_TRUE(windows.SetForegroundWindow(SimDesktop::kMainWindow));
  EXPECT_EQ(windows.GetActiveWindow(), SimDesktop::kMainWindow);
}

TEST(SimWindows, FocusAndCaretNeedAnAttachedThread) {
  SimDesktop desktop(kDesk);
  auto& windows = desktop.windows();
  EXPECT_EQ(windows.GetFocus(), 0u);
  EXPECT_FALSE(windows.GetCaretPos().has_value());
  const uint32_t front = windows.WindowThreadId(windows.GetForegroundWindow());
  ASSERT_EQ(front, 7u);
  ASSERT_TRUE(windows.AttachThreadInput(windows.GetCurrentThreadId(), front, true));
  EXPECT_EQ(windows.GetFocus(), 101u);
  ASSERT_TRUE(windows.GetCaretPos().has_value());
  EXPECT_EQ(windows.GetCaretPos()->x, 5);
  EXPECT_EQ(windows.GetCaretPos()->y, 6);
  EXPECT_EQ(windows.GetActiveWindow(), 100u) << "the shared input state's active window";
  ASSERT_TRUE(windows.AttachThreadInput(windows.GetCurrentThreadId(), front, false));
  EXPECT_EQ(windows.GetFocus(), 0u);
  EXPECT_FALSE(windows.GetCaretPos().has_value());
  // A window with no caret gives none even when attached.
  ASSERT_TRUE(windows.SetForegroundWindow(200));
  ASSERT_TRUE(windows.AttachThreadInput(SimDesktop::kProgramThread, 8, true));
  EXPECT_EQ(windows.GetFocus(), 200u) << "focus defaults to the window itself";
  EXPECT_FALSE(windows.GetCaretPos().has_value());
}

TEST(SimWindows, AttachThreadInputRules) {
  SimDesktop desktop(kDesk);
  auto& windows = desktop.windows();
  struct Step {
    uint32_t thread;
    uint32_t to;
    bool attach;
    bool result;
  };
  const Step steps[] = {
      {1, 1, true, false},    // to itself
      {1, 55, true, false},   // no such thread
      {1, 7, false, false},   // not attached yet
      {1, 7, true, true},
      {7, 1, true, true},     // the same pair, either way round
      {7, 1, false, true},
      {1, 7, false, false},   // already detached
      {7, 8, true, true},
      {8, 9, true, true},
  };
  for (const Step& s : steps) {
    EXPECT_EQ(windows.AttachThreadInput(s.thread, s.to, s.attach), s.result) << s.thread << "->" << s.to;
  }
  EXPECT_TRUE(desktop.ThreadsShareInput(7, 9)) << "attachments chain";
  EXPECT_FALSE(desktop.ThreadsShareInput(1, 9));
}

TEST(SimWindows, MinimiseAndRestore) {
  SimDesktop desktop(kDesk);
  auto& windows = desktop.windows();
  EXPECT_TRUE(windows.IsIconic(300));
  EXPECT_EQ(windows.GetWindowRect(300)->left, -32000);
  EXPECT_TRUE(windows.ShowWindow(300, platform::kSwRestore));
  EXPECT_FALSE(windows.IsIconic(300));
  EXPECT_EQ(windows.GetWindowRect(300)->right, 1000);
  EXPECT_EQ(windows.WindowFromPoint({900, 650}), 300u) << "restored, it covers the point again";
  EXPECT_TRUE(windows.ShowWindow(200, 6));  // SW_MINIMIZE
  EXPECT_TRUE(windows.IsIconic(200));
  EXPECT_TRUE(windows.ShowWindow(200, 5));  // SW_SHOW leaves it minimised
  EXPECT_TRUE(windows.IsIconic(200));
  EXPECT_FALSE(windows.ShowWindow(999, platform::kSwRestore));
  EXPECT_FALSE(windows.IsIconic(999));
  EXPECT_FALSE(windows.GetWindowRect(0).has_value());
  const platform::WindowRect child = *windows.GetWindowRect(102);
  EXPECT_EQ(child.left, 20);
  EXPECT_EQ(child.bottom, 80);
}

TEST(SimWindows, TitlesAreCutInBytes) {
  SimDesktop desktop(kDesk);
  auto& windows = desktop.windows();
  const std::string title = Utf8ToSjis("メモ帳");  // six bytes
  ASSERT_EQ(windows.WindowTitleLength(100), 6);
  struct Case {
    int size;
    std::string result;
  };
  const Case cases[] = {
      {-1, ""}, {0, ""}, {1, ""}, {2, title.substr(0, 1)},  // half a character
      {6, title.substr(0, 5)}, {7, title}, {256, title},
  };
  for (const Case& c : cases) EXPECT_EQ(windows.WindowTitle(100, c.size), c.result) << c.size;
  EXPECT_EQ(windows.WindowTitleLength(0), 0);
  EXPECT_EQ(windows.WindowTitle(999, 256), "");
}

TEST(SimWindows, MessagesTypeIntoTheWindow) {
  SimDesktop desktop(R"({"windows": [{"id": 5, "text": "a"}], "clipboard": "貼"})");
  auto& windows = desktop.windows();
  const std::string ka = Utf8ToSjis("か");
  const auto lead = static_cast<unsigned char>(ka[0]);
  const auto trail = static_cast<unsigned char>(ka[1]);
  struct Step {
    uint32_t message;
    uintptr_t wParam;
    std::string appended;
  };
  const Step steps[] = {
      {kWmChar, 'b', "b"},
      {kWmChar, 0x100 + 'c', "c"},  // only the low byte is a character
      {kWmImeChar, lead * 256u + trail, ka},
      {kWmImeChar, 'd', "d"},
      {kWmImeChar, 0xFF, "\xFF"},
      {kWmPaste, 0, Utf8ToSjis("貼")},
      {0x0010, 0, ""},  // WM_CLOSE: nothing to type
  };
  std::string expected = "a";
  for (const Step& s : steps) {
    windows.SendWindowMessage(5, s.message, s.wParam, 0);
    expected += s.appended;
    EXPECT_EQ(desktop.WindowText(5), expected) << s.message;
  }
  EXPECT_EQ(windows.SendWindowMessage(999, kWmChar, 'x', 0), 0);
  EXPECT_EQ(desktop.WindowText(999), "");
}

TEST(SimWindows, PasteStopsAtNulAndEmptyClipboardPastesNothing) {
  SimDesktop desktop(R"({"windows": [{"id": 5}]})");
  desktop.windows().SendWindowMessage(5, kWmPaste, 0, 0);
  EXPECT_EQ(desktop.WindowText(5), "");
  desktop.clipboard().SetText(std::string("ab\0cd", 5));
  desktop.windows().SendWindowMessage(5, kWmPaste, 0, 0);
  EXPECT_EQ(desktop.WindowText(5), "ab");
}

// Character mode sends a double-byte character as a posted trail byte and a
// sent lead byte, letting messages through before each character.
TEST(SimWindows, PostedTrailByteLandsAfterTheSentLeadByte) {
  SimDesktop desktop(R"({"windows": [{"id": 5}]})");
  auto& windows = desktop.windows();
  const std::string text = Utf8ToSjis("かなa");
  std::string typed;
  for (size_t i = 0; i < text.size(); ++i) {
    desktop.messages().ProcessMessages();
    const auto byte = static_cast<unsigned char>(text[i]);
    if (byte >= 0x81 && i + 1 < text.size()) {
      ASSERT_TRUE(windows.PostWindowMessage(5, kWmChar, static_cast<unsigned char>(text[i + 1]), 0));
      windows.SendWindowMessage(5, kWmChar, byte, 0);
      ++i;
    } else {
      windows.SendWindowMessage(5, kWmChar, byte, 0);
    }
  }
  EXPECT_EQ(desktop.WindowText(5), text);
  // A trailing double-byte character waits for the next ProcessMessages.
  SimDesktop last(R"({"windows": [{"id": 5}]})");
  const std::string na = Utf8ToSjis("な");
  last.windows().PostWindowMessage(5, kWmChar, static_cast<unsigned char>(na[1]), 0);
  last.windows().SendWindowMessage(5, kWmChar, static_cast<unsigned char>(na[0]), 0);
  EXPECT_EQ(last.WindowText(5), na.substr(0, 1));
  EXPECT_EQ(last.PendingPosted().size(), 1u);
  last.messages().ProcessMessages();
  EXPECT_EQ(last.WindowText(5), na);
  EXPECT_TRUE(last.PendingPosted().empty());
}

TEST(SimWindows, PostingIsBounded) {
  SimDesktop desktop(R"({"windows": [{"id": 5}]})");
  auto& windows = desktop.windows();
  EXPECT_FALSE(windows.PostWindowMessage(999, kWmChar, 'x', 0));
  for (size_t i = 0; i < SimDesktop::kMaxPostedMessages; ++i) {
    ASSERT_TRUE(windows.PostWindowMessage(5, kWmChar, 'x', 0));
  }
  EXPECT_FALSE(windows.PostWindowMessage(5, kWmChar, 'y', 0)) << "the queue is full";
  desktop.messages().ProcessMessages();
  EXPECT_EQ(desktop.WindowText(5), std::string(SimDesktop::kMaxPostedMessages, 'x'));
  EXPECT_TRUE(windows.PostWindowMessage(5, kWmChar, 'y', 0));
}

TEST(SimWindows, WindowTextStopsGrowingAtItsLimit) {
  SimDesktop desktop(R"({"windows": [{"id": 5}]})");
  desktop.clipboard().SetText(std::string(SimDesktop::kMaxWindowText - 1, 'p'));
  desktop.windows().SendWindowMessage(5, kWmPaste, 0, 0);
  desktop.windows().SendWindowMessage(5, kWmPaste, 0, 0);
  EXPECT_EQ(desktop.WindowText(5).size(), SimDesktop::kMaxWindowText);
}

TEST(SimWindows, InputMethodStatusNeedsAContext) {
  SimDesktop desktop(kDesk);
  auto& windows = desktop.windows();
  struct Case {
    WindowId window;
    std::optional<bool> before;
    bool set;
    std::optional<bool> after;
  };
  const Case cases[] = {
      {100, false, true, true},
      {101, true, false, false},
      {102, std::nullopt, true, std::nullopt},
      {999, std::nullopt, true, std::nullopt},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(windows.ImeOpenStatus(c.window), c.before) << c.window;
    windows.SetImeOpenStatus(c.window, c.set);
    EXPECT_EQ(windows.ImeOpenStatus(c.window), c.after) << c.window;
  }
}

TEST(SimWindows, SystemSettingsAndVersion) {
  SimDesktop plain;
  EXPECT_EQ(plain.windows().ForegroundLockTimeout(), kDefaultForegroundLockMs);
  plain.windows().SetForegroundLockTimeout(0);
  EXPECT_EQ(plain.windows().ForegroundLockTimeout(), 0u);
  EXPECT_EQ(plain.windows().GetOsVersion().platformId, 2);
  SimDesktop old(R"({"os": {"platform": 1, "major": 4, "minor": 10}, "foreground_lock_ms": 5})");
  EXPECT_EQ(old.windows().GetOsVersion().minor, 10);
  EXPECT_EQ(old.windows().ForegroundLockTimeout(), 5u);
}

TEST(SimWindows, MainWindowFollowsTheStepDisplay) {
  SimDesktop desktop;
  EXPECT_EQ(desktop.windows().WindowThreadId(SimDesktop::kMainWindow), SimDesktop::kProgramThread);
  EXPECT_EQ(desktop.windows().WindowFromPoint({50, 50}), 0u);
  desktop.shellWindow().ShowStepDisplay({10, 20, 300, 200}, 12);
  EXPECT_EQ(desktop.windows().WindowFromPoint({50, 50}), SimDesktop::kMainWindow);
  desktop.shellWindow().HideStepDisplay(30, 20);
  const platform::WindowRect rect = *desktop.windows().GetWindowRect(SimDesktop::kMainWindow);
  EXPECT_EQ(rect.left, 10);
  EXPECT_EQ(rect.right, 40);
  EXPECT_EQ(rect.bottom, 40);
  desktop.shellWindow().ShowStepDisplay({2147483600, 0, 2147483600, -5}, 12);
  const platform::WindowRect huge = *desktop.windows().GetWindowRect(SimDesktop::kMainWindow);
  EXPECT_EQ(huge.right, 2147483647) << "edges saturate";
  EXPECT_EQ(huge.bottom, 0) << "a negative size counts as 0";
}

TEST(SimWindows, TraceNamesTheWindowsCalls) {
  SimDesktop desktop(kDesk);
  desktop.KeepTrace(true);
  auto& windows = desktop.windows();
  windows.FindWindowByTitle(Utf8ToSjis("メモ帳"));
  windows.SetForegroundWindow(400);
  windows.PostWindowMessage(101, kWmChar, 'z', 0);
  windows.SendWindowMessage(101, kWmChar, 'y', 0);
  desktop.messages().ProcessMessages();
  windows.GetCaretPos();
  windows.ImeOpenStatus(102);
  windows.DebugOutput(Utf8ToSjis("失敗"));
  const auto& trace = desktop.Trace();
  ASSERT_EQ(trace.size(), 8u);
  EXPECT_EQ(trace[0], nlohmann::json::parse(R"({"t":0,"call":"FindWindowA","title":"メモ帳","result":100})"));
  EXPECT_EQ(trace[1], nlohmann::json::parse(R"({"t":0,"call":"SetForegroundWindow","window":400,"result":false})"));
  EXPECT_EQ(trace[2], nlohmann::json::parse(
                          R"({"t":0,"call":"PostMessageA","window":101,"message":258,"wparam":122,"lparam":0,"char":"z","result":true})"));
  EXPECT_EQ(trace[3]["call"], "SendMessageA");
  EXPECT_EQ(trace[4], nlohmann::json::parse(
                          R"({"t":0,"call":"DispatchMessageA","window":101,"message":258,"wparam":122,"lparam":0,"char":"z"})"));
  EXPECT_EQ(trace[5], nlohmann::json::parse(R"({"t":0,"call":"GetCaretPos","result":null})"));
  EXPECT_EQ(trace[6], nlohmann::json::parse(R"({"t":0,"call":"ImmGetOpenStatus","window":102,"result":null})"));
  EXPECT_EQ(trace[7], nlohmann::json::parse(R"({"t":0,"call":"OutputDebugStringA","text":"失敗"})"));
  EXPECT_EQ(desktop.WindowText(101), "yz");
}

}  // namespace
}  // namespace vendrix::sim
