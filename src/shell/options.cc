#include "shell/options.h"

#include <optional>
#include <string>

#include "values/ini.h"
#include "values/integer.h"

namespace vendrix::shell {
namespace {

constexpr std::string_view kSection = "Options";

class OptionReader {
 public:
  explicit OptionReader(std::string_view bytes) : bytes_(bytes) {}

  std::string String(std::string_view key) const { return ini::ReadString(bytes_, kSection, key, ""); }

  int Integer(std::string_view key, int defaultValue) const {
    return OptionInteger(ini::ReadString(bytes_, kSection, key, ""), defaultValue);
  }

  // Most flags are on only for exactly 1.
  bool FlagOne(std::string_view key, bool defaultValue) const { return Integer(key, defaultValue ? 1 : 0) == 1; }
  // A few are on for anything but 0.
  bool FlagNonZero(std::string_view key, bool defaultValue) const {
    return Integer(key, defaultValue ? 1 : 0) != 0;
  }

 private:
  std::string_view bytes_;
};

std::optional<int32_t> ParseHexOption(std::string_view digits) {
  if (digits.empty() || digits.size() > 8) return std::nullopt;
  // Appended, not "$" + std::string: GCC 12 at -O3 warns (-Wrestrict) about
  // its own inlined code for the latter.
  std::string text(1, '$');
  text.append(digits);
  return ParseInteger(text);
}

}  // namespace

int OptionInteger(std::string_view text, int defaultValue) {
  if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    return ParseHexOption(text.substr(2)).value_or(defaultValue);
  }
  return ParseInteger(text).value_or(defaultValue);
}

Settings ReadOptions(std::string_view iniBytes, const std::function<void()>& showAbout) {
  OptionReader read(iniBytes);
  Settings s;
  s.showAbout = read.FlagOne("about", false);
  if (s.showAbout) showAbout();
  s.nearMouse = read.FlagOne("nearMouseCursor", true);
  s.menuTop = read.Integer("top", 10);
  s.menuLeft = read.Integer("left", 10);
  s.topMax = read.Integer("top_max", 0);
  s.topMin = read.Integer("top_min", 0);
  s.leftMax = read.Integer("left_max", 0);
  s.leftMin = read.Integer("left_min", 0);
  s.useSendInput = read.FlagOne("sendinput", false);
  s.editorPath = read.String("editor");
  s.menuWait = read.Integer("menuwait", 0);
  s.autoDelay = read.Integer("autodelay", 0);
  s.autoDelaySkip = read.FlagNonZero("autodelay_skip", false);
  s.menuChange = read.FlagOne("menuchange", false);
  s.stepFontSize = read.Integer("step_fontsize", 10);
  s.menuHeight = read.Integer("menu_height", 16);
  s.menuWidth = read.Integer("menu_width", 60);
  s.tsrHotkey = read.String("TSR_hotkey");
  s.releaseModifiers = read.FlagOne("TSR_release", true);
  s.hideTaskbar = read.FlagOne("hidetaskbar", false);
  s.autoPaste = read.FlagNonZero("autopaste", false);
  s.funcError = read.FlagOne("func_error", false);
  s.varError = read.FlagOne("var_error", false);
  s.stepWidth = read.Integer("step_width", 200);
  s.stepHeight = read.Integer("step_height", 200);
  s.stepTop = read.Integer("step_top", 0);
  s.stepLeft = read.Integer("step_left", 0);
  return s;
}

}  // namespace vendrix::shell
