#include "engine/image_slots.h"

#include <cstdio>

#include "engine/engine.h"
#include "engine/report.h"
#include "values/integer.h"
#include "values/sjis.h"

namespace vendrix {

std::optional<int> ImageSlotNumber(std::string_view text) {
  const int32_t n = IntegerValue(text, 0);
  if (n < 1 || n > kImageSlotCount) return std::nullopt;
  return n;
}

platform::Point PointFromText(std::string text) {
  const std::string x = sjis::CutToken(text, ",");
  return {IntegerValue(x, 0), IntegerValue(text, 0)};
}

std::string ColourText(images::Colour colour) {
  char text[9];
  std::snprintf(text, sizeof text, "%x", static_cast<unsigned>(colour));
  return text;
}

int CheckedImageSlot(Engine& engine, std::string_view slotText, std::string_view what) {
  const std::optional<int> n = ImageSlotNumber(slotText);
  if (!n) Fatal(engine, std::string(msg::kBadImageNumber) + std::string(what));
  return *n;
}

}  // namespace vendrix
