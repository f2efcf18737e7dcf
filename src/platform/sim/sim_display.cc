#include "platform/sim/sim_desktop.h"

namespace vendrix::sim {
namespace {

constexpr int kSmCxScreen = 0;
constexpr int kSmCyScreen = 1;

}  // namespace

int SimDesktop::ScreenWidth() {
  if (Tracing()) Record("GetSystemMetrics", {{"index", kSmCxScreen}, {"result", screenWidth_}});
  return screenWidth_;
}

int SimDesktop::ScreenHeight() {
  if (Tracing()) Record("GetSystemMetrics", {{"index", kSmCyScreen}, {"result", screenHeight_}});
  return screenHeight_;
}

}  // namespace vendrix::sim
