// The simulated screen: what the description paints, and how captures and
// pixel reads see it.
#include <gtest/gtest.h>

#include <map>
#include <string>

#include "images/bmp.h"
#include "platform/sim/memory_files.h"
#include "platform/sim/sim_desktop.h"

namespace vendrix::sim {
namespace {

using images::Image;
using images::RgbColour;

std::string TwoByTwoBmp() {
  Image image(2, 2, RgbColour(1, 2, 3));
  image.Set(1, 1, RgbColour(200, 100, 50));
  return images::EncodeBmp24(image);
}

TEST(SimScreenTest, LayersFillPictureAndRectanglesInOrder) {
  const std::map<std::string, std::string> files = {{"pic.bmp", TwoByTwoBmp()}};
  const DescriptionFileReader reader = [&](std::string_view name) -> std::optional<std::string> {
    auto found = files.find(std::string(name));
    if (found == files.end()) return std::nullopt;
    return found->second;
  };
  SimDesktop desktop(R"({"screen": {"width": 5, "height": 4, "fill": "#0000ff", "image": "pic.bmp",
                                    "rects": [{"rect": [1, 1, 3, 3], "colour": "#00FF00"},
                                              {"rect": [2, 2, 9, 9], "colour": "#ff0000"}]}})",
                     reader);
  const std::optional<Image> shot = desktop.display().CaptureScreen({0, 0, 5, 4});
  ASSERT_TRUE(shot);
  EXPECT_EQ(shot->At(0, 0), RgbColour(1, 2, 3));    // the picture
  EXPECT_EQ(shot->At(1, 1), RgbColour(0, 255, 0));  // a rectangle over it
  EXPECT_EQ(shot->At(2, 2), RgbColour(255, 0, 0));  // the later rectangle on top
  EXPECT_EQ(shot->At(4, 0), RgbColour(0, 0, 255));  // the fill
  EXPECT_EQ(shot->At(4, 3), RgbColour(255, 0, 0));
  for (int y = 0; y < 4; ++y) {
    for (int x = 0; x < 5; ++x) EXPECT_EQ(desktop.display().ScreenPixel({x, y}), shot->At(x, y)) << x << "," << y;
  }
}

TEST(SimScreenTest, APictureGivesTheScreenItsSizeUnlessOneIsGiven) {
  const DescriptionFileReader reader = [](std::string_view) { return std::optional<std::string>(TwoByTwoBmp()); };
  SimDesktop sized(R"({"screen": {"image": "a.bmp"}})", reader);
  EXPECT_EQ(sized.display().ScreenWidth(), 2);
  EXPECT_EQ(sized.display().ScreenHeight(), 2);
  SimDesktop larger(R"({"screen": {"image": "a.bmp", "width": 10, "height": 3}})", reader);
  EXPECT_EQ(larger.display().ScreenWidth(), 10);
  EXPECT_EQ(larger.display().ScreenPixel({9, 2}), 0u);
}

TEST(SimScreenTest, BadScreensAreRejectedNamingTheField) {
  const DescriptionFileReader broken = [](std::string_view) { return std::optional<std::string>("BM?"); };
  const DescriptionFileReader missing = [](std::string_view) { return std::optional<std::string>(); };
  const struct {
    const char* json;
    DescriptionFileReader reader;
    const char* field;
  } cases[] = {
      {R"({"screen": {"fill": "red"}})", {}, "screen.fill"},
      {R"({"screen": {"fill": "#12345"}})", {}, "screen.fill"},
      {R"({"screen": {"fill": "#12345G"}})", {}, "screen.fill"},
      {R"({"screen": {"rects": [{"rect": [0, 0, 1, 1]}]}})", {}, "screen.rects[0]"},
      {R"({"screen": {"rects": [{"rect": [5, 0, 1, 1], "colour": "#000000"}]}})", {}, "screen.rects[0].rect"},
      {R"({"screen": {"rects": {}}})", {}, "screen.rects"},
      {R"({"screen": {"colour": "#000000"}})", {}, "screen"},
      {R"({"screen": {"image": "a.bmp"}})", {}, "screen.image"},
      {R"({"screen": {"image": "a.bmp"}})", broken, "screen.image"},
      {R"({"screen": {"image": "a.bmp"}})", missing, "screen.image"},
  };
  for (const auto& c : cases) {
    try {
      ParseDesktopDescription(c.json, c.reader);
      ADD_FAILURE() << c.json << " was accepted";
    } catch (const DesktopError& error) {
      EXPECT_NE(std::string(error.what()).find(c.field), std::string::npos) << error.what();
    }
  }
}

TEST(SimScreenTest, FilesBesideTakesRelativeNamesFromTheDescriptionsFolder) {
  MemoryFiles files;
  files.Add("C:\\desk\\pic.bmp", "near");
  files.Add("D:\\other\\pic.bmp", "far");
  const DescriptionFileReader reader = FilesBeside(files, "C:\\desk\\screen.json");
  EXPECT_EQ(reader("pic.bmp"), std::optional<std::string>("near"));
  EXPECT_EQ(reader("D:\\other\\pic.bmp"), std::optional<std::string>("far"));
  EXPECT_EQ(reader("none.bmp"), std::nullopt);
}

TEST(SimScreenTest, CaptureAndPixelReadsAreTraced) {
  SimDesktop desktop(R"({"screen": {"width": 8, "height": 8, "fill": "#102030"}})");
  desktop.KeepTrace(true);
  desktop.display().CaptureScreen({1, 2, 3, 4});
  desktop.display().ScreenPixel({7, 7});
  ASSERT_EQ(desktop.Trace().size(), 2u);
  EXPECT_EQ(desktop.Trace()[0]["call"], "BitBlt");
  EXPECT_EQ(desktop.Trace()[0]["height"], 4);
  EXPECT_EQ(desktop.Trace()[1]["call"], "GetPixel");
  EXPECT_EQ(desktop.Trace()[1]["result"], RgbColour(0x10, 0x20, 0x30));
}

}  // namespace
}  // namespace vendrix::sim
