#include "images/jpeg.h"

// jpeglib.h needs FILE and size_t declared before it.
#include <cstdio>
#include <cstdlib>
#include <csetjmp>

#include <jpeglib.h>

#include <algorithm>
#include <array>
#include <bit>
#include <memory>
#include <vector>

#include "values/integer.h"

namespace vendrix::images {
namespace {

constexpr int kDefaultQuality = 80;

// libjpeg reports errors through error_exit, which must not return.  It
// jumps back to Compress: throwing instead would unwind through C frames
// that may have no unwind tables.
struct ErrorTrap {
  jpeg_error_mgr manager;  // first, so that cinfo->err points at the trap
  std::jmp_buf jump;
};

void JumpBack(j_common_ptr cinfo) {
  std::longjmp(reinterpret_cast<ErrorTrap*>(cinfo->err)->jump, 1);
}

// Warnings would go to stderr, which a Windows program does not have.
void IgnoreMessage(j_common_ptr) {}

struct Job {
  jpeg_compress_struct cinfo;
  ErrorTrap trap;
  unsigned char* out;  // malloc'ed by jpeg_mem_dest
  unsigned long size;
};

// A 0x00BBGGRR colour lies in memory as R, G, B and a spare byte on a
// little-endian machine: libjpeg-turbo reads such rows as they are
// (JCS_EXT_RGBX), with no copy of the picture.
#if defined(JCS_EXTENSIONS)
constexpr bool kRowsAsTheyAre = std::endian::native == std::endian::little;
#else
constexpr bool kRowsAsTheyAre = false;
#endif

// Rows handed over per call.
constexpr int kRowsPerCall = 16;

void WriteRowsAsTheyAre(jpeg_compress_struct* cinfo, const Image* image) {
  std::array<JSAMPROW, kRowsPerCall> rows{};
  for (int y = 0; y < image->height;) {
    int count = std::min(kRowsPerCall, image->height - y);
    for (int i = 0; i < count; ++i) {
      // libjpeg only reads through these pointers.
      rows[static_cast<size_t>(i)] = reinterpret_cast<JSAMPROW>(const_cast<Colour*>(image->Row(y + i)));
    }
    y += static_cast<int>(jpeg_write_scanlines(cinfo, rows.data(), static_cast<JDIMENSION>(count)));
  }
}

// One row of 0x00BBGGRR colours as R, G, B samples.
void WriteConvertedRows(jpeg_compress_struct* cinfo, const Image* image, JSAMPLE* row) {
  JSAMPROW rows[1] = {row};
  for (int y = 0; y < image->height; ++y) {
    const Colour* source = image->Row(y);
    JSAMPLE* sample = row;
    for (int x = 0; x < image->width; ++x) {
      *sample++ = RedOf(source[x]);
      *sample++ = GreenOf(source[x]);
      *sample++ = BlueOf(source[x]);
    }
    jpeg_write_scanlines(cinfo, rows, 1);
  }
}

// Everything between setjmp and a longjmp lives in `job` or is plain C
// data, so the jump skips no destructor.  On failure job->out is still the
// caller's to free.
bool Compress(Job* job, const Image* image, int quality, JSAMPLE* row) {
  jpeg_compress_struct* cinfo = &job->cinfo;
  cinfo->err = jpeg_std_error(&job->trap.manager);
  job->trap.manager.error_exit = JumpBack;
  job->trap.manager.output_message = IgnoreMessage;
  if (setjmp(job->trap.jump) != 0) {
    // The memory destination may have moved its buffer without telling
    // job->out yet; closing it hands over the one that is live.
    if (cinfo->dest != nullptr) cinfo->dest->term_destination(cinfo);
    jpeg_destroy_compress(cinfo);
    return false;
  }
  jpeg_create_compress(cinfo);
  jpeg_mem_dest(cinfo, &job->out, &job->size);
  cinfo->image_width = static_cast<JDIMENSION>(image->width);
  cinfo->image_height = static_cast<JDIMENSION>(image->height);
#if defined(JCS_EXTENSIONS)
  cinfo->input_components = kRowsAsTheyAre ? 4 : 3;
  cinfo->in_color_space = kRowsAsTheyAre ? JCS_EXT_RGBX : JCS_RGB;
#else
  cinfo->input_components = 3;
  cinfo->in_color_space = JCS_RGB;
#endif
  jpeg_set_defaults(cinfo);
  jpeg_set_quality(cinfo, quality, TRUE);
  jpeg_start_compress(cinfo, TRUE);
  if (kRowsAsTheyAre) {
    WriteRowsAsTheyAre(cinfo, image);
  } else {
    WriteConvertedRows(cinfo, image, row);
  }
  jpeg_finish_compress(cinfo);
  jpeg_destroy_compress(cinfo);
  return true;
}

}  // namespace

std::string EncodeJpeg(const Image& image, int quality) {
  if (image.width <= 0 || image.height <= 0 ||
      image.pixels.size() != static_cast<size_t>(image.width) * static_cast<size_t>(image.height)) {
    return {};
  }
  std::vector<JSAMPLE> row(kRowsAsTheyAre ? 0 : static_cast<size_t>(image.width) * 3);
  Job job{};
  const bool done = Compress(&job, &image, std::clamp(quality, 1, 100), row.data());
  const std::unique_ptr<unsigned char, decltype(&std::free)> owned(job.out, &std::free);
  if (!done) return {};
  return std::string(reinterpret_cast<const char*>(job.out), job.size);
}

int JpegQualityFromText(std::string_view text) {
  int32_t quality = IntegerValue(text, 0);
  if (quality <= 0) quality = kDefaultQuality;
  return quality & 0xFF;
}

}  // namespace vendrix::images
