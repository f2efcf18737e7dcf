#include "recorder/key_tokens.h"

#include "desktop/keys.h"

namespace vendrix::recorder {
namespace {

constexpr int kShift = 16;
constexpr int kControl = 17;
constexpr int kAlt = 18;
constexpr int kEnter = 13;

}  // namespace

KeyLayout KeyLayout::FromInput(platform::Input& input) {
  KeyLayout layout;
  // Printable ASCII only: a KEY text is upper-cased before it is typed, and
  // a letter then still finds its key.
  for (int c = 0x20; c < 0x7F; ++c) {
    int16_t scan = input.VkKeyScan(static_cast<char>(c));
    if (scan == -1 || (scan & 0xFF00) != 0) continue;  // needs Shift, or no key
    char& slot = layout.characters_[static_cast<size_t>(scan & 0xFF)];
    if (slot == 0) slot = static_cast<char>(c);
  }
  return layout;
}

char KeyLayout::CharacterOf(int vk) const {
  return vk >= 0 && vk < 256 ? characters_[static_cast<size_t>(vk)] : 0;
}

int GenericModifier(int vk) {
  switch (vk) {
    case 0xA0: case 0xA1: return kShift;    // left and right Shift
    case 0xA2: case 0xA3: return kControl;  // left and right Ctrl
    case 0xA4: case 0xA5: return kAlt;      // left and right Alt
    default: return vk;
  }
}

bool IsModifier(int vk) {
  int generic = GenericModifier(vk);
  return generic == kShift || generic == kControl || generic == kAlt;
}

std::string KeyName(int vk) {
  if (vk == kEnter) return "[ENTER]";  // reads better than its other name, [RET]
  for (const NamedKey& key : NamedKeys()) {
    if (key.code == vk) return std::string(key.name);
  }
  return "[OEM-" + std::to_string(vk) + "]";
}

}  // namespace vendrix::recorder
