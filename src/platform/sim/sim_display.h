// The simulated screen: its size and what it shows, read pixel by pixel or
// captured as a picture.
#pragma once

#include <optional>
#include <utility>

#include "platform/platform.h"
#include "platform/sim/sim_world.h"

namespace vendrix::sim {

class SimDisplay final : public platform::Display {
 public:
  SimDisplay(SimWorld& world, int width, int height, ScreenPicture screen)
      : world_(world), width_(width), height_(height), screen_(std::move(screen)) {}

  int ScreenWidth() override;
  int ScreenHeight() override;
  std::optional<images::Image> CaptureScreen(const platform::Rect& area) override;
  images::Colour ScreenPixel(platform::Point at) override;

  // The screen's size, untraced.
  int Width() const { return width_; }
  int Height() const { return height_; }

 private:
  // The colour shown at a point of the screen, untraced.
  images::Colour ShownColour(int x, int y) const;

  SimWorld& world_;
  int width_;
  int height_;
  ScreenPicture screen_;
};

}  // namespace vendrix::sim
