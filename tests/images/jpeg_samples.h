// Fixed pictures whose JPEG files the native tests and the Windows checker
// (tests/e2e/jpeg_check.cc) both digest: the two builds must write the same
// bytes for them.
#pragma once

#include <cstdint>
#include <string_view>

#include "images/image.h"

namespace vendrix::jpeg_samples {

// Smooth ramps, a different one per channel, so that swapped channels or
// flipped rows show as large errors.
inline images::Image Gradient(int width, int height) {
  images::Image image(width, height);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      image.Set(x, y, images::RgbColour(static_cast<uint8_t>(x * 255 / width),
                                          static_cast<uint8_t>(y * 255 / height),
                                          static_cast<uint8_t>((x + y) * 127 / (width + height))));
    }
  }
  return image;
}

// Pixels from a fixed-seed xorshift generator: the same on every compiler.
inline images::Image Noise(int width, int height, uint32_t seed) {
  images::Image image(width, height);
  uint32_t state = seed;
  for (images::Colour& pixel : image.pixels) {
    state ^= state << 13;
    state ^= state >> 17;
    state ^= state << 5;
    pixel = state & 0xFFFFFF;
  }
  return image;
}

// Hard-edged stripes and squares, for sizes that fill no whole block.
inline images::Image Blocks(int width, int height) {
  images::Image image(width, height);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const bool dark = ((x / 3) + (y / 3)) % 2 == 0;
      image.Set(x, y, dark ? images::RgbColour(20, 40, 200) : images::RgbColour(250, 230, static_cast<uint8_t>(x * 15)));
    }
  }
  return image;
}

struct Sample {
  const char* name;
  images::Image (*make)();
  int quality;
};

inline constexpr Sample kSamples[] = {
    {"gradient 64x48 q80", [] { return Gradient(64, 48); }, 80},
    {"gradient 64x48 q100", [] { return Gradient(64, 48); }, 100},
    {"noise 40x30 q80", [] { return Noise(40, 30, 12345); }, 80},
    {"noise 40x30 q25", [] { return Noise(40, 30, 12345); }, 25},
    {"blocks 17x13 q80", [] { return Blocks(17, 13); }, 80},
    {"blocks 17x13 q5", [] { return Blocks(17, 13); }, 5},
    {"noise 1x1 q80", [] { return Noise(1, 1, 7); }, 80},
};

// FNV-1a, 64 bits.
inline uint64_t Fnv64(std::string_view bytes) {
  uint64_t hash = 0xCBF29CE484222325u;
  for (unsigned char byte : bytes) {
    hash ^= byte;
    hash *= 0x100000001B3u;
  }
  return hash;
}

}  // namespace vendrix::jpeg_samples
