// Pictures made in memory for the image tests and benchmarks.
#pragma once

#include <functional>
#include <string>

#include "images/bmp.h"
#include "images/image.h"

namespace vendrix::test_images {

// A picture whose pixel (x, y) is colour(x, y).
inline images::Image Pattern(int width, int height, const std::function<images::Colour(int, int)>& colour) {
  images::Image image(width, height);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) image.Set(x, y, colour(x, y));
  return image;
}

// The part of `image` at (x, y); the part must lie inside it.
inline images::Image Cut(const images::Image& image, int x, int y, int width, int height) {
  return Pattern(width, height, [&](int i, int j) { return image.At(x + i, y + j); });
}

// Copies `part` into `image` with its corner at (x, y); it must fit.
inline void Paste(images::Image& image, const images::Image& part, int x, int y) {
  for (int j = 0; j < part.height; ++j)
    for (int i = 0; i < part.width; ++i) image.Set(x + i, y + j, part.At(i, j));
}

// The bytes of a 24-bit BMP file of such a picture.
inline std::string BmpOf(int width, int height, const std::function<images::Colour(int, int)>& colour) {
  return images::EncodeBmp24(Pattern(width, height, colour));
}

}  // namespace vendrix::test_images
