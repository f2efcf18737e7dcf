// Speed of the picture search behind searchgraph on the pictures of
// image_cases.h.
//
// Run:    build/linux/bench/vendrix_image_bench --benchmark_repetitions=5
//         and read the _min lines (CPU column) on a busy machine.
// Target: Search/* at 2 ms or less on the screen-like cases, and within 3x
// Read/haystack_once (one streaming read of the haystack) wherever a rare
// pair of needle pixels or shared near misses narrow the search; 10 ms or
// less on every other case.  Vectors/* time the pass that reads every row
// on the striped pictures (whose rows repeat, alternate, or come back every
// fourth or fifth row, the last beyond the rows it compares with, so found
// by key) with AVX2 where the processor has it, with SSE2 only (the 32-bit
// Windows build's) and with none.  Straightforward/* tries every place in column order (the
// yardstick); OpenCV/* runs matchTemplate with TM_SQDIFF on one thread
// and scans its result for the first zero in the same order, when OpenCV
// was found at build time; its sums are floating point, so one-pixel near
// misses can pass for matches (labelled "wrong").  Every run checks its
// answer against the place the needle was planted at.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "image_cases.h"
#include "images/image.h"
#include "images/image_search.h"

#ifdef VENDRIX_BENCH_OPENCV
#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>
#endif

namespace vendrix::bench {
namespace {

using image_cases::Case;
using image_cases::Show;
using images::Image;
using images::ImagePoint;

// The machine is shared, so repetitions' fastest run is the figure to read.
double Fastest(const std::vector<double>& runs) { return *std::min_element(runs.begin(), runs.end()); }

using SearchFunction = std::function<std::optional<ImagePoint>(const Image&, const Image&)>;

// An exact search that answers wrongly is an error; an inexact one gets
// its wrong answer in the label and keeps its time.
void Run(benchmark::State& state, const Case& c, const SearchFunction& search, bool exact) {
  std::optional<ImagePoint> found;
  for (auto _ : state) {
    found = search(c.large, c.small);
    benchmark::DoNotOptimize(found);
  }
  if (found == c.expected) {
    state.SetLabel(Show(found));
  } else if (exact) {
    state.SkipWithError(("found " + Show(found) + ", expected " + Show(c.expected)).c_str());
  } else {
    state.SetLabel("wrong: " + Show(found) + ", expected " + Show(c.expected));
  }
}

#ifdef VENDRIX_BENCH_OPENCV
// matchTemplate's squared differences, and the first place in column
// order whose difference is zero.  Floating point makes this an estimate
// of exactness, not a guarantee; it is here for its speed.
std::optional<ImagePoint> OpenCvSearch(const Image& large, const Image& small) {
  // 0x00BBGGRR in memory is R, G, B, 0: four 8-bit channels.
  const cv::Mat haystack(large.height, large.width, CV_8UC4, const_cast<Colour*>(large.pixels.data()));
  const cv::Mat needle(small.height, small.width, CV_8UC4, const_cast<Colour*>(small.pixels.data()));
  cv::Mat differences;
  cv::matchTemplate(haystack, needle, differences, cv::TM_SQDIFF);
  for (int x = 0; x < differences.cols; ++x)
    for (int y = 0; y < differences.rows; ++y)
      if (differences.at<float>(y, x) < 0.5f) return ImagePoint{x, y};
  return std::nullopt;
}
#endif

}  // namespace
}  // namespace vendrix::bench

int main(int argc, char** argv) {
  using namespace vendrix;
  const std::vector<bench::Case> cases = image_cases::Cases();
  // What reading the haystack once costs, the floor any search stands on.
  benchmark::RegisterBenchmark("Read/haystack_once", [&cases](benchmark::State& state) {
    const std::vector<images::Colour>& pixels = cases.front().large.pixels;
    for (auto _ : state) {
      images::Colour all = 0;
      for (images::Colour pixel : pixels) all |= pixel;
      benchmark::DoNotOptimize(all);
    }
  })->Unit(benchmark::kMillisecond)->ComputeStatistics("min", bench::Fastest);
#ifdef VENDRIX_BENCH_OPENCV
  cv::setNumThreads(1);
#endif
  for (const bench::Case& c : cases) {
    benchmark::RegisterBenchmark(("Search/" + c.name).c_str(),
                                 [&c](benchmark::State& state) { bench::Run(state, c, images::SearchImage, true); })
        ->Unit(benchmark::kMillisecond)
        ->ComputeStatistics("min", bench::Fastest);
  }
  // The pass that reads every row as each choice of vector instructions
  // rolls its fingerprints: SSE2 is what the 32-bit Windows build has.
  using images::image_search_internal::Vectors;
  for (const bench::Case& c : cases) {
    if (c.name.rfind("stripes_50/", 0) != 0) continue;
    for (const auto& [label, vectors] : {std::pair{"best", Vectors::kBest}, std::pair{"sse2", Vectors::kSse2},
                                         std::pair{"none", Vectors::kNone}}) {
      const auto search = [vectors](const images::Image& large, const images::Image& small) {
        return images::image_search_internal::SearchImageWithBase(large, small, 0x0123456789ABCDEFu, vectors);
      };
      benchmark::RegisterBenchmark(("Vectors/" + std::string(label) + "/" + c.name).c_str(),
                                   [&c, search](benchmark::State& state) { bench::Run(state, c, search, true); })
          ->Unit(benchmark::kMillisecond)
          ->ComputeStatistics("min", bench::Fastest);
    }
  }
  for (const bench::Case& c : cases) {
    // The slow ones take seconds a run: one run is enough to see the ratio.
    auto* yardstick = benchmark::RegisterBenchmark(
        ("Straightforward/" + c.name).c_str(),
        [&c](benchmark::State& state) { bench::Run(state, c, images::SearchImageStraightforward, true); });
    yardstick->Unit(benchmark::kMillisecond)->ComputeStatistics("min", bench::Fastest);
    if (c.slowStraightforward) yardstick->Iterations(1);
  }
#ifdef VENDRIX_BENCH_OPENCV
  for (const bench::Case& c : cases) {
    benchmark::RegisterBenchmark(("OpenCV/" + c.name).c_str(),
                                 [&c](benchmark::State& state) { bench::Run(state, c, bench::OpenCvSearch, false); })
        ->Unit(benchmark::kMillisecond)
        ->Iterations(3)
        ->ComputeStatistics("min", bench::Fastest);
  }
#endif
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
