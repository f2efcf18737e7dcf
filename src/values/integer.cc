#include "values/integer.h"

#include <charconv>

namespace vendrix {

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

namespace {

std::optional<int32_t> ParseHex(std::string_view digits) {
  if (digits.empty()) return std::nullopt;
  uint32_t value = 0;
  int significant = 0;
  for (char c : digits) {
    int d = HexDigit(c);
    if (d < 0) return std::nullopt;
    if (significant > 0 || d != 0) ++significant;
    if (significant > 8) return std::nullopt;
    value = (value << 4) | static_cast<uint32_t>(d);
  }
  return static_cast<int32_t>(value);
}

std::optional<int32_t> ParseDecimal(std::string_view text) {
  bool negative = false;
  if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
    negative = text.front() == '-';
    text.remove_prefix(1);
  }
  if (text.empty()) return std::nullopt;
  int64_t value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + (c - '0');
    if (value > int64_t{1} << 31) return std::nullopt;
  }
  if (negative) value = -value;
  if (value > INT32_MAX || value < INT32_MIN) return std::nullopt;
  return static_cast<int32_t>(value);
}

bool EqualsLowerAscii(std::string_view text, std::string_view lower) {
  if (text.size() != lower.size()) return false;
  for (size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    if (c != lower[i]) return false;
  }
  return true;
}

}  // namespace

std::optional<int32_t> ParseInteger(std::string_view text) {
  size_t start = text.find_first_not_of(' ');
  if (start == std::string_view::npos) return std::nullopt;
  text.remove_prefix(start);
  if (text.front() == '$') return ParseHex(text.substr(1));
  return ParseDecimal(text);
}

int32_t IntegerValue(std::string_view text, int32_t defaultValue) {
  // Fast path for the common case: a short plain decimal number.
  if (!text.empty() && text.size() <= 9 && text.front() >= '0' && text.front() <= '9') {
    int32_t value = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error == std::errc() && end == text.data() + text.size()) return value;
  }
  return ParseInteger(text).value_or(defaultValue);
}

void AssignIntegerText(std::string& out, int32_t value) {
  char buffer[16];
  auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, value);
  (void)error;
  out.assign(buffer, end);
}

std::string IntegerText(int32_t value) {
  std::string out;
  AssignIntegerText(out, value);
  return out;
}

bool IsTrue(std::string_view text) { return EqualsLowerAscii(text, "true"); }
bool IsFalse(std::string_view text) { return EqualsLowerAscii(text, "false"); }

}  // namespace vendrix
