// Loads and runs arbitrary bytes as a macro file on the simulated desktop.
// Whatever the bytes, the run must end (by itself, by an error, by the break
// key or by a budget of fuzz_world.h) without a crash, a sanitizer report or
// a leak.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "engine/run.h"
#include "fuzz_world.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace vendrix::fuzz;
  if (size > kMaxInputBytes) return -1;  // not added to the corpus
  FuzzWorld world;
  world.files.Add(kMacroName, std::string_view(reinterpret_cast<const char*>(data), size));
  world.RunBounded([&] { vendrix::RunMacro(*world.engine, std::string(kMacroName)); });
  return 0;
}
