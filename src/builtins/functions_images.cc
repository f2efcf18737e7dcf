// Functions on the screen's pixels and the image slots.
#include <string>

#include "builtins/functions.h"
#include "engine/interpreter.h"
#include "engine/image_slots.h"
#include "images/image_search.h"
#include "values/integer.h"
#include "values/sjis.h"

namespace vendrix {
namespace {

// The image in slot `n` (a checked number); an empty slot is reported,
// followed by `what`.
const images::Image& FilledSlot(Interpreter& interp, int n, const std::string& what) {
  const std::optional<images::Image>& slot = interp.ImageSlot(n);
  if (!slot) interp.Fatal(std::string(msg::kImageNumberUnused) + what);
  return *slot;
}

}  // namespace

std::string FnGetPixel(Interpreter& interp, const CallArgs& args) {
  const platform::Point at = PointFromText(args[0]);
  platform::Display& display = interp.Platform().display;
  if (sjis::AnsiLower(args[1]) != "true") return ColourText(display.ScreenPixel(at));
  // The pixel as a capture of the screen holds it: only that one pixel is
  // captured, however large the screen.
  if (at.x < 0 || at.y < 0 || at.x >= display.ScreenWidth() || at.y >= display.ScreenHeight()) {
    return ColourText(images::kInvalidColour);
  }
  const std::optional<images::Image> pixel = display.CaptureScreen({at.x, at.y, 1, 1});
  return ColourText(pixel ? pixel->At(0, 0) : images::kInvalidColour);
}

std::string FnGetGraphPixel(Interpreter& interp, const CallArgs& args) {
  const std::string what = "getgraphpixel " + args[0];
  const images::Image& image = FilledSlot(interp, interp.CheckedImageSlot(args[0], what), what);
  const platform::Point at = PointFromText(args[1]);
  return ColourText(image.At(at.x, at.y));
}

std::string FnSearchGraph(Interpreter& interp, const CallArgs& args) {
  const std::string what = "searchgraph " + args[0] + " " + args[1];
  // Both numbers are checked before either slot.
  const int largeSlot = interp.CheckedImageSlot(args[0], what);
  const int smallSlot = interp.CheckedImageSlot(args[1], what);
  const images::Image& large = FilledSlot(interp, largeSlot, what);
  const images::Image& small = FilledSlot(interp, smallSlot, what);
  const std::optional<images::ImagePoint> found = images::SearchImage(large, small);
  if (!found) return std::string(kFalse);
  return std::to_string(found->x) + "," + std::to_string(found->y);
}

}  // namespace vendrix
