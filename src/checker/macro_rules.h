// The rules a loaded macro is checked against: each finds a problem that
// the text alone proves, as the run would meet it.
#pragma once

#include "checker/findings.h"
#include "checker/macro_source.h"
#include "engine/settings.h"

namespace vendrix::checker {

struct RuleContext {
  const Settings& settings;  // the options a run would read
  const Declarations& declarations;
};

void CheckMacro(const LoadedMacro& macro, const RuleContext& context, Findings& findings);

}  // namespace vendrix::checker
