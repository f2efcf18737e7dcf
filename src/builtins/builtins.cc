#include "builtins/builtins.h"

#include "builtins/dispatch.h"
#include "builtins/functions.h"

namespace vendrix {
namespace {

BuiltinTables Tables() { return {FindStatementHandler, KeywordIsPure, &FunctionTable()}; }

}  // namespace

void OpenBuiltins(Engine& engine) { OpenBuiltinTables(engine, Tables()); }

std::unique_ptr<Engine> NewEngine(platform::Platform& platform, Settings settings) {
  return NewEngineWithTables(platform, std::move(settings), Tables());
}

}  // namespace vendrix
