#include "platform/sim/sim_sound.h"

namespace vendrix::sim {
namespace {

// The tones Beep accepts; others fail at once.
constexpr uint32_t kMinFrequency = 37;
constexpr uint32_t kMaxFrequency = 32767;

}  // namespace

void SimSound::Beep(uint32_t frequency, uint32_t ms) {
  const bool result = frequency >= kMinFrequency && frequency <= kMaxFrequency;
  if (world_.Tracing()) world_.Record("Beep", {{"frequency", frequency}, {"ms", ms}, {"result", result}});
  if (result) world_.PassTime(ms);
}

}  // namespace vendrix::sim
