// Error reports, message boxes and the user-input block.
#pragma once

#include <cstdint>
#include <string_view>

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

// Releases (false) or restores (true) a macro's input block, with the
// watchdog timer that lifts it.
void SetInputBlocked(Engine& engine, bool blocked);

// Calls SetInputBlocked(false) now and SetInputBlocked(true) when it goes
// out of scope, when a macro has input blocked; otherwise does nothing.
class InputReleased {
 public:
  explicit InputReleased(Engine& engine);
  ~InputReleased() noexcept(false);
  InputReleased(const InputReleased&) = delete;
  InputReleased& operator=(const InputReleased&) = delete;

 private:
  Engine& engine_;
  bool released_;
};

// BLOCKINPUT: blocks for `seconds` ticks of the watchdog; 0 unblocks.
void BlockInputFor(Engine& engine, int seconds);

// Timer 2, the block-input watchdog: once a second it counts the block
// down, and input comes back when it reaches 0.
void Timer2Timer(Engine& engine);

}  // namespace vendrix
