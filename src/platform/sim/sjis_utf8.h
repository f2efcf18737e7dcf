// Conversion between Shift-JIS (code page 932) and UTF-8 at the simulated
// desktop's edge: the trace and the desktop description are UTF-8, while
// every text inside Vendrix is Shift-JIS.
#pragma once

#include <string>
#include <string_view>

namespace vendrix::sim {

// Bytes that are not valid Shift-JIS become U+FFFD; never fails.
std::string SjisToUtf8(std::string_view sjis);
// Invalid UTF-8 and characters code page 932 lacks become '?'; never fails.
std::string Utf8ToSjis(std::string_view utf8);

}  // namespace vendrix::sim
