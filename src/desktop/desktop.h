// What the desktop actions work with: the system, the input setting, the
// state they keep from statement to statement, and where a macro error goes.
//
// The interpreter owns the state records and builds a DesktopContext when it
// calls an action; nothing here knows the interpreter.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/platform.h"

namespace vendrix {

// How a desktop action reports a macro error.  The interpreter shows its
// error box and the continue question.
class MacroErrors {
 public:
  // Reports `message`; true when the user chose to go on, false when the
  // action should stop (the interpreter may instead end the program).
  virtual bool AskContinue(std::string_view message) = 0;

 protected:
  ~MacroErrors() = default;
};

// Input the program holds or blocks.
struct InputState {
  bool heldButtonLeft = false;
  bool heldButtonRight = false;
  std::array<bool, 256> heldKeys{};
  int blockLevel = 0;
  int breakKey = 0x1B;
};

// What the desktop statements set; kept from run to run.
struct DesktopState {
  int32_t originX = 0;
  int32_t originY = 0;
  std::string pasteKey;
  bool autoPaste = false;
  // The last foreground-window rectangle getheight/getwidth could read.
  platform::WindowRect measured;
};

struct DesktopContext {
  platform::Platform& platform;
  bool useSendInput;  // SendInput rather than keybd_event and mouse_event
  InputState& input;
  DesktopState& state;
  MacroErrors& errors;
};

}  // namespace vendrix
