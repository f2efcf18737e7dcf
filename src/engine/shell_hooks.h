// What the engine asks of the shell that owns it (menu and resident mode):
// the shell's window may be acted on while a macro runs.
#pragma once

namespace vendrix {

// The break-key watch of menu mode.
inline constexpr int kMenuTimer = 1;

class ShellHooks {
 public:
  virtual ~ShellHooks() = default;
  // After each delivery of window messages inside a run: the shell acts
  // on what the user did meanwhile.  May end the program (throws).
  virtual void AfterMessages() = 0;
  // Timer 1 (kMenuTimer), the break-key watch of menu mode.  Called from inside message delivery: must not
  // throw; it only notes what it saw.
  virtual void Timer1Timer() = 0;
  // The main window changed between the menu window and the step display,
  // which takes its hotkeys away.
  virtual void MainWindowChanged() = 0;
};

}  // namespace vendrix
