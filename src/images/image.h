// A picture in the desktop's own colour values, shared by screen capture,
// the image slots, the BMP and JPEG files and the image search.
#pragma once

#include <cstddef>
#include <cstdint>
#include <limits>
#include <new>
#include <vector>

namespace vendrix::images {

// A colour as the desktop gives it: 0x00BBGGRR (red in the low byte).
using Colour = uint32_t;

// What reading outside an image or the screen gives.
inline constexpr Colour kInvalidColour = 0xFFFFFFFF;

inline constexpr Colour RgbColour(uint8_t red, uint8_t green, uint8_t blue) {
  return Colour{red} | Colour{green} << 8 | Colour{blue} << 16;
}
inline constexpr uint8_t RedOf(Colour colour) { return colour & 0xFF; }
inline constexpr uint8_t GreenOf(Colour colour) { return (colour >> 8) & 0xFF; }
inline constexpr uint8_t BlueOf(Colour colour) { return (colour >> 16) & 0xFF; }

// Rows from the top, each `width` colours; the top byte of every pixel is 0.
struct Image {
  int width = 0;
  int height = 0;
  std::vector<Colour> pixels;  // width * height

  Image() = default;
  Image(int w, int h, Colour fill = 0) : width(w), height(h), pixels(PixelCount(w, h), fill) {}

  // w * h, checked: a count that a size_t cannot hold (the 32-bit build)
  // fails as an allocation rather than wrapping to a smaller picture.
  static size_t PixelCount(int w, int h) {
    if (w <= 0 || h <= 0) return 0;
    const uint64_t count = uint64_t{static_cast<uint32_t>(w)} * static_cast<uint32_t>(h);
    if (count > std::numeric_limits<size_t>::max() / sizeof(Colour)) throw std::bad_alloc();
    return static_cast<size_t>(count);
  }

  bool Contains(int x, int y) const { return x >= 0 && y >= 0 && x < width && y < height; }
  Colour At(int x, int y) const {
    return Contains(x, y) ? pixels[static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)]
                          : kInvalidColour;
  }
  void Set(int x, int y, Colour colour) {
    if (Contains(x, y)) pixels[static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)] = colour;
  }
  const Colour* Row(int y) const { return pixels.data() + static_cast<size_t>(y) * static_cast<size_t>(width); }
  Colour* Row(int y) { return pixels.data() + static_cast<size_t>(y) * static_cast<size_t>(width); }
};

}  // namespace vendrix::images
