// Reading the options file, Vendrix.INI, section "Options".
#pragma once

#include <functional>
#include <string_view>

#include "engine/settings.h"

namespace vendrix::shell {

// Reads every key with its default.  `showAbout` is called as soon as the
// "about" key has been read and is on, before the other keys are read.
Settings ReadOptions(std::string_view iniBytes, const std::function<void()>& showAbout);

// An integer option: "0x…" is hexadecimal, anything that is no number
// gives the default.
int OptionInteger(std::string_view text, int defaultValue);

}  // namespace vendrix::shell
