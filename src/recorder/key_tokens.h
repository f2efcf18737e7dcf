// Keys as a macro writes them: the key-notation token that presses a given
// virtual key when Vendrix types it.
#pragma once

#include <array>
#include <string>

#include "platform/platform.h"

namespace vendrix::recorder {

// The characters the keyboard layout types without Shift, by virtual key:
// the character a KEY text may use for that key.  Built from VkKeyScan, the
// same table KEY reads, so a written character presses the recorded key.
class KeyLayout {
 public:
  static KeyLayout FromInput(platform::Input& input);
  // The unshifted character of a key, or 0 when it types none.
  char CharacterOf(int vk) const;

 private:
  std::array<char, 256> characters_{};
};

// Shift, Ctrl and Alt in any of their forms (left, right, either) as the
// one key the notation names: 16, 17 or 18; any other key as it is.
int GenericModifier(int vk);
bool IsModifier(int vk);

// The bracketed name of a key ("[ENTER]", "[F5]", "[HENKAN]"), or
// "[OEM-n]" for a key the notation has no name for.  Keys that type a
// character are better written as that character (KeyLayout).
std::string KeyName(int vk);

}  // namespace vendrix::recorder
