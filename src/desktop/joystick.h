// Reading the joysticks into the joystick variables.
#pragma once

#include <string>
#include <vector>

#include "desktop/desktop.h"

namespace vendrix {

// A value for one joystick variable, named upper-case.
struct JoystickValue {
  std::string upperName;
  std::string value;
};

// Mode 1 reads joystick 1 and mode 2 joystick 2, both into the unsuffixed
// variables, reporting a joystick that cannot be read; mode 0 reads both
// (the second into the "2" set) and reports nothing.  The values come in
// the order they are to be stored: a later one for the same name wins.
std::vector<JoystickValue> ReadJoystick(DesktopContext desktop, int mode);

// The eight "0"/"1" characters of buttons 1 to 8, button 1 first.
std::string JoyButtonText(uint32_t buttons);
// Horizontal "L", "-" or "R", then vertical "U", "-" or "D".
std::string JoyDirectionText(const platform::JoystickState& state);

}  // namespace vendrix
