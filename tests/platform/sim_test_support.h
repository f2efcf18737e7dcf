// Helpers shared by the simulated desktop's tests.
#pragma once

#include <cstdint>
#include <functional>
#include <utility>
#include <vector>

#include "platform/sim/sim_desktop.h"

namespace vendrix::sim::testing {

// Records each tick with the virtual time it arrived at, and can act on it.
class RecordingSink : public platform::TimerSink {
 public:
  explicit RecordingSink(SimDesktop& desktop) : desktop_(desktop) {
    desktop.messages().SetTimerSink(this);
  }

  void OnTimer(int timerId) override {
    ticks.emplace_back(timerId, desktop_.NowMs());
    if (onTick) onTick(timerId);
  }

  std::vector<std::pair<int, uint64_t>> ticks;  // (timer id, ms)
  std::function<void(int)> onTick;

 private:
  SimDesktop& desktop_;
};

}  // namespace vendrix::sim::testing
