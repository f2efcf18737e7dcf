#include "platform/sim/sim_clock.h"

#include "values/date_format.h"

namespace vendrix::sim {
namespace {

void AppendDigits(std::string& out, int value, size_t width) {
  const std::string digits = std::to_string(value);
  if (digits.size() < width) out.append(width - digits.size(), '0');
  out += digits;
}

}  // namespace

std::string LocalTimeText(const platform::LocalTime& time) {
  std::string out;
  AppendDigits(out, time.year, 4);
  out += '-';
  AppendDigits(out, time.month, 2);
  out += '-';
  AppendDigits(out, time.day, 2);
  out += 'T';
  AppendDigits(out, time.hour, 2);
  out += ':';
  AppendDigits(out, time.minute, 2);
  out += ':';
  AppendDigits(out, time.second, 2);
  out += '.';
  AppendDigits(out, time.millisecond, 3);
  return out;
}

// Nothing is delivered while sleeping: the ticks that fall due wait for the
// next ProcessMessages, coalesced.
void SimClock::Sleep(uint32_t ms) {
  if (world_.Tracing()) world_.Record("Sleep", {{"ms", ms}});
  world_.PassTime(ms);
  world_.CheckBounds();
}

// timeGetTime wraps after 49.7 days; so does this.
uint32_t SimClock::TickCount() {
  const auto ticks = static_cast<uint32_t>(world_.NowMs());
  if (world_.Tracing()) world_.Record("timeGetTime", {{"result", ticks}});
  return ticks;
}

// The virtual time, untraced: the run loop reads it between statements, and
// a trace must not depend on how often.
uint64_t SimClock::SteadyMicroseconds() { return world_.NowMs() * 1000; }

// The local clock runs with the virtual one from its value at start-up.
platform::LocalTime SimClock::Now() {
  const platform::LocalTime now = LocalTimeAfter(atStart_, world_.NowMs() - world_.StartMs());
  if (world_.Tracing()) world_.Record("GetLocalTime", {{"result", LocalTimeText(now)}, {"day_of_week", now.dayOfWeek}});
  return now;
}

// A wait that only the user's keys can end has looked at them before its
// second pause; when no key the user holds goes down or up from now on, what
// it saw is what it will always see.
void SimClock::SleepAwaitingUser(uint32_t ms) {
  if (world_.CountAwaitingSleep() > 0 && world_.NowMs() >= input_.LastKeyChangeMs() && !world_.DryRunEnded()) {
    world_.EndDryRun(kExitDryRunCut, "waits for a key that the desktop description never presses (\"keys\")");
  }
  Sleep(ms);
}

}  // namespace vendrix::sim
