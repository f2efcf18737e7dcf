// Evaluates arbitrary bytes as an operand.  A few variables are declared
// first (a plain one, an array, one holding a call) so that references,
// element references and evaluated values are reached too.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "engine/expression.h"
#include "fuzz_world.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace vendrix::fuzz;
  if (size > kMaxInputBytes) return -1;
  FuzzWorld world;
  vendrix::VariableTable& variables = world.engine->variables;
  variables.Store(variables.Declare("%A"), "12");
  variables.Store(variables.Declare("%B[0]"), "abc");
  variables.Store(variables.Declare("%B[1]"), "(+ 1 2)");
  variables.Store(variables.Declare("%B[2]"), "%A");
  variables.Store(variables.Declare("%I"), "1");
  world.RunBounded([&] {
    vendrix::EvaluateText(*world.engine, std::string_view(reinterpret_cast<const char*>(data), size));
  });
  return 0;
}
