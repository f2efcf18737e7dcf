// The pictures the image search is measured on: a 64x64 needle in a
// 1920x1080 haystack, on screen-like pictures and on pictures made to be
// awkward (flat screens, repeating patterns, near misses).  Shared by the
// native benchmark and the Windows timing program run under Wine.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "images/image.h"
#include "images/image_search.h"
#include "support/test_images.h"

namespace vendrix::image_cases {

using images::ImagePoint;
using images::Colour;
using images::Image;
using images::RgbColour;
using Random = std::mt19937_64;
using test_images::Cut;
using test_images::Paste;
using test_images::Pattern;

constexpr int kScreenWidth = 1920;
constexpr int kScreenHeight = 1080;
constexpr int kNeedle = 64;

inline int Uniform(Random& random, int low, int high) { return std::uniform_int_distribution<int>(low, high)(random); }

inline void Fill(Image& image, int x, int y, int width, int height, Colour colour) {
  for (int j = y; j < y + height; ++j)
    for (int i = x; i < x + width; ++i) image.Set(i, j, colour);
}

// A line of text: words of glyph-like strokes, with a softer colour beside
// some strokes as font smoothing leaves.
inline void Text(Image& image, Random& random, int x, int y, int width, Colour ink, Colour smooth) {
  const int end = x + width;
  while (x + 8 < end) {
    for (int letters = Uniform(random, 2, 9); letters > 0 && x + 8 < end; --letters) {
      for (int strokes = Uniform(random, 1, 3); strokes > 0; --strokes) {
        if (Uniform(random, 0, 1) == 0) {
          const int sx = x + Uniform(random, 0, 5), top = y + Uniform(random, 0, 4);
          Fill(image, sx, top, 1, Uniform(random, 4, 10), ink);
          Fill(image, sx + 1, top, 1, 3, smooth);
        } else {
          Fill(image, x + Uniform(random, 0, 2), y + Uniform(random, 2, 9), Uniform(random, 2, 5), 1, ink);
        }
      }
      x += 7;
    }
    x += Uniform(random, 4, 8);
  }
}

// A desktop: a gradient background, overlapping windows with title bar
// gradients, borders, toolbars, flat panels and lines of text, and a
// taskbar.  The last window sits at the right edge.
inline Image Screen(uint64_t seed) {
  Random random(seed);
  Image screen(kScreenWidth, kScreenHeight);
  for (int y = 0; y < kScreenHeight; ++y)
    Fill(screen, 0, y, kScreenWidth, 1,
         RgbColour(20 + y * 60 / kScreenHeight, 50 + y * 90 / kScreenHeight, 110 + y * 120 / kScreenHeight));
  for (int window = 0; window < 9; ++window) {
    const bool last = window == 8;
    const int width = last ? 560 : Uniform(random, 300, 900), height = last ? 700 : Uniform(random, 200, 700);
    const int x = last ? kScreenWidth - width - 4 : Uniform(random, 0, kScreenWidth - width);
    const int y = last ? 150 : Uniform(random, 0, kScreenHeight - 40 - height);
    Fill(screen, x, y, width, height, RgbColour(64, 64, 64));
    for (int i = 1; i < width - 1; ++i)  // title bar: horizontal gradient
      Fill(screen, x + i, y + 1, 1, 24, RgbColour(0, 40 + i * 100 / width, 140 + i * 100 / width));
    Text(screen, random, x + 8, y + 8, width / 3, RgbColour(255, 255, 255), RgbColour(120, 160, 220));
    Fill(screen, x + 1, y + 25, width - 2, 30, RgbColour(236, 236, 236));  // toolbar
    for (int button = x + 6; button + 24 < x + width; button += 28) {
      Fill(screen, button, y + 28, 24, 24, RgbColour(Uniform(random, 0, 255), Uniform(random, 0, 255), 200));
      Fill(screen, button, y + 51, 24, 1, RgbColour(160, 160, 160));
    }
    const Colour paper = window % 3 == 0 ? RgbColour(250, 250, 250) : RgbColour(255, 255, 255);
    Fill(screen, x + 1, y + 55, width - 2, height - 56, paper);
    for (int line = y + 62; line + 14 < y + height; line += 18) {
      if (Uniform(random, 0, 5) == 0) continue;  // paragraph gap
      // The last window is a document filled to its right edge.
      Text(screen, random, x + 10, line, last ? width - 20 : Uniform(random, width / 3, width - 20),
           RgbColour(20, 20, 20), RgbColour(150, 150, 150));
    }
  }
  Fill(screen, 0, kScreenHeight - 40, kScreenWidth, 40, RgbColour(40, 40, 48));
  for (int icon = 60; icon < 900; icon += 44)
    Fill(screen, icon, kScreenHeight - 34, 28, 28, RgbColour(Uniform(random, 0, 255), 120, Uniform(random, 0, 255)));
  return screen;
}

struct Case {
  std::string name;
  Image large;
  Image small;
  std::optional<ImagePoint> expected;
  bool slowStraightforward = false;  // run the yardstick only once
};

// The needle with one pixel changed.
inline Image Spoilt(Image needle, int i, int j) {
  needle.Set(i, j, needle.At(i, j) ^ 0x000101);
  return needle;
}

inline std::vector<Case> Cases() {
  std::vector<Case> cases;
  const int farX = kScreenWidth - kNeedle - 20, farY = 420;

  // Screen-like pictures.
  {
    const Image screen = Screen(1);
    const Image needle = Cut(screen, farX, farY, kNeedle, kNeedle);
    cases.push_back({"screen/match_far_right", screen, needle, ImagePoint{farX, farY}});
    // Desktop, border, title bar gradient and toolbar buttons.
    cases.push_back({"screen/match_far_right_title_bar", screen, Cut(screen, farX, 130, kNeedle, kNeedle),
                     ImagePoint{farX, 130}});
    cases.push_back({"screen/absent", screen, Cut(Screen(2), farX, farY, kNeedle, kNeedle), std::nullopt});
    cases.push_back({"screen/near_miss_centre_pixel", screen, Spoilt(needle, 32, 32), std::nullopt});
    cases.push_back({"screen/near_miss_last_pixel", screen, Spoilt(needle, 63, 63), std::nullopt});
  }

  // Flat screens.
  {
    const Colour white = RgbColour(255, 255, 255);
    const Image flat(kScreenWidth, kScreenHeight, white);
    Image lastPixel(kNeedle, kNeedle, white);
    lastPixel.Set(kNeedle - 1, kNeedle - 1, RgbColour(254, 255, 255));
    cases.push_back({"flat/needle_last_pixel_differs", flat, lastPixel, std::nullopt, true});
    Image bottomRows(kNeedle, kNeedle, white);
    Fill(bottomRows, 0, kNeedle - 2, kNeedle, 2, RgbColour(0, 0, 0));
    cases.push_back({"flat/needle_bottom_rows_differ", flat, bottomRows, std::nullopt, true});
    Image planted = flat;
    Paste(planted, lastPixel, farX, 700);
    cases.push_back({"flat/near_needles_then_match_far_right", planted, lastPixel, ImagePoint{farX, 700}, true});
  }

  // Two common colours everywhere.
  {
    Random random(3);
    const Colour a = RgbColour(255, 255, 255), b = RgbColour(0, 0, 0);
    const Image noise = Pattern(kScreenWidth, kScreenHeight, [&](int, int) { return Uniform(random, 0, 1) ? a : b; });
    const Image other = Pattern(kNeedle, kNeedle, [&](int, int) { return Uniform(random, 0, 1) ? a : b; });
    cases.push_back({"two_colours/noise_absent", noise, other, std::nullopt});
    std::vector<uint8_t> blockBits(static_cast<size_t>(kScreenWidth / 16 + 1) * (kScreenHeight / 16 + 1));
    for (uint8_t& bit : blockBits) bit = static_cast<uint8_t>(Uniform(random, 0, 1));
    const Image blocks = Pattern(kScreenWidth, kScreenHeight, [&](int x, int y) {
      return blockBits[static_cast<size_t>(y / 16) * (kScreenWidth / 16 + 1) + static_cast<size_t>(x / 16)] ? a : b;
    });
    cases.push_back({"two_colours/blocks_near_miss", blocks, Spoilt(Cut(blocks, farX, farY, kNeedle, kNeedle), 40, 40),
                     std::nullopt, true});
  }

  // Repeating patterns, with the needle spoilt in its last pixel.
  const auto periodic = [&](const std::string& name, const std::function<Colour(int, int)>& colour) {
    const Image large = Pattern(kScreenWidth, kScreenHeight, colour);
    cases.push_back({"periodic/" + name, large, Spoilt(Cut(large, 0, 0, kNeedle, kNeedle), kNeedle - 1, kNeedle - 1),
                     std::nullopt, true});
  };
  periodic("checker_1", [](int x, int y) { return (x + y) % 2 ? Colour{0xFFFFFF} : Colour{0}; });
  periodic("checker_8", [](int x, int y) { return (x / 8 + y / 8) % 2 ? Colour{0xFFFFFF} : Colour{0}; });
  periodic("checker_7", [](int x, int y) { return (x / 7 + y / 7) % 2 ? Colour{0xFFFFFF} : Colour{0}; });
  periodic("stripes_3", [](int x, int) { return static_cast<Colour>(x % 3) * 0x404040u; });
  periodic("rows_5", [](int, int y) { return static_cast<Colour>(y % 5) * 0x303030u; });

  // A repeated tile; the needle is one tile-sized window with one pixel
  // changed (near misses at every repeat), then the same with one exact
  // copy planted far right.
  for (int tile : {8, 50, 64}) {
    Random random(static_cast<uint64_t>(tile));
    Image pattern(tile, tile);
    for (Colour& pixel : pattern.pixels) pixel = RgbColour(0, 0, static_cast<uint8_t>(Uniform(random, 0, 2) * 100));
    Image large = Pattern(kScreenWidth, kScreenHeight, [&](int x, int y) { return pattern.At(x % tile, y % tile); });
    const Image needle = Spoilt(Cut(large, 3, 5, kNeedle, kNeedle), 33, 31);
    const std::string name = "tiled_" + std::to_string(tile);
    cases.push_back({name + "/near_misses", large, needle, std::nullopt, true});
    Paste(large, needle, farX, farY);
    cases.push_back({name + "/near_misses_then_match_far_right", large, needle, ImagePoint{farX, farY}, true});
  }
  // Near misses in the colours the haystack is made of: every pair of
  // neighbouring needle pixels is common, so no rare pixel narrows the search.
  {
    Random random(4);
    const Colour a = RgbColour(255, 255, 255), b = RgbColour(0, 0, 0);
    Image pattern(50, 50);
    for (Colour& pixel : pattern.pixels) pixel = Uniform(random, 0, 1) ? a : b;
    const Image large = Pattern(kScreenWidth, kScreenHeight, [&](int x, int y) { return pattern.At(x % 50, y % 50); });
    Image needle = Cut(large, 3, 5, kNeedle, kNeedle);
    needle.Set(33, 31, needle.At(33, 31) == a ? b : a);
    cases.push_back({"tiled_50/near_misses_in_its_colours", large, needle, std::nullopt, true});
  }
  // Columns of the same two colours repeating every 50 pixels, alike in
  // every row, and the needle spoilt with the other colour: a near miss
  // lies at every row of 37 columns, too many places to compare, and no
  // pair of needle pixels is rare, so only the pass that reads every row
  // is left.  Every row repeats the one above, which that pass reads as
  // fast as a comparison.  Then the same stripes with every other row
  // shifted by 25 pixels: no row repeats the one above, but each repeats
  // the row two above, and that pass reuses what it found there.  Rows
  // that come back every fourth row are the furthest it compares with;
  // rows that come back every fifth are beyond, found by their key.
  {
    Random random(5);
    const Colour a = RgbColour(255, 255, 255), b = RgbColour(0, 0, 0);
    std::vector<Colour> stripes(50);
    for (Colour& colour : stripes) colour = Uniform(random, 0, 1) ? a : b;
    const auto spoilt = [&](const Image& large, int x = 3) {
      Image needle = Cut(large, x, 5, kNeedle, kNeedle);
      needle.Set(33, 31, needle.At(33, 31) == a ? b : a);
      return needle;
    };
    const Image large =
        Pattern(kScreenWidth, kScreenHeight, [&](int x, int) { return stripes[static_cast<size_t>(x % 50)]; });
    cases.push_back({"stripes_50/near_misses_in_its_colours", large, spoilt(large), std::nullopt, true});
    const Image alternating = Pattern(kScreenWidth, kScreenHeight, [&](int x, int y) {
      return stripes[static_cast<size_t>((x + y % 2 * 25) % 50)];
    });
    cases.push_back({"stripes_50/rows_alternating_near_misses", alternating, spoilt(alternating), std::nullopt, true});
    for (int period : {4, 5}) {
      const Image shifted = Pattern(kScreenWidth, kScreenHeight, [&](int x, int y) {
        return stripes[static_cast<size_t>((x + y % period * 10) % 50)];
      });
      cases.push_back({"stripes_50/rows_of_period_" + std::to_string(period) + "_near_misses", shifted,
                       spoilt(shifted), std::nullopt, true});
    }
    // The rows of period 5 with the row's number written in the two
    // colours: no row repeats another, but each is the row five above but
    // for its number, so only the windows over the number are fingerprinted,
    // at the right edge or at both edges.  With a number in four places
    // across the row the windows over them are too many: every row is
    // fingerprinted whole, the worst case left.
    struct Numbered {
      const char* name;
      std::vector<int> places;  // where each copy of the number starts
    };
    const Numbered numbered[] = {{"stripes_50/rows_numbered_near_misses", {kScreenWidth - 16}},
                                 {"stripes_50/rows_numbered_at_both_edges_near_misses", {0, kScreenWidth - 16}},
                                 {"stripes_50/rows_numbered_in_four_places_near_misses", {232, 712, 1192, 1672}}};
    for (const Numbered& n : numbered) {
      const Image stamped = Pattern(kScreenWidth, kScreenHeight, [&](int x, int y) {
        for (const int place : n.places)
          if (x >= place && x < place + 16) return (y >> (x - place)) & 1 ? a : b;
        return stripes[static_cast<size_t>((x + y % 5 * 10) % 50)];
      });
      // Each needle clear of the numbers (the first where the older
      // pictures have theirs).
      cases.push_back({n.name, stamped, spoilt(stamped, n.places.size() == 1 ? 3 : 103), std::nullopt, true});
    }
  }
  // Values of 2^31-1 and more are no colours, but an image could hold
  // them; these equal the needle's colour modulo 2^31-1.
  {
    Image twins(kScreenWidth, kScreenHeight, 5 + 0x7FFFFFFFu);
    const Image needle(kNeedle, kNeedle, 5);
    cases.push_back({"no_colour_values/absent", twins, needle, std::nullopt, true});
  }
  return cases;
}

inline std::string Show(const std::optional<ImagePoint>& point) {
  return point ? "(" + std::to_string(point->x) + "," + std::to_string(point->y) + ")" : "none";
}

}  // namespace vendrix::image_cases
