// The four image slots of OPENGRAPH, and what the image statements and
// functions share: slot numbers, points and colours as macros write them.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "images/image.h"
#include "platform/platform.h"

namespace vendrix {

class Engine;

inline constexpr int kImageSlotCount = 4;

// Slot n at index n - 1; an empty optional is a free slot.  The slots
// belong to the program: a run's end leaves them as they are.
using ImageSlots = std::array<std::optional<images::Image>, kImageSlotCount>;

// The image slot number a text names, or none when it is not 1 to 4.
std::optional<int> ImageSlotNumber(std::string_view text);

// "x,y" cut at the first ","; parts that are no number read as 0.
platform::Point PointFromText(std::string text);

// A colour as functions give it: lower-case hexadecimal, no leading zeros.
std::string ColourText(images::Colour colour);

// The slot's number checked (1 to 4); otherwise a fatal report of
// `kBadImageNumber` followed by `what`.
int CheckedImageSlot(Engine& engine, std::string_view slotText, std::string_view what);

}  // namespace vendrix
