// Reading the joysticks as the desktop layer gives them, before any
// variable is stored.
#include "desktop/joystick.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "support/desktop_world.h"

namespace vendrix {
namespace {

using testing::DesktopWorld;

constexpr const char* kOnlyFirstJoystick =
    R"({"joysticks": [{"id": 0, "states": [{"at": 0, "x": 65535, "y": 0, "buttons": 5}]}]})";

// The values as stored in order: a later one for a name wins.
std::map<std::string, std::string> Stored(const std::vector<JoystickValue>& values) {
  std::map<std::string, std::string> stored;
  for (const JoystickValue& value : values) stored[value.upperName] = value.value;
  return stored;
}

TEST(ReadJoystickTest, BothResetsTheButtonsOfAnAbsentSecondJoystick) {
  DesktopWorld world(kOnlyFirstJoystick);
  std::map<std::string, std::string> stored = Stored(ReadJoystick(world.Context(), 0));
  EXPECT_EQ(stored["%JOYBUTTON"], "10100000");
  EXPECT_EQ(stored["%JOYBUTTONEX"], "101000000000");
  EXPECT_EQ(stored["%JOYSTICK"], "RU");
  EXPECT_EQ(stored["%JOYBUTTON2"], "00000000");
  EXPECT_EQ(stored["%JOYBUTTONEX2"], "000000000000");
  EXPECT_EQ(stored.count("%JOYSTICK2"), 0u) << "an absent joystick sets no direction";
  EXPECT_TRUE(world.errors.asked.empty());
}

TEST(ReadJoystickTest, OneJoystickAsksOnlyWhenItCannotBeRead) {
  struct Case {
    int mode;
    size_t questions;
    std::string stick;  // "" when nothing is stored
  };
  const Case cases[] = {{1, 0, "RU"}, {2, 1, ""}};
  for (const Case& c : cases) {
    DesktopWorld world(kOnlyFirstJoystick);
    std::vector<JoystickValue> values = ReadJoystick(world.Context(), c.mode);
    EXPECT_EQ(world.errors.asked.size(), c.questions) << "mode " << c.mode;
    EXPECT_EQ(values.empty(), c.stick.empty()) << "mode " << c.mode;
    if (!c.stick.empty()) {
      EXPECT_EQ(Stored(values)["%JOYSTICK"], c.stick) << "mode " << c.mode;
    }
  }
}

}  // namespace
}  // namespace vendrix
