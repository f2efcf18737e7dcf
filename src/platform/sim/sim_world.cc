#include "platform/sim/sim_world.h"

#include <algorithm>
#include <utility>

namespace vendrix::sim {

WindowModel::WindowModel(std::vector<SimWindow> described, platform::WindowId foreground, platform::WindowId active)
    : foreground(foreground), active(active) {
  SimWindow main;
  main.id = kMainWindow;
  main.title = std::string(kMainTitle);
  main.thread = kProgramThread;
  main.focus = kMainWindow;
  windows_.push_back(std::move(main));
  for (SimWindow& window : described) {
    if (window.parent == 0) zOrder_.push_back(window.id);
    windows_.push_back(std::move(window));
  }
  zOrder_.push_back(kMainWindow);
  if (foreground != 0) Raise(foreground);
}

const SimWindow* WindowModel::Find(platform::WindowId id) const {
  if (id == 0) return nullptr;
  const auto found = std::find_if(windows_.begin(), windows_.end(), [id](const SimWindow& w) { return w.id == id; });
  return found == windows_.end() ? nullptr : &*found;
}

SimWindow* WindowModel::Find(platform::WindowId id) {
  return const_cast<SimWindow*>(std::as_const(*this).Find(id));
}

SimWindow* WindowModel::TopLevelOf(platform::WindowId id) {
  SimWindow* window = Find(id);
  // Parents come before their children, so this walk ends.
  while (window != nullptr && window->parent != 0) window = Find(window->parent);
  return window;
}

void WindowModel::Raise(platform::WindowId topLevel) {
  const auto at = std::find(zOrder_.begin(), zOrder_.end(), topLevel);
  if (at != zOrder_.end()) std::rotate(zOrder_.begin(), at, at + 1);
}

void SimWorld::RecordTick(std::string_view call, nlohmann::ordered_json fields) {
  if (InStatement() || rules_.tracePolls) {
    Record(call, std::move(fields));
    return;
  }
  heldTickLines_.push_back({nowMs_, call, std::move(fields)});
}

void SimWorld::WriteHeldTickLines() {
  std::vector<HeldLine> held;
  held.swap(heldTickLines_);
  for (HeldLine& line : held) trace_.Write(line.t, line.call, std::move(line.fields));
}

}  // namespace vendrix::sim
