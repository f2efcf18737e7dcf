// Reading and writing INI values on the raw bytes of an INI file, the way
// the Windows private-profile calls treat them.  The caller does the file
// I/O: a missing file is passed as empty bytes.  Values are Shift-JIS bytes
// and pass through untouched.
//
// Format: lines end at CR LF, LF or CR.  A line whose first non-blank
// character is '[' and that has a ']' after it starts a section named by
// the text between them.  A line with '=' is a key: the name before the
// first '=', the value after it.  Other lines (comments, blank lines) are
// kept but never match.  Names and values lose the blanks (spaces and tabs)
// around them; names match without regard to ASCII letter case; only the
// first section of a name and the first key of a name in it count.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace vendrix::ini {

// The value of `key` in `section`, or `defaultValue` (its trailing spaces
// dropped) when there is none.  A value wrapped in a matching pair of
// double or single quotes loses them.  The result is cut to bufferSize - 1
// bytes without splitting a two-byte character.  An empty key reads as the
// empty text.
std::string ReadString(std::string_view fileBytes, std::string_view section, std::string_view key,
                       std::string_view defaultValue, size_t bufferSize = 1024);

// The file bytes with `key` in `section` set to `value` (leading blanks
// dropped).  An existing key keeps its line, with only the value replaced;
// a new key goes after the last key line of its section; a new section goes
// at the end of the file.  Added lines end the way the file's first line
// does, CR LF when it has none.
std::string WriteString(std::string_view fileBytes, std::string_view section, std::string_view key,
                        std::string_view value);

}  // namespace vendrix::ini
