// The tables the built-in statements and functions are opened into, and the
// two ways of opening them into an engine.
//
// The interpreter knows the language's names but not what they do; the
// built-ins hand it their tables through here, so they need not see the
// engine's records to open themselves.
#pragma once

#include <memory>
#include <string_view>

#include "engine/function_table.h"
#include "engine/settings.h"
#include "engine/statement.h"

namespace vendrix {

namespace platform {
struct Platform;
}

class Engine;

// Empty in an engine until the built-ins are opened.
struct BuiltinTables {
  StatementLookup findStatement = nullptr;
  bool (*keywordIsPure)(std::string_view keyword) = nullptr;
  const FunctionEntries* functions = nullptr;
};

void OpenBuiltinTables(Engine& engine, const BuiltinTables& tables);
// A new engine with the tables opened.
std::unique_ptr<Engine> NewEngineWithTables(platform::Platform& platform, Settings settings,
                                            const BuiltinTables& tables);

}  // namespace vendrix
