// BMP files: the reader behind OPENGRAPH and the writer behind CAPTURE.
//
// The reader takes what painting programs and screen grabbers write:
//   - headers of 12 (OS/2 1.x, three-byte palette), 40, 52, 56, 108 and 124
//     bytes;
//   - 1, 4 and 8 bits with a palette, 16, 24 and 32 bits without;
//   - rows bottom-up, or top-down (negative height) when uncompressed;
//   - uncompressed, colour masks (16 and 32 bits; after a 40-byte header,
//     or inside the larger ones; with or without an alpha mask), RLE8 and
//     RLE4.
// Alpha is dropped.  A palette shorter than the bits allow is fine: an
// index past its end reads as black.  Pixels an RLE stream never writes
// (skipped by a delta, or left when it ends early) take the colour of
// palette index 0.
//
// Memory stays bounded whatever the file holds: uncompressed pixels are
// allocated only once the file is known to hold them all, and an RLE image,
// whose file can be tiny, may not exceed kBmpMaxRlePixels.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "images/image.h"

namespace vendrix::images {

// Neither side may exceed this, nor the whole image kBmpMaxPixels (the
// same bound CAPTURE keeps: a 256 MB picture).
inline constexpr int64_t kBmpMaxSide = 32768;
inline constexpr int64_t kBmpMaxPixels = int64_t{1} << 26;
// RLE images: 4096 x 4096, a 64 MB picture from a file of a few bytes.
inline constexpr int64_t kBmpMaxRlePixels = int64_t{1} << 24;

enum class BmpProblem {
  kNone,
  kNotBmp,             // does not start with "BM"
  kTruncated,          // ends inside the headers, the masks or the pixels
  kUnsupported,        // header size, bit count or compression we do not read
  kBadPlanes,          // plane count other than 1
  kBadSize,            // width 0 or less, height 0
  kTooLarge,           // past kBmpMaxSide, kBmpMaxPixels or kBmpMaxRlePixels
  kBadMasks,           // a colour mask with gaps or wider than the pixel
  kBadOffset,          // pixel data said to start inside the headers or past the end
  kBadPalette,         // a palette image with room for no palette entry
  kBadCompressedData,  // an RLE code that leaves the image
};

struct BmpDecodeResult {
  Image image;  // empty unless problem is kNone
  BmpProblem problem = BmpProblem::kNone;
};

BmpDecodeResult DecodeBmp(std::string_view bytes);

// Why a file was refused, as a short Shift-JIS phrase for the error report.
std::string_view BmpProblemText(BmpProblem problem);

// A 24-bit uncompressed bottom-up file with a 40-byte header, rows padded
// to four bytes, the image size filled in and a resolution of 96 dpi
// (3780 pixels per metre).  What it writes DecodeBmp reads back; an image
// it could not (no pixels, a pixel count that is not width x height, past
// the size bounds) gives an empty string.
std::string EncodeBmp24(const Image& image);

}  // namespace vendrix::images
