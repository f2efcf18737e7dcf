// Functions on the screen's pixels and the image slots.
#include <string>

#include "desktop/image_search.h"
#include "engine/engine.h"
#include "engine/image_slots.h"
#include "engine/report.h"
#include "values/function_table.h"
#include "values/integer.h"
#include "values/sjis.h"

namespace vendrix {
namespace {

// The image in slot `n` (a checked number); an empty slot is reported,
// followed by `what`.
const platform::Image& FilledSlot(Engine& engine, int n, const std::string& what) {
  const std::optional<platform::Image>& slot = engine.imageSlots[static_cast<size_t>(n - 1)];
  if (!slot) ReportFatal(engine, std::string(msg::kImageNumberUnused) + what);
  return *slot;
}

}  // namespace

std::string FnGetPixel(Engine& engine, const CallArgs& args) {
  const platform::Point at = PointFromText(args[0]);
  platform::Display& display = engine.platform.display;
  if (sjis::AnsiLower(args[1]) != "true") return ColourText(display.ScreenPixel(at));
  // The whole screen first, as a capture would take it.
  const std::optional<platform::Image> screen =
      display.CaptureScreen({0, 0, display.ScreenWidth(), display.ScreenHeight()});
  return ColourText(screen ? screen->At(at.x, at.y) : platform::kInvalidColour);
}

std::string FnGetGraphPixel(Engine& engine, const CallArgs& args) {
  const std::string what = "getgraphpixel " + args[0];
  const platform::Image& image = FilledSlot(engine, CheckedImageSlot(engine, args[0], what), what);
  const platform::Point at = PointFromText(args[1]);
  return ColourText(image.At(at.x, at.y));
}

std::string FnSearchGraph(Engine& engine, const CallArgs& args) {
  const std::string what = "searchgraph " + args[0] + " " + args[1];
  // Both numbers are checked before either slot.
  const int largeSlot = CheckedImageSlot(engine, args[0], what);
  const int smallSlot = CheckedImageSlot(engine, args[1], what);
  const platform::Image& large = FilledSlot(engine, largeSlot, what);
  const platform::Image& small = FilledSlot(engine, smallSlot, what);
  const std::optional<desktop::ImagePoint> found = desktop::SearchImage(large, small);
  if (!found) return std::string(kFalse);
  return std::to_string(found->x) + "," + std::to_string(found->y);
}

}  // namespace vendrix
