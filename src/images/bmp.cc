#include "images/bmp.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>

namespace vendrix::images {
namespace {

constexpr size_t kFileHeaderBytes = 14;
constexpr uint32_t kCoreHeaderBytes = 12;
constexpr uint32_t kInfoHeaderBytes = 40;
constexpr uint32_t kPixelsPerMetre = 3780;  // 96 dpi

enum Compression : uint32_t {
  kRgb = 0,
  kRle8 = 1,
  kRle4 = 2,
  kBitfields = 3,
  kAlphaBitfields = 6,
};

uint8_t Byte(std::string_view bytes, size_t pos) { return static_cast<uint8_t>(bytes[pos]); }
uint16_t U16(std::string_view bytes, size_t pos) {
  return static_cast<uint16_t>(Byte(bytes, pos) | Byte(bytes, pos + 1) << 8);
}
uint32_t U32(std::string_view bytes, size_t pos) { return U16(bytes, pos) | uint32_t{U16(bytes, pos + 2)} << 16; }

// One colour channel of a 16- or 32-bit pixel: where its bits are and how
// many, so that any width comes out as 0 to 255.
struct Channel {
  uint32_t mask = 0;
  int shift = 0;
  uint64_t max = 0;  // the channel's value with every bit set

  uint8_t From(uint32_t pixel) const {
    if (max == 0) return 0;
    const uint64_t value = (pixel & mask) >> shift;
    return static_cast<uint8_t>((value * 255 + max / 2) / max);
  }
};

// False for a mask with gaps or with bits past the pixel's; a mask of 0
// gives a channel that is always 0.
bool MakeChannel(uint32_t mask, int bitCount, Channel& channel) {
  if (bitCount < 32 && (mask >> bitCount) != 0) return false;
  channel = Channel{};
  if (mask == 0) return true;
  channel.mask = mask;
  channel.shift = std::countr_zero(mask);
  const uint32_t bits = mask >> channel.shift;
  if ((bits & (bits + 1)) != 0) return false;
  channel.max = bits;
  return true;
}

struct Layout {
  bool core = false;
  uint32_t headerBytes = 0;
  int64_t width = 0;
  int64_t height = 0;  // always positive; topDown tells the row order
  bool topDown = false;
  int planes = 0;
  int bitCount = 0;
  uint32_t compression = kRgb;
  uint32_t imageBytes = 0;
  uint32_t coloursUsed = 0;
};

bool KnownHeaderSize(uint32_t size) {
  return size == kCoreHeaderBytes || size == kInfoHeaderBytes || size == 52 || size == 56 || size == 108 ||
         size == 124;
}

Layout ReadLayout(std::string_view bytes, uint32_t headerBytes) {
  Layout layout;
  layout.headerBytes = headerBytes;
  const size_t at = kFileHeaderBytes;
  if (headerBytes == kCoreHeaderBytes) {
    layout.core = true;
    layout.width = U16(bytes, at + 4);
    layout.height = U16(bytes, at + 6);
    layout.planes = U16(bytes, at + 8);
    layout.bitCount = U16(bytes, at + 10);
    return layout;
  }
  layout.width = static_cast<int32_t>(U32(bytes, at + 4));
  const int64_t height = static_cast<int32_t>(U32(bytes, at + 8));
  layout.topDown = height < 0;
  layout.height = height < 0 ? -height : height;
  layout.planes = U16(bytes, at + 12);
  layout.bitCount = U16(bytes, at + 14);
  layout.compression = U32(bytes, at + 16);
  layout.imageBytes = U32(bytes, at + 20);
  layout.coloursUsed = U32(bytes, at + 32);
  return layout;
}

bool Supported(const Layout& layout) {
  const int bits = layout.bitCount;
  if (layout.core) return bits == 1 || bits == 4 || bits == 8 || bits == 24;
  switch (layout.compression) {
    case kRgb:
      return bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32;
    case kRle8:
      return bits == 8 && !layout.topDown;
    case kRle4:
      return bits == 4 && !layout.topDown;
    case kBitfields:
    case kAlphaBitfields:
      return bits == 16 || bits == 32;
    default:  // embedded JPEG and PNG among them
      return false;
  }
}

bool IsRle(const Layout& layout) { return layout.compression == kRle8 || layout.compression == kRle4; }
bool HasMasks(const Layout& layout) {
  return layout.compression == kBitfields || layout.compression == kAlphaBitfields;
}

using Palette = std::array<Colour, 256>;

BmpDecodeResult Fail(BmpProblem problem) { return BmpDecodeResult{Image(), problem}; }

void DecodeRow(const uint8_t* in, const Layout& layout, const Palette& palette, const std::array<Channel, 3>& rgb,
               Colour* out) {
  const int width = static_cast<int>(layout.width);
  switch (layout.bitCount) {
    case 1:
    case 4:
    case 8: {
      const int bits = layout.bitCount;
      const unsigned valueMask = (1u << bits) - 1;
      for (int x = 0; x < width; ++x) {
        const int bit = x * bits;
        out[x] = palette[(in[bit / 8] >> (8 - bits - bit % 8)) & valueMask];
      }
      break;
    }
    case 24:
      for (int x = 0; x < width; ++x, in += 3) out[x] = RgbColour(in[2], in[1], in[0]);
      break;
    case 16:
      for (int x = 0; x < width; ++x, in += 2) {
        const uint32_t pixel = in[0] | uint32_t{in[1]} << 8;
        out[x] = RgbColour(rgb[0].From(pixel), rgb[1].From(pixel), rgb[2].From(pixel));
      }
      break;
    case 32:
      for (int x = 0; x < width; ++x, in += 4) {
        const uint32_t pixel = in[0] | uint32_t{in[1]} << 8 | uint32_t{in[2]} << 16 | uint32_t{in[3]} << 24;
        out[x] = RgbColour(rgb[0].From(pixel), rgb[1].From(pixel), rgb[2].From(pixel));
      }
      break;
  }
}

// Runs and escapes of RLE8 and RLE4.  Every code takes at least two bytes,
// so the loop ends with the data; a run or a delta that would leave the
// image is refused rather than wrapped or clipped.
BmpProblem DecodeRle(std::string_view data, bool fourBits, const Palette& palette, Image& image) {
  const int64_t width = image.width;
  const int64_t height = image.height;
  int64_t x = 0;
  int64_t row = 0;  // from the bottom
  size_t pos = 0;
  while (row < height) {
    if (pos == data.size()) return BmpProblem::kNone;  // no end-of-bitmap: the rest stays as it is
    if (data.size() - pos < 2) return BmpProblem::kTruncated;
    const int count = Byte(data, pos);
    const int value = Byte(data, pos + 1);
    pos += 2;
    Colour* out = image.Row(static_cast<int>(height - 1 - row));
    if (count > 0) {  // `count` pixels of one index, or of two alternating
      if (x + count > width) return BmpProblem::kBadCompressedData;
      for (int i = 0; i < count; ++i, ++x) {
        out[x] = palette[fourBits ? (i % 2 == 0 ? value >> 4 : value & 0x0F) : value];
      }
    } else if (value == 0) {  // end of line
      x = 0;
      ++row;
    } else if (value == 1) {  // end of bitmap
      return BmpProblem::kNone;
    } else if (value == 2) {  // delta: right and up
      if (data.size() - pos < 2) return BmpProblem::kTruncated;
      x += Byte(data, pos);
      row += Byte(data, pos + 1);
      pos += 2;
      if (x > width || row >= height) return BmpProblem::kBadCompressedData;
    } else {  // `value` indices as they are, padded to a whole word
      const size_t dataBytes = fourBits ? (static_cast<size_t>(value) + 1) / 2 : static_cast<size_t>(value);
      const size_t paddedBytes = (dataBytes + 1) & ~size_t{1};
      if (data.size() - pos < paddedBytes) return BmpProblem::kTruncated;
      if (x + value > width) return BmpProblem::kBadCompressedData;
      for (int i = 0; i < value; ++i, ++x) {
        const uint8_t packed = Byte(data, pos + (fourBits ? static_cast<size_t>(i / 2) : static_cast<size_t>(i)));
        out[x] = palette[fourBits ? (i % 2 == 0 ? packed >> 4 : packed & 0x0F) : packed];
      }
      pos += paddedBytes;
    }
  }
  return BmpProblem::kNone;
}

void PutU16(std::string& out, size_t pos, uint32_t value) {
  out[pos] = static_cast<char>(value & 0xFF);
  out[pos + 1] = static_cast<char>((value >> 8) & 0xFF);
}
void PutU32(std::string& out, size_t pos, uint32_t value) {
  PutU16(out, pos, value & 0xFFFF);
  PutU16(out, pos + 2, value >> 16);
}

}  // namespace

BmpDecodeResult DecodeBmp(std::string_view bytes) {
  constexpr std::string_view kSignature = "BM";
  if (bytes.substr(0, kSignature.size()) != kSignature.substr(0, std::min(bytes.size(), kSignature.size()))) {
    return Fail(BmpProblem::kNotBmp);
  }
  if (bytes.size() < kFileHeaderBytes + 4) return Fail(BmpProblem::kTruncated);
  const uint32_t pixelOffset = U32(bytes, 10);
  const uint32_t headerBytes = U32(bytes, kFileHeaderBytes);
  if (!KnownHeaderSize(headerBytes)) return Fail(BmpProblem::kUnsupported);
  if (bytes.size() < kFileHeaderBytes + headerBytes) return Fail(BmpProblem::kTruncated);

  const Layout layout = ReadLayout(bytes, headerBytes);
  if (layout.planes != 1) return Fail(BmpProblem::kBadPlanes);
  if (!Supported(layout)) return Fail(BmpProblem::kUnsupported);
  if (layout.width <= 0 || layout.height == 0) return Fail(BmpProblem::kBadSize);
  if (layout.width > kBmpMaxSide || layout.height > kBmpMaxSide ||
      layout.width * layout.height > (IsRle(layout) ? kBmpMaxRlePixels : kBmpMaxPixels)) {
    return Fail(BmpProblem::kTooLarge);
  }

  // Masks follow a 40-byte header; the larger headers hold them at the
  // same place.  Either way they start right after the first 40 bytes.
  uint64_t headersEnd = kFileHeaderBytes + headerBytes;
  std::array<uint32_t, 3> masks = {0x00FF0000, 0x0000FF00, 0x000000FF};
  if (layout.bitCount == 16) masks = {0x7C00, 0x03E0, 0x001F};
  if (HasMasks(layout)) {
    if (headerBytes == kInfoHeaderBytes) headersEnd += layout.compression == kAlphaBitfields ? 16 : 12;
    if (bytes.size() < headersEnd) return Fail(BmpProblem::kTruncated);
    for (size_t i = 0; i < masks.size(); ++i) masks[i] = U32(bytes, kFileHeaderBytes + kInfoHeaderBytes + 4 * i);
  }
  std::array<Channel, 3> rgb;
  if (layout.bitCount == 16 || layout.bitCount == 32) {
    for (size_t i = 0; i < masks.size(); ++i) {
      if (!MakeChannel(masks[i], layout.bitCount, rgb[i])) return Fail(BmpProblem::kBadMasks);
    }
  }

  if (pixelOffset < headersEnd || pixelOffset > bytes.size()) return Fail(BmpProblem::kBadOffset);

  // Black past the palette's end, which is wherever the pixels start.
  Palette palette{};
  if (layout.bitCount <= 8) {
    const uint32_t possible = uint32_t{1} << layout.bitCount;
    const uint32_t declared =
        layout.coloursUsed == 0 || layout.coloursUsed > possible ? possible : layout.coloursUsed;
    const uint64_t entryBytes = layout.core ? 3 : 4;
    const uint64_t entries = std::min<uint64_t>(declared, (pixelOffset - headersEnd) / entryBytes);
    if (entries == 0) return Fail(BmpProblem::kBadPalette);
    for (uint64_t i = 0; i < entries; ++i) {
      const size_t at = static_cast<size_t>(headersEnd + i * entryBytes);
      palette[i] = RgbColour(Byte(bytes, at + 2), Byte(bytes, at + 1), Byte(bytes, at));
    }
  }

  std::string_view data = bytes.substr(pixelOffset);
  if (IsRle(layout)) {
    if (layout.imageBytes != 0) {
      if (layout.imageBytes > data.size()) return Fail(BmpProblem::kTruncated);
      data = data.substr(0, layout.imageBytes);
    }
    BmpDecodeResult result{Image(static_cast<int>(layout.width), static_cast<int>(layout.height), palette[0]),
                           BmpProblem::kNone};
    const BmpProblem problem = DecodeRle(data, layout.compression == kRle4, palette, result.image);
    if (problem != BmpProblem::kNone) return Fail(problem);
    return result;
  }

  // The last row need not carry its padding.
  const uint64_t rowBytes = (static_cast<uint64_t>(layout.width) * static_cast<uint64_t>(layout.bitCount) + 7) / 8;
  const uint64_t stride = (rowBytes + 3) & ~uint64_t{3};
  if (data.size() < stride * static_cast<uint64_t>(layout.height - 1) + rowBytes) {
    return Fail(BmpProblem::kTruncated);
  }
  BmpDecodeResult result{Image(static_cast<int>(layout.width), static_cast<int>(layout.height)), BmpProblem::kNone};
  const auto* in = reinterpret_cast<const uint8_t*>(data.data());
  for (int64_t row = 0; row < layout.height; ++row) {
    const int64_t y = layout.topDown ? row : layout.height - 1 - row;
    DecodeRow(in + row * stride, layout, palette, rgb, result.image.Row(static_cast<int>(y)));
  }
  return result;
}

std::string_view BmpProblemText(BmpProblem problem) {
  switch (problem) {
    case BmpProblem::kNone:  // 問題ありません
      return "\x96\xE2\x91\xE8\x82\xA0\x82\xE8\x82\xDC\x82\xB9\x82\xF1";
    case BmpProblem::kNotBmp:  // ビットマップファイルではありません
      return "\x83\x72\x83\x62\x83\x67\x83\x7D\x83\x62\x83\x76\x83\x74\x83\x40\x83\x43\x83\x8B\x82\xC5\x82\xCD\x82\xA0"
             "\x82\xE8\x82\xDC\x82\xB9\x82\xF1";
    case BmpProblem::kTruncated:  // ファイルが途中で切れています
      return "\x83\x74\x83\x40\x83\x43\x83\x8B\x82\xAA\x93\x72\x92\x86\x82\xC5\x90\xD8\x82\xEA\x82\xC4\x82\xA2\x82\xDC"
             "\x82\xB7";
    case BmpProblem::kUnsupported:  // 対応していない形式です
      return "\x91\xCE\x89\x9E\x82\xB5\x82\xC4\x82\xA2\x82\xC8\x82\xA2\x8C\x60\x8E\xAE\x82\xC5\x82\xB7";
    case BmpProblem::kBadPlanes:  // プレーン数が正しくありません
      return "\x83\x76\x83\x8C\x81\x5B\x83\x93\x90\x94\x82\xAA\x90\xB3\x82\xB5\x82\xAD\x82\xA0\x82\xE8\x82\xDC\x82\xB9"
             "\x82\xF1";
    case BmpProblem::kBadSize:  // 画像の大きさが正しくありません
      return "\x89\xE6\x91\x9C\x82\xCC\x91\xE5\x82\xAB\x82\xB3\x82\xAA\x90\xB3\x82\xB5\x82\xAD\x82\xA0\x82\xE8\x82\xDC"
             "\x82\xB9\x82\xF1";
    case BmpProblem::kTooLarge:  // 画像が大きすぎます
      return "\x89\xE6\x91\x9C\x82\xAA\x91\xE5\x82\xAB\x82\xB7\x82\xAC\x82\xDC\x82\xB7";
    case BmpProblem::kBadMasks:  // 色のマスクが正しくありません
      return "\x90\x46\x82\xCC\x83\x7D\x83\x58\x83\x4E\x82\xAA\x90\xB3\x82\xB5\x82\xAD\x82\xA0\x82\xE8\x82\xDC\x82\xB9"
             "\x82\xF1";
    case BmpProblem::kBadOffset:  // 画素データの位置が正しくありません
      return "\x89\xE6\x91\x66\x83\x66\x81\x5B\x83\x5E\x82\xCC\x88\xCA\x92\x75\x82\xAA\x90\xB3\x82\xB5\x82\xAD\x82\xA0"
             "\x82\xE8\x82\xDC\x82\xB9\x82\xF1";
    case BmpProblem::kBadPalette:  // パレットがありません
      return "\x83\x70\x83\x8C\x83\x62\x83\x67\x82\xAA\x82\xA0\x82\xE8\x82\xDC\x82\xB9\x82\xF1";
    case BmpProblem::kBadCompressedData:  // 圧縮データが壊れています
      return "\x88\xB3\x8F\x6B\x83\x66\x81\x5B\x83\x5E\x82\xAA\x89\xF3\x82\xEA\x82\xC4\x82\xA2\x82\xDC\x82\xB7";
  }
  return {};
}

std::string EncodeBmp24(const Image& image) {
  const int64_t width = image.width;
  const int64_t height = image.height;
  if (width <= 0 || height <= 0 || width > kBmpMaxSide || height > kBmpMaxSide || width * height > kBmpMaxPixels ||
      image.pixels.size() != static_cast<uint64_t>(width * height)) {
    return {};
  }
  const size_t headersBytes = kFileHeaderBytes + kInfoHeaderBytes;
  const size_t stride = (static_cast<size_t>(width) * 3 + 3) & ~size_t{3};
  const size_t pixelBytes = stride * static_cast<size_t>(height);
  std::string out(headersBytes + pixelBytes, '\0');
  out[0] = 'B';
  out[1] = 'M';
  PutU32(out, 2, static_cast<uint32_t>(out.size()));
  PutU32(out, 10, static_cast<uint32_t>(headersBytes));
  PutU32(out, 14, kInfoHeaderBytes);
  PutU32(out, 18, static_cast<uint32_t>(width));
  PutU32(out, 22, static_cast<uint32_t>(height));
  PutU16(out, 26, 1);
  PutU16(out, 28, 24);
  PutU32(out, 30, kRgb);
  PutU32(out, 34, static_cast<uint32_t>(pixelBytes));
  PutU32(out, 38, kPixelsPerMetre);
  PutU32(out, 42, kPixelsPerMetre);
  for (int64_t row = 0; row < height; ++row) {
    const Colour* in = image.Row(static_cast<int>(height - 1 - row));
    size_t at = headersBytes + static_cast<size_t>(row) * stride;
    for (int64_t x = 0; x < width; ++x, at += 3) {
      out[at] = static_cast<char>(BlueOf(in[x]));
      out[at + 1] = static_cast<char>(GreenOf(in[x]));
      out[at + 2] = static_cast<char>(RedOf(in[x]));
    }
  }
  return out;
}

}  // namespace vendrix::images
