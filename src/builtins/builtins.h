// Opening Vendrix's statements, operators and functions into an engine.
//
// The interpreter knows the language's names but not what they do; an
// engine runs macros only once its built-ins are opened.
#pragma once

#include <memory>

#include "engine/engine.h"

namespace vendrix {

void OpenBuiltins(Engine& engine);

// A new engine with its built-ins opened.
std::unique_ptr<Engine> NewEngine(platform::Platform& platform, Settings settings = {});

}  // namespace vendrix
