// The simulated message pump and the program's timers: ticks come due with
// virtual time and are delivered when the program lets messages through, or
// while a modal loop (a box left open) runs.
#pragma once

#include <cstdint>
#include <map>
#include <optional>

#include "platform/platform.h"
#include "platform/sim/sim_windows.h"
#include "platform/sim/sim_world.h"

namespace vendrix::sim {

class SimShellWindow;

class SimMessages final : public platform::Messages {
 public:
  // The pump delivers what was posted to `windows` and what the user does
  // to `shellWindow`; neither is used before the first ProcessMessages.
  SimMessages(SimWorld& world, SimWindows& windows, SimShellWindow& shellWindow)
      : world_(world), windows_(windows), shellWindow_(shellWindow) {}

  void SetTimerSink(platform::TimerSink* sink) override { timerSink_ = sink; }
  void SetTimer(int timerId, uint32_t periodMs) override;
  void KillTimer(int timerId) override;
  void ProcessMessages() override;

  // Runs the timers as a modal loop does until the clock reaches `endMs`.
  void RunModalLoopUntil(uint64_t endMs);
  // When the running timer due first is due; none while none runs.
  std::optional<uint64_t> NextTimerDueMs() const;
  bool TimerRunning(int timerId) const { return timers_.count(timerId) != 0; }

 private:
  struct Timer {
    uint32_t periodMs = 0;
    uint64_t dueMs = 0;
  };

  // The running timer due first, by due time then id.
  std::optional<int> EarliestTimer() const;
  void DeliverTick(int timerId);

  SimWorld& world_;
  SimWindows& windows_;
  SimShellWindow& shellWindow_;
  platform::TimerSink* timerSink_ = nullptr;
  std::map<int, Timer> timers_;
};

}  // namespace vendrix::sim
