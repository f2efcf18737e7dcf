#include "platform/sim/sim_desktop.h"

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
void SimDesktop::Sleep(uint32_t ms) {
  if (Tracing()) Record("Sleep", {{"ms", ms}});
  nowMs_ += ms;
  CheckBounds();
}

// timeGetTime wraps after 49.7 days; so does this.
uint32_t SimDesktop::TickCount() {
  const auto ticks = static_cast<uint32_t>(nowMs_);
  if (Tracing()) Record("timeGetTime", {{"result", ticks}});
  return ticks;
}

// The virtual time, untraced: the run loop reads it after statements, and a
// trace must not depend on how often.
uint64_t SimDesktop::CoarseTicks() { return nowMs_; }

// The local clock runs with the virtual one from its value at start-up.
platform::LocalTime SimDesktop::Now() {
  const platform::LocalTime now = LocalTimeAfter(clockAtStart_, nowMs_ - startMs_);
  if (Tracing()) Record("GetLocalTime", {{"result", LocalTimeText(now)}, {"day_of_week", now.dayOfWeek}});
  return now;
}

}  // namespace vendrix::sim
