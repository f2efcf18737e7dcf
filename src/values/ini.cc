#include "values/ini.h"

#include <optional>

#include "values/sjis.h"

namespace vendrix::ini {

namespace {

constexpr std::string_view kDefaultLineEnd = "\r\n";

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view TrimLeft(std::string_view text) {
  size_t first = 0;
  while (first < text.size() && IsBlank(text[first])) ++first;
  return text.substr(first);
}

std::string_view TrimRight(std::string_view text) {
  size_t end = text.size();
  while (end > 0 && IsBlank(text[end - 1])) --end;
  return text.substr(0, end);
}

std::string_view Trim(std::string_view text) { return TrimRight(TrimLeft(text)); }

// One line of the file: bytes [start, contentEnd) and its terminator up to
// `end` (equal to contentEnd on an unterminated last line).
struct Line {
  size_t start = 0;
  size_t contentEnd = 0;
  size_t end = 0;
};

Line LineAt(std::string_view bytes, size_t start) {
  size_t pos = start;
  while (pos < bytes.size() && bytes[pos] != '\r' && bytes[pos] != '\n') ++pos;
  Line line{start, pos, pos};
  if (pos < bytes.size()) {
    const bool crlf = bytes[pos] == '\r' && pos + 1 < bytes.size() && bytes[pos + 1] == '\n';
    line.end = pos + (crlf ? 2 : 1);
  }
  return line;
}

enum class LineKind { kOther, kSection, kKey };

struct ParsedLine {
  LineKind kind = LineKind::kOther;
  std::string_view name;
  // Key lines: where the value starts (after '=' and blanks), relative to
  // the line start, and the value without the blanks around it.
  size_t valueOffset = 0;
  std::string_view value;
};

// Offset of the last ']' that is a character of its own (not the trail
// byte of a two-byte character) at or after `from`.
std::optional<size_t> LastClosingBracket(std::string_view content, size_t from) {
  std::optional<size_t> found;
  for (size_t pos = from; pos < content.size(); pos = sjis::NextChar(content, pos)) {
    if (content[pos] == ']') found = pos;
  }
  return found;
}

ParsedLine Parse(std::string_view content) {
  ParsedLine parsed;
  const size_t first = content.size() - TrimLeft(content).size();
  if (first < content.size() && content[first] == '[') {
    if (const auto close = LastClosingBracket(content, first + 1)) {
      parsed.kind = LineKind::kSection;
      parsed.name = Trim(content.substr(first + 1, *close - first - 1));
      return parsed;
    }
  }
  // '=' lies below the trail-byte range, so a plain search is safe here.
  const size_t equals = content.find('=');
  if (equals == std::string_view::npos) return parsed;
  parsed.kind = LineKind::kKey;
  parsed.name = Trim(content.substr(0, equals));
  const std::string_view afterEquals = content.substr(equals + 1);
  const std::string_view value = TrimLeft(afterEquals);
  parsed.valueOffset = equals + 1 + (afterEquals.size() - value.size());
  parsed.value = TrimRight(value);
  return parsed;
}

// Where a section and a key were found in the file.
struct Location {
  std::optional<Line> sectionHeader;
  std::optional<Line> lastKeyLine;  // of that section
  std::optional<Line> keyLine;
  ParsedLine key;
};

Location Locate(std::string_view bytes, std::string_view section, std::string_view key) {
  Location where;
  for (size_t start = 0; start < bytes.size();) {
    const Line line = LineAt(bytes, start);
    start = line.end;
    const ParsedLine parsed = Parse(bytes.substr(line.start, line.contentEnd - line.start));
    if (parsed.kind == LineKind::kSection) {
      if (where.sectionHeader) break;  // only the first section of that name counts
      if (sjis::AnsiEqualNoCase(parsed.name, section)) where.sectionHeader = line;
    } else if (parsed.kind == LineKind::kKey && where.sectionHeader) {
      where.lastKeyLine = line;
      if (sjis::AnsiEqualNoCase(parsed.name, key)) {
        where.keyLine = line;
        where.key = parsed;
        break;
      }
    }
  }
  return where;
}

std::string_view StripQuotes(std::string_view value) {
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front()) {
    return value.substr(1, value.size() - 2);
  }
  return value;
}

// The longest prefix of at most `limit` bytes that ends at a character end.
std::string_view CutAtCharacter(std::string_view text, size_t limit) {
  if (text.size() <= limit) return text;
  size_t end = 0;
  while (end < text.size()) {
    const size_t next = sjis::NextChar(text, end);
    if (next > limit) break;
    end = next;
  }
  return text.substr(0, end);
}

std::string_view FirstLineEnd(std::string_view bytes) {
  const Line first = LineAt(bytes, 0);
  if (first.end == first.contentEnd) return kDefaultLineEnd;
  return bytes.substr(first.contentEnd, first.end - first.contentEnd);
}

std::string KeyLine(std::string_view key, std::string_view value, std::string_view lineEnd) {
  std::string line(key);
  line += '=';
  line += value;
  line += lineEnd;
  return line;
}

}  // namespace

std::string ReadString(std::string_view fileBytes, std::string_view section, std::string_view key,
                       std::string_view defaultValue, size_t bufferSize) {
  const std::string_view wantedKey = Trim(key);
  if (bufferSize == 0 || wantedKey.empty()) return {};
  const Location where = Locate(fileBytes, Trim(section), wantedKey);
  std::string_view value;
  if (where.keyLine) {
    value = where.key.value;
  } else {
    value = sjis::UpToNul(defaultValue);
    while (!value.empty() && value.back() == ' ') value.remove_suffix(1);
  }
  return std::string(CutAtCharacter(sjis::UpToNul(StripQuotes(value)), bufferSize - 1));
}

std::string WriteString(std::string_view fileBytes, std::string_view section, std::string_view key,
                        std::string_view value) {
  const std::string_view sectionName = Trim(section);
  const std::string_view keyName = Trim(key);
  const std::string_view newValue = TrimLeft(value);
  const std::string_view lineEnd = FirstLineEnd(fileBytes);
  const Location where = Locate(fileBytes, sectionName, keyName);
  std::string result;
  result.reserve(fileBytes.size() + sectionName.size() + keyName.size() + newValue.size() + 8);

  if (where.keyLine) {
    const size_t valueStart = where.keyLine->start + where.key.valueOffset;
    result.append(fileBytes.substr(0, valueStart));
    result.append(newValue);
    result.append(fileBytes.substr(where.keyLine->contentEnd));
    return result;
  }
  if (where.sectionHeader) {
    const Line after = where.lastKeyLine.value_or(*where.sectionHeader);
    result.append(fileBytes.substr(0, after.end));
    if (after.end == after.contentEnd) result.append(lineEnd);  // the file's unterminated last line
    result.append(KeyLine(keyName, newValue, lineEnd));
    result.append(fileBytes.substr(after.end));
    return result;
  }
  result.append(fileBytes);
  if (!fileBytes.empty() && fileBytes.back() != '\n' && fileBytes.back() != '\r') result.append(lineEnd);
  result += '[';
  result.append(sectionName);
  result += ']';
  result.append(lineEnd);
  result.append(KeyLine(keyName, newValue, lineEnd));
  return result;
}

}  // namespace vendrix::ini
