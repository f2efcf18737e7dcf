#include "desktop/keys.h"

#include <string>

#include "desktop/input.h"
#include "desktop/input_block.h"
#include "values/integer.h"
#include "values/messages.h"
#include "values/sjis.h"

namespace vendrix {
namespace {

// Names a key token may use, with their virtual-key codes.
constexpr NamedKey kNamedKeys[] = {
    {"[LCLICK]", 1},      {"[RCLICK]", 2},     {"[BREAK]", 3},      {"[MCLICK]", 4},
    {"[BS]", 8},          {"[TAB]", 9},        {"[CLEAR]", 12},     {"[RET]", 13},
    {"[ENTER]", 13},      {"[SHIFT]", 16},     {"[CTRL]", 17},      {"[ALT]", 18},
    {"[PAUSE]", 19},      {"[CAPS]", 20},      {"[KANA]", 21},      {"[ROMAJI]", 22},
    {"[ZENKAKU]", 23},    {"[HIRAGANA]", 24},  {"[KANJI]", 25},     {"[ESC]", 27},
    {"[HENKAN]", 28},     {"[MUHENKAN]", 29},  {"[SPACE]", 32},     {"[PAGEUP]", 33},
    {"[PAGEDOWN]", 34},   {"[END]", 35},       {"[HOME]", 36},      {"[LEFT]", 37},
    {"[UP]", 38},         {"[RIGHT]", 39},     {"[DOWN]", 40},      {"[SELECT]", 41},
    {"[EXECUTE]", 43},    {"[PRINTSCREEN]", 44}, {"[INS]", 45},     {"[DEL]", 46},
    {"[HELP]", 47},       {"[WINDOWS]", 91},   {"[APPLI]", 93},     {"[NUM0]", 96},
    {"[NUM1]", 97},       {"[NUM2]", 98},      {"[NUM3]", 99},      {"[NUM4]", 100},
    {"[NUM5]", 101},      {"[NUM6]", 102},     {"[NUM7]", 103},     {"[NUM8]", 104},
    {"[NUM9]", 105},      {"[NUM*]", 106},     {"[NUM+]", 107},     {"[SEPARATER]", 108},
    {"[NUM-]", 109},      {"[NUM.]", 110},     {"[NUM/]", 111},     {"[F1]", 112},
    {"[F2]", 113},        {"[F3]", 114},       {"[F4]", 115},       {"[F5]", 116},
    {"[F6]", 117},        {"[F7]", 118},       {"[F8]", 119},       {"[F9]", 120},
    {"[F10]", 121},       {"[F11]", 122},      {"[F12]", 123},      {"[NUMLOCK]", 144},
    {"[SCROLLLOCK]", 145},
};

int LayoutCode(platform::Input& input, char character) {
  return input.VkKeyScan(character) & 0xFF;
}

// Names in the key name table point here, so a table costs no allocation.
struct StoredName {
  char text[10] = {};
  size_t size = 0;
  constexpr std::string_view View() const { return {text, size}; }
};

// "[OEM-1]" to "[OEM-256]"; entry 0 is unused.
constexpr std::array<StoredName, 257> MakeOemNames() {
  std::array<StoredName, 257> names{};
  for (int code = 1; code <= 256; ++code) {
    StoredName& name = names[static_cast<size_t>(code)];
    for (char c : std::string_view("[OEM-")) name.text[name.size++] = c;
    for (int power = 100; power >= 1; power /= 10) {
      if (code >= power || power == 1) name.text[name.size++] = static_cast<char>('0' + code / power % 10);
    }
    name.text[name.size++] = ']';
  }
  return names;
}

constexpr std::array<StoredName, 257> kOemNames = MakeOemNames();

// Every byte as a one-character text.
constexpr std::array<char, 256> MakeBytes() {
  std::array<char, 256> bytes{};
  for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>(i);
  return bytes;
}

constexpr std::array<char, 256> kBytes = MakeBytes();

void PutAtLayoutCode(KeyNameTable& table, platform::Input& input, char character, std::string_view name) {
  table[static_cast<size_t>(LayoutCode(input, character))] = name;
}

// The key that types `character` is named by the character itself.
void PutCharacterAtLayoutCode(KeyNameTable& table, platform::Input& input, char character) {
  PutAtLayoutCode(table, input, character, {&kBytes[static_cast<unsigned char>(character)], 1});
}

struct KeyAction {
  std::string_view token;
  bool press = true;
  bool release = true;
};

KeyAction SplitSuffix(std::string_view token) {
  KeyAction action{token};
  if (token.size() >= 2 && token.substr(token.size() - 2) == "++") {
    action.token.remove_suffix(2);
    action.release = false;
  } else if (token.size() >= 2 && token.substr(token.size() - 2) == "--") {
    action.token.remove_suffix(2);
    action.press = false;
  }
  return action;
}

// Only bracketed names and single characters name keys inside a key text.
int KeyTextCode(platform::Input& input, std::string_view token) {
  bool bracketed = !token.empty() && token.front() == '[' &&
                   sjis::FindAtCharBoundary(token, "]", 1) != std::string::npos;
  bool oneCharacter = !token.empty() && sjis::NextChar(token, 0) == token.size();
  return bracketed || oneCharacter ? ParseKeyToken(input, token) : 0;
}

void SendButton(DesktopContext desktop, const KeyAction& action, uint32_t down, uint32_t up, bool& held) {
  if (action.press) {
    MouseInput(desktop, down, 0, 0, 0, 0);
    held = true;
  }
  if (action.release) {
    MouseInput(desktop, up, 0, 0, 0, 0);
    held = false;
  }
}

void SendKey(DesktopContext desktop, const KeyAction& action, int code) {
  // Codes above 255 come only from "[OEM-n]"; the table has no slot for them.
  bool* held = code < 256 ? &desktop.input.heldKeys[static_cast<size_t>(code)] : nullptr;
  if (action.press) {
    KeyInput(desktop, code, 0, 0);
    if (held) *held = true;
  }
  if (action.release) {
    KeyInput(desktop, code, platform::kKeyEventKeyUp, 0);
    if (held) *held = false;
  }
}

// False when a bad key name was reported and the user chose to stop.
bool SendKeyToken(DesktopContext desktop, std::string_view token) {
  KeyAction action = SplitSuffix(token);
  int code = KeyTextCode(desktop.platform.input, action.token);
  if (code < 0) return desktop.errors.AskContinue(std::string(msg::kBadKeyName) + std::string(action.token));
  if (code == 0) return true;
  InputState& held = desktop.input;
  if (action.token == "[LCLICK]") {
    SendButton(desktop, action, platform::kMouseEventLeftDown, platform::kMouseEventLeftUp, held.heldButtonLeft);
  } else if (action.token == "[RCLICK]") {
    SendButton(desktop, action, platform::kMouseEventRightDown, platform::kMouseEventRightUp,
               held.heldButtonRight);
  } else {
    SendKey(desktop, action, code);
  }
  return true;
}

}  // namespace

void SendKeyText(DesktopContext desktop, std::string_view keyText) {
  InputReleased released(desktop);
  std::string upper = sjis::AnsiUpper(keyText);
  std::string_view rest = upper;
  while (!rest.empty()) {
    size_t space = rest.find(' ');  // never a trail byte in code page 932
    std::string_view token = rest.substr(0, space);
    rest = space == std::string_view::npos ? std::string_view() : rest.substr(space + 1);
    if (!SendKeyToken(desktop, token)) return;
  }
}

std::span<const NamedKey> NamedKeys() { return kNamedKeys; }

KeyNameTable BuildKeyNameTable(platform::Input& input) {
  KeyNameTable table;
  for (size_t code = 1; code < table.size(); ++code) table[code] = kOemNames[code].View();
  for (const NamedKey& key : kNamedKeys) {
    if (key.code <= 47 && key.name != "[ENTER]") table[static_cast<size_t>(key.code)] = key.name;
  }
  for (char c = '0'; c <= '9'; ++c) PutCharacterAtLayoutCode(table, input, c);
  for (char c = 'A'; c <= 'Z'; ++c) PutCharacterAtLayoutCode(table, input, c);
  table[91] = "[Windows]";
  table[92] = "[Windows]";
  table[93] = "[Appli]";
  // The numeric pad, its operators and F1-F12: the bracketed names of their codes.
  for (const NamedKey& key : kNamedKeys) {
    if (key.code >= 96 && key.code <= 123) table[static_cast<size_t>(key.code)] = key.name;
  }
  PutCharacterAtLayoutCode(table, input, ':');
  PutAtLayoutCode(table, input, ';', "[Semicolon]");
  for (char c : std::string_view(",-./@[\\]^_")) PutCharacterAtLayoutCode(table, input, c);
  table[144] = "[NUMLOCK]";
  table[145] = "[SCROLLLOCK]";
  return table;
}

int ParseKeyToken(platform::Input& input, std::string_view token) {
  std::string upper = sjis::AnsiUpper(token);
  if (upper.empty()) return -1;
  if (upper.front() != '[' || sjis::FindAtCharBoundary(upper, "]") == std::string::npos) {
    return LayoutCode(input, upper.front());
  }
  if (upper == "[SEMICOLON]") return LayoutCode(input, ';');
  for (const NamedKey& key : kNamedKeys) {
    if (upper == key.name) return key.code;
  }
  if (upper.compare(0, 5, "[OEM-") == 0) {
    std::string_view number = std::string_view(upper).substr(5, upper.size() - 6);
    return IntegerValue(number, 0);
  }
  return -1;
}

}  // namespace vendrix
