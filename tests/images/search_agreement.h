// The plain search as the yardstick of the fast one: random pictures to
// try them on, and the fast search run every way it can be run, compared
// with the plain search.  Shared by the unit tests and by the check the
// Windows build runs under Wine.
#pragma once

#include <algorithm>
#include <cstdint>
#include <optional>
#include <random>
#include <string>

#include "images/image.h"
#include "images/image_search.h"

namespace vendrix::search_agreement {

using images::Colour;
using images::Image;
using images::ImagePoint;

// Fixed seeds: a failure names its seed and reproduces.
using Random = std::mt19937_64;

inline int Uniform(Random& random, int low, int high) { return std::uniform_int_distribution<int>(low, high)(random); }

// A picture of `colours` distinct colours; few colours make matches and
// near matches likely.
inline Image RandomImage(Random& random, int width, int height, int colours) {
  Image image(width, height);
  for (Colour& pixel : image.pixels) pixel = static_cast<Colour>(Uniform(random, 0, colours - 1)) * 0x010203u;
  return image;
}

// Makes about `percent` % of the rows (below the first) copies of a row
// up to `farthest` rows above, each distance as likely: with 1, runs of
// alike rows, as flat areas and vertical stripes have; further, rows that
// come back after a few others, as lines shifted back and forth do.
inline void RepeatRows(Random& random, Image& image, int percent, int farthest = 1) {
  for (int y = 1; y < image.height; ++y) {
    if (Uniform(random, 1, 100) > percent) continue;
    const int above = farthest == 1 ? 1 : Uniform(random, 1, std::min(farthest, y));
    for (int x = 0; x < image.width; ++x) image.Set(x, y, image.At(x, y - above));
  }
}

// A base that is good in both fields (at least 2^32 below 2^59).
inline constexpr uint64_t kGoodBase = 0x0123456789ABCDEFu;

inline std::string Show(const std::optional<ImagePoint>& point) {
  return point ? "(" + std::to_string(point->x) + "," + std::to_string(point->y) + ")" : "none";
}

// Where the fast search disagrees with the plain one, as text; empty when
// it never does.  It runs with a random base; with bases 0, 1 and 2, whose
// fingerprints collide for many different rows, so every hit must be
// compared pixel by pixel; with each choice of vector instructions; the
// pass that reads every row alone, the same ways; and the rare-pair filter
// alone, when it answers.
inline std::string Disagreements(const Image& large, const Image& small) {
  using images::image_search_internal::SearchByEveryRow;
  using images::image_search_internal::SearchByRarePair;
  using images::image_search_internal::SearchImageWithBase;
  using images::image_search_internal::Vectors;
  const std::string expected = Show(images::SearchImageStraightforward(large, small));
  std::string report;
  const auto compare = [&](const std::string& way, const std::optional<ImagePoint>& found) {
    if (Show(found) != expected) report += way + " found " + Show(found) + ", expected " + expected + "; ";
  };
  compare("random base", images::SearchImage(large, small));
  for (uint64_t base : {0u, 1u, 2u})
    compare("base " + std::to_string(base), SearchImageWithBase(large, small, base));
  compare("SSE2 only", SearchImageWithBase(large, small, kGoodBase, Vectors::kSse2));
  compare("no vectors", SearchImageWithBase(large, small, kGoodBase, Vectors::kNone));
  for (const auto& [way, vectors] : {std::pair{"every row alone", Vectors::kBest},
                                     std::pair{"every row alone, SSE2 only", Vectors::kSse2},
                                     std::pair{"every row alone, no vectors", Vectors::kNone}})
    compare(way, SearchByEveryRow(large, small, kGoodBase, vectors));
  compare("every row alone, base 0", SearchByEveryRow(large, small, 0));
  if (const auto rare = SearchByRarePair(large, small)) compare("rare pair alone", *rare);
  return report;
}

}  // namespace vendrix::search_agreement
