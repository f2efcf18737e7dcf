// The image search as the Windows build compiles it (SSE2 in the 32-bit
// build) against the plain search, on seeded random and awkward pictures;
// with --time, also the benchmark's pictures timed, fastest of five runs.
// Run under Wine by the end-to-end suite; exits 1 on any difference.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "image_cases.h"
#include "images/image.h"
#include "images/image_search.h"
#include "support/test_images.h"

namespace {

using namespace vendrix;
using images::Colour;
using images::Image;
using images::ImagePoint;
using Random = std::mt19937_64;

int Uniform(Random& random, int low, int high) { return std::uniform_int_distribution<int>(low, high)(random); }

Image RandomImage(Random& random, int width, int height, int colours) {
  Image image(width, height);
  for (Colour& pixel : image.pixels) pixel = static_cast<Colour>(Uniform(random, 0, colours - 1)) * 0x010203u;
  return image;
}

// A haystack of few colours, flat or tiled, and a needle cut from it,
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
    const std::optional<ImagePoint> expected = images::SearchImageStraightforward(pair.large, pair.small);
    const std::optional<ImagePoint> fast = images::SearchImage(pair.large, pair.small);
    const auto rare = images::image_search_internal::SearchByRarePair(pair.large, pair.small);
    if (fast != expected || (rare && *rare != expected)) {
      ++differ;
      std::printf("FAILED round %d: %dx%d in %dx%d: expected %s, found %s, rare pair %s\n", round, pair.small.width,
                  pair.small.height, pair.large.width, pair.large.height, image_cases::Show(expected).c_str(),
                  image_cases::Show(fast).c_str(), rare ? image_cases::Show(*rare).c_str() : "gave up");
    }
  }
  std::printf("%d searches, %d differ\n", rounds, differ);
  return differ;
}

double Milliseconds(std::chrono::steady_clock::duration duration) {
  return std::chrono::duration<double, std::milli>(duration).count();
}

// Fastest of five runs: the machine is shared.
template <class Work>
double FastestOfFive(const Work& work) {
  double fastest = 1e300;
  for (int run = 0; run < 5; ++run) {
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
  const double read = FastestOfFive([&] {
    Colour all = 0;
    for (Colour pixel : cases.front().large.pixels) all |= pixel;
    sink = all;
  });
  std::printf("%-52s %8.3f ms\n", "Read/haystack_once", read);
  for (const image_cases::Case& c : cases) {
    std::optional<ImagePoint> found;
    const double ms = FastestOfFive([&] { found = images::SearchImage(c.large, c.small); });
    const bool right = found == c.expected;
    wrong += !right;
    std::printf("%-52s %8.3f ms  %4.1fx read  %s\n", ("Search/" + c.name).c_str(), ms, ms / read,
                right ? image_cases::Show(found).c_str() : "FAILED: wrong answer");
  }
  return wrong;
}

}  // namespace

int main(int argc, char** argv) {
  int failures = CompareWithPlainSearch();
  if (argc > 1 && std::strcmp(argv[1], "--time") == 0) failures += TimeTheBenchmarkPictures();
  return failures == 0 ? 0 : 1;
}
