#include "recorder/recorder_options.h"

#include <charconv>

#include "desktop/keys.h"
#include "platform/platform.h"
#include "values/ini.h"
#include "values/messages.h"
#include "values/sjis.h"

namespace vendrix::recorder {
namespace {

constexpr std::string_view kSection = "Options";
constexpr std::string_view kDefaultHotkey = "[F9] CTRL SHIFT";
constexpr std::string_view kDefaultBreakKey = "[ESC]";
constexpr uint32_t kMaxPauseMs = 60 * 60 * 1000;

std::string Value(std::string_view bytes, std::string_view key, std::string_view defaultValue) {
  return ini::ReadString(bytes, kSection, key, defaultValue);
}

// "Zemlo.INI の pause=abc は使えません。既定値を使います：300"
std::string Unusable(std::string_view key, std::string_view value, std::string_view fallback) {
  std::string text(msg::kRecorderOptionUnusable);
  text += key;
  text += '=';
  text += value;
  text += msg::kRecorderOptionUnusableEnd;
  text += fallback;
  return text;
}

std::optional<uint32_t> Milliseconds(std::string_view text) {
  uint32_t value = 0;
  auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size() || value > kMaxPauseMs) return std::nullopt;
  return value;
}

void ReadMilliseconds(std::string_view bytes, std::string_view key, uint32_t minimum, uint32_t& target,
                      std::vector<std::string>& problems) {
  std::string text = Value(bytes, key, std::to_string(target));
  std::optional<uint32_t> value = Milliseconds(text);
  if (!value || *value < minimum) {
    problems.push_back(Unusable(key, text, std::to_string(target)));
    return;
  }
  target = *value;
}

}  // namespace

int RecorderKeyCode(std::string_view token) {
  std::string upper = sjis::AnsiUpper(token);
  if (upper.size() == 1) {
    char c = upper[0];
    if ((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')) return c;
    return 0;
  }
  for (const NamedKey& key : NamedKeys()) {
    if (key.name == upper) return key.code;
  }
  return 0;
}

std::optional<RecorderHotkey> ParseRecorderHotkey(std::string_view text, bool* valid) {
  *valid = true;
  std::string upper = sjis::AnsiUpper(sjis::JTrim(text));
  if (upper.empty()) return std::nullopt;
  size_t space = upper.find(' ');
  RecorderHotkey hotkey;
  hotkey.vk = RecorderKeyCode(upper.substr(0, space));
  if (hotkey.vk == 0) {
    *valid = false;
    return std::nullopt;
  }
  std::string_view rest = space == std::string::npos ? std::string_view() : std::string_view(upper).substr(space);
  if (rest.find("CTRL") != std::string_view::npos) hotkey.modifiers |= platform::kModControl;
  if (rest.find("SHIFT") != std::string_view::npos) hotkey.modifiers |= platform::kModShift;
  if (rest.find("ALT") != std::string_view::npos) hotkey.modifiers |= platform::kModAlt;
  return hotkey;
}

RecorderOptions ReadRecorderOptions(std::string_view iniBytes) {
  RecorderOptions options;
  options.menuFile = Value(iniBytes, "menufile", "");

  std::string hotkeyText = Value(iniBytes, "hotkey", kDefaultHotkey);
  bool valid = true;
  options.hotkey = ParseRecorderHotkey(hotkeyText, &valid);
  if (!valid) {
    options.problems.push_back(Unusable("hotkey", hotkeyText, kDefaultHotkey));
    options.hotkey = ParseRecorderHotkey(kDefaultHotkey, &valid);
  }

  std::string breakText = Value(iniBytes, "breakkey", kDefaultBreakKey);
  options.breakKey = RecorderKeyCode(sjis::JTrim(breakText));
  if (options.breakKey == 0) {
    options.problems.push_back(Unusable("breakkey", breakText, kDefaultBreakKey));
    options.breakKey = RecorderKeyCode(kDefaultBreakKey);
  }

  ReadMilliseconds(iniBytes, "pause", 0, options.writer.pauseThresholdMs, options.problems);
  ReadMilliseconds(iniBytes, "rounding", 1, options.writer.delayRoundingMs, options.problems);
  return options;
}

}  // namespace vendrix::recorder
