// The recorder's settings, from Zemlo.INI beside the programs.
//
//   [Options]
//   menufile=Vendrix.MNU   written by Vendrix whenever it builds its menu:
//                          the menu a saved macro is added to
//   hotkey=[F9] CTRL SHIFT starts and stops a recording from anywhere
//   breakkey=[ESC]         stops a recording and is not recorded itself
//   pause=300              a pause longer than this (ms) becomes a DELAY
//   rounding=100           DELAY values are rounded to this (ms)
//
// A value that cannot be used leaves the default in force and is reported
// once, so a typing error never silently changes what is recorded.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "recorder/macro_writer.h"

namespace vendrix::recorder {

// A key and its modifiers (platform::kModAlt | kModControl | kModShift).
struct RecorderHotkey {
  int vk = 0;
  uint32_t modifiers = 0;
};

struct RecorderOptions {
  std::string menuFile;  // empty: no menu to add saved macros to
  std::optional<RecorderHotkey> hotkey;
  int breakKey = 27;
  WriterOptions writer;
  // One readable line per value that was not used.
  std::vector<std::string> problems;
};

inline constexpr std::string_view kRecorderOptionsFile = "Zemlo.INI";

RecorderOptions ReadRecorderOptions(std::string_view iniBytes);

// "[F9] CTRL SHIFT": a key token (a bracketed key name, or one letter or
// digit) and the modifiers named after it, in any case and order.  An empty
// text gives no hotkey; nullopt for a text that names no key.
std::optional<RecorderHotkey> ParseRecorderHotkey(std::string_view text, bool* valid);

// The virtual-key code of a key token, or 0.
int RecorderKeyCode(std::string_view token);

}  // namespace vendrix::recorder
