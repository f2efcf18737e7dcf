// Finding one picture inside another, as searchgraph does on the screen or
// on an image slot.  Only exact matches count: every pixel of the small
// picture must equal the pixel under it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

#include "images/image.h"

namespace vendrix::images {

struct ImagePoint {
  int x = 0;
  int y = 0;
  bool operator==(const ImagePoint&) const = default;
};

// The top-left corner of the first place where `small` lies in `large`,
// taking places column by column: the leftmost column first, and within a
// column the topmost place first.  An empty small picture matches at (0,0)
// when it is no wider and no taller than the large one.  Nothing when the
// small picture is wider or taller, or either picture's size is broken.
std::optional<ImagePoint> SearchImage(const Image& large, const Image& small);

// The same answer by trying every place in that order and comparing every
// pixel.  Slow on awkward pictures; kept as the yardstick for SearchImage.
std::optional<ImagePoint> SearchImageStraightforward(const Image& large,
                                                     const Image& small);

namespace image_search_internal {

// The vector instructions that roll the row fingerprints: the fastest the
// processor has, SSE2 (what the 32-bit build gets), or none.  Every choice
// gives the same fingerprints and so the same answer.
enum class Vectors { kBest, kSse2, kNone };

// SearchImage with a chosen hash base instead of a random one.  A poor base
// (0, 1, 2) makes fingerprints of different rows collide all the time, which
// is how the tests show that every hit is checked pixel by pixel.
std::optional<ImagePoint> SearchImageWithBase(const Image& large, const Image& small, uint64_t base,
                                              Vectors vectors = Vectors::kBest);

// The pass that reads every row alone, over every place.
std::optional<ImagePoint> SearchByEveryRow(const Image& large, const Image& small, uint64_t base,
                                           Vectors vectors = Vectors::kBest);

// What that pass found, and how many places it compared pixel by pixel
// and found different.  It compares a place once every needle row's
// fingerprint lies over it, so with a good base, which makes different
// rows share a fingerprint very rarely, it compares none in vain.
struct EveryRowCount {
  std::optional<ImagePoint> found;
  uint64_t misses = 0;
};
EveryRowCount CountEveryRow(const Image& large, const Image& small, uint64_t base);

// The key by which that pass finds a row (a block of a row) among the rows
// above it, from a sample of its pixels.  Rows with equal pixels share it;
// so may others, which the pass compares to find where they differ.
uint64_t RowKey(const Colour* pixels, size_t count);

// The rare-pair filter alone, over every place: its answer, or nothing
// when it gave up (the pair is too common, or comparing cost too much).
std::optional<std::optional<ImagePoint>> SearchByRarePair(const Image& large, const Image& small);

}  // namespace image_search_internal

}  // namespace vendrix::images
