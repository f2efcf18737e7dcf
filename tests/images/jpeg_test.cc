// JPEG files of images: the bytes both builds write, what a decoder reads
// back from them, and the quality a macro's text asks for.
#include "images/jpeg.h"

#include <gtest/gtest.h>

// jpeglib.h needs FILE and size_t declared before it.
#include <cstdio>
#include <csetjmp>
#include <cstdlib>

#include <jpeglib.h>

#include <optional>
#include <string>
#include <vector>

#include "images/jpeg_samples.h"

namespace vendrix::images {
namespace {

// What the native build (Debian's libjpeg62-turbo, with SIMD) and both
// Windows builds (Debian's libjpeg-turbo source compiled with mingw, with
// SIMD) write for the sample pictures: FNV-1a 64 of the file and its size,
// as vendrix_jpeg_check.exe printed them under Wine.  Forcing either side's
// SIMD off (JSIMD_FORCENONE=1) gives the same bytes.
struct Expected {
  const char* name;
  uint64_t digest;
  size_t size;
};
constexpr Expected kExpected[] = {
    {"gradient 64x48 q80", 0x107A9D98A6DB3597u, 904},
    {"gradient 64x48 q100", 0x72C70FD928F15A80u, 1809},
    {"noise 40x30 q80", 0x1E0D43F2D5F66D32u, 1519},
    {"noise 40x30 q25", 0xC4D0FEF29C2C9D3Fu, 964},
    {"blocks 17x13 q80", 0x3497FB205F8DD82Fu, 861},
    {"blocks 17x13 q5", 0x75A8158614E8E8BEu, 690},
    {"noise 1x1 q80", 0xED0DE827ADC55F74u, 633},
};

TEST(JpegTest, SamplesEncodeToTheBytesBothBuildsWrite) {
  ASSERT_EQ(std::size(kExpected), std::size(jpeg_samples::kSamples));
  for (size_t i = 0; i < std::size(kExpected); ++i) {
    const jpeg_samples::Sample& sample = jpeg_samples::kSamples[i];
    SCOPED_TRACE(sample.name);
    ASSERT_STREQ(sample.name, kExpected[i].name);
    const std::string bytes = EncodeJpeg(sample.make(), sample.quality);
    EXPECT_EQ(bytes.size(), kExpected[i].size);
    EXPECT_EQ(jpeg_samples::Fnv64(bytes), kExpected[i].digest);
  }
}

struct Decoded {
  int width = 0;
  int height = 0;
  int components = 0;
  J_COLOR_SPACE colour_space = JCS_UNKNOWN;
  bool progressive = false;
  std::vector<unsigned char> samples;  // R, G, B per pixel, rows from the top
};

struct DecodeTrap {
  jpeg_error_mgr manager;
  std::jmp_buf jump;
};

// Decodes with libjpeg into out->samples, sized for the expected picture;
// false on a broken file.  As in the encoder, no C++
// object with a destructor is created between setjmp and the jump.
bool DecodeInto(const std::string* bytes, Decoded* out, jpeg_decompress_struct* cinfo, DecodeTrap* trap) {
  cinfo->err = jpeg_std_error(&trap->manager);
  trap->manager.error_exit = [](j_common_ptr info) {
    std::longjmp(reinterpret_cast<DecodeTrap*>(info->err)->jump, 1);
  };
  if (setjmp(trap->jump) != 0) {
    jpeg_destroy_decompress(cinfo);
    return false;
  }
  jpeg_create_decompress(cinfo);
  jpeg_mem_src(cinfo, reinterpret_cast<const unsigned char*>(bytes->data()), bytes->size());
  jpeg_read_header(cinfo, TRUE);
  out->colour_space = cinfo->jpeg_color_space;
  out->progressive = jpeg_has_multiple_scans(cinfo);
  cinfo->out_color_space = JCS_RGB;
  jpeg_start_decompress(cinfo);
  out->width = static_cast<int>(cinfo->output_width);
  out->height = static_cast<int>(cinfo->output_height);
  out->components = cinfo->num_components;
  if (static_cast<size_t>(out->width) * static_cast<size_t>(out->height) * 3 != out->samples.size()) {
    // Another size than asked for: the caller sees the size and no samples.
    out->samples.clear();
    jpeg_destroy_decompress(cinfo);
    return true;
  }
  unsigned char* data = out->samples.data();
  const size_t stride = static_cast<size_t>(out->width) * 3;
  while (cinfo->output_scanline < cinfo->output_height) {
    JSAMPROW row = data + cinfo->output_scanline * stride;
    jpeg_read_scanlines(cinfo, &row, 1);
  }
  jpeg_finish_decompress(cinfo);
  jpeg_destroy_decompress(cinfo);
  return true;
}

std::optional<Decoded> Decode(const std::string& bytes, int width, int height) {
  Decoded decoded;
  decoded.samples.resize(static_cast<size_t>(width) * static_cast<size_t>(height) * 3);
  jpeg_decompress_struct cinfo{};
  DecodeTrap trap{};
  if (!DecodeInto(&bytes, &decoded, &cinfo, &trap)) return std::nullopt;
  return decoded;
}

// The frame markers (SOF0 … SOF15) of the file, walking its segments up to
// the first scan.
std::vector<int> FrameMarkers(const std::string& bytes) {
  std::vector<int> markers;
  size_t at = 2;  // after SOI
  while (at + 4 <= bytes.size() && static_cast<unsigned char>(bytes[at]) == 0xFF) {
    const int marker = static_cast<unsigned char>(bytes[at + 1]);
    if (marker == 0xDA) break;  // start of scan
    if (marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC) {
      markers.push_back(marker);
    }
    const size_t length = static_cast<unsigned char>(bytes[at + 2]) * 256u + static_cast<unsigned char>(bytes[at + 3]);
    at += 2 + length;
  }
  return markers;
}

double MeanAbsoluteError(const images::Image& image, const Decoded& decoded) {
  double total = 0;
  for (int y = 0; y < image.height; ++y) {
    for (int x = 0; x < image.width; ++x) {
      const images::Colour colour = image.At(x, y);
      const unsigned char* sample = &decoded.samples[(static_cast<size_t>(y) * image.width + x) * 3];
      total += std::abs(sample[0] - images::RedOf(colour)) + std::abs(sample[1] - images::GreenOf(colour)) +
               std::abs(sample[2] - images::BlueOf(colour));
    }
  }
  return total / (3.0 * image.width * image.height);
}

TEST(JpegTest, DecodesAsABaselineColourFileOfTheImage) {
  const struct {
    images::Image image;
    int quality;
  } cases[] = {
      {jpeg_samples::Gradient(64, 48), 80},
      {jpeg_samples::Blocks(17, 13), 80},
      {jpeg_samples::Noise(1, 1, 7), 100},
      // Quality 1 would need 16-bit quantisation tables without the limit
      // to baseline values.
      {jpeg_samples::Gradient(33, 7), 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.image.width << "x" << c.image.height << " q" << c.quality);
    const std::string bytes = EncodeJpeg(c.image, c.quality);
    const std::optional<Decoded> decoded = Decode(bytes, c.image.width, c.image.height);
    ASSERT_TRUE(decoded.has_value());
    EXPECT_EQ(decoded->width, c.image.width);
    EXPECT_EQ(decoded->height, c.image.height);
    EXPECT_EQ(decoded->components, 3);
    EXPECT_EQ(decoded->colour_space, JCS_YCbCr);
    EXPECT_FALSE(decoded->progressive);
    EXPECT_EQ(FrameMarkers(bytes), std::vector<int>{0xC0});
  }
}

TEST(JpegTest, PixelsComeBackCloseAtFullQuality) {
  // Separate ramps per channel and per axis: swapped channels or upside-down
  // rows would be off by tens of levels.
  for (const images::Image& image : {jpeg_samples::Gradient(64, 48), jpeg_samples::Gradient(17, 13)}) {
    SCOPED_TRACE(testing::Message() << image.width << "x" << image.height);
    const std::optional<Decoded> decoded = Decode(EncodeJpeg(image, 100), image.width, image.height);
    ASSERT_TRUE(decoded.has_value());
    ASSERT_FALSE(decoded->samples.empty());
    EXPECT_LT(MeanAbsoluteError(image, *decoded), 1.5);
  }
  // At a low quality the same picture is visibly coarser, yet recognisable.
  const images::Image image = jpeg_samples::Gradient(64, 48);
  const std::optional<Decoded> rough = Decode(EncodeJpeg(image, 10), 64, 48);
  ASSERT_TRUE(rough.has_value());
  ASSERT_FALSE(rough->samples.empty());
  const double error = MeanAbsoluteError(image, *rough);
  EXPECT_GT(error, 1.5);
  EXPECT_LT(error, 12.0);
}

TEST(JpegTest, HigherQualityWritesLargerFiles) {
  const images::Image image = jpeg_samples::Noise(40, 30, 99);
  size_t previous = 0;
  for (int quality : {10, 50, 90, 100}) {
    const size_t size = EncodeJpeg(image, quality).size();
    EXPECT_GT(size, previous) << "quality " << quality;
    previous = size;
  }
}

TEST(JpegTest, QualityIsLimitedToOneToHundred) {
  const images::Image image = jpeg_samples::Noise(24, 16, 5);
  EXPECT_EQ(EncodeJpeg(image, 0), EncodeJpeg(image, 1));
  EXPECT_EQ(EncodeJpeg(image, -40), EncodeJpeg(image, 1));
  EXPECT_EQ(EncodeJpeg(image, 255), EncodeJpeg(image, 100));
  EXPECT_NE(EncodeJpeg(image, 1), EncodeJpeg(image, 2));
  EXPECT_NE(EncodeJpeg(image, 99), EncodeJpeg(image, 100));
}

TEST(JpegTest, NothingToEncodeGivesNoBytes) {
  images::Image short_of_pixels(4, 4);
  short_of_pixels.pixels.pop_back();
  images::Image extra_pixels(4, 4);
  extra_pixels.pixels.push_back(0);
  images::Image negative;
  negative.width = -3;
  negative.height = -3;
  negative.pixels.resize(9);
  const images::Image cases[] = {
      images::Image(), images::Image(0, 5), images::Image(5, 0), negative, short_of_pixels, extra_pixels,
      // Wider than a JPEG can be: the library itself refuses, and its error
      // exit must come back here with nothing leaked.
      images::Image(65501, 1), images::Image(1, 65501),
  };
  for (const images::Image& image : cases) {
    EXPECT_EQ(EncodeJpeg(image, 80), "") << image.width << "x" << image.height << ", " << image.pixels.size()
                                         << " pixels";
  }
  // The largest side the library takes still works.
  EXPECT_FALSE(EncodeJpeg(images::Image(65500, 1), 80).empty());
}

TEST(JpegTest, QualityFromText) {
  const struct {
    const char* text;
    int quality;
  } cases[] = {
      {"0", 80},   {"-5", 80},   {"abc", 80},   {"", 80},      {"1", 1},     {"100", 100},
      {"356", 100}, {"300", 44}, {"255", 255}, {"256", 0},    {"$64", 100}, {" 50", 50},
      {"2147483647", 255},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(JpegQualityFromText(c.text), c.quality) << '"' << c.text << '"';
  }
}

}  // namespace
}  // namespace vendrix::images
