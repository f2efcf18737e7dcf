#include "platform/sim/sim_messages.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "platform/sim/sim_shell_window.h"

namespace vendrix::sim {
namespace {

// Windows raises shorter periods to USER_TIMER_MINIMUM and cuts longer
// ones to USER_TIMER_MAXIMUM.  The floor also keeps a modal loop finite.
constexpr uint32_t kMinTimerPeriodMs = 10;
constexpr uint32_t kMaxTimerPeriodMs = 0x7FFFFFFF;

}  // namespace

void SimMessages::SetTimer(int timerId, uint32_t periodMs) {
  if (world_.Tracing()) world_.Record("SetTimer", {{"id", timerId}, {"period", periodMs}});
  const uint32_t period = std::clamp(periodMs, kMinTimerPeriodMs, kMaxTimerPeriodMs);
  // Restarting drops a pending tick, as with a real timer.
  timers_[timerId] = Timer{period, world_.NowMs() + period};
}

void SimMessages::KillTimer(int timerId) {
  if (world_.Tracing()) world_.Record("KillTimer", {{"id", timerId}});
  timers_.erase(timerId);
}

void SimMessages::DeliverTick(int timerId) {
  Timer& timer = timers_.at(timerId);
  timer.dueMs = world_.NowMs() + timer.periodMs;
  if (world_.Tracing()) world_.RecordTick("WM_TIMER", {{"id", timerId}});
  // The sink may set or kill timers, so `timer` is not used past here.
  if (timerSink_ != nullptr) timerSink_->OnTimer(timerId);
}

// WM_TIMER coalesces: however long the program kept away from the queue, a
// timer has at most one tick waiting.
// Posted messages come first: Windows hands out WM_TIMER only when no
// other message waits.
void SimMessages::ProcessMessages() {
  windows_.DeliverPostedMessages();
  shellWindow_.DeliverDueShellEvents();
  std::vector<std::pair<uint64_t, int>> pending;
  for (const auto& [id, timer] : timers_) {
    if (world_.NowMs() >= timer.dueMs) pending.emplace_back(timer.dueMs, id);
  }
  if (pending.empty()) return;
  std::sort(pending.begin(), pending.end());
  if (world_.Tracing()) {
    nlohmann::ordered_json ids = nlohmann::ordered_json::array();
    for (const auto& [dueMs, id] : pending) ids.push_back(id);
    world_.RecordTick("ProcessMessages", {{"timers", ids}});
  }
  for (const auto& [dueMs, id] : pending) {
    // An earlier tick's handler may have killed or restarted this timer.
    const auto timer = timers_.find(id);
    if (timer != timers_.end() && world_.NowMs() >= timer->second.dueMs) DeliverTick(id);
  }
  world_.DropHeldTickLines();
}

std::optional<int> SimMessages::EarliestTimer() const {
  std::optional<int> earliest;
  uint64_t earliestDue = 0;
  for (const auto& [id, timer] : timers_) {
    if (!earliest || timer.dueMs < earliestDue) {
      earliest = id;
      earliestDue = timer.dueMs;
    }
  }
  return earliest;
}

std::optional<uint64_t> SimMessages::NextTimerDueMs() const {
  const auto id = EarliestTimer();
  if (!id) return std::nullopt;
  return timers_.at(*id).dueMs;
}

void SimMessages::RunModalLoopUntil(uint64_t endMs) {
  // Each tick moves its timer at least kMinTimerPeriodMs on, so this ends.
  for (auto id = EarliestTimer(); id && timers_.at(*id).dueMs <= endMs; id = EarliestTimer()) {
    world_.MoveTimeTo(timers_.at(*id).dueMs);
    DeliverTick(*id);
  }
  world_.DropHeldTickLines();
  world_.MoveTimeTo(endMs);
}

}  // namespace vendrix::sim
