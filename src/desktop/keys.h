// Key notation: "[ESC]"-style names, "[OEM-n]" codes and single characters.
#pragma once

#include <array>
#include <span>
#include <string>
#include <string_view>

#include "desktop/desktop.h"

namespace vendrix {

// A bracketed key name and the virtual-key code it stands for.
struct NamedKey {
  std::string_view name;
  int code;
};

// Every bracketed name of the notation ("[OEM-n]" aside), in table order;
// a code may have several names ("[RET]" and "[ENTER]").
std::span<const NamedKey> NamedKeys();

// Display names of virtual-key codes 1 to 256 (index 0 unused), in storage
// that lives as long as the program.
using KeyNameTable = std::array<std::string_view, 257>;

// Built once at start-up; single characters follow the keyboard layout.
KeyNameTable BuildKeyNameTable(platform::Input& input);

// The virtual-key code a key token names: above 0 for a key, 0 when it
// names nothing to send ("[OEM-x]" without a number), -1 for a bracketed
// name that is no key.
int ParseKeyToken(platform::Input& input, std::string_view token);

// Types a key text: tokens separated by single spaces, each pressed and
// released, or only pressed ("++") or only released ("--").  Presses are
// recorded as held input until released.  Codes above 255 ("[OEM-n]") are
// sent but not recorded: the held-key table covers 0 to 255 only.
void SendKeyText(DesktopContext desktop, std::string_view keyText);

}  // namespace vendrix
