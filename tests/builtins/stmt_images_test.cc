// The capture statements, the image slots and the image functions, on a
// simulated screen whose pixels the desktop description paints.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "images/bmp.h"
#include "support/test_images.h"
#include "support/test_world.h"

namespace vendrix::testing {
namespace {

using images::Image;
using images::RgbColour;

// A 200 x 100 black screen with a red square at (10,20)-(14,24) and a
// white bar along the top; the window in front covers (30,40)-(90,70).
constexpr std::string_view kScreen = R"({
  "screen": {"width": 200, "height": 100, "fill": "#000000",
             "rects": [{"rect": [0, 0, 200, 2], "colour": "#FFFFFF"},
                       {"rect": [10, 20, 14, 24], "colour": "#FF0000"}]},
  "windows": [{"id": 5, "title": "Target", "rect": [30, 40, 90, 70]}],
  "foreground": 5
})";

Image DecodedFile(const TestWorld& world, std::string_view name) {
  const std::optional<std::string> bytes = world.files.Get(name);
  EXPECT_TRUE(bytes.has_value()) << name;
  images::BmpDecodeResult decoded = images::DecodeBmp(bytes.value_or(""));
  EXPECT_EQ(decoded.problem, images::BmpProblem::kNone);
  return decoded.image;
}

TEST(CaptureTest, RectangleIsCapturedWithCornerTwoExclusive) {
  TestWorld world(kScreen);
  world.files.CreateFolder("C:\\shots");
  ASSERT_EQ(world.RunLines({"CAPTURE C:\\shots\\a.png 9,19 15,25"}), 0);
  EXPECT_FALSE(world.files.Get("C:\\shots\\a.png"));
  const Image image = DecodedFile(world, "C:\\shots\\a.bmp");
  ASSERT_EQ(image.width, 6);
  ASSERT_EQ(image.height, 6);
  EXPECT_EQ(image.At(0, 0), 0u);
  EXPECT_EQ(image.At(1, 1), RgbColour(255, 0, 0));
  EXPECT_EQ(image.At(4, 4), RgbColour(255, 0, 0));
  EXPECT_EQ(image.At(5, 5), 0u);
  EXPECT_EQ(world.CallsOf("BitBlt", "width"), std::vector<std::string>{"6"});
}

TEST(CaptureTest, NoCornersTakeTheForegroundWindow) {
  TestWorld world(kScreen);
  ASSERT_EQ(world.RunLines({"CAPTURE C:\\a.bmp"}), 0);
  const Image image = DecodedFile(world, "C:\\a.bmp");
  EXPECT_EQ(image.width, 60);
  EXPECT_EQ(image.height, 30);
  EXPECT_EQ(world.CallsOf("BitBlt", "x"), std::vector<std::string>{"30"});
  EXPECT_EQ(world.CallsOf("BitBlt", "y"), std::vector<std::string>{"40"});
}

TEST(CaptureTest, PartsOffTheScreenComeOutBlack) {
  TestWorld world(R"({"screen": {"width": 4, "height": 4, "fill": "#FFFFFF"}})");
  ASSERT_EQ(world.RunLines({"CAPTURE C:\\a 2,2 6,6"}), 0);
  const Image image = DecodedFile(world, "C:\\a.bmp");
  EXPECT_EQ(image.At(0, 0), RgbColour(255, 255, 255));
  EXPECT_EQ(image.At(1, 1), RgbColour(255, 255, 255));
  EXPECT_EQ(image.At(2, 2), 0u);
  EXPECT_EQ(image.At(3, 0), 0u);
}

TEST(CaptureTest, ScreenCapturesTakeTheWholeScreen) {
  TestWorld world(kScreen);
  ASSERT_EQ(world.RunLines({"CAPTURESCREEN C:\\s.txt", "CAPTURESCREENJPG C:\\s"}), 0);
  const Image image = DecodedFile(world, "C:\\s.bmp");
  EXPECT_EQ(image.width, 200);
  EXPECT_EQ(image.height, 100);
  EXPECT_EQ(image.At(199, 0), RgbColour(255, 255, 255));
  const std::optional<std::string> jpeg = world.files.Get("C:\\s.jpg");
  ASSERT_TRUE(jpeg);
  EXPECT_EQ(jpeg->substr(0, 3), std::string("\xFF\xD8\xFF"));
}

TEST(CaptureTest, ExtensionIsReplacedOnlyInTheFileName) {
  TestWorld world(kScreen);
  world.files.CreateFolder("C:\\dir.v1");
  ASSERT_EQ(world.RunLines({"CAPTURE C:\\dir.v1\\shot 0,0 2,2", "CAPTUREJPG C:\\dir.v1\\shot.x.bmp 0,0 2,2"}), 0);
  EXPECT_TRUE(world.files.Get("C:\\dir.v1\\shot.bmp"));
  EXPECT_TRUE(world.files.Get("C:\\dir.v1\\shot.x.jpg"));
}

TEST(CaptureTest, JpegQualityFollowsTheSystemVariable) {
  // Higher quality gives a larger file for the same busy picture.
  std::vector<size_t> sizes;
  for (const char* quality : {"10", "0", "80", "100"}) {
    TestWorld world(R"({"screen": {"width": 64, "height": 64, "fill": "#336699",
                        "rects": [{"rect": [3, 3, 40, 9], "colour": "#FFEE00"},
                                  {"rect": [20, 11, 23, 60], "colour": "#00CC22"}]}})");
    ASSERT_EQ(world.RunLines({std::string("SET %capturejpg ") + quality, "CAPTURESCREENJPG C:\\q"}), 0);
    sizes.push_back(world.files.Get("C:\\q.jpg").value_or("").size());
  }
  EXPECT_LT(sizes[0], sizes[2]);
  EXPECT_EQ(sizes[1], sizes[2]);  // "0" means 80
  EXPECT_LT(sizes[2], sizes[3]);
}

struct FailureCase {
  std::string line;
  std::string desktop;
  std::string message;
};

TEST(CaptureTest, FailuresEndTheProgramWithTheirMessage) {
  const std::string noWindow = R"({"screen": {"width": 50, "height": 50}})";
  const std::string hugeScreen = R"({"screen": {"width": 20000, "height": 20000}})";
  const std::string wideScreen = R"({"screen": {"width": 40000, "height": 1}})";
  const std::vector<FailureCase> cases = {
      {"CAPTURE \"\" 0,0 5,5", std::string(kScreen), "Err：保存ファイル名がありません : CaptureBmp"},
      {"CAPTURESCREENJPG \"\"", std::string(kScreen), "Err：保存ファイル名がありません : CaptureBmp"},
      {"CAPTURE C:\\a.bmp 10,10 10,60", std::string(kScreen), "Err：幅または高さが０以下です : CAPTURE"},
      {"capturejpg C:\\a.bmp 10,60 20,10", std::string(kScreen), "Err：幅または高さが０以下です : CAPTUREJPG"},
      {"CAPTURE C:\\a.bmp", noWindow, "Err：アクティブウィンドウが取得できません : CAPTURE"},
      {"CAPTURE C:\\a.bmp 0,0 100000,100000", std::string(kScreen),
       "Err：取り込む範囲が大きすぎます（一辺 32768、全体で 6700 万画素まで）: CAPTURE"},
      {"CAPTURE C:\\a.bmp 0,0 40000,1", std::string(kScreen),
       "Err：取り込む範囲が大きすぎます（一辺 32768、全体で 6700 万画素まで）: CAPTURE"},
      // The whole screen obeys the same bound as any area.
      {"CAPTURESCREENJPG C:\\s", hugeScreen,
       "Err：取り込む範囲が大きすぎます（一辺 32768、全体で 6700 万画素まで）: CAPTURESCREENJPG"},
      {"CAPTURESCREEN C:\\s.bmp", wideScreen,
       "Err：取り込む範囲が大きすぎます（一辺 32768、全体で 6700 万画素まで）: CAPTURESCREEN"},
  };
  for (const FailureCase& c : cases) {
    TestWorld world(c.desktop);
    EXPECT_EQ(world.RunLines({c.line}), 1) << c.line;
    ASSERT_FALSE(world.Boxes().empty()) << c.line;
    EXPECT_EQ(world.Boxes().front(), c.message) << c.line;
  }
}

TEST(CaptureTest, AFileThatCannotBeWrittenIsReported) {
  TestWorld world(kScreen);
  world.files.FailWritesOf("C:\\locked.bmp");
  EXPECT_EQ(world.RunLines({"CAPTURE C:\\locked.bmp 0,0 2,2"}), 1);
  ASSERT_FALSE(world.Boxes().empty());
  EXPECT_EQ(world.Boxes().front().rfind("Err：CAPTURE できません : C:\\locked.bmp", 0), 0u) << world.Boxes().front();
}

// ---- image slots ---------------------------------------------------------

using test_images::BmpOf;

class ImageSlotsTest : public ::testing::Test {
 protected:
  ImageSlotsTest() {
    world.files.Add("C:\\i\\white.bmp", BmpOf(3, 2, [](int, int) { return RgbColour(255, 255, 255); }));
    world.files.Add("C:\\i\\mixed.BMP", BmpOf(2, 2, [](int x, int y) {
                      return x == 1 && y == 0 ? RgbColour(255, 0, 0) : RgbColour(0, 0, 255);
                    }));
    world.files.Add("C:\\i\\broken.bmp", "BM not really");
    world.files.Add("C:\\i\\photo.jpg", "\xFF\xD8\xFF");
  }
  std::string Report() { return world.Boxes().empty() ? "<none>" : world.Boxes().front(); }
  TestWorld world;
};

TEST_F(ImageSlotsTest, ColoursComeAsLowerCaseHexWithoutLeadingZeros) {
  ASSERT_EQ(world.RunLines({"OPENGRAPH 1 C:\\i\\white.bmp", "OPENGRAPH 4 C:\\i\\mixed.BMP"}), 0);
  EXPECT_EQ(world.Eval("(getgraphpixel 1 \"0,0\")"), "ffffff");
  EXPECT_EQ(world.Eval("(getgraphpixel 4 1,0)"), "ff");
  EXPECT_EQ(world.Eval("(getgraphpixel 4 0,1)"), "ff0000");
  EXPECT_EQ(world.Eval("(getgraphpixel 1 3,0)"), "ffffffff");
  EXPECT_EQ(world.Eval("(getgraphpixel 1 -1,0)"), "ffffffff");
  EXPECT_EQ(world.Eval("(getgraphpixel 1 x)"), "ffffff");  // no number reads as 0,0
}

TEST_F(ImageSlotsTest, SlotsOutliveTheRunAndOpenAgainReplaces) {
  ASSERT_EQ(world.RunLines({"OPENGRAPH 2 C:\\i\\white.bmp", "OPENGRAPH 2 C:\\i\\mixed.BMP"}), 0);
  EXPECT_TRUE(world.Boxes().empty());
  EXPECT_EQ(world.Eval("(getgraphpixel 2 1,0)"), "ff");
  ASSERT_EQ(world.RunLines({"CLOSEGRAPH 2", "CLOSEGRAPH 2", "CLOSEGRAPH 3"}), 0);
  EXPECT_TRUE(world.Boxes().empty());
  EXPECT_FALSE(world.engine->imageSlots[1].has_value());
}

TEST_F(ImageSlotsTest, SlotRulesEndTheProgramWithTheirMessage) {
  const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
      {{"OPENGRAPH 5 C:\\i\\white.bmp"}, "Err：画像番号の指定が不正です : OPENGRAPH 5"},
      {{"OPENGRAPH x C:\\i\\white.bmp"}, "Err：画像番号の指定が不正です : OPENGRAPH x"},
      {{"CLOSEGRAPH 0"}, "Err：画像番号の指定が不正です : CLOSEGRAPH 0"},
      {{"OPENGRAPH 1 C:\\i\\photo.jpg"},
       "Err：指定したファイルの拡張子が BMP ではありません : OPENGRAPH C:\\i\\photo.jpg"},
      {{"OPENGRAPH 1 C:\\i\\none.bmp"}, "Err：指定した画像ファイルがありません : OPENGRAPH C:\\i\\none.bmp"},
      {{"OPENGRAPH 1 C:\\i\\white.bmp", "OPENGRAPH 1 C:\\i\\white.bmp TRUE"},
       "Err：指定した画像番号は使用中です : OPENGRAPH 1"},
      {{"CLOSEGRAPH 2 true"}, "Err：指定した画像番号は使われていません : CLOSEGRAPH 2"},
      {{"SET %a (getgraphpixel 9 0,0)"}, "Err：画像番号の指定が不正です : getgraphpixel 9"},
      {{"SET %a (getgraphpixel 3 0,0)"}, "Err：指定した画像番号は使われていません : getgraphpixel 3"},
      {{"OPENGRAPH 1 C:\\i\\white.bmp", "SET %a (searchgraph 1 7)"},
       "Err：画像番号の指定が不正です : searchgraph 1 7"},
      {{"OPENGRAPH 1 C:\\i\\white.bmp", "SET %a (searchgraph 1 2)"},
       "Err：指定した画像番号は使われていません : searchgraph 1 2"},
  };
  for (const auto& [lines, message] : cases) {
    TestWorld fresh;
    fresh.files.Add("C:\\i\\white.bmp", BmpOf(1, 1, [](int, int) { return 0u; }));
    fresh.files.Add("C:\\i\\photo.jpg", "\xFF\xD8\xFF");
    std::vector<std::string> macro = {"DIM %a"};
    macro.insert(macro.end(), lines.begin(), lines.end());
    EXPECT_EQ(fresh.RunLines(macro), 1) << message;
    ASSERT_FALSE(fresh.Boxes().empty()) << message;
    EXPECT_EQ(fresh.Boxes().front(), message);
  }
}

TEST_F(ImageSlotsTest, AnUnreadableBmpIsReportedAndLeavesTheSlotEmpty) {
  EXPECT_EQ(world.RunLines({"OPENGRAPH 1 C:\\i\\white.bmp", "OPENGRAPH 1 C:\\i\\broken.bmp"}), 1);
  EXPECT_EQ(Report().rfind("Err：BMP ファイルとして読めません（", 0), 0u) << Report();
  EXPECT_NE(Report().find("）: OPENGRAPH C:\\i\\broken.bmp"), std::string::npos) << Report();
  EXPECT_FALSE(world.engine->imageSlots[0].has_value());
}

TEST_F(ImageSlotsTest, SearchGraphGivesTheFirstPlaceInColumnOrder) {
  // A 60 x 50 white image with the 2 x 2 pattern at (6,3) and at (5,40):
  // the smaller x comes first although its y is larger.
  const auto pattern = [](int x, int y) { return (x + y) % 2 == 0 ? RgbColour(0, 0, 0) : RgbColour(0, 255, 0); };
  world.files.Add("C:\\big.bmp", BmpOf(60, 50, [&](int x, int y) {
                    if (x >= 6 && x < 8 && y >= 3 && y < 5) return pattern(x - 6, y - 3);
                    if (x >= 5 && x < 7 && y >= 40 && y < 42) return pattern(x - 5, y - 40);
                    return RgbColour(255, 255, 255);
                  }));
  world.files.Add("C:\\pattern.bmp", BmpOf(2, 2, pattern));
  world.files.Add("C:\\corner.bmp", BmpOf(3, 3, [](int, int) { return RgbColour(255, 255, 255); }));
  world.files.Add("C:\\huge.bmp", BmpOf(61, 1, [](int, int) { return RgbColour(255, 255, 255); }));
  ASSERT_EQ(world.RunLines({"OPENGRAPH 1 C:\\big.bmp", "OPENGRAPH 2 C:\\pattern.bmp", "OPENGRAPH 3 C:\\corner.bmp",
                            "OPENGRAPH 4 C:\\huge.bmp"}),
            0);
  EXPECT_EQ(world.Eval("(searchgraph 1 2)"), "5,40");
  EXPECT_EQ(world.Eval("(searchgraph 1 3)"), "0,0");
  EXPECT_EQ(world.Eval("(searchgraph 1 4)"), "False");
  EXPECT_EQ(world.Eval("(searchgraph 2 1)"), "False");
}

// ---- the screen's pixels --------------------------------------------------

TEST(GetPixelTest, ReadsTheScreenEitherWay) {
  TestWorld world(kScreen);
  for (const char* flag : {"", " true", " TRUE"}) {
    EXPECT_EQ(world.Eval(std::string("(getpixel 10,20") + flag + ")"), "ff") << flag;
    EXPECT_EQ(world.Eval(std::string("(getpixel 5,1") + flag + ")"), "ffffff") << flag;
    EXPECT_EQ(world.Eval(std::string("(getpixel 5,50") + flag + ")"), "0") << flag;
    EXPECT_EQ(world.Eval(std::string("(getpixel 200,0") + flag + ")"), "ffffffff") << flag;
    EXPECT_EQ(world.Eval(std::string("(getpixel -1,5") + flag + ")"), "ffffffff") << flag;
  }
  // Without the flag one pixel is read; with it the pixel is copied as a
  // capture copies it, one pixel and not the whole screen, and a point off
  // the screen copies nothing.
  EXPECT_EQ(world.CountCalls("GetPixel"), 5);
  EXPECT_EQ(world.CountCalls("BitBlt"), 6);
  for (const std::string& width : world.CallsOf("BitBlt", "width")) EXPECT_EQ(width, "1");
  for (const std::string& height : world.CallsOf("BitBlt", "height")) EXPECT_EQ(height, "1");
}

TEST(GetPixelTest, ReadsOnePixelOfAScreenTooLargeToCapture) {
  TestWorld world(R"({"screen": {"width": 20000, "height": 20000, "fill": "#0000FF",
                                 "rects": [{"rect": [19990, 19990, 20000, 20000], "colour": "#00FF00"}]}})");
  EXPECT_EQ(world.Eval("(getpixel 19995,19995 true)"), "ff00");
  EXPECT_EQ(world.Eval("(getpixel 0,0 true)"), "ff0000");
  EXPECT_EQ(world.Eval("(getpixel 20000,0 true)"), "ffffffff");
}

TEST(GetPixelTest, CaptureThenSearchFindsWhatIsOnTheScreen) {
  // The usual macro: capture the screen, find the button, click it.
  TestWorld world(kScreen);
  world.files.Add("C:\\button.bmp", BmpOf(4, 4, [](int, int) { return RgbColour(255, 0, 0); }));
  ASSERT_EQ(world.RunLines({"DIM %at", "CAPTURESCREEN C:\\screen.bmp", "OPENGRAPH 1 C:\\screen.bmp",
                            "OPENGRAPH 2 C:\\button.bmp", "SET %at (searchgraph 1 2)", "MOVETO %at"}),
            0)
      << world.Boxes().front();
  EXPECT_EQ(world.Var("%AT"), "10,20");
  EXPECT_EQ(world.CallsOf("SetCursorPos", "x"), std::vector<std::string>{"10"});
}

}  // namespace
}  // namespace vendrix::testing
