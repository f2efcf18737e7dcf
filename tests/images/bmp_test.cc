// The BMP reader on hand-built files of every form it takes and of many it
// refuses, and the 24-bit writer through the reader.
#include "images/bmp.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <initializer_list>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "support/test_world.h"

namespace vendrix::images {
namespace {

using images::Colour;
using images::Image;
using images::RgbColour;

constexpr Colour kBlack = RgbColour(0, 0, 0);
constexpr Colour kWhite = RgbColour(255, 255, 255);
constexpr Colour kRed = RgbColour(255, 0, 0);
constexpr Colour kGreen = RgbColour(0, 255, 0);
constexpr Colour kBlue = RgbColour(0, 0, 255);
constexpr Colour kGrey = RgbColour(0x40, 0x80, 0xC0);

void Put16(std::string& out, uint32_t value) {
  out += static_cast<char>(value & 0xFF);
  out += static_cast<char>((value >> 8) & 0xFF);
}
void Put32(std::string& out, uint32_t value) {
  Put16(out, value & 0xFFFF);
  Put16(out, value >> 16);
}
std::string Raw(std::initializer_list<int> bytes) {
  std::string out;
  for (int byte : bytes) out += static_cast<char>(byte);
  return out;
}

// A BMP file as a painting program would lay it out, every field settable.
struct BmpFile {
  uint32_t headerBytes = 40;
  int32_t width = 1;
  int32_t height = 1;
  uint16_t planes = 1;
  uint16_t bitCount = 24;
  uint32_t compression = 0;
  uint32_t imageBytes = 0;
  uint32_t coloursUsed = 0;
  std::vector<uint32_t> masks = {};  // inside the larger headers, after a 40-byte one
  std::vector<Colour> palette = {};
  std::string pixels = {};
  std::optional<uint32_t> pixelOffset = std::nullopt;  // right after the palette unless given

  std::string Bytes() const {
    std::string body;
    Put32(body, headerBytes);
    if (headerBytes == 12) {
      for (uint32_t field : {uint32_t(width), uint32_t(height), uint32_t{planes}, uint32_t{bitCount}}) {
        Put16(body, field);
      }
    } else {
      for (uint32_t field : {uint32_t(width), uint32_t(height)}) Put32(body, field);
      Put16(body, planes);
      Put16(body, bitCount);
      for (uint32_t field : {compression, imageBytes, 0u, 0u, coloursUsed, 0u}) Put32(body, field);
      for (uint32_t mask : masks) Put32(body, mask);
      if (body.size() < headerBytes) body.resize(headerBytes, '\0');
    }
    for (Colour colour : palette) {
      body += Raw({images::BlueOf(colour), images::GreenOf(colour), images::RedOf(colour)});
      if (headerBytes != 12) body += '\0';
    }
    std::string file = "BM";
    const uint32_t offset = pixelOffset.value_or(static_cast<uint32_t>(14 + body.size()));
    Put32(file, static_cast<uint32_t>(14 + body.size() + pixels.size()));
    Put32(file, 0);
    Put32(file, offset);
    return file + body + pixels;
  }
};

// Rows from the top.
Image Picture(int width, int height, std::vector<Colour> pixels) {
  Image image(width, height);
  image.pixels = std::move(pixels);
  return image;
}

void ExpectImage(const BmpDecodeResult& result, const Image& expected) {
  ASSERT_EQ(result.problem, BmpProblem::kNone) << static_cast<int>(result.problem);
  EXPECT_EQ(result.image.width, expected.width);
  EXPECT_EQ(result.image.height, expected.height);
  EXPECT_EQ(result.image.pixels, expected.pixels);
}

struct FormCase {
  const char* name;
  BmpFile file;
  Image expected;
};

TEST(BmpDecodeTest, EachAcceptedForm) {
  const Colour c565green1 = RgbColour(0, 4, 0);     // 1 of 63
  const Colour c555mid = RgbColour(0, 132, 0);      // 16 of 31
  const Colour c10bit = RgbColour(255, 128, 0);     // 1023 and 512 of 1023
  const FormCase cases[] = {
      {"1 bit, a row across two bytes",
       {.width = 9, .height = 2, .bitCount = 1, .palette = {kBlack, kWhite},
        .pixels = Raw({0x80, 0x80, 0, 0, 0x7F, 0x00, 0, 0})},
       Picture(9, 2, {kBlack, kWhite, kWhite, kWhite, kWhite, kWhite, kWhite, kWhite, kBlack,
                      kWhite, kBlack, kBlack, kBlack, kBlack, kBlack, kBlack, kBlack, kWhite})},
      {"4 bits, three colours used, an index past them",
       {.width = 4, .bitCount = 4, .coloursUsed = 3, .palette = {kRed, kGreen, kBlue},
        .pixels = Raw({0x21, 0x05, 0, 0})},
       Picture(4, 1, {kBlue, kGreen, kRed, kBlack})},
      {"8 bits, the palette cut short by the pixel offset",
       {.width = 2, .height = 2, .bitCount = 8, .palette = {kGrey, kBlue},
        .pixels = Raw({1, 200, 0, 0, 0, 1, 0, 0})},
       Picture(2, 2, {kGrey, kBlue, kBlue, kBlack})},
      {"16 bits 5-5-5, the top bit ignored",
       {.width = 3, .bitCount = 16, .pixels = Raw({0x00, 0x7C, 0x00, 0x02, 0x1F, 0x80, 0, 0})},
       Picture(3, 1, {kRed, c555mid, kBlue})},
      {"16 bits 5-6-5, masks after the header",
       {.width = 4, .bitCount = 16, .compression = 3, .masks = {0xF800, 0x07E0, 0x001F},
        .pixels = Raw({0x00, 0xF8, 0xE0, 0x07, 0x20, 0x00, 0x1F, 0x00})},
       Picture(4, 1, {kRed, kGreen, c565green1, kBlue})},
      {"16 bits 5-6-5 inside a 52-byte header",
       {.headerBytes = 52, .width = 2, .bitCount = 16, .compression = 3, .masks = {0xF800, 0x07E0, 0x001F},
        .pixels = Raw({0xFF, 0xFF, 0x1F, 0xF8})},
       Picture(2, 1, {kWhite, RgbColour(255, 0, 255)})},
      {"24 bits, rows padded",
       {.width = 1, .height = 2, .pixels = Raw({0xC0, 0x80, 0x40, 0, 0xFF, 0, 0, 0})},
       Picture(1, 2, {kBlue, kGrey})},
      {"32 bits, the fourth byte dropped",
       {.width = 2, .bitCount = 32, .pixels = Raw({0xC0, 0x80, 0x40, 0xFF, 0, 0, 0xFF, 0x12})},
       Picture(2, 1, {kGrey, kRed})},
      {"32 bits, 10-bit masks",
       {.width = 1, .bitCount = 32, .compression = 3, .masks = {0x3FF00000, 0x000FFC00, 0x000003FF},
        .pixels = Raw({0x00, 0x00, 0xF8, 0x3F})},
       Picture(1, 1, {c10bit})},
      {"32 bits, masks and alpha mask after a 40-byte header",
       {.width = 1, .bitCount = 32, .compression = 6, .masks = {0xFF, 0xFF00, 0xFF0000, 0xFF000000},
        .pixels = Raw({0x40, 0x80, 0xC0, 0x7F})},
       Picture(1, 1, {kGrey})},
      {"108-byte header, masks inside, top-down",
       {.headerBytes = 108, .width = 1, .height = -2, .bitCount = 32, .compression = 3,
        .masks = {0xFF00, 0xFF0000, 0xFF000000, 0xFF}, .pixels = Raw({0, 0xFF, 0, 0, 0, 0, 0xFF, 0})},
       Picture(1, 2, {kRed, kGreen})},
      {"124-byte header, 24 bits top-down, the last row without its padding",
       {.headerBytes = 124, .width = 2, .height = -2, .pixels = Raw({0, 0, 0xFF, 0xFF, 0, 0, 0, 0,
                                                                     0, 0xFF, 0, 0xFF, 0xFF, 0xFF})},
       Picture(2, 2, {kRed, kBlue, kGreen, kWhite})},
      {"12-byte header, three-byte palette",
       {.headerBytes = 12, .width = 3, .bitCount = 8, .palette = {kGrey, kGreen}, .pixels = Raw({1, 0, 1, 0})},
       Picture(3, 1, {kGreen, kGrey, kGreen})},
      {"12-byte header, 24 bits",
       {.headerBytes = 12, .width = 1, .height = 2, .pixels = Raw({0, 0xFF, 0, 0, 0xFF, 0, 0})},
       Picture(1, 2, {kBlue, kGreen})},
      {"RLE8: run, odd absolute run, delta, end of bitmap; the rest is index 0",
       {.width = 4, .height = 3, .bitCount = 8, .compression = 1, .palette = {kGrey, kRed, kGreen, kBlue},
        .pixels = Raw({4, 1, 0, 0, 0, 3, 2, 3, 2, 0, 0, 0, 0, 2, 2, 0, 1, 1, 0, 1})},
       Picture(4, 3, {kGrey, kGrey, kRed, kGrey, kGreen, kBlue, kGreen, kGrey, kRed, kRed, kRed, kRed})},
      {"RLE8 ending without end of bitmap, its size given",
       {.width = 2, .height = 2, .bitCount = 8, .compression = 1, .imageBytes = 2, .palette = {kGrey, kRed},
        .pixels = Raw({2, 1, 0, 0, 2, 1})},
       Picture(2, 2, {kGrey, kGrey, kRed, kRed})},
      {"RLE4: odd absolute run padded, odd alternating run, delta up",
       {.width = 5, .height = 3, .bitCount = 4, .compression = 2,
        .palette = {kBlack, kRed, kGreen, kBlue, kWhite, kGrey},
        .pixels = Raw({0, 5, 0x34, 0x51, 0x20, 0, 0, 0, 3, 0x12, 0, 2, 1, 1, 1, 0x50, 0, 1})},
       Picture(5, 3, {kBlack, kBlack, kBlack, kBlack, kGrey, kRed, kGreen, kRed, kBlack, kBlack,
                      kBlue, kWhite, kGrey, kRed, kGreen})},
  };
  for (const FormCase& c : cases) {
    SCOPED_TRACE(c.name);
    ExpectImage(DecodeBmp(c.file.Bytes()), c.expected);
  }
}

struct ProblemCase {
  const char* name;
  std::string bytes;
  BmpProblem problem;
};

std::string WithoutLast(std::string bytes, size_t count) {
  bytes.resize(bytes.size() - count);
  return bytes;
}

TEST(BmpDecodeTest, RefusesMalformedFiles) {
  const std::string plain = BmpFile{.width = 2, .pixels = std::string(8, '\x55')}.Bytes();
  std::string notBm = plain;
  notBm[1] = 'A';
  const BmpFile rle8{.width = 4, .height = 2, .bitCount = 8, .compression = 1, .palette = {kRed}};
  const auto rle = [&](std::string codes) {
    BmpFile file = rle8;
    file.pixels = std::move(codes);
    return file.Bytes();
  };
  const ProblemCase cases[] = {
      {"empty", "", BmpProblem::kTruncated},
      {"a B alone", "B", BmpProblem::kTruncated},
      {"other signature", notBm, BmpProblem::kNotBmp},
      {"one other byte", "\x89", BmpProblem::kNotBmp},
      {"ends in the file header", plain.substr(0, 12), BmpProblem::kTruncated},
      {"ends in the info header", plain.substr(0, 40), BmpProblem::kTruncated},
      {"64-byte header", BmpFile{.headerBytes = 64, .pixels = "abcd"}.Bytes(), BmpProblem::kUnsupported},
      {"16-byte header", BmpFile{.headerBytes = 16, .pixels = "abcd"}.Bytes(), BmpProblem::kUnsupported},
      {"two planes", BmpFile{.planes = 2, .pixels = "abcd"}.Bytes(), BmpProblem::kBadPlanes},
      {"no planes", BmpFile{.planes = 0, .pixels = "abcd"}.Bytes(), BmpProblem::kBadPlanes},
      {"2 bits", BmpFile{.bitCount = 2, .palette = {kRed}, .pixels = "abcd"}.Bytes(), BmpProblem::kUnsupported},
      {"48 bits", BmpFile{.bitCount = 48, .pixels = "abcdefgh"}.Bytes(), BmpProblem::kUnsupported},
      {"no bits", BmpFile{.bitCount = 0, .pixels = "abcd"}.Bytes(), BmpProblem::kUnsupported},
      {"embedded JPEG", BmpFile{.bitCount = 0, .compression = 4, .pixels = "\xFF\xD8"}.Bytes(),
       BmpProblem::kUnsupported},
      {"embedded PNG", BmpFile{.compression = 5, .pixels = "\x89PNG"}.Bytes(), BmpProblem::kUnsupported},
      {"compression 7", BmpFile{.compression = 7, .pixels = "abcd"}.Bytes(), BmpProblem::kUnsupported},
      {"RLE8 of 4 bits", BmpFile{.bitCount = 4, .compression = 1, .palette = {kRed}, .pixels = Raw({0, 1})}.Bytes(),
       BmpProblem::kUnsupported},
      {"RLE4 of 8 bits", BmpFile{.bitCount = 8, .compression = 2, .palette = {kRed}, .pixels = Raw({0, 1})}.Bytes(),
       BmpProblem::kUnsupported},
      {"RLE top-down", BmpFile{.height = -1, .bitCount = 8, .compression = 1, .palette = {kRed},
                               .pixels = Raw({0, 1})}.Bytes(),
       BmpProblem::kUnsupported},
      {"masks on 24 bits", BmpFile{.compression = 3, .masks = {0xFF, 0xFF00, 0xFF0000}, .pixels = "abcd"}.Bytes(),
       BmpProblem::kUnsupported},
      {"16 bits in a 12-byte header", BmpFile{.headerBytes = 12, .bitCount = 16, .pixels = "abcd"}.Bytes(),
       BmpProblem::kUnsupported},
      {"width 0", BmpFile{.width = 0, .pixels = "abcd"}.Bytes(), BmpProblem::kBadSize},
      {"negative width", BmpFile{.width = -3, .pixels = "abcd"}.Bytes(), BmpProblem::kBadSize},
      {"height 0", BmpFile{.height = 0, .pixels = "abcd"}.Bytes(), BmpProblem::kBadSize},
      {"width 0 in a 12-byte header", BmpFile{.headerBytes = 12, .width = 0, .pixels = "abcd"}.Bytes(),
       BmpProblem::kBadSize},
      {"width past the side bound", BmpFile{.width = 32769, .pixels = "abcd"}.Bytes(), BmpProblem::kTooLarge},
      {"top-down height past the side bound", BmpFile{.height = -32769, .pixels = "abcd"}.Bytes(),
       BmpProblem::kTooLarge},
      {"lowest height", BmpFile{.height = INT32_MIN, .pixels = "abcd"}.Bytes(), BmpProblem::kTooLarge},
      {"largest width and height", BmpFile{.width = INT32_MAX, .height = INT32_MAX, .pixels = "abcd"}.Bytes(),
       BmpProblem::kTooLarge},
      {"32768 x 32768 from a tiny file", BmpFile{.width = 32768, .height = 32768, .pixels = "abcd"}.Bytes(),
       BmpProblem::kTooLarge},
      {"one row past the pixel bound", BmpFile{.width = 8192, .height = 8193, .pixels = "abcd"}.Bytes(),
       BmpProblem::kTooLarge},
      {"RLE past its pixel bound",
       BmpFile{.width = 4097, .height = 4096, .bitCount = 8, .compression = 1, .palette = {kRed},
               .pixels = Raw({0, 1})}.Bytes(),
       BmpProblem::kTooLarge},
      {"at the pixel bound from a tiny file",
       BmpFile{.width = 8192, .height = 8192, .bitCount = 1, .palette = {kRed}, .pixels = "abcd"}.Bytes(),
       BmpProblem::kTruncated},
      {"mask with a gap",
       BmpFile{.bitCount = 32, .compression = 3, .masks = {0xF0F000, 0xFF00, 0xFF}, .pixels = "abcd"}.Bytes(),
       BmpProblem::kBadMasks},
      {"mask wider than 16 bits",
       BmpFile{.bitCount = 16, .compression = 3, .masks = {0x1F0000, 0x7E0, 0x1F}, .pixels = "abcd"}.Bytes(),
       BmpProblem::kBadMasks},
      {"masks cut off", BmpFile{.bitCount = 16, .compression = 3}.Bytes() + Raw({0, 0xF8, 0}),
       BmpProblem::kTruncated},
      {"offset in the file header", BmpFile{.pixels = "abcd", .pixelOffset = 10}.Bytes(), BmpProblem::kBadOffset},
      {"offset in the info header", BmpFile{.pixels = "abcd", .pixelOffset = 53}.Bytes(), BmpProblem::kBadOffset},
      {"offset in the masks",
       BmpFile{.bitCount = 16, .compression = 3, .masks = {0xF800, 0x7E0, 0x1F}, .pixels = "abcd", .pixelOffset = 60}
           .Bytes(),
       BmpProblem::kBadOffset},
      {"offset past the end", BmpFile{.pixels = "abcd", .pixelOffset = 59}.Bytes(), BmpProblem::kBadOffset},
      {"offset far past the end", BmpFile{.pixels = "abcd", .pixelOffset = 0xFFFFFFFF}.Bytes(),
       BmpProblem::kBadOffset},
      {"no room for a palette", BmpFile{.bitCount = 8, .pixels = "abcd"}.Bytes(), BmpProblem::kBadPalette},
      {"no room for a three-byte entry",
       BmpFile{.headerBytes = 12, .bitCount = 8, .pixels = "abcd", .pixelOffset = 28}.Bytes(),
       BmpProblem::kBadPalette},
      {"pixels a byte short", WithoutLast(plain, 3), BmpProblem::kTruncated},
      {"offset at the end", BmpFile{.pixelOffset = 54}.Bytes(), BmpProblem::kTruncated},
      {"RLE run past the row", rle({5, 0}), BmpProblem::kBadCompressedData},
      {"RLE run after a full row", rle({4, 0, 1, 0}), BmpProblem::kBadCompressedData},
      {"RLE absolute run past the row", rle({0, 5, 0, 0, 0, 0, 0, 0}), BmpProblem::kBadCompressedData},
      {"RLE delta past the right edge", rle({0, 2, 5, 0}), BmpProblem::kBadCompressedData},
      {"RLE delta past the top", rle({0, 2, 0, 2}), BmpProblem::kBadCompressedData},
      {"RLE escape cut off", rle({0, 0, 0}), BmpProblem::kTruncated},
      {"RLE delta cut off", rle({0, 2, 1}), BmpProblem::kTruncated},
      {"RLE absolute run cut off", rle({0, 3, 0, 0}), BmpProblem::kTruncated},
      {"RLE absolute run without its padding", rle({0, 3, 0, 0, 0}), BmpProblem::kTruncated},
      {"RLE size past the file",
       BmpFile{.width = 4, .bitCount = 8, .compression = 1, .imageBytes = 5, .palette = {kRed},
               .pixels = Raw({0, 0, 0, 1})}.Bytes(),
       BmpProblem::kTruncated},
  };
  for (const ProblemCase& c : cases) {
    SCOPED_TRACE(c.name);
    const BmpDecodeResult result = DecodeBmp(c.bytes);
    EXPECT_EQ(result.problem, c.problem);
    EXPECT_TRUE(result.image.pixels.empty());
  }
}

TEST(BmpDecodeTest, RleAtItsPixelBoundFromATinyFile) {
  const BmpDecodeResult result = DecodeBmp(BmpFile{.width = 4096, .height = 4096, .bitCount = 8, .compression = 1,
                                                   .palette = {kGrey}, .pixels = Raw({0, 1})}.Bytes());
  ASSERT_EQ(result.problem, BmpProblem::kNone);
  EXPECT_EQ(result.image.pixels.size(), size_t{4096} * 4096);
  EXPECT_EQ(result.image.At(4095, 4095), kGrey);
}

// Every prefix of a file is refused, or, for an RLE stream cut between
// two codes, read as an image of the full size.  (The uncompressed files
// here have no padding after their last row, which may be left off.)
TEST(BmpDecodeTest, EveryPrefixFailsCleanly) {
  struct Case {
    const char* name;
    std::string file;
    bool prefixMayDecode;
  };
  const Case cases[] = {
      {"24 bits", EncodeBmp24(Picture(4, 2, {kRed, kGreen, kBlue, kWhite, kGrey, kRed, kGreen, kBlue})), false},
      {"4 bits", BmpFile{.width = 8, .height = 2, .bitCount = 4, .palette = {kRed, kBlue},
                         .pixels = Raw({0x01, 0x00, 0, 0x10, 0x10, 0x10, 0, 1})}.Bytes(), false},
      {"16-bit masks", BmpFile{.width = 2, .bitCount = 16, .compression = 3, .masks = {0xF800, 0x7E0, 0x1F},
                               .pixels = Raw({0xFF, 0xFF, 0, 0})}.Bytes(), false},
      {"12-byte header", BmpFile{.headerBytes = 12, .width = 32, .bitCount = 1, .palette = {kRed, kBlue},
                                 .pixels = Raw({0x40, 0, 0, 1})}.Bytes(), false},
      {"RLE8 with its size", BmpFile{.width = 2, .height = 2, .bitCount = 8, .compression = 1, .imageBytes = 8,
                                     .palette = {kRed, kBlue}, .pixels = Raw({2, 1, 0, 0, 0, 2, 1, 0})}.Bytes(),
       false},
      {"RLE4 without its size", BmpFile{.width = 3, .height = 2, .bitCount = 4, .compression = 2,
                                        .palette = {kRed, kBlue}, .pixels = Raw({0, 3, 0x10, 0x10, 0, 0, 3, 1, 0, 1})}
                                    .Bytes(),
       true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const BmpDecodeResult whole = DecodeBmp(c.file);
    ASSERT_EQ(whole.problem, BmpProblem::kNone);
    for (size_t length = 0; length < c.file.size(); ++length) {
      SCOPED_TRACE(length);
      const BmpDecodeResult result = DecodeBmp(std::string_view(c.file).substr(0, length));
      if (result.problem == BmpProblem::kNone) {
        EXPECT_TRUE(c.prefixMayDecode);
        EXPECT_EQ(result.image.width, whole.image.width);
        EXPECT_EQ(result.image.height, whole.image.height);
        EXPECT_EQ(result.image.pixels.size(), whole.image.pixels.size());
      } else {
        EXPECT_TRUE(result.problem == BmpProblem::kTruncated || result.problem == BmpProblem::kBadOffset)
            << static_cast<int>(result.problem);
        EXPECT_TRUE(result.image.pixels.empty());
      }
    }
  }
}

TEST(BmpEncodeTest, RoundTrips) {
  for (const auto& [width, height] : {std::pair{1, 1}, {2, 3}, {3, 2}, {4, 4}, {5, 7}, {33, 1}}) {
    SCOPED_TRACE(std::to_string(width) + "x" + std::to_string(height));
    Image image(width, height);
    for (size_t i = 0; i < image.pixels.size(); ++i) image.pixels[i] = static_cast<Colour>(i * 0x9E3779B1u) >> 8;
    const std::string file = EncodeBmp24(image);
    const size_t stride = (static_cast<size_t>(width) * 3 + 3) / 4 * 4;
    EXPECT_EQ(file.size(), 54 + stride * static_cast<size_t>(height));
    ExpectImage(DecodeBmp(file), image);
  }
}

TEST(BmpEncodeTest, WritesTheDocumentedHeader) {
  Image image(2, 1);
  image.pixels = {0xFF123456, kRed};  // the top byte is not part of the colour
  const std::string file = EncodeBmp24(image);
  const auto u32 = [&](size_t at) {
    return static_cast<uint32_t>(static_cast<uint8_t>(file[at]) | static_cast<uint8_t>(file[at + 1]) << 8 |
                                 static_cast<uint8_t>(file[at + 2]) << 16 | static_cast<uint8_t>(file[at + 3]) << 24);
  };
  ASSERT_EQ(file.size(), 62u);
  EXPECT_EQ(file.substr(0, 2), "BM");
  EXPECT_EQ(u32(2), 62u);          // file size
  EXPECT_EQ(u32(10), 54u);         // pixel offset
  EXPECT_EQ(u32(14), 40u);         // header size
  EXPECT_EQ(u32(26), 24u << 16 | 1u);  // one plane, 24 bits
  EXPECT_EQ(u32(30), 0u);          // uncompressed
  EXPECT_EQ(u32(34), 8u);          // image size: one row of 6 bytes padded to 8
  EXPECT_EQ(u32(38), 3780u);
  EXPECT_EQ(u32(42), 3780u);
  EXPECT_EQ(file.substr(54), Raw({0x12, 0x34, 0x56, 0, 0, 0xFF, 0, 0}));
  ExpectImage(DecodeBmp(file), Picture(2, 1, {0x00123456, kRed}));
}

TEST(BmpEncodeTest, RefusesWhatCouldNotBeReadBack) {
  Image mismatched(2, 2);
  mismatched.pixels.pop_back();
  Image upsideDown;
  upsideDown.width = 3;
  upsideDown.height = -1;
  for (const Image& image : {Image(), Image(0, 5), upsideDown, mismatched, Image(32769, 1)}) {
    EXPECT_EQ(EncodeBmp24(image), "");
  }
}

TEST(BmpProblemTextTest, EachProblemHasItsOwnJapanesePhrase) {
  const std::pair<BmpProblem, const char*> texts[] = {
      {BmpProblem::kNone, "問題ありません"},
      {BmpProblem::kNotBmp, "ビットマップファイルではありません"},
      {BmpProblem::kTruncated, "ファイルが途中で切れています"},
      {BmpProblem::kUnsupported, "対応していない形式です"},
      {BmpProblem::kBadPlanes, "プレーン数が正しくありません"},
      {BmpProblem::kBadSize, "画像の大きさが正しくありません"},
      {BmpProblem::kTooLarge, "画像が大きすぎます"},
      {BmpProblem::kBadMasks, "色のマスクが正しくありません"},
      {BmpProblem::kBadOffset, "画素データの位置が正しくありません"},
      {BmpProblem::kBadPalette, "パレットがありません"},
      {BmpProblem::kBadCompressedData, "圧縮データが壊れています"},
  };
  for (const auto& [problem, utf8] : texts) EXPECT_EQ(vendrix::testing::Utf8(BmpProblemText(problem)), utf8);
}

}  // namespace
}  // namespace vendrix::images
