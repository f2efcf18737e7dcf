// A whole-screen capture taken apart: reading the screen into a picture,
// then writing it as a BMP file and as a JPEG file (quality 80), beside
// libjpeg compressing the same picture from ready-made RGB rows: the
// difference is what Vendrix adds to the library's own work.
//
//   build/linux/bench/vendrix_capture_bench [RUNS]     the simulated screen
//   bench/capture_wine.py build/win32/vendrix_capture_bench.exe   the real
//                                                   screen, Xvfb at 1920x1080
//
// Prints the median of RUNS (default 15) per step, in milliseconds.  The
// picture encoded is a screen-like one drawn here (windows, title bars,
// lines of text on a gradient), so the JPEG figures do not depend on what
// the screen under test happens to show; the capture reads the whole screen.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

// jpeglib.h needs FILE and size_t declared before it.
#include <cstddef>
#include <jpeglib.h>

#include "images/bmp.h"
#include "images/image.h"
#include "images/jpeg.h"
#include "platform/platform.h"

#ifdef _WIN32
#include "platform/win32/win32_api.h"
#include "platform/win32/win32_desktop.h"
#else
#include "platform/sim/sim_desktop.h"
#endif

namespace {

using vendrix::images::Colour;
using vendrix::images::Image;
using vendrix::images::RgbColour;

constexpr int kWidth = 1920;
constexpr int kHeight = 1080;
constexpr int kQuality = 80;

void Fill(Image& image, int left, int top, int width, int height, Colour colour) {
  for (int y = std::max(top, 0); y < std::min(top + height, image.height); ++y) {
    for (int x = std::max(left, 0); x < std::min(left + width, image.width); ++x) image.Set(x, y, colour);
  }
}

// Windows with title bars and lines of "text" (runs of dark pixels) on a
// gradient, drawn from a fixed seed.
Image ScreenLike() {
  Image screen(kWidth, kHeight);
  for (int y = 0; y < kHeight; ++y) Fill(screen, 0, y, kWidth, 1, RgbColour(30, 60 + y * 80 / kHeight, 120 + y * 100 / kHeight));
  uint32_t seed = 12345;
  auto next = [&seed](int limit) {
    seed = seed * 1664525u + 1013904223u;
    return static_cast<int>((seed >> 8) % static_cast<uint32_t>(limit));
  };
  for (int window = 0; window < 6; ++window) {
    int width = 400 + next(700), height = 250 + next(500);
    int left = next(kWidth - width), top = next(kHeight - height);
    Fill(screen, left, top, width, height, RgbColour(250, 250, 250));
    Fill(screen, left, top, width, 28, RgbColour(40, 90, 180));
    for (int line = top + 40; line + 12 < top + height; line += 18) {
      for (int x = left + 10; x < left + width - 20;) {
        int word = 8 + next(50);
        for (int dot = 0; dot < word * 6; ++dot) screen.Set(x + next(word), line + next(12), RgbColour(20, 20, 20));
        x += word + 6;
      }
    }
  }
  return screen;
}

// The same picture compressed by libjpeg from RGB rows prepared beforehand.
size_t LibraryAlone(const std::vector<unsigned char>& rgb) {
  jpeg_compress_struct cinfo;
  jpeg_error_mgr errors;
  cinfo.err = jpeg_std_error(&errors);
  jpeg_create_compress(&cinfo);
  unsigned char* out = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&cinfo, &out, &size);
  cinfo.image_width = kWidth;
  cinfo.image_height = kHeight;
  cinfo.input_components = 3;
  cinfo.in_color_space = JCS_RGB;
  jpeg_set_defaults(&cinfo);
  jpeg_set_quality(&cinfo, kQuality, TRUE);
  jpeg_start_compress(&cinfo, TRUE);
  while (cinfo.next_scanline < cinfo.image_height) {
    JSAMPROW row = const_cast<unsigned char*>(rgb.data()) + static_cast<size_t>(cinfo.next_scanline) * kWidth * 3;
    jpeg_write_scanlines(&cinfo, &row, 1);
  }
  jpeg_finish_compress(&cinfo);
  jpeg_destroy_compress(&cinfo);
  std::free(out);
  return size;
}

double MedianMs(int runs, const std::function<void()>& step) {
  std::vector<double> times;
  for (int run = 0; run < runs; ++run) {
    auto start = std::chrono::steady_clock::now();
    step();
    times.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
  }
  std::sort(times.begin(), times.end());
  return times[times.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
  int runs = argc > 1 ? std::atoi(argv[1]) : 15;
  if (runs <= 0) runs = 15;
#ifdef _WIN32
  vendrix::win32::Win32Display display;
  const char* screenName = "the real screen";
#else
  vendrix::sim::DesktopDescription description;
  description.screenWidth = kWidth;
  description.screenHeight = kHeight;
  description.screen.picture = std::make_shared<const Image>(ScreenLike());
  vendrix::sim::SimDesktop desktop(std::move(description));
  vendrix::platform::Display& display = desktop.display();
  const char* screenName = "the simulated screen";
#endif
  const vendrix::platform::Rect whole{0, 0, display.ScreenWidth(), display.ScreenHeight()};
  std::optional<Image> captured;
  double capture = MedianMs(runs, [&] { captured = display.CaptureScreen(whole); });
  if (!captured) {
    std::printf("the screen could not be read\n");
    return 1;
  }

  const Image picture = ScreenLike();
  std::vector<unsigned char> rgb;
  rgb.reserve(picture.pixels.size() * 3);
  for (Colour colour : picture.pixels) {
    rgb.push_back(vendrix::images::RedOf(colour));
    rgb.push_back(vendrix::images::GreenOf(colour));
    rgb.push_back(vendrix::images::BlueOf(colour));
  }
  size_t bmpSize = 0, jpegSize = 0, librarySize = 0;
  double bmp = MedianMs(runs, [&] { bmpSize = vendrix::images::EncodeBmp24(picture).size(); });
  double jpeg = MedianMs(runs, [&] { jpegSize = vendrix::images::EncodeJpeg(picture, kQuality).size(); });
  double library = MedianMs(runs, [&] { librarySize = LibraryAlone(rgb); });

  std::printf("pictures of %dx%d, median of %d runs\n", kWidth, kHeight, runs);
  std::printf("capture of %s (%dx%d) into a picture: %.2f ms\n", screenName, whole.width, whole.height, capture);
  std::printf("BMP file (24-bit, %zu bytes): %.2f ms\n", bmpSize, bmp);
  std::printf("JPEG file (quality %d, %zu bytes): %.2f ms\n", kQuality, jpegSize, jpeg);
  std::printf("libjpeg alone from RGB rows (%zu bytes): %.2f ms\n", librarySize, library);
  return 0;
}
