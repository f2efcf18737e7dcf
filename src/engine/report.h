// Error reports and message boxes; the input block is lifted around them.
#pragma once

#include <cstdint>
#include <string_view>

#include "desktop/input_block.h"

namespace vendrix {

class Engine;

// Shows "Err：" and the message.  A fatal error, or No to the continue
// question, ends the program with exit code 1 (throws ProgramEnd); after
// Yes this returns and the caller goes on.
void ReportError(Engine& engine, std::string_view message, bool fatal);
// ReportError, fatal: never returns.
[[noreturn]] void ReportFatal(Engine& engine, std::string_view message);

// A message box with the program's caption.  While a macro has input
// blocked, input is released around the box.
int ShowMessageBox(Engine& engine, std::string_view text, uint32_t flags);

}  // namespace vendrix
