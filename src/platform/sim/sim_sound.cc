#include "platform/sim/sim_desktop.h"

namespace vendrix::sim {
namespace {

// The tones Beep accepts; others fail at once.
constexpr uint32_t kMinFrequency = 37;
constexpr uint32_t kMaxFrequency = 32767;

}  // namespace

void SimDesktop::Beep(uint32_t frequency, uint32_t ms) {
  const bool result = frequency >= kMinFrequency && frequency <= kMaxFrequency;
  if (Tracing()) Record("Beep", {{"frequency", frequency}, {"ms", ms}, {"result", result}});
  if (result) nowMs_ += ms;
}

}  // namespace vendrix::sim
