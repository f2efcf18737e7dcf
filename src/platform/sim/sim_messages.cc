#include "platform/sim/sim_desktop.h"

#include <algorithm>
#include <utility>

namespace vendrix::sim {
namespace {

// Windows raises shorter periods to USER_TIMER_MINIMUM and cuts longer
// ones to USER_TIMER_MAXIMUM.  The floor also keeps a modal loop finite.
constexpr uint32_t kMinTimerPeriodMs = 10;
constexpr uint32_t kMaxTimerPeriodMs = 0x7FFFFFFF;

}  // namespace

void SimDesktop::SetTimer(int timerId, uint32_t periodMs) {
  if (Tracing()) Record("SetTimer", {{"id", timerId}, {"period", periodMs}});
  const uint32_t period = std::clamp(periodMs, kMinTimerPeriodMs, kMaxTimerPeriodMs);
  // Restarting drops a pending tick, as with a real timer.
  timers_[timerId] = Timer{period, nowMs_ + period};
}

void SimDesktop::KillTimer(int timerId) {
  if (Tracing()) Record("KillTimer", {{"id", timerId}});
  timers_.erase(timerId);
}

void SimDesktop::DeliverTick(int timerId) {
  Timer& timer = timers_.at(timerId);
  timer.dueMs = nowMs_ + timer.periodMs;
  if (Tracing()) RecordTick("WM_TIMER", {{"id", timerId}});
  // The sink may set or kill timers, so `timer` is not used past here.
  if (timerSink_ != nullptr) timerSink_->OnTimer(timerId);
}

// WM_TIMER coalesces: however long the program kept away from the queue, a
// timer has at most one tick waiting.
// Posted messages come first: Windows hands out WM_TIMER only when no
// other message waits.
void SimDesktop::ProcessMessages() {
  DeliverPostedMessages();
  DeliverDueShellEvents();
  std::vector<std::pair<uint64_t, int>> pending;
  for (const auto& [id, timer] : timers_) {
    if (nowMs_ >= timer.dueMs) pending.emplace_back(timer.dueMs, id);
  }
  if (pending.empty()) return;
  std::sort(pending.begin(), pending.end());
  if (Tracing()) {
    nlohmann::ordered_json ids = nlohmann::ordered_json::array();
    for (const auto& [dueMs, id] : pending) ids.push_back(id);
    RecordTick("ProcessMessages", {{"timers", ids}});
  }
  for (const auto& [dueMs, id] : pending) {
    // An earlier tick's handler may have killed or restarted this timer.
    const auto timer = timers_.find(id);
    if (timer != timers_.end() && nowMs_ >= timer->second.dueMs) DeliverTick(id);
  }
  DropHeldTickLines();
}

void SimDesktop::RecordTick(std::string_view call, nlohmann::ordered_json fields) {
  if (place_.line != 0 || rules_.tracePolls) {
    Record(call, std::move(fields));
    return;
  }
  heldTickLines_.push_back({nowMs_, call, std::move(fields)});
}

void SimDesktop::WriteHeldTickLines() {
  std::vector<HeldLine> held;
  held.swap(heldTickLines_);
  for (HeldLine& line : held) trace_.Write(line.t, line.call, std::move(line.fields));
}

std::optional<int> SimDesktop::EarliestTimer() const {
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

void SimDesktop::RunModalLoopUntil(uint64_t endMs) {
  // Each tick moves its timer at least kMinTimerPeriodMs on, so this ends.
  for (auto id = EarliestTimer(); id && timers_.at(*id).dueMs <= endMs; id = EarliestTimer()) {
    nowMs_ = std::max(nowMs_, timers_.at(*id).dueMs);
    DeliverTick(*id);
  }
  DropHeldTickLines();
  nowMs_ = std::max(nowMs_, endMs);
}

}  // namespace vendrix::sim
