// The functions that read the desktop.
#include <gtest/gtest.h>

#include <string>

#include "support/test_world.h"

namespace vendrix {
namespace {

using testing::TestWorld;

constexpr std::string_view kDesk = R"({
  "screen": {"width": 1280, "height": 1024},
  "windows": [{"id": 10, "title": "Editor", "rect": [300, 200, 700, 500], "thread": 5,
               "caret": [10, 20], "ime": true}],
  "foreground": 10, "pointer": [120, 45]
})";

TEST(FunctionsDesktopTest, ValuesOfTheDesktop) {
  struct Case {
    std::string call;
    std::string value;
  };
  const Case cases[] = {
      {"(getmouse)", "120,45"},       {"(getcaret)", "310,220"},       {"(getwindowpos)", "300,200"},
      {"(getheight)", "300"},         {"(getwidth)", "400"},           {"(find-window Editor)", "True"},
      {"(find-window editor)", "False"},
      {"(get-ime)", "False"},  // the focus of the program's own thread: none here
  };
  for (const Case& c : cases) {
    TestWorld world(kDesk);
    EXPECT_EQ(world.Eval(c.call), c.value) << c.call;
  }
}

TEST(FunctionsDesktopTest, ScreenSize) {
  TestWorld world;
  EXPECT_EQ(world.Eval("(getscreenwidth)"), "1024");
  EXPECT_EQ(world.Eval("(getscreenheight)"), "768");
}

TEST(FunctionsDesktopTest, NoForegroundWindow) {
  TestWorld world;
  world.engine->desktop.measured = {10, 20, 110, 70};
  EXPECT_EQ(world.Eval("(getwindowpos)"), "False");
  // The last measurement is kept when nothing can be read.
  EXPECT_EQ(world.Eval("(getwidth)"), "100");
  EXPECT_EQ(world.Eval("(getheight)"), "50");
  EXPECT_EQ(world.Eval("(get-ime)"), "False");
}

}  // namespace
}  // namespace vendrix
