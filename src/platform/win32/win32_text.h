// Shift-JIS <-> UTF-16 at the Windows edge.
//
// Always code page 932, never the ANSI code page: the texts are Shift-JIS
// whatever locale Windows runs in.
#pragma once

#include <string>
#include <string_view>

namespace vendrix::win32 {

inline constexpr unsigned kShiftJisCodePage = 932;

// Bytes that are not Shift-JIS become the code page's default character.
std::wstring WideFromSjis(std::string_view sjis);
// Characters code page 932 lacks become '?'.
std::string SjisFromWide(std::wstring_view wide);
// For the test driver's output.
std::string Utf8FromWide(std::wstring_view wide);
std::wstring WideFromUtf8(std::string_view utf8);

}  // namespace vendrix::win32
