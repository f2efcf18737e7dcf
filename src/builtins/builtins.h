// Opening Vendrix's statements, operators and functions into an engine.
//
// The interpreter knows the language's names but not what they do; an
// engine runs macros only once its built-ins are opened.  This header is for
// the shell, the entry points and tests, which own engines; the built-ins
// themselves see only engine/interpreter.h.
#pragma once

#include <memory>

#include "engine/builtin_tables.h"
#include "engine/engine.h"  // NewEngine hands out an engine

namespace vendrix {

void OpenBuiltins(Engine& engine);

// A new engine with its built-ins opened.
std::unique_ptr<Engine> NewEngine(platform::Platform& platform, Settings settings = {});

}  // namespace vendrix
