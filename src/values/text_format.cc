#include "values/text_format.h"

#include <algorithm>
#include <optional>

#include "values/sjis.h"

namespace vendrix {
namespace {

struct Directive {
  std::optional<int> index;
  bool leftAlign = false;
  int width = 0;
  std::optional<int> precision;
  char type = 0;
};

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Decimal digits at `pos`.  The value stops growing just above the cap, so
// a thousand digits cannot overflow and are still refused.
int ReadNumber(std::string_view pattern, size_t& pos) {
  int value = 0;
  for (; pos < pattern.size() && IsDigit(pattern[pos]); ++pos) {
    value = std::min(value * 10 + (pattern[pos] - '0'), kMaxFormatWidth + 1);
  }
  return value;
}

// Reads one directive; `pos` is just after its "%" and ends after its type.
FormatStatus ParseDirective(std::string_view pattern, size_t& pos, Directive& directive) {
  const size_t start = pos;
  const int leading = ReadNumber(pattern, pos);
  if (pos > start && pos < pattern.size() && pattern[pos] == ':') {
    directive.index = leading;
    ++pos;
  } else {
    pos = start;  // those digits were the width
  }
  if (pos < pattern.size() && pattern[pos] == '-') {
    directive.leftAlign = true;
    ++pos;
  }
  directive.width = ReadNumber(pattern, pos);
  if (pos < pattern.size() && pattern[pos] == '.') {
    ++pos;
    directive.precision = ReadNumber(pattern, pos);
  }
  if (pos >= pattern.size()) return FormatStatus::kMismatch;
  directive.type = pattern[pos++];
  if (directive.width > kMaxFormatWidth || directive.precision.value_or(0) > kMaxFormatWidth) {
    return FormatStatus::kTooLarge;
  }
  return FormatStatus::kOk;
}

std::string ZeroPadded(std::string digits, int precision) {
  if (static_cast<int>(digits.size()) < precision) digits.insert(0, precision - digits.size(), '0');
  return digits;
}

std::string Hexadecimal(uint32_t value, bool upper) {
  const char* digits = upper ? "0123456789ABCDEF" : "0123456789abcdef";
  std::string out;
  do {
    out.insert(out.begin(), digits[value & 0xF]);
    value >>= 4;
  } while (value != 0);
  return out;
}

// At most `limit` bytes of the text, never half of a two-byte character.
std::string_view Truncated(std::string_view text, int limit) {
  size_t end = 0;
  while (end < text.size()) {
    const size_t next = sjis::IsLeadByteAt(text, end) ? end + 2 : end + 1;
    if (next > static_cast<size_t>(limit)) break;
    end = next;
  }
  return text.substr(0, end);
}

// The directive's value before padding to its width, or nothing when the
// type does not suit the argument.
std::optional<std::string> Body(const Directive& directive, const FormatArgument& argument) {
  const int precision = directive.precision.value_or(0);
  const char type = directive.type;
  if (argument.isText) {
    if (type != 's' && type != 'S') return std::nullopt;
    if (!directive.precision) return std::string(argument.text);
    return std::string(Truncated(argument.text, precision));
  }
  const auto bits = static_cast<uint32_t>(argument.number);
  switch (type) {
    case 'd':
    case 'D': {
      // The sign stands before the zeros that the precision adds.
      const uint32_t magnitude = argument.number < 0 ? 0u - bits : bits;
      std::string text(argument.number < 0 ? "-" : "");
      return text.append(ZeroPadded(std::to_string(magnitude), precision));
    }
    case 'u':
    case 'U': return ZeroPadded(std::to_string(bits), precision);
    case 'x': return ZeroPadded(Hexadecimal(bits, false), precision);
    case 'X': return ZeroPadded(Hexadecimal(bits, true), precision);
    default: return std::nullopt;
  }
}

void Pad(std::string& out, std::string_view body, const Directive& directive) {
  const size_t fill = static_cast<size_t>(std::max(directive.width, 0));
  const size_t blanks = body.size() < fill ? fill - body.size() : 0;
  if (!directive.leftAlign) out.append(blanks, ' ');
  out += body;
  if (directive.leftAlign) out.append(blanks, ' ');
}

// Formats one directive into `out`; `nextIndex` is the argument a directive
// without an index takes.
FormatStatus WriteDirective(std::string_view pattern, size_t& pos, const FormatArgument& argument,
                            int& nextIndex, std::string& out) {
  Directive directive;
  const FormatStatus parsed = ParseDirective(pattern, pos, directive);
  if (parsed != FormatStatus::kOk) return parsed;
  const int index = directive.index.value_or(nextIndex);
  nextIndex = index + 1;
  // There is one argument: index 0.
  if (index != 0) return FormatStatus::kMismatch;
  const std::optional<std::string> body = Body(directive, argument);
  if (!body) return FormatStatus::kMismatch;
  if (out.size() + std::max(body->size(), static_cast<size_t>(directive.width)) > kMaxFormatResult) {
    return FormatStatus::kTooLarge;
  }
  Pad(out, *body, directive);
  return FormatStatus::kOk;
}

}  // namespace

FormatResult FormatText(std::string_view pattern, const FormatArgument& argument) {
  FormatResult result;
  std::string& out = result.text;
  int nextIndex = 0;
  // "%" is never the second byte of a two-byte character, so a byte search
  // finds only real directives.
  for (size_t pos = 0; pos < pattern.size();) {
    const size_t percent = std::min(pattern.find('%', pos), pattern.size());
    if (out.size() + (percent - pos) > kMaxFormatResult) return {FormatStatus::kTooLarge, {}};
    out.append(pattern.substr(pos, percent - pos));
    if (percent == pattern.size()) break;
    pos = percent + 1;
    if (pos < pattern.size() && pattern[pos] == '%') {
      out += '%';
      ++pos;
      continue;
    }
    const FormatStatus status = WriteDirective(pattern, pos, argument, nextIndex, out);
    if (status != FormatStatus::kOk) return {status, {}};
  }
  return result;
}

}  // namespace vendrix
