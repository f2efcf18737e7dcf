#include "platform/sim/sim_desktop.h"

namespace vendrix::sim {

// Nothing is delivered while sleeping: the ticks that fall due wait for the
// next ProcessMessages, coalesced.
void SimDesktop::Sleep(uint32_t ms) {
  if (Tracing()) Record("Sleep", {{"ms", ms}});
  nowMs_ += ms;
}

// timeGetTime wraps after 49.7 days; so does this.
uint32_t SimDesktop::TickCount() {
  const auto ticks = static_cast<uint32_t>(nowMs_);
  if (Tracing()) Record("timeGetTime", {{"result", ticks}});
  return ticks;
}

}  // namespace vendrix::sim
