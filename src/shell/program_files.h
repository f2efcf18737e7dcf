// The files Vendrix looks for in its own folder, and the hotkey file's
// joystick-button key: one place for the names that a run and a check
// (`--check`) must agree on.
#pragma once

#include <string_view>

namespace vendrix::shell {

inline constexpr std::string_view kOptionsFileName = "Vendrix.INI";
inline constexpr std::string_view kRecorderOptionsFileName = "Zemlo.INI";
inline constexpr std::string_view kRecorderProgramName = "Zemlo.exe";
inline constexpr std::string_view kHotkeyFileName = "Vendrix.hot";
inline constexpr std::string_view kListFileName = "Vendrix.LST";
inline constexpr std::string_view kDefaultMacroFileName = "Vendrix.MAC";
inline constexpr std::string_view kIconFileName = "Vendrix.ICO";
// A hotkey entry whose key name begins with this is the joystick-button entry.
inline constexpr std::string_view kJoyButtonKey = "[JOYBUTTON]";

}  // namespace vendrix::shell
