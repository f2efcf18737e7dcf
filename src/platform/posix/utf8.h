// Conversion between Shift-JIS (code page 932), the program's text, and
// UTF-8, the text of Linux file names, with iconv.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace vendrix::posix {

// Nothing when the input holds a byte sequence the other side cannot take.
std::optional<std::string> SjisToUtf8(std::string_view sjis);
std::optional<std::string> Utf8ToSjis(std::string_view utf8);

}  // namespace vendrix::posix
