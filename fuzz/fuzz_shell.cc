// The shell's file readers on arbitrary bytes: the same bytes read as a menu
// file, a list file, a hotkey file and an options file, and what the shell
// then does with what they give (the picked menu file, an item's action,
// the call-up hotkey).
//
// Besides not crashing, checks what the readers promise:
//   - menus and list files hold at most kMaxMenuEntries items, none with an
//     empty caption or macro text;
//   - a hotkey file holds at most kMaxHotkeyEntries keys, each macro's lines
//     lie inside the file's lines, and the joystick-button entry is one of
//     the keys;
//   - a given menu file name keeps only its end; the list's choice is
//     never empty.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/platform.h"
#include "shell/hotkey_file.h"
#include "shell/menu_file.h"
#include "shell/options.h"

namespace {

namespace shell = vendrix::shell;
namespace platform = vendrix::platform;

constexpr size_t kMaxInputBytes = 64 * 1024;
constexpr std::string_view kProgramFolder = "C:\\v\\";

void Check(bool holds) {
  if (!holds) __builtin_trap();
}

void CheckEntries(const std::vector<shell::MenuEntry>& entries) {
  Check(entries.size() <= static_cast<size_t>(shell::kMaxMenuEntries));
  for (const shell::MenuEntry& entry : entries) {
    Check(!entry.caption.empty() && !entry.macroText.empty());
    Check(shell::FindMenuEntry(entries, entry.caption) != nullptr);
    const shell::MenuAction action = shell::MenuActionOf(entry.macroText, kProgramFolder);
    if (action.kind == shell::MenuAction::Kind::kFile && !action.text.starts_with(kProgramFolder)) {
      Check(action.text.find(':') != std::string::npos);
    }
  }
}

void FuzzMenuFiles(std::string_view bytes) {
  const std::vector<shell::MenuEntry> menu = shell::ParseMenuFile(bytes);
  CheckEntries(menu);
  const std::vector<shell::MenuEntry> list = shell::ParseListFile(bytes);
  CheckEntries(list);
  // The list picks by the foreground window's title; the bytes stand in
  // for a title too, and each item's caption for a given menu name.
  const std::string picked = shell::ChooseMenuFile("", true, list, bytes);
  Check(!picked.empty());
  for (const shell::MenuEntry& entry : menu) {
    const std::string named = shell::ChooseMenuFile(entry.caption, false, list, bytes);
    const std::string_view given = std::string_view(entry.caption).substr(0, entry.caption.find('\0'));
    Check(given.empty() ? named == shell::kDefaultMenuFileName : given.ends_with(named));
  }
}

void FuzzHotkeyFile(std::string_view bytes) {
  const shell::HotkeyFile file = shell::ParseHotkeyFile(bytes);
  const int entries = static_cast<int>(file.entries.size());
  Check(entries <= shell::kMaxHotkeyEntries);
  Check(file.joyButtonEntry >= 0 && file.joyButtonEntry <= entries);
  for (int entry = 0; entry <= entries + 1; ++entry) {
    const auto [first, last] = shell::EntryLineRange(file, entry);
    if (entry < 1 || entry > entries) {
      Check(first == 0 && last == -1);
      continue;
    }
    Check(first >= 0 && last >= first - 1 && last < static_cast<int>(file.lines.size()));
    const uint32_t modifiers = shell::HotkeyModifiers(file.entries[static_cast<size_t>(entry - 1)]);
    constexpr uint32_t kAll = platform::kModAlt | platform::kModControl | platform::kModShift;
    Check((modifiers & ~kAll) == 0);
  }
}

void FuzzOptions(std::string_view bytes) {
  bool aboutShown = false;
  const vendrix::Settings settings = shell::ReadOptions(bytes, [&] { aboutShown = true; });
  Check(aboutShown == settings.showAbout);
  const auto callUp = shell::MenuCallUpHotkey(settings.tsrHotkey);
  Check(callUp.has_value() == !(settings.tsrHotkey.empty() || settings.tsrHotkey[0] == '\0'));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > kMaxInputBytes) return -1;
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  FuzzMenuFiles(bytes);
  FuzzHotkeyFile(bytes);
  FuzzOptions(bytes);
  return 0;
}
