// Resident mode's data: the hotkey file (Vendrix.hot) and the menu call-up
// hotkey of the options (TSR_hotkey).
//
// Texts are Shift-JIS bytes; lines are split as macro lines are (see
// TextLines).  Registering the keys and running the macros are the caller's.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace vendrix::shell {

// Room for this many hotkeys in the hotkey file.
inline constexpr int kMaxHotkeyEntries = 64;

// Modifier flags as hotkey registration takes them.

struct HotkeyDefinition {
  std::string keyName;  // upper-cased key token, e.g. "[F1]" or "A"
  bool shift = false;
  bool ctrl = false;
  bool alt = false;
  int firstLine = 0;           // index into HotkeyFile::lines of its macro's first line
  std::string definitionText;  // the definition as written, for the hotkey list
};

struct HotkeyFile {
  std::vector<HotkeyDefinition> entries;
  // Every line that is not a "hotkey=" line, unchanged: the macros' text.
  std::vector<std::string> lines;
  std::vector<int> lineNumbers;  // of each of `lines` in the file, from 1
  int joyButtonEntry = 0;  // 1-based entry of the joystick button; 0 = none
};

// Reads a hotkey file.  A line whose first seven characters are "hotkey="
// in any case starts an entry.  The rest of that line is its
// definitionText; upper-cased, its part before the first space is the key
// name and the part after it turns on each of Shift, Ctrl and Alt whose
// name occurs in it anywhere ("CTRL+ALT", but also "ALTERNATIVE").  A key
// name beginning "[JOYBUTTON]" makes the entry the joystick-button entry; a
// later one replaces an earlier.  Every other line, blank and comment lines
// included, goes to `lines`; those before the first entry belong to none.
// A 65th "hotkey=" line ends the reading: it and everything after it are
// left out, so the 64th macro does not take in another key's lines.
HotkeyFile ParseHotkeyFile(std::string_view bytes);

// The first and last index into `lines` of entry `entry`'s macro (1-based):
// from its firstLine to the line before the next entry's, or to the last
// line for the last entry.  Last is first - 1 for an empty macro, and for
// an entry that does not exist the range is (0, -1).
std::pair<int, int> EntryLineRange(const HotkeyFile& file, int entry);
// The same over entries whose lines are kept elsewhere.
std::pair<int, int> EntryLineRange(const std::vector<HotkeyDefinition>& entries, size_t lineCount, int entry);

// The menu call-up hotkey from the TSR_hotkey option, e.g. "[F12] CTRL+ALT".
// The key token is the text up to the first space, kept as written; the
// rest turns on each modifier whose name it holds in capitals ("ctrl" turns
// on nothing: the option is written in capitals, unlike the hotkey file).
// definitionText is "<key> <rest> : Vendrix メニュー呼び出し".  An empty
// value gives no hotkey.
std::optional<HotkeyDefinition> MenuCallUpHotkey(std::string_view tsrHotkeyValue);

// platform::kModAlt | kModControl | kModShift as the definition turns them on.
uint32_t HotkeyModifiers(const HotkeyDefinition& definition);

}  // namespace vendrix::shell
