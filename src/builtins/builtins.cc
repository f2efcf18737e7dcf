#include "builtins/builtins.h"

#include "builtins/dispatch.h"
#include "builtins/functions.h"

namespace vendrix {

void OpenBuiltins(Engine& engine) {
  engine.builtins.findStatement = FindStatementHandler;
  engine.builtins.keywordIsPure = KeywordIsPure;
  engine.builtins.functions = &FunctionTable();
}

std::unique_ptr<Engine> NewEngine(platform::Platform& platform, Settings settings) {
  auto engine = std::make_unique<Engine>(platform, std::move(settings));
  OpenBuiltins(*engine);
  return engine;
}

}  // namespace vendrix
