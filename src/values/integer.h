// Texts as numbers and truth values.
//
// The language has one value type, the text.  A text reads as a signed
// 32-bit integer when it is decimal (optional leading blanks and sign) or
// "$" with up to eight significant hexadecimal digits; anything else reads
// as the default the caller names.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vendrix {

inline constexpr std::string_view kTrue = "True";
inline constexpr std::string_view kFalse = "False";

std::optional<int32_t> ParseInteger(std::string_view text);
// The value of a hexadecimal digit, either case; -1 for any other character.
int HexDigit(char c);
int32_t IntegerValue(std::string_view text, int32_t defaultValue);
std::string IntegerText(int32_t value);
// Writes the decimal text into `out` without allocating when it fits.
void AssignIntegerText(std::string& out, int32_t value);

// Wrap-around arithmetic on 32 bits.
inline int32_t WrapAdd(int32_t a, int32_t b) {
  return static_cast<int32_t>(static_cast<uint32_t>(a) + static_cast<uint32_t>(b));
}
inline int32_t WrapSub(int32_t a, int32_t b) {
  return static_cast<int32_t>(static_cast<uint32_t>(a) - static_cast<uint32_t>(b));
}
inline int32_t WrapMul(int32_t a, int32_t b) {
  return static_cast<int32_t>(static_cast<uint32_t>(a) * static_cast<uint32_t>(b));
}

// True when the text, lower-cased, is "true".
bool IsTrue(std::string_view text);
// True when the text, lower-cased, is "false".
bool IsFalse(std::string_view text);
inline std::string_view TruthText(bool value) { return value ? kTrue : kFalse; }

}  // namespace vendrix
