// The image search as the Windows build compiles it (SSE2 in the 32-bit
// build), run every way it can be, against the plain search on seeded
// random and awkward pictures; with --time, also the benchmark's pictures
// timed, fastest of fifteen runs.
// Run under Wine by the end-to-end suite; exits 1 on any difference.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <optional>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "image_cases.h"
#include "images/image.h"
#include "images/image_search.h"
#include "images/search_agreement.h"
#include "support/test_images.h"

namespace {

using namespace vendrix;
using images::Colour;
using images::Image;
using images::ImagePoint;
using search_agreement::Random;
using search_agreement::RandomImage;
using search_agreement::Uniform;

// A haystack of few colours, flat or tiled, its rows now and then in runs
// of alike rows, and a needle cut from it,
// spoilt in one pixel now and then (with a new colour or one of its own),
// sometimes planted again further on.
struct Pair {
  Image large;
  Image small;
};

Pair MakePair(Random& random) {
  const int width = Uniform(random, 1, 260), height = Uniform(random, 1, 120);
  const int tile = Uniform(random, 1, 40);
  const Image pattern = RandomImage(random, tile, tile, Uniform(random, 1, 4));
  Image large = test_images::Pattern(width, height, [&](int x, int y) { return pattern.At(x % tile, y % tile); });
  if (Uniform(random, 0, 3) == 0) search_agreement::RepeatRows(random, large, Uniform(random, 50, 100));
  const int w = Uniform(random, 1, std::min(width, 48)), h = Uniform(random, 1, std::min(height, 48));
  Image small = test_images::Cut(large, Uniform(random, 0, width - w), Uniform(random, 0, height - h), w, h);
  switch (Uniform(random, 0, 2)) {
    case 0:
      small.Set(Uniform(random, 0, w - 1), Uniform(random, 0, h - 1), 0x00ABCDEF);
      break;
    case 1:
      small.Set(Uniform(random, 0, w - 1), Uniform(random, 0, h - 1), large.At(0, 0));
      break;
    default:
      break;
  }
  if (Uniform(random, 0, 3) == 0) test_images::Paste(large, small, width - w, Uniform(random, 0, height - h));
  return {std::move(large), std::move(small)};
}

int CompareWithPlainSearch() {
  Random random(20261208);
  int differ = 0;
  const int rounds = 3000;
  for (int round = 0; round < rounds; ++round) {
    const Pair pair = MakePair(random);
    const std::string disagreements = search_agreement::Disagreements(pair.large, pair.small);
    if (!disagreements.empty()) {
      ++differ;
      std::printf("FAILED round %d: %dx%d in %dx%d: %s\n", round, pair.small.width, pair.small.height,
                  pair.large.width, pair.large.height, disagreements.c_str());
    }
  }
  std::printf("%d searches, %d differ\n", rounds, differ);
  return differ;
}

double Milliseconds(std::chrono::steady_clock::duration duration) {
  return std::chrono::duration<double, std::milli>(duration).count();
}

// Fastest of fifteen runs: the machine is shared, and Wine's timings vary
// more than native ones.
template <class Work>
double Fastest(const Work& work) {
  double fastest = 1e300;
  for (int run = 0; run < 15; ++run) {
    const auto start = std::chrono::steady_clock::now();
    work();
    fastest = std::min(fastest, Milliseconds(std::chrono::steady_clock::now() - start));
  }
  return fastest;
}

int TimeTheBenchmarkPictures() {
  const std::vector<image_cases::Case> cases = image_cases::Cases();
  int wrong = 0;
  volatile Colour sink = 0;
  const double read = Fastest([&] {
    Colour all = 0;
    for (Colour pixel : cases.front().large.pixels) all |= pixel;
    sink = all;
  });
  std::printf("%-52s %8.3f ms\n", "Read/haystack_once", read);
  const auto time = [&](const std::string& name, const image_cases::Case& c, const auto& search) {
    std::optional<ImagePoint> found;
    const double ms = Fastest([&] { found = search(c.large, c.small); });
    const bool right = found == c.expected;
    wrong += !right;
    std::printf("%-52s %8.3f ms  %4.1fx read  %s\n", name.c_str(), ms, ms / read,
                right ? image_cases::Show(found).c_str() : "FAILED: wrong answer");
  };
  for (const image_cases::Case& c : cases) time("Search/" + c.name, c, images::SearchImage);
  // The pass that reads every row with SSE2 (what this build has) and
  // without vectors, side by side.
  using images::image_search_internal::Vectors;
  for (const image_cases::Case& c : cases) {
    if (c.name.rfind("stripes_50/", 0) != 0) continue;
    for (const auto& [label, vectors] : {std::pair{"sse2", Vectors::kSse2}, std::pair{"none", Vectors::kNone}}) {
      time("Vectors/" + std::string(label) + "/" + c.name, c, [vectors](const Image& large, const Image& small) {
        return images::image_search_internal::SearchImageWithBase(large, small, 0x0123456789ABCDEFu, vectors);
      });
    }
  }
  return wrong;
}

}  // namespace

int main(int argc, char** argv) {
  int failures = CompareWithPlainSearch();
  if (argc > 1 && std::strcmp(argv[1], "--time") == 0) failures += TimeTheBenchmarkPictures();
  return failures == 0 ? 0 : 1;
}
