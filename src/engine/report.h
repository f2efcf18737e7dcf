// Error reports and message boxes; the input block is lifted around them.
#pragma once

#include <cstdint>
#include <string_view>

#include "desktop/input_block.h"

namespace vendrix {

class Engine;

// The one way out of a run: shows "Err：" and the message, then that the
// macro was stopped, and ends the program with exit code 1.
[[noreturn]] void Fatal(Engine& engine, std::string_view message);
// Fatal with `subject` (a line, a name) after the message; kept out of line
// so that the statements that may report one stay small.
[[noreturn, gnu::cold]] void Fatal(Engine& engine, std::string_view message, std::string_view subject);
// Shows "Err：" and the message and asks whether the macro should go on.
// Yes returns true and the caller goes on; No ends the program with exit
// code 1, so this never returns false.
bool AskContinue(Engine& engine, std::string_view message);

// A message box with the program's caption.  While a macro has input
// blocked, input is released around the box.
int ShowMessageBox(Engine& engine, std::string_view text, uint32_t flags);

}  // namespace vendrix
