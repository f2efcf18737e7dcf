#include <gtest/gtest.h>

#include <string>

#include "platform/sim/sim_desktop.h"

namespace vendrix::sim {
namespace {

TEST(SimDesktopJson, ReadsEveryKnownKey) {
  const DesktopDescription d = ParseDesktopDescription(R"({
      "start_ms": 5000,
      "answers": ["YES", {"button": "CANCEL", "after": 1500}, {"button": "NO"}],
      "keys": [{"vk": 27, "down": 100, "up": 200}, {"vk": 16, "down": 0}],
      "screen": {"width": 800, "height": 600},
      "clipboard": "x", "a_later_version_key": {"anything": [1, 2]}})");
  EXPECT_EQ(d.startMs, 5000u);
  ASSERT_EQ(d.answers.size(), 3u);
  EXPECT_EQ(d.answers[0].button, Button::kYes);
  EXPECT_EQ(d.answers[0].afterMs, 0u);
  EXPECT_EQ(d.answers[1].button, Button::kCancel);
  EXPECT_EQ(d.answers[1].afterMs, 1500u);
  EXPECT_EQ(d.answers[2].button, Button::kNo);
  ASSERT_EQ(d.keys.size(), 2u);
  EXPECT_EQ(d.keys[0].vk, 27);
  EXPECT_EQ(d.keys[0].upMs, 200u);
  EXPECT_FALSE(d.keys[1].upMs.has_value());
  EXPECT_EQ(d.screenWidth, 800);
  EXPECT_EQ(d.screenHeight, 600);
}

TEST(SimDesktopJson, EmptyObjectGivesDefaults) {
  const DesktopDescription d = ParseDesktopDescription("{}");
  EXPECT_EQ(d.startMs, 0u);
  EXPECT_TRUE(d.answers.empty());
  EXPECT_TRUE(d.keys.empty());
  EXPECT_EQ(d.screenWidth, 1024);
  EXPECT_EQ(d.screenHeight, 768);
}

TEST(SimDesktopJson, BadDescriptionsNameTheField) {
  struct Case {
    const char* json;
    const char* named;  // must appear in the message
  };
  const Case cases[] = {
      {R"({"answers": ["OK")", "not valid JSON"},
      {"", "not valid JSON"},
      {R"({"start_ms": -21474833E682})", "not valid JSON"},
      {"[]", "top level"},
      {R"({"start_ms": -1})", "\"start_ms\""},
      {R"({"start_ms": 4294967296})", "\"start_ms\""},
      {R"({"start_ms": 1.5})", "\"start_ms\""},
      {R"({"answers": "OK"})", "\"answers\" must be a list"},
      {R"({"answers": ["OK", "MAYBE"]})", "\"answers[1]\""},
      {R"({"answers": ["ok"]})", "\"answers[0]\""},
      {R"({"answers": [7]})", "\"answers[0]\""},
      {R"({"answers": [{"after": 10}]})", "\"answers[0]\" needs a \"button\""},
      {R"({"answers": [{"button": "YES", "afer": 10}]})", "unknown key \"afer\""},
      {R"({"answers": [{"button": "YES", "after": -5}]})", "\"answers[0].after\""},
      {R"({"answers": [{"button": "NOPE"}]})", "\"answers[0].button\""},
      {R"({"keys": {"vk": 27}})", "\"keys\" must be a list"},
      {R"({"keys": [27]})", "\"keys[0]\""},
      {R"({"keys": [{"down": 0}]})", "needs a \"vk\""},
      {R"({"keys": [{"vk": 27}]})", "needs a \"down\""},
      {R"({"keys": [{"vk": 0, "down": 0}]})", "\"keys[0].vk\""},
      {R"({"keys": [{"vk": 256, "down": 0}]})", "\"keys[0].vk\""},
      {R"({"keys": [{"vk": 27, "down": 0}, {"vk": 27, "down": 500, "up": 400}]})", "\"keys[1].up\""},
      {R"({"keys": [{"vk": "A", "down": 0}]})", "\"keys[0].vk\""},
      {R"({"screen": [800, 600]})", "\"screen\""},
      {R"({"screen": {"width": 0}})", "\"screen.width\""},
      {R"({"screen": {"height": "tall"}})", "\"screen.height\""},
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

TEST(SimDesktopJson, ConstructorRejectsBadText) {
  EXPECT_THROW(SimDesktop("{"), DesktopError);
}

}  // namespace
}  // namespace vendrix::sim
