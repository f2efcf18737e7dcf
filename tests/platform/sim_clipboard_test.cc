// The simulated clipboard.
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "platform/sim/sim_desktop.h"
#include "platform/sim/sjis_utf8.h"

namespace vendrix::sim {
namespace {

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

}  // namespace
}  // namespace vendrix::sim
