// The step display: the lines of a macro shown as they run.
#pragma once

#include <string_view>

namespace vendrix {

class Engine;

// Shows the statement list entry at the program counter, with the pauses
// before and after it.
void ShowCurrentStep(Engine& engine);
// Appends one line to the step display.
void AppendStepLine(Engine& engine, std::string_view line);

}  // namespace vendrix
