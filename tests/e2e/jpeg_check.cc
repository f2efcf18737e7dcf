// Prints the digest of the JPEG file of each fixed sample picture, as the
// Windows build writes it, in the form the native test's table uses.  Run
// under Wine; the native build must print the same (tests/images/jpeg_test.cc).
#include <cinttypes>
#include <cstdio>
#include <string>

#include "images/jpeg_samples.h"
#include "images/jpeg.h"

int main() {
  using namespace vendrix;
  int failed = 0;
  for (const jpeg_samples::Sample& sample : jpeg_samples::kSamples) {
    const std::string bytes = images::EncodeJpeg(sample.make(), sample.quality);
    if (bytes.empty()) ++failed;
    std::printf("{\"%s\", 0x%016" PRIX64 "u, %zu},\n", sample.name, jpeg_samples::Fnv64(bytes), bytes.size());
  }
  // Too wide for the library: its error exit must come back as an empty file.
  const bool refused = images::EncodeJpeg(images::Image(65501, 1), 80).empty();
  std::printf("too wide refused: %s\n", refused ? "yes" : "no");
  if (!refused) ++failed;
  return failed == 0 ? 0 : 1;
}
