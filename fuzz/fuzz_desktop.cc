// The simulated desktop's description (JSON) on arbitrary bytes, and the
// desktop built from it.
//
// A description is either refused with a DesktopError, which names what is
// wrong, or gives a desktop that then runs: the clock moves on (scripted key
// holds, shell events, joystick samples and programs come due), the screen
// is read and captured, and everything is written to a trace.  Any other
// exception is a finding: the user would see a library's words instead of
// the field at fault.  A description may name one file, "s.bmp", a small
// picture; every other name is missing.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <sstream>
#include <string>
#include <string_view>

#include "images/bmp.h"
#include "platform/sim/sim_desktop.h"

namespace {

namespace platform = vendrix::platform;
namespace images = vendrix::images;
namespace sim = vendrix::sim;

constexpr size_t kMaxInputBytes = 64 * 1024;
constexpr int kClockSteps = 8;
constexpr uint32_t kStepMs = 250;

void Check(bool holds) {
  if (!holds) __builtin_trap();
}

std::string SmallPicture() {
  images::Image picture(3, 2, 0x00FF0000);
  picture.Row(1)[2] = 0x000000FF;
  return vendrix::images::EncodeBmp24(picture);
}

std::optional<std::string> ReadDescriptionFile(std::string_view name) {
  if (name == "s.bmp") return SmallPicture();
  return std::nullopt;
}

// A few pixels and a small capture at each corner of the screen, so the
// picture, the painted rectangles and the edges all come into play.
void LookAtScreen(platform::Display& display) {
  const int width = display.ScreenWidth();
  const int height = display.ScreenHeight();
  Check(width >= 1 && height >= 1);
  for (const platform::Point corner : {platform::Point{0, 0}, platform::Point{width - 4, height - 4}}) {
    Check(display.ScreenPixel(corner) != images::kInvalidColour || corner.x < 0 || corner.y < 0);
    const std::optional<images::Image> shot = display.CaptureScreen({corner.x, corner.y, 8, 8});
    Check(shot && shot->width == 8 && shot->height == 8);
  }
  Check(display.ScreenPixel({width, height}) == images::kInvalidColour);
}

void RunDesktop(sim::DesktopDescription description) {
  sim::SimDesktop desktop(std::move(description));
  std::ostringstream trace;
  desktop.SetTraceStream(&trace);
  LookAtScreen(desktop.display());
  platform::Windows& windows = desktop.windows();
  for (int step = 0; step < kClockSteps; ++step) {
    desktop.clock().Sleep(kStepMs);
    desktop.messages().ProcessMessages();
    const platform::WindowId front = windows.GetForegroundWindow();
    if (front != 0) windows.WindowTitle(front, 256);
    desktop.input().GetAsyncKeyState(27);
  }
  Check(desktop.NowMs() >= uint64_t{kClockSteps} * kStepMs);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > kMaxInputBytes) return -1;
  const std::string_view json(reinterpret_cast<const char*>(data), size);
  std::optional<sim::DesktopDescription> description;
  try {
    description = sim::ParseDesktopDescription(json, ReadDescriptionFile);
  } catch (const sim::DesktopError& refused) {
    Check(std::string_view(refused.what()).starts_with("desktop description"));
    return 0;
  }
  RunDesktop(std::move(*description));
  return 0;
}
