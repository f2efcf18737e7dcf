#include <gtest/gtest.h>

#include <string>

#include "platform/sim/sim_desktop.h"
#include "platform/sim/sjis_utf8.h"

namespace vendrix::sim {
namespace {

TEST(SimWorldJson, ReadsWindowsAndTheirChildren) {
  const DesktopDescription d = ParseDesktopDescription(R"({
      "windows": [
        {"id": 100, "title": "メモ帳", "rect": [10, 20, 410, 320], "thread": 7, "iconic": true,
         "text": "abc", "caret": [3, 4], "focus": 102, "ime": false, "refuses_foreground": true,
         "children": [{"id": 101, "rect": [12, 40, 400, 300], "text": "x",
                       "children": [{"id": 102, "ime": true}]}]},
        {"id": 200, "focus": null}],
      "foreground": 200})");
  ASSERT_EQ(d.windows.size(), 4u);
  const SimWindow& top = d.windows[0];
  EXPECT_EQ(top.id, 100u);
  EXPECT_EQ(top.parent, 0u);
  EXPECT_EQ(top.title, Utf8ToSjis("メモ帳"));
  EXPECT_EQ(top.rect.right, 410);
  EXPECT_EQ(top.thread, 7u);
  EXPECT_TRUE(top.iconic);
  EXPECT_EQ(top.text, "abc");
  ASSERT_TRUE(top.caret.has_value());
  EXPECT_EQ(top.caret->y, 4);
  EXPECT_EQ(top.focus, 102u);
  EXPECT_EQ(top.ime, std::optional<bool>(false));
  EXPECT_TRUE(top.refusesForeground);
  // Children belong to their top-level window's thread.
  EXPECT_EQ(d.windows[1].parent, 100u);
  EXPECT_EQ(d.windows[1].thread, 7u);
  EXPECT_EQ(d.windows[2].parent, 101u);
  EXPECT_EQ(d.windows[2].thread, 7u);
  EXPECT_EQ(d.windows[2].ime, std::optional<bool>(true));
  // Defaults: a thread of its own, focus on itself (here null: none).
  EXPECT_EQ(d.windows[3].thread, 200u);
  EXPECT_EQ(d.windows[3].focus, 0u);
  EXPECT_FALSE(d.windows[3].ime.has_value());
  EXPECT_EQ(d.foreground, 200u);
  EXPECT_EQ(d.active, 0u);
}

TEST(SimWorldJson, ForegroundAndActiveDefaults) {
  struct Case {
    const char* json;
    platform::WindowId foreground;
    platform::WindowId active;
  };
  const Case cases[] = {
      {"{}", 0, 0},
      {R"({"windows": [{"id": 5}, {"id": 6}]})", 5, 0},
      {R"({"windows": [{"id": 5, "children": [{"id": 9}]}], "foreground": null})", 0, 0},
      {R"({"windows": [{"id": 5}], "foreground": 1})", 1, 1},
      {R"({"windows": [{"id": 5}], "foreground": 1, "active": null})", 1, 0},
      {R"({"windows": [{"id": 5}], "active": 1})", 5, 1},
  };
  for (const Case& c : cases) {
    const DesktopDescription d = ParseDesktopDescription(c.json);
    EXPECT_EQ(d.foreground, c.foreground) << c.json;
    EXPECT_EQ(d.active, c.active) << c.json;
  }
}

TEST(SimWorldJson, ReadsTheRestOfTheWorld) {
  const DesktopDescription d = ParseDesktopDescription(R"({
      "screen": {"width": 800, "height": 600},
      "pointer": [799, 0],
      "clipboard": "貼る",
      "joysticks": [{"id": 1, "states": [{"at": 0, "x": 0, "buttons": 5}, {"at": 0, "y": 65535}]},
                    {"id": 0}],
      "programs": [{"command": "a.exe", "runs_ms": 500}, {"command": "b", "match": "prefix", "fails": true}],
      "documents": [{"file": "x.txt", "process": false}],
      "os": {"platform": 1, "major": 4, "minor": 10},
      "foreground_lock_ms": 0})");
  EXPECT_EQ(d.pointer.x, 799);
  EXPECT_EQ(d.clipboard, Utf8ToSjis("貼る"));
  ASSERT_TRUE(d.joysticks[0].has_value());
  EXPECT_TRUE(d.joysticks[0]->empty());
  ASSERT_TRUE(d.joysticks[1].has_value());
  ASSERT_EQ(d.joysticks[1]->size(), 2u);
  EXPECT_EQ((*d.joysticks[1])[0].state.x, 0u);
  EXPECT_EQ((*d.joysticks[1])[0].state.y, 32767u);
  EXPECT_EQ((*d.joysticks[1])[0].state.buttons, 5u);
  EXPECT_EQ((*d.joysticks[1])[1].state.y, 65535u);
  ASSERT_EQ(d.programs.size(), 2u);
  EXPECT_EQ(d.programs[0].runsMs, 500u);
  EXPECT_FALSE(d.programs[0].prefix);
  EXPECT_TRUE(d.programs[1].prefix);
  EXPECT_TRUE(d.programs[1].fails);
  ASSERT_EQ(d.documents.size(), 1u);
  EXPECT_FALSE(d.documents[0].reportsProcess);
  EXPECT_EQ(d.os.platformId, 1);
  EXPECT_EQ(d.os.major, 4);
  EXPECT_EQ(d.os.minor, 10);
  EXPECT_EQ(d.foregroundLockMs, 0u);
}

TEST(SimWorldJson, WorldDefaults) {
  const DesktopDescription d = ParseDesktopDescription("{}");
  EXPECT_TRUE(d.windows.empty());
  EXPECT_EQ(d.pointer.x, 0);
  EXPECT_FALSE(d.clipboard.has_value());
  EXPECT_FALSE(d.joysticks[0].has_value());
  EXPECT_FALSE(d.joysticks[1].has_value());
  EXPECT_EQ(d.os.platformId, 2);
  EXPECT_EQ(d.os.major, 10);
  EXPECT_EQ(d.foregroundLockMs, kDefaultForegroundLockMs);
}

TEST(SimWorldJson, BadWorldsNameTheField) {
  struct Case {
    const char* json;
    const char* named;
  };
  const Case cases[] = {
      {R"({"windows": {"id": 5}})", "\"windows\" must be a list"},
      {R"({"windows": [5]})", "\"windows[0]\""},
      {R"({"windows": [{"title": "x"}]})", "\"windows[0]\" needs an \"id\""},
      {R"({"windows": [{"id": 1}]})", "\"windows[0].id\""},
      {R"({"windows": [{"id": 0}]})", "\"windows[0].id\""},
      {R"({"windows": [{"id": 2147483648}]})", "\"windows[0].id\""},
      {R"({"windows": [{"id": 5}, {"id": 5}]})", "\"windows[1].id\" is used by another window"},
      {R"({"windows": [{"id": 5, "children": [{"id": 5}]}]})", "\"windows[0].children[0].id\" is used"},
      {R"({"windows": [{"id": 5, "titel": "x"}]})", "unknown key \"titel\""},
      {R"({"windows": [{"id": 5, "children": [{"id": 6, "thread": 3}]}]})", "unknown key \"thread\""},
      {R"({"windows": [{"id": 5, "children": {"id": 6}}]})", "\"windows[0].children\" must be a list"},
      {R"({"windows": [{"id": 5, "rect": [0, 0, 10]}]})", "\"windows[0].rect\""},
      {R"({"windows": [{"id": 5, "rect": [10, 0, 0, 10]}]})", "\"windows[0].rect\" must not"},
      {R"({"windows": [{"id": 5, "rect": [0, 10, 10, 0]}]})", "\"windows[0].rect\" must not"},
      {R"({"windows": [{"id": 5, "rect": [0, 0, 10, 1000001]}]})", "\"windows[0].rect[3]\""},
      {R"({"windows": [{"id": 5, "rect": [-1000001, 0, 10, 10]}]})", "\"windows[0].rect[0]\""},
      {R"({"windows": [{"id": 5, "title": 7}]})", "\"windows[0].title\" must be a text"},
      {R"({"windows": [{"id": 5, "iconic": 1}]})", "\"windows[0].iconic\" must be true or false"},
      {R"({"windows": [{"id": 5, "ime": null}]})", "\"windows[0].ime\""},
      {R"({"windows": [{"id": 5, "thread": 1}]})", "\"windows[0].thread\""},
      {R"({"windows": [{"id": 5, "caret": [1]}]})", "\"windows[0].caret\""},
      {R"({"windows": [{"id": 5, "focus": 6}, {"id": 6}]})", "\"windows[0].focus\" must be the window itself"},
      {R"({"windows": [{"id": 5, "focus": 1}]})", "\"windows[0].focus\""},
      {R"({"windows": [{"id": 5}], "foreground": 6})", "\"foreground\""},
      {R"({"windows": [{"id": 5, "children": [{"id": 6}]}], "foreground": 6})", "\"foreground\""},
      {R"({"windows": [{"id": 5}], "active": 5})", "\"active\" must be 1"},
      {R"({"pointer": [1024, 0]})", "\"pointer\" must lie on the screen"},
      {R"({"screen": {"width": 10}, "pointer": [10, 0]})", "\"pointer\" must lie"},
      {R"({"pointer": [0, -1]})", "\"pointer\""},
      {R"({"pointer": {"x": 0}})", "\"pointer\" must be a list"},
      {R"({"clipboard": 5})", "\"clipboard\" must be a text"},
      {R"({"joysticks": [{"id": 2}]})", "\"joysticks[0].id\""},
      {R"({"joysticks": [{"id": 0}, {"id": 0}]})", "\"joysticks[1].id\" is used"},
      {R"({"joysticks": [{"states": []}]})", "needs an \"id\""},
      {R"({"joysticks": [{"id": 0, "states": [{"x": 1}]}]})", "needs an \"at\""},
      {R"({"joysticks": [{"id": 0, "states": [{"at": 0, "x": 65536}]}]})", "\"joysticks[0].states[0].x\""},
      {R"({"joysticks": [{"id": 0, "states": [{"at": 9}, {"at": 8}]}]})", "\"joysticks[0].states[1].at\""},
      {R"({"joysticks": [{"id": 0, "states": [{"at": 0, "w": 1}]}]})", "unknown key \"w\""},
      {R"({"programs": [{"runs_ms": 5}]})", "\"programs[0]\" needs a \"command\""},
      {R"({"programs": [{"command": "a", "match": "glob"}]})", "\"programs[0].match\""},
      {R"({"programs": [{"command": "a", "runs_ms": -1}]})", "\"programs[0].runs_ms\""},
      {R"({"programs": [{"command": "a", "runs_ms": 2147483648}]})", "\"programs[0].runs_ms\""},
      {R"({"programs": [{"command": "a", "process": false}]})", "unknown key \"process\""},
      {R"({"documents": [{"command": "a"}]})", "unknown key \"command\""},
      {R"({"documents": [{"file": "a", "fails": "yes"}]})", "\"documents[0].fails\""},
      {R"({"os": {"platform": 3}})", "\"os.platform\""},
      {R"({"os": {"major": 256}})", "\"os.major\""},
      {R"({"os": {"build": 1}})", "unknown key \"build\""},
      {R"({"os": 10})", "\"os\""},
      {R"({"foreground_lock_ms": -1})", "\"foreground_lock_ms\""},
  };
  for (const Case& c : cases) {
    try {
      ParseDesktopDescription(c.json);
      ADD_FAILURE() << "accepted: " << c.json;
    } catch (const DesktopError& error) {
      EXPECT_NE(std::string(error.what()).find(c.named), std::string::npos)
          << "for " << c.json << ": " << error.what();
    }
  }
}

// The example of docs/desktop-json.md.
TEST(SimWorldJson, DocumentedExampleBehavesAsDescribed) {
  SimDesktop desktop(R"({
  "start_ms": 1000,
  "clock": "2003-07-14T09:05:03.042",
  "answers": [
    "YES",
    {"button": "NO", "after": 1500},
    "OK"
  ],
  "inputs": ["太郎", null, {"text": "42", "after": 3000}],
  "keys": [
    {"vk": 27, "down": 5000, "up": 5100},
    {"vk": 16, "down": 0}
  ],
  "screen": {"width": 1920, "height": 1080},
  "windows": [
    {"id": 100, "title": "メモ帳", "rect": [100, 100, 740, 580], "thread": 7,
     "caret": [12, 3], "focus": 101, "ime": false,
     "children": [{"id": 101, "rect": [108, 150, 732, 572], "ime": true}]},
    {"id": 200, "title": "電卓", "rect": [800, 100, 1100, 500], "refuses_foreground": true}
  ],
  "foreground": 100,
  "pointer": [400, 300],
  "clipboard": "コピーした文",
  "joysticks": [{"id": 0, "states": [{"at": 0}, {"at": 2000, "x": 0, "buttons": 1}]}],
  "programs": [{"command": "notepad.exe a.txt", "runs_ms": 500},
               {"command": "calc", "match": "prefix"}],
  "documents": [{"file": "readme.txt", "runs_ms": 300}]
})");
  EXPECT_EQ(desktop.Foreground(), 100u);
  EXPECT_EQ(desktop.windows().WindowFromPoint({400, 300}), 101u);
  EXPECT_EQ(desktop.windows().WindowThreadId(200), 200u);
  EXPECT_FALSE(desktop.windows().SetForegroundWindow(200));
  EXPECT_EQ(desktop.clipboard().GetText(), Utf8ToSjis("コピーした文"));
  EXPECT_NE(desktop.programs().StartProgram("calc.exe"), 0u);
  EXPECT_EQ(desktop.programs().StartProgram("other.exe"), 0u);
  EXPECT_EQ(desktop.joysticks().Read(0)->x, 32767u);
  desktop.clock().Sleep(2000);
  EXPECT_EQ(desktop.joysticks().Read(0)->buttons, 1u);
}

TEST(SimWorldJson, DeepNestingIsRefused) {
  std::string json = R"({"windows": [{"id": 2)";
  for (int id = 3; id < 40; ++id) json += R"(, "children": [{"id": )" + std::to_string(id);
  for (int id = 3; id < 40; ++id) json += "}]";
  json += "}]}";
  EXPECT_THROW(ParseDesktopDescription(json), DesktopError);
}

}  // namespace
}  // namespace vendrix::sim
