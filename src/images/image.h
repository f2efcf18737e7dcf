// A picture in the desktop's own colour values, shared by screen capture,
// the image slots, the BMP and JPEG files and the image search.
#pragma once

#include <cstddef>
#include <cstdint>
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
  Image(int w, int h, Colour fill = 0)
      : width(w), height(h), pixels(static_cast<size_t>(w) * static_cast<size_t>(h), fill) {}

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
