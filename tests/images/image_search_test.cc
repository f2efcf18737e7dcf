// Picture search: the fast search must give exactly what trying every
// place in column order gives, on random pictures, on needles cut from
// every edge of the haystack, and on repeating and near-miss patterns that
// make row fingerprints useless as a filter.
#include "images/image_search.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <functional>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "images/search_agreement.h"
#include "support/test_images.h"

namespace vendrix::images {
namespace {

using images::Colour;
using images::Image;
using image_search_internal::CountEveryRow;
using image_search_internal::SearchByRarePair;
using search_agreement::Disagreements;
using search_agreement::kGoodBase;
using search_agreement::Random;
using search_agreement::RandomImage;
using search_agreement::RepeatRows;
using search_agreement::Show;
using search_agreement::Uniform;
using test_images::Cut;
using test_images::Paste;
using test_images::Pattern;

void ExpectSameAsStraightforward(const Image& large, const Image& small, const std::string& what) {
  EXPECT_EQ(Disagreements(large, small), "") << what;
}

// The same, and the pass that reads every row compares no place in vain:
// its column matchers follow the rows as they are, so a place is compared
// only where every needle row lies.  A matcher left on a needle row its
// column no longer shows would still find every place, but would also
// propose places that are not there.
void ExpectExactWithoutVainComparisons(const Image& large, const Image& small, const std::string& what) {
  ExpectSameAsStraightforward(large, small, what);
  EXPECT_EQ(CountEveryRow(large, small, kGoodBase).misses, 0u) << what;
}

TEST(ImageSearchTest, SizesThatNeedNoSearch) {
  const Image large(7, 5, 0x123456);
  struct Case {
    int width;
    int height;
    std::optional<ImagePoint> expected;
  };
  const Case cases[] = {
      {0, 0, ImagePoint{0, 0}}, {0, 5, ImagePoint{0, 0}}, {7, 0, ImagePoint{0, 0}},
      {0, 6, std::nullopt},     {8, 0, std::nullopt},     {8, 5, std::nullopt},
      {7, 6, std::nullopt},     {8, 6, std::nullopt},
  };
  for (const Case& c : cases) {
    const Image small(c.width, c.height, 0x123456);
    const std::string what = std::to_string(c.width) + "x" + std::to_string(c.height);
    EXPECT_EQ(Show(SearchImage(large, small)), Show(c.expected)) << what;
    EXPECT_EQ(Show(SearchImageStraightforward(large, small)), Show(c.expected)) << what;
  }
  EXPECT_EQ(Show(SearchImage(Image(), Image())), "(0,0)");
  EXPECT_EQ(Show(SearchImage(Image(), Image(1, 1))), "none");
}

TEST(ImageSearchTest, BrokenSizesFindNothing) {
  Image shortPixels(4, 4, 1);
  shortPixels.pixels.resize(15);
  Image negative;
  negative.width = -1;
  negative.height = 2;
  const Image ones(4, 4, 1);
  const Image* const pairs[][2] = {
      {&shortPixels, &ones}, {&ones, &shortPixels}, {&ones, &negative}, {&negative, &ones}};
  for (const auto& [large, small] : pairs) {
    EXPECT_FALSE(SearchImage(*large, *small));
    EXPECT_FALSE(SearchImageStraightforward(*large, *small));
  }
}

TEST(ImageSearchTest, LeftmostColumnWinsOverTopmostRow) {
  Random random(11);
  Image large = RandomImage(random, 80, 60, 200);
  const Image small = RandomImage(random, 9, 7, 200);
  Paste(large, small, 6, 3);
  Paste(large, small, 5, 40);
  EXPECT_EQ(Show(SearchImage(large, small)), "(5,40)");
  EXPECT_EQ(Show(SearchImageStraightforward(large, small)), "(5,40)");

  // In one column the top place wins.
  Paste(large, small, 5, 12);
  EXPECT_EQ(Show(SearchImage(large, small)), "(5,12)");
}

TEST(ImageSearchTest, WholeHaystackAndSinglePixels) {
  Random random(12);
  const Image large = RandomImage(random, 33, 21, 5);
  EXPECT_EQ(Show(SearchImage(large, large)), "(0,0)");

  // A one-pixel needle is the first pixel of its colour in column order.
  for (Colour colour = 0; colour < 5; ++colour) {
    const Image pixel(1, 1, colour * 0x010203u);
    ExpectSameAsStraightforward(large, pixel, "pixel " + std::to_string(colour));
  }
  ExpectSameAsStraightforward(Image(1, 1, 9), Image(1, 1, 9), "1x1 in 1x1");
  ExpectSameAsStraightforward(Image(1, 1, 9), Image(1, 1, 8), "1x1 not in 1x1");
}

TEST(ImageSearchTest, NeedlesCutAtEveryBorderAndCorner) {
  Random random(13);
  for (int round = 0; round < 40; ++round) {
    const int width = Uniform(random, 1, 40), height = Uniform(random, 1, 40);
    const Image large = RandomImage(random, width, height, Uniform(random, 2, 6));
    const int w = Uniform(random, 1, width), h = Uniform(random, 1, height);
    const int xs[] = {0, (width - w) / 2, width - w};
    const int ys[] = {0, (height - h) / 2, height - h};
    for (int x : xs) {
      for (int y : ys) {
        const Image small = Cut(large, x, y, w, h);
        const std::string what = "round " + std::to_string(round) + " cut at " + std::to_string(x) + "," +
                                 std::to_string(y) + " size " + std::to_string(w) + "x" + std::to_string(h);
        const std::optional<ImagePoint> found = SearchImage(large, small);
        ASSERT_TRUE(found) << what;
        EXPECT_TRUE(found->x < x || (found->x == x && found->y <= y)) << what << " found " << Show(found);
        EXPECT_EQ(Show(found), Show(SearchImageStraightforward(large, small))) << what;
      }
    }
  }
}

TEST(ImageSearchTest, RandomPairsWithFewColours) {
  Random random(14);
  for (int round = 0; round < 2000; ++round) {
    const int colours = Uniform(random, 1, 4);
    const int width = Uniform(random, 0, 40), height = Uniform(random, 0, 40);
    const Image large = RandomImage(random, width, height, colours);
    // Needles a little larger than the haystack now and then.
    const Image small = RandomImage(random, Uniform(random, 0, std::min(width + 1, 6)),
                                    Uniform(random, 0, std::min(height + 1, 6)), colours);
    ExpectSameAsStraightforward(large, small, "round " + std::to_string(round));
  }
}

TEST(ImageSearchTest, NearMissesOfPlantedNeedles) {
  // The needle is planted several times, each copy but the last spoilt in
  // one pixel, so checking stops late and the answer hides behind misses.
  Random random(15);
  for (int round = 0; round < 60; ++round) {
    const int width = Uniform(random, 20, 70), height = Uniform(random, 20, 70);
    Image large = RandomImage(random, width, height, 3);
    const Image small = RandomImage(random, Uniform(random, 2, 12), Uniform(random, 2, 12), 3);
    for (int copy = Uniform(random, 1, 6); copy > 0; --copy) {
      const int x = Uniform(random, 0, width - small.width), y = Uniform(random, 0, height - small.height);
      Paste(large, small, x, y);
      if (copy > 1) {
        const int i = Uniform(random, 0, small.width - 1), j = Uniform(random, 0, small.height - 1);
        large.Set(x + i, y + j, large.At(x + i, y + j) ^ 0x800000u);
      }
    }
    ExpectSameAsStraightforward(large, small, "round " + std::to_string(round));
  }
}

// Pictures on which every sampled row is full of candidate places, big
// enough that the search gives up checking them one by one and reads every
// row instead.
// Copies of the needle in column order, each spoilt in one pixel of the
// row the table gives (-1: an exact copy).  The row that ruled out the
// last copy is compared first at the next, so the flaws move between the
// front and the back of that order; a copy spoilt in any row must still
// be ruled out.
TEST(ImageSearchTest, NearMissesWithFlawsInChangingRows) {
  Random random(19);
  const Image small = RandomImage(random, 12, 12, 3);
  const std::vector<std::vector<int>> flawRows = {
      {11, 11, 3, 11, 3, 0, 7, 7, 11, 0},
      {11, 11, 3, 11, 3, 0, 7, 7, 11, -1},
      {5, 5, 5, 6, 5, 6, -1, 6, 5},
      {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 11, 10, 9, 8, 7, 6, 5, 4, 3, 2, 1, 0},
  };
  for (size_t t = 0; t < flawRows.size(); ++t) {
    Image large(20 + 16 * static_cast<int>(flawRows[t].size()), 40, 0x777777);
    for (size_t copy = 0; copy < flawRows[t].size(); ++copy) {
      Image spoilt = small;
      const int row = flawRows[t][copy];
      const int column = static_cast<int>(copy * 5 % 12);
      if (row >= 0) spoilt.Set(column, row, small.At(column, row) ^ 0x400000u);
      Paste(large, spoilt, 10 + 16 * static_cast<int>(copy), static_cast<int>(copy % 7));
    }
    ExpectSameAsStraightforward(large, small, "table " + std::to_string(t));
  }
}

TEST(ImageSearchTest, RepeatingAndFlatPictures) {
  const auto checker = [](int period) {
    return [period](int x, int y) { return ((x / period + y / period) % 2) ? Colour{0xFFFFFF} : Colour{0}; };
  };
  const auto stripes = [](int period) {
    return [period](int x, int) { return static_cast<Colour>(x % period) * 0x111111u; };
  };
  const auto flat = [](int, int) { return Colour{0xF0F0F0}; };
  struct Case {
    const char* name;
    std::function<Colour(int, int)> large;
    std::function<Colour(int, int)> small;
    int width;
    int height;
  };
  const std::vector<Case> cases = {
      {"flat, needle differs in its last pixel", flat,
       [](int x, int y) { return x == 15 && y == 15 ? Colour{0xF0F0F1} : Colour{0xF0F0F0}; }, 16, 16},
      {"flat, needle differs in its first pixel", flat,
       [](int x, int y) { return x == 0 && y == 0 ? Colour{1} : Colour{0xF0F0F0}; }, 16, 16},
      {"flat needle on flat screen", flat, flat, 16, 16},
      {"checkerboard 2, one pixel flipped", checker(2),
       [&](int x, int y) { return (x == 9 && y == 13) ? ~checker(2)(x, y) & 0xFFFFFF : checker(2)(x, y); }, 16,
       16},
      {"checkerboard 3 in checkerboard 3", checker(3), checker(3), 16, 16},
      {"checkerboard 3, needle shifted by one", checker(3), [&](int x, int y) { return checker(3)(x + 1, y); },
       16, 16},
      {"stripes 5, bottom row spoilt", stripes(5),
       [&](int x, int y) { return y == 15 ? Colour{0x123} : stripes(5)(x, y); }, 16, 16},
      {"stripes 4 in stripes 4", stripes(4), stripes(4), 12, 16},
  };
  for (const Case& c : cases) {
    const Image large = Pattern(240, 120, c.large);
    const Image small = Pattern(c.width, c.height, c.small);
    ExpectSameAsStraightforward(large, small, c.name);
  }
}

TEST(ImageSearchTest, TiledHaystackWithSpoiltNeedle) {
  // The haystack repeats one tile; the needle is a tile-sized window with
  // one pixel changed, except in the round where one tile is changed to
  // match it far to the right.
  Random random(16);
  for (int round = 0; round < 8; ++round) {
    const int tile = Uniform(random, 3, 10);
    const Image pattern = RandomImage(random, tile, tile, 3);
    Image large = Pattern(200, 90, [&](int x, int y) { return pattern.At(x % tile, y % tile); });
    Image small = Cut(large, 1, 2, 12, 12);
    small.Set(Uniform(random, 0, 11), Uniform(random, 0, 11), 0x00ABCDEF);
    if (round % 2 == 1) Paste(large, small, 180, Uniform(random, 0, 78));
    ExpectSameAsStraightforward(large, small, "round " + std::to_string(round));
  }
}

TEST(ImageSearchTest, TallNeedleWithManyDifferentRows) {
  // 1100 different rows, one of them busy: every row of the haystack is
  // read, and the row sequence is matched without a full table.
  const int height = 1100;
  const auto needleColour = [](int x, int y) {
    return y == 700 ? static_cast<Colour>(x * 0x10101) : static_cast<Colour>(y + 1);
  };
  const Image small = Pattern(3, height, needleColour);
  // The same rows shifted down by 1 to 130 in different columns: near
  // misses in all but one column.
  Image large = Pattern(40, height + 140, [&](int x, int y) {
    const int shift = x * 7 % 131;
    return y >= shift && y < shift + height ? needleColour(0, y - shift) : Colour{0xABCDEF};
  });
  ExpectSameAsStraightforward(large, small, "shifted rows");
  Paste(large, small, 31, 17);
  ExpectSameAsStraightforward(large, small, "planted");
}

TEST(ImageSearchTest, PixelsOutsideTheColourRange) {
  // Colour values beyond 24 bits that equal the needle's modulo 2^31-1
  // give every window the needle's fingerprints in the fast arithmetic;
  // the search must notice the failed comparisons and still be exact.
  const Colour twin = 5 + 0x7FFFFFFFu;
  Image large(300, 120, twin);
  const Image small(8, 8, 5);
  ExpectSameAsStraightforward(large, small, "no match among twins");
  Paste(large, small, 250, 100);
  ExpectSameAsStraightforward(large, small, "one match among twins");
  EXPECT_EQ(Show(SearchImage(large, small)), "(250,100)");

  Image busy = small;
  busy.Set(3, 3, 0xFFFFFFFF);
  Image twins(200, 90, twin);
  for (int y = 0; y < 90; ++y) twins.Set(y * 2, y, 0xFFFFFFFF - 0x7FFFFFFFu);
  ExpectSameAsStraightforward(twins, busy, "busy needle among twins");
}

// Haystacks that defeat row fingerprints but hold a needle pixel pair
// rarely or never: the rare-pair filter must answer on its own, exactly.
// Widths that are not a multiple of eight leave pixels for the scalar tail
// of the vector scan.
TEST(ImageSearchTest, RarePairAnswersFlatAndRepeatingPictures) {
  const std::vector<std::pair<const char*, std::function<Colour(int, int)>>> haystacks = {
      {"flat", [](int, int) { return Colour{0xF0F0F0}; }},
      {"checkerboard 1", [](int x, int y) { return (x + y) % 2 ? Colour{0xFFFFFF} : Colour{0}; }},
      {"checkerboard 7", [](int x, int y) { return (x / 7 + y / 7) % 2 ? Colour{0xFFFFFF} : Colour{0}; }},
      {"rows of period 32", [](int, int y) { return static_cast<Colour>(y % 32) * 0x050505u; }},
      {"tiles of 8", [](int x, int y) { return static_cast<Colour>((x % 8) * 3 + (y % 8) * 5) % 7 * 0x202020u; }},
  };
  struct Needle {
    int width;
    int height;
    int spoiltX;  // the pixel given a colour the haystack lacks
    int spoiltY;
  };
  const Needle needles[] = {{1, 1, 0, 0},   {1, 9, 0, 8},    {9, 1, 8, 0},     {2, 2, 1, 1},
                            {16, 16, 0, 0}, {16, 16, 15, 15}, {16, 16, 7, 15},  {33, 20, 32, 0}};
  const Colour spoilt = 0x00ABCDEF;
  for (const auto& [name, colour] : haystacks) {
    for (int width : {203, 96}) {
      Image large = Pattern(width, 77, colour);
      for (const Needle& n : needles) {
        Image small = Cut(large, 3, 5, n.width, n.height);
        small.Set(n.spoiltX, n.spoiltY, spoilt);
        const std::string what = std::string(name) + " " + std::to_string(width) + " wide, needle " +
                                 std::to_string(n.width) + "x" + std::to_string(n.height) + " spoilt at " +
                                 std::to_string(n.spoiltX) + "," + std::to_string(n.spoiltY);
        // Absent; then planted at the right edge, the bottom edge and the
        // far corner, each earlier copy staying in place: the answer
        // moves to the leftmost.
        const int places[][2] = {{-1, -1},
                                 {width - n.width, 40},
                                 {width - n.width, 0},
                                 {50, 77 - n.height},
                                 {width - n.width, 77 - n.height}};
        for (const auto& place : places) {
          if (place[0] >= 0) Paste(large, small, place[0], place[1]);
          const auto rare = SearchByRarePair(large, small);
          const std::string at = what + (place[0] < 0 ? ", absent" : ", planted at " + std::to_string(place[0]) +
                                                                         "," + std::to_string(place[1]));
          ASSERT_TRUE(rare) << at;
          EXPECT_EQ(Show(*rare), Show(SearchImageStraightforward(large, small))) << at;
          ExpectSameAsStraightforward(large, small, at);
        }
      }
    }
  }
}

// Many copies of the needle, all but some spoilt in a pixel its probes do
// not look at, so that ruling each out costs a whole comparison: the
// filter gives up part way, and the search must go on from there.
TEST(ImageSearchTest, RarePairGivesUpPartWayAndTheSearchGoesOn) {
  Random random(17);
  const Image small = RandomImage(random, 40, 40, 3);
  Image spoiltCopy = small;
  spoiltCopy.Set(39, 39, small.At(39, 39) ^ 0x400000u);
  for (int exact : {-1, 0, 30, 59}) {  // which copy, in column order, is exact
    Image large(60 * 8, 50, 0x777777);
    for (int copy = 0; copy < 60; ++copy) Paste(large, copy == exact ? small : spoiltCopy, copy * 8, copy % 11);
    const std::string what = "exact copy " + std::to_string(exact);
    const auto rare = SearchByRarePair(large, small);
    if (rare) {
      EXPECT_EQ(Show(*rare), Show(SearchImageStraightforward(large, small))) << what;
    }
    ExpectSameAsStraightforward(large, small, what);
  }
}

// Random small-coloured pictures, needles cut from them and spoilt in a
// random pixel with one of the haystack's own colours: the filter may give
// up, but whatever it answers is the plain search's answer.
TEST(ImageSearchTest, RarePairNeverAnswersWrongly) {
  Random random(18);
  int answered = 0;
  for (int round = 0; round < 300; ++round) {
    const int width = Uniform(random, 1, 90), height = Uniform(random, 1, 70);
    const Image large = RandomImage(random, width, height, Uniform(random, 1, 5));
    const int w = Uniform(random, 1, std::min(width, 12)), h = Uniform(random, 1, std::min(height, 12));
    Image small = Cut(large, Uniform(random, 0, width - w), Uniform(random, 0, height - h), w, h);
    if (Uniform(random, 0, 1)) small.Set(Uniform(random, 0, w - 1), Uniform(random, 0, h - 1), large.At(0, 0));
    const auto rare = SearchByRarePair(large, small);
    const std::string what = "round " + std::to_string(round);
    if (rare) {
      ++answered;
      EXPECT_EQ(Show(*rare), Show(SearchImageStraightforward(large, small))) << what;
    }
    ExpectSameAsStraightforward(large, small, what);
  }
  EXPECT_GT(answered, 100);  // small pictures stay under the filter's limits
}

// The rare pair stops counting as soon as every pair of the needle is too
// common to look for, and only then: one pixel of a colour found nowhere
// else keeps it going, however common the needle's other pairs are.
TEST(ImageSearchTest, RarePairGivesUpOnlyWhenEveryPairIsCommon) {
  const auto stripes = [](int x, int) { return x % 3 == 0 ? Colour{0xFFFFFF} : Colour{0}; };
  for (const bool oneRarePixel : {false, true}) {
    Image large = Pattern(400, 300, stripes);
    if (oneRarePixel) large.Set(250, 200, 0x00ABCDEF);
    const Image small = Cut(large, 240, 190, 24, 24);
    const std::string what = oneRarePixel ? "one rare pixel" : "stripes only";
    const auto rare = SearchByRarePair(large, small);
    EXPECT_EQ(rare.has_value(), oneRarePixel) << what;
    if (rare) {
      EXPECT_EQ(Show(*rare), "(240,190)") << what;
    }
    ExpectSameAsStraightforward(large, small, what);
  }
}

// Haystacks whose rows repeat the row above: such rows are compared with
// that row instead of fingerprinted, and only their columns holding a
// needle row step on.  Vertical stripes make every row alike; planted
// copies break the runs, so the alike rows come before, between and after
// fingerprinted ones.
TEST(ImageSearchTest, VerticalStripesWithNeedlesSpoiltAndPlanted) {
  const auto stripes = [](int x, int) { return static_cast<Colour>(x * 7 % 13 % 3) * 0x7F7F7Fu; };
  struct Needle {
    const char* name;
    int width;
    int height;
    int spoiltX;  // -1: an exact cut, found at many places
    int spoiltY;
  };
  const Needle needles[] = {{"spoilt in its top row", 12, 10, 5, 0},
                            {"spoilt in its middle row", 12, 10, 11, 4},
                            {"spoilt in its bottom row", 12, 10, 0, 9},
                            {"one column, spoilt at the bottom", 1, 7, 0, 6},
                            {"one row, spoilt", 9, 1, 4, 0},
                            {"exact", 12, 10, -1, -1},
                            {"exact, as tall as the haystack", 5, 61, -1, -1}};
  for (int width : {203, 96}) {
    for (const Needle& n : needles) {
      Image large = Pattern(width, 61, stripes);
      Image small = Cut(large, 3, 0, n.width, n.height);
      // With the other stripe colour: every pixel pair of it is common.
      if (n.spoiltX >= 0) small.Set(n.spoiltX, n.spoiltY, small.At(n.spoiltX, n.spoiltY) == 0 ? 0x7F7F7Fu : 0);
      const std::string what = std::to_string(width) + " wide, needle " + n.name;
      ExpectSameAsStraightforward(large, small, what);
      const int places[][2] = {{width - n.width, 61 - n.height}, {width - n.width, 0}, {40, 61 - n.height}};
      for (const auto& place : places) {
        Paste(large, small, place[0], place[1]);
        ExpectSameAsStraightforward(large, small,
                                    what + ", planted at " + std::to_string(place[0]) + "," + std::to_string(place[1]));
      }
    }
  }
}

// How RandomRepeatedRows draws a picture and its needle.
struct RepeatedRowsShape {
  int maxWidth;
  int maxHeight;
  int minPercentCopied;  // of the rows below the first, at least
  int farthest;          // rows copy a row up to this many above
  int maxNeedleSide;
};

struct Haystack {
  Image large;
  Image small;
};

// A picture of two or three colours whose rows are often copies of a row
// above, and a needle cut from it: kept, or spoilt with one of the
// haystack's colours, and a third of the time planted again at the right
// edge.
Haystack RandomRepeatedRows(Random& random, const RepeatedRowsShape& shape) {
  const int width = Uniform(random, 1, shape.maxWidth), height = Uniform(random, 1, shape.maxHeight);
  Image large = RandomImage(random, width, height, Uniform(random, 2, 3));
  RepeatRows(random, large, Uniform(random, shape.minPercentCopied, 100), shape.farthest);
  const int w = Uniform(random, 1, std::min(width, shape.maxNeedleSide));
  const int h = Uniform(random, 1, std::min(height, shape.maxNeedleSide));
  Image small = Cut(large, Uniform(random, 0, width - w), Uniform(random, 0, height - h), w, h);
  if (Uniform(random, 0, 1)) small.Set(Uniform(random, 0, w - 1), Uniform(random, 0, h - 1), large.At(0, 0));
  if (Uniform(random, 0, 2) == 0) Paste(large, small, width - w, Uniform(random, 0, height - h));
  return {std::move(large), std::move(small)};
}

// Random runs of alike rows, needles cut across them, spoilt with one of
// the haystack's colours or kept exact, and planted again further right.
TEST(ImageSearchTest, RunsOfAlikeRows) {
  Random random(21);
  for (int round = 0; round < 250; ++round) {
    const Haystack h = RandomRepeatedRows(random, {120, 90, 50, 1, 16});
    ExpectSameAsStraightforward(h.large, h.small, "round " + std::to_string(round));
  }
}

// Rows that come back every `period` rows, each row of a period showing
// the stripes shifted by another amount: a row is compared with the four
// rows above and looked up by its key beyond them, and reuses its twin's
// hits either way (the columns holding a needle row change from row to
// row).  Needles are cut across the periods, spoilt
// with the other stripe colour or kept exact, or made of the cut's top
// row stacked, which the stripes never do: a column that shows that row
// once a period must go back to the start in the rows between.  Each is
// planted at the last and first column, at the bottom edge and in the
// middle, each earlier copy staying in place.
TEST(ImageSearchTest, RowsRepeatingWithAPeriod) {
  struct Needle {
    const char* name;
    int width;
    int height;
    int spoiltX;  // -1: an exact cut, found at many places
    int spoiltY;
    bool topRowStacked = false;
  };
  const Needle needles[] = {{"spoilt in its top row", 12, 9, 4, 0},
                            {"spoilt in its middle row", 12, 9, 11, 4},
                            {"spoilt in its bottom row", 12, 9, 0, 8},
                            {"one column, spoilt", 1, 7, 0, 3},
                            {"exact", 12, 9, -1, -1},
                            {"exact, one row", 10, 1, -1, -1},
                            {"top row stacked twice", 12, 2, -1, -1, true},
                            {"top row stacked three times", 5, 3, -1, -1, true}};
  const int width = 151, height = 47;
  for (int period : {2, 3, 4, 5, 6, 11, 23}) {
    const auto stripes = [period](int x, int y) {
      return static_cast<Colour>((x + y % period * 5) * 7 % 17 % 3) * 0x7F7F7Fu;
    };
    for (const Needle& n : needles) {
      Image large = Pattern(width, height, stripes);
      Image small = n.topRowStacked ? Pattern(n.width, n.height, [&](int i, int) { return large.At(3 + i, 2); })
                                    : Cut(large, 3, 2, n.width, n.height);
      if (n.spoiltX >= 0) small.Set(n.spoiltX, n.spoiltY, small.At(n.spoiltX, n.spoiltY) == 0 ? 0x7F7F7Fu : 0);
      const std::string what = "period " + std::to_string(period) + ", needle " + n.name;
      ExpectExactWithoutVainComparisons(large, small, what);
      const int places[][2] = {
          {width - n.width, height - n.height}, {width - n.width, 20}, {60, 30}, {0, height - n.height}};
      for (const auto& place : places) {
        Paste(large, small, place[0], place[1]);
        ExpectExactWithoutVainComparisons(
            large, small, what + ", planted at " + std::to_string(place[0]) + "," + std::to_string(place[1]));
      }
    }
  }
}

// Random pictures whose rows are often copies of a row above: one to five
// rows above (twins compared and just beyond, found by key), or anywhere
// above; sources that are themselves copies, and rows whose needle-row
// columns differ from the row above's.  Needles are cut from them, kept or
// spoilt with one of the haystack's colours, and planted again at the
// right edge.
TEST(ImageSearchTest, RowsCopiedFromRowsAbove) {
  struct Case {
    int farthest;
    int rounds;
  };
  Random random(22);
  for (const Case c : {Case{5, 400}, Case{80, 200}}) {
    for (int round = 0; round < c.rounds; ++round) {
      const Haystack h = RandomRepeatedRows(random, {100, 80, 40, c.farthest, 10});
      ExpectExactWithoutVainComparisons(
          h.large, h.small, "up to " + std::to_string(c.farthest) + " above, round " + std::to_string(round));
    }
  }
}

// Rows copied from a row a few rows above but for one to three short runs
// of pixels (at the left edge, the right edge or inside), as the numbers
// of a list or a cursor make them: such a row takes its source's hits
// outside the runs and fingerprints only the windows over them.  Runs narrower and wider
// than the needle, needles cut across them, spoilt or kept, and a third of
// the time planted again over a run.
TEST(ImageSearchTest, RowsCopiedButForAFewPixels) {
  Random random(23);
  for (int round = 0; round < 300; ++round) {
    const int width = Uniform(random, 60, 300), height = Uniform(random, 2, 50);
    const int colours = Uniform(random, 2, 3);
    Image large = RandomImage(random, width, height, colours);
    for (int y = 1; y < height; ++y) {
      const int above = Uniform(random, 1, std::min(y, 8));
      for (int x = 0; x < width; ++x) large.Set(x, y, large.At(x, y - above));
      for (int runs = Uniform(random, 1, 3); runs > 0; --runs) {
        const int run = Uniform(random, 1, 16);
        const int places[] = {0, width - run, Uniform(random, 0, width - run)};
        const int at = places[Uniform(random, 0, 2)];
        for (int x = at; x < at + run; ++x)
          large.Set(x, y, static_cast<Colour>(Uniform(random, 0, colours - 1)) * 0x010203u);
      }
    }
    const int w = Uniform(random, 1, 12), h = Uniform(random, 1, std::min(height, 10));
    Image small = Cut(large, Uniform(random, 0, width - w), Uniform(random, 0, height - h), w, h);
    if (Uniform(random, 0, 1)) small.Set(Uniform(random, 0, w - 1), Uniform(random, 0, h - 1), large.At(0, 0));
    if (Uniform(random, 0, 2) == 0) Paste(large, small, Uniform(random, 0, width - w), Uniform(random, 0, height - h));
    ExpectExactWithoutVainComparisons(large, small, "round " + std::to_string(round));
  }
}

// Stripes whose rows come back every fifth row, each row with its number
// written in a few places: every row is the row five above but for the
// numbers, and rows with the same patches are fingerprinted together.  The
// places are the same in every row, or differ between even and odd rows
// (groups of rows with the same patches then interleave), and needles are
// cut across the numbers or clear of them, spoilt or kept, and planted at
// the right edge.
TEST(ImageSearchTest, RowsNumberedInPlaces) {
  struct Layout {
    const char* name;
    std::vector<int> even;  // where the number starts on even rows
    std::vector<int> odd;
  };
  const int width = 240, height = 70;
  const Layout layouts[] = {{"right edge", {width - 7}, {width - 7}},
                            {"both edges", {0, width - 7}, {0, width - 7}},
                            {"four places", {20, 80, 140, 200}, {20, 80, 140, 200}},
                            {"edges on even rows, middle on odd", {0, width - 7}, {110}},
                            {"one place on even rows, two on odd", {60}, {60, 180}}};
  const int needles[][4] = {{1, 3, 12, 9}, {30, 10, 12, 9}, {width - 9, 2, 9, 6}, {100, 0, 1, 7}, {50, 40, 20, 1}};
  for (const Layout& layout : layouts) {
    const Image large = Pattern(width, height, [&](int x, int y) {
      for (const int place : y % 2 == 0 ? layout.even : layout.odd)
        if (x >= place && x < place + 7) return (y >> (x - place)) & 1 ? Colour{0xFFFFFF} : Colour{0};
      return static_cast<Colour>((x + y % 5 * 5) * 7 % 17 % 3) * 0x7F7F7Fu;
    });
    for (const auto& n : needles) {
      for (const bool spoil : {false, true}) {
        Image haystack = large;
        Image small = Cut(haystack, n[0], n[1], n[2], n[3]);
        if (spoil) small.Set(n[2] / 2, n[3] / 2, small.At(n[2] / 2, n[3] / 2) == 0 ? 0x7F7F7Fu : 0);
        const std::string what = std::string(layout.name) + ", needle at " + std::to_string(n[0]) + "," +
                                 std::to_string(n[1]) + (spoil ? ", spoilt" : "");
        ExpectExactWithoutVainComparisons(haystack, small, what);
        Paste(haystack, small, width - n[2], height / 2);
        ExpectExactWithoutVainComparisons(haystack, small, what + ", planted");
      }
    }
  }
}

// Two rows that differ yet share a key, each coming back more than four
// rows below the other: the later one must not be given the other's hits
// over the pixels where they differ.  Rows of one period hold them in turn, fillers between.
TEST(ImageSearchTest, RowsSharingAKeyAreToldApart) {
  using image_search_internal::RowKey;
  const int width = 40, height = 48;
  const auto filler = [](int x, int y) { return static_cast<Colour>((x * 7 + y * 13) % 5) * 0x101010u; };
  // Two pixels read as one word: these two words give one step of the key
  // the same result (0xFFFFFFFF - kHigh and kLow over it).
  const Colour a[2] = {0xFFFFFFFEu, 0}, b[2] = {0x7A143589u, 0x9E3779B1u};
  const Image large = Pattern(width, height, [&](int x, int y) {
    if (y % 6 != 0 || x >= 2) return filler(x, y % 6 == 0 ? 0 : y);
    return (y / 6 % 2 == 0 ? a : b)[x];
  });
  ASSERT_EQ(RowKey(large.Row(0), width), RowKey(large.Row(6), width)) << "the fixture's rows must collide";
  ASSERT_NE(std::memcmp(large.Row(0), large.Row(6), width * sizeof(Colour)), 0);
  const int needles[][4] = {{0, 4, 10, 5}, {0, 10, 3, 3}, {0, 6, 2, 1}, {0, 0, 2, 1}, {1, 5, 6, 8}};
  for (const auto& n : needles) {
    const Image small = Cut(large, n[0], n[1], n[2], n[3]);
    ExpectExactWithoutVainComparisons(large, small, "needle cut at row " + std::to_string(n[1]));
  }
}

// Stripes whose odd rows are shifted, so every row below the second
// repeats the row two above.  An exact cut lies at many places: the first
// to end is found half way through a repeated row, and the columns right
// of it are dropped there.  A strip of copies at the left, starting at the
// given row and repeating two rows down too, holds a place further left
// but lower, which the columns still read must then find.
TEST(ImageSearchTest, PlaceFoundHalfWayThroughARepeatedRow) {
  const auto stripes = [](int x, int y) { return (x + y % 2 * 6) * 5 % 13 % 2 ? Colour{0xFFFFFF} : Colour{0x202020}; };
  const int width = 120, height = 60;
  struct Case {
    int needleHeight;
    int stripTop;  // first row of the strip at the left
  };
  const Case cases[] = {{6, 20}, {6, 21}, {5, 21}, {6, height - 6}, {1, 30}, {9, height - 9}};
  for (const Case& c : cases) {
    Image large = Pattern(width, height, stripes);
    const Image small = Cut(large, 30, 10, 7, c.needleHeight);
    for (int y = c.stripTop; y < height; ++y)
      for (int i = 0; i < small.width; ++i) large.Set(1 + i, y, small.At(i, (y - c.stripTop) % 2));
    const std::string what =
        "needle height " + std::to_string(c.needleHeight) + ", strip from row " + std::to_string(c.stripTop);
    // The fixture does what it says: the strip's top place comes first.
    EXPECT_EQ(Show(SearchImageStraightforward(large, small)), Show(ImagePoint{1, c.stripTop})) << what;
    ExpectExactWithoutVainComparisons(large, small, what);
  }
}

}  // namespace
}  // namespace vendrix::images
