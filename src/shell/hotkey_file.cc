#include "shell/hotkey_file.h"

#include <algorithm>
#include <limits>

#include "platform/platform.h"
#include "shell/program_files.h"
#include "values/text_lines.h"
#include "values/sjis.h"

namespace vendrix::shell {
namespace {

constexpr std::string_view kEntryStart = "hotkey=";
// " : Vendrix メニュー呼び出し", after the call-up key in the hotkey list.
constexpr std::string_view kCallUpSuffix =
    " : Vendrix \x83\x81\x83\x6A\x83\x85\x81\x5B\x8C\xC4\x82\xD1\x8F\x6F\x82\xB5";

bool StartsEntry(std::string_view line) {
  return sjis::AnsiLower(sjis::JCopy(line, 1, static_cast<int>(kEntryStart.size()))) == kEntryStart;
}

void SetModifiers(HotkeyDefinition& definition, std::string_view modifierText) {
  definition.shift = sjis::JPos("SHIFT", modifierText) > 0;
  definition.ctrl = sjis::JPos("CTRL", modifierText) > 0;
  definition.alt = sjis::JPos("ALT", modifierText) > 0;
}

}  // namespace

HotkeyFile ParseHotkeyFile(std::string_view bytes) {
  HotkeyFile file;
  TextLines lines(bytes);
  int number = 0;
  while (auto line = lines.Next()) {
    ++number;
    if (!StartsEntry(*line)) {
      // Line numbers are ints; no file the program reads comes near this.
      if (number == std::numeric_limits<int>::max()) break;
      file.lines.emplace_back(*line);
      file.lineNumbers.push_back(number);
      continue;
    }
    if (file.entries.size() >= static_cast<size_t>(kMaxHotkeyEntries)) break;
    HotkeyDefinition definition;
    // "hotkey=" is seven one-byte characters, so its rest starts at byte 7.
    definition.definitionText = std::string(line->substr(kEntryStart.size()));
    std::string modifierText = sjis::AnsiUpper(definition.definitionText);
    definition.keyName = sjis::CutToken(modifierText, " ");
    SetModifiers(definition, modifierText);
    definition.firstLine = static_cast<int>(file.lines.size());
    file.entries.push_back(std::move(definition));
    if (file.entries.back().keyName.starts_with(kJoyButtonKey)) {
      file.joyButtonEntry = static_cast<int>(file.entries.size());
    }
  }
  return file;
}

std::pair<int, int> EntryLineRange(const HotkeyFile& file, int entry) {
  return EntryLineRange(file.entries, file.lines.size(), entry);
}

std::pair<int, int> EntryLineRange(const std::vector<HotkeyDefinition>& entries, size_t lineCount, int entry) {
  const int count = static_cast<int>(entries.size());
  if (entry < 1 || entry > count) return {0, -1};
  const int first = entries[static_cast<size_t>(entry - 1)].firstLine;
  const int next = entry < count ? entries[static_cast<size_t>(entry)].firstLine : static_cast<int>(lineCount);
  return {first, std::max(next, first) - 1};
}

std::optional<HotkeyDefinition> MenuCallUpHotkey(std::string_view tsrHotkeyValue) {
  const std::string_view value = sjis::UpToNul(tsrHotkeyValue);
  if (value.empty()) return std::nullopt;
  HotkeyDefinition definition;
  std::string rest(value);
  definition.keyName = sjis::CutToken(rest, " ");
  SetModifiers(definition, rest);
  definition.definitionText = definition.keyName + " " + rest + std::string(kCallUpSuffix);
  return definition;
}

uint32_t HotkeyModifiers(const HotkeyDefinition& definition) {
  return (definition.alt ? platform::kModAlt : 0) | (definition.ctrl ? platform::kModControl : 0) | (definition.shift ? platform::kModShift : 0);
}

}  // namespace vendrix::shell
