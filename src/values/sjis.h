// Character-aware operations on Shift-JIS (code page 932) texts.
//
// A character is one byte, or two when the first is a lead byte
// (0x81-0x9F, 0xE0-0xFC) followed by a non-zero byte.  Positions and counts
// are in characters and 1-based unless a name says bytes.  A zero byte ends
// a text for these operations.  Every function is pure.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace vendrix::sjis {

bool IsLeadByte(unsigned char byte);
// True when the byte at `pos` starts a two-byte character.
bool IsLeadByteAt(std::string_view text, size_t pos);
// Lead byte * 256 + trail byte, or the byte value; 0 past the end.
int CharCodeAt(std::string_view text, size_t pos);
// Codes 1..32 and 127, and with `fullWidth` also the full-width space 0x8140.
bool IsBlankChar(std::string_view text, size_t pos, bool fullWidth);
// Byte position of the next character; unchanged at the end.
size_t NextChar(std::string_view text, size_t pos);

// The text up to its first zero byte.
std::string_view UpToNul(std::string_view text);

int JLength(std::string_view text);
std::string JCopy(std::string_view text, int start, int count);
int JPos(std::string_view sub, std::string_view text);
int PosFrom(std::string_view sub, std::string_view text, int start);
std::string JTrim(std::string_view text);
std::string JUpperAscii(std::string_view text);
int JCharCode(std::string_view text);
std::string JPadRight(std::string_view text, int n);
std::string JRightJustify(std::string_view text, int n);
// Returns the part before the first `separator` and leaves what follows it
// in `text`; without a separator the whole text is returned and `text`
// becomes empty.
std::string CutToken(std::string& text, std::string_view separator);
// Texts built from a count (JRepeat, the padding of JPadRight and
// JRightJustify) stop growing at 16 MiB.
std::string JRepeat(std::string_view text, int n);
std::string JReplaceAll(std::string_view text, std::string_view oldText, std::string_view newText);
// The byte length of JReplaceAll's result, without building it.
uint64_t JReplaceAllSize(std::string_view text, std::string_view oldText, std::string_view newText);

// Upper- and lower-casing as the ANSI calls do it in code page 932:
// never touches the trail byte of a two-byte character.
std::string AnsiUpper(std::string_view text);
std::string AnsiLower(std::string_view text);
// Case-insensitive equality under AnsiUpper.
bool AnsiEqualNoCase(std::string_view a, std::string_view b);

// Byte offset of the first occurrence of `sub` at a character boundary, or
// npos (also for an empty `sub`).  `fromByte` must itself be a character
// boundary.  The match must end at a boundary too.  The fast path behind
// JPos and CutToken.
size_t FindAtCharBoundary(std::string_view text, std::string_view sub, size_t fromByte = 0);
// FindAtCharBoundary for a text known to hold no zero byte, without looking
// for one: searching a long text piece by piece stays linear.
// `subEndsWithLoneLead`: `sub` ends with a lead byte that has no trail.
size_t FindInClean(std::string_view text, std::string_view sub, size_t fromByte, bool subEndsWithLoneLead);

}  // namespace vendrix::sjis
