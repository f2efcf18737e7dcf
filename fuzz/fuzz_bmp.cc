// The BMP reader on arbitrary file bytes, and the writer on what it reads.
//
// Besides not crashing, reading outside the input or looping for ever,
// checks what the reader promises:
//   - a refused file gives no image and a phrase for the report;
//   - a read image has width x height pixels, each with the top byte 0,
//     within the size bounds, and (RLE aside) no more pixels than the file's
//     bits could hold;
//   - what EncodeBmp24 writes of it reads back the same (pictures of up to
//     kMaxCheckedPixels).
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "images/bmp.h"

namespace {

namespace images = vendrix::images;

constexpr size_t kMaxInputBytes = 64 * 1024;
// Past this a pixel-by-pixel check costs seconds under the sanitizers (an
// RLE file of a few bytes can give 16 M pixels) and covers nothing new.
constexpr uint64_t kMaxCheckedPixels = uint64_t{1} << 20;

void Check(bool holds) {
  if (!holds) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > kMaxInputBytes) return -1;
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const images::BmpDecodeResult result = images::DecodeBmp(bytes);
  const vendrix::images::Image& image = result.image;
  if (result.problem != images::BmpProblem::kNone) {
    Check(image.width == 0 && image.height == 0 && image.pixels.empty());
    Check(!images::BmpProblemText(result.problem).empty());
    return 0;
  }

  Check(image.width > 0 && image.height > 0);
  Check(image.width <= images::kBmpMaxSide && image.height <= images::kBmpMaxSide);
  const uint64_t pixels = static_cast<uint64_t>(image.width) * static_cast<uint64_t>(image.height);
  Check(pixels <= images::kBmpMaxPixels && image.pixels.size() == pixels);
  Check(pixels <= 8 * uint64_t{size} || pixels <= images::kBmpMaxRlePixels);
  if (pixels > kMaxCheckedPixels) return 0;
  for (const vendrix::images::Colour colour : image.pixels) Check((colour >> 24) == 0);

  const images::BmpDecodeResult again = images::DecodeBmp(images::EncodeBmp24(image));
  Check(again.problem == images::BmpProblem::kNone);
  Check(again.image.width == image.width && again.image.height == image.height && again.image.pixels == image.pixels);
  return 0;
}
