#include "platform/sim/sim_display.h"

#include <algorithm>

namespace vendrix::sim {
namespace {

constexpr int kSmCxScreen = 0;
constexpr int kSmCyScreen = 1;

// A screen area outside the screen comes out black, as a screen copy of
// it does on Windows.
constexpr images::Colour kOffScreen = 0;

// `rect` clipped to [0, width) x [0, height); empty when they do not meet.
platform::WindowRect Clip(const platform::WindowRect& rect, int width, int height) {
  return {std::max(rect.left, 0), std::max(rect.top, 0), std::min(rect.right, width), std::min(rect.bottom, height)};
}

}  // namespace

int SimDisplay::ScreenWidth() {
  if (world_.Tracing()) world_.Record("GetSystemMetrics", {{"index", kSmCxScreen}, {"result", width_}});
  return width_;
}

int SimDisplay::ScreenHeight() {
  if (world_.Tracing()) world_.Record("GetSystemMetrics", {{"index", kSmCyScreen}, {"result", height_}});
  return height_;
}

images::Colour SimDisplay::ShownColour(int x, int y) const {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return images::kInvalidColour;
  for (auto paint = screen_.paints.rbegin(); paint != screen_.paints.rend(); ++paint) {
    const platform::WindowRect& r = paint->rect;
    if (x >= r.left && x < r.right && y >= r.top && y < r.bottom) return paint->colour;
  }
  if (screen_.picture && screen_.picture->Contains(x, y)) return screen_.picture->At(x, y);
  return screen_.fill;
}

std::optional<images::Image> SimDisplay::CaptureScreen(const platform::Rect& area) {
  if (world_.Tracing()) {
    world_.Record("BitBlt", {{"x", area.left}, {"y", area.top}, {"width", area.width}, {"height", area.height}});
  }
  if (area.width <= 0 || area.height <= 0) return std::nullopt;
  images::Image image(area.width, area.height, kOffScreen);
  // The screen's layers in order, each clipped to the screen and the area,
  // so a capture costs its own size, not the screen's.
  const int64_t left = area.left, top = area.top;
  const auto paint = [&](const platform::WindowRect& onScreen, auto colourAt) {
    const platform::WindowRect r = Clip(onScreen, width_, height_);
    const int64_t x0 = std::max<int64_t>(r.left, left), x1 = std::min<int64_t>(r.right, left + area.width);
    const int64_t y0 = std::max<int64_t>(r.top, top), y1 = std::min<int64_t>(r.bottom, top + area.height);
    for (int64_t y = y0; y < y1; ++y) {
      images::Colour* row = image.Row(static_cast<int>(y - top));
      for (int64_t x = x0; x < x1; ++x) row[x - left] = colourAt(static_cast<int>(x), static_cast<int>(y));
    }
  };
  paint({0, 0, width_, height_}, [&](int, int) { return screen_.fill; });
  if (screen_.picture) {
    const images::Image& picture = *screen_.picture;
    paint({0, 0, picture.width, picture.height}, [&](int x, int y) { return picture.At(x, y); });
  }
  for (const ScreenPaint& painted : screen_.paints) {
    paint(painted.rect, [&](int, int) { return painted.colour; });
  }
  return image;
}

images::Colour SimDisplay::ScreenPixel(platform::Point at) {
  const images::Colour colour = ShownColour(at.x, at.y);
  if (world_.Tracing()) world_.Record("GetPixel", {{"x", at.x}, {"y", at.y}, {"result", colour}});
  return colour;
}

}  // namespace vendrix::sim
