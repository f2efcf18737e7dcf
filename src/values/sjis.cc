#include "values/sjis.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "values/cp932_case.h"

namespace vendrix::sjis {

namespace {

// Results that repeat or pad on a count taken from a macro stop growing here,
// so that (repeat "x" 2000000000) cannot exhaust memory.
constexpr size_t kMaxBuiltBytes = 16 * 1024 * 1024;

unsigned char ByteAt(std::string_view text, size_t pos) { return static_cast<unsigned char>(text[pos]); }

// Width in bytes of the character at `pos` (< text.size()) of a text that
// holds no zero byte.
size_t CharWidth(std::string_view text, size_t pos) {
  return (IsLeadByte(ByteAt(text, pos)) && pos + 1 < text.size()) ? 2 : 1;
}

// Byte offset after skipping `count` characters from `from`; text.size() when
// the text ends first.
size_t SkipChars(std::string_view text, size_t from, size_t count) {
  size_t pos = from;
  while (count > 0 && pos < text.size()) {
    pos += CharWidth(text, pos);
    --count;
  }
  return std::min(pos, text.size());
}

size_t CountChars(std::string_view text, size_t from, size_t to) {
  size_t count = 0;
  for (size_t pos = from; pos < to; pos += CharWidth(text, pos)) ++count;
  return count;
}

// True when the last character of `sub` is a lead byte standing alone: in a
// longer text the same byte would take the next one as its trail byte.
bool EndsWithLoneLeadByte(std::string_view sub) {
  size_t pos = 0;
  size_t last = 0;
  while (pos < sub.size()) {
    last = pos;
    pos += CharWidth(sub, pos);
  }
  return !sub.empty() && last == sub.size() - 1 && IsLeadByte(ByteAt(sub, last));
}

// Tracks the character boundaries of a text while candidates are tested in
// increasing order, so that the whole search stays linear.
class BoundaryCursor {
 public:
  BoundaryCursor(std::string_view text, size_t knownBoundary) : text_(text), known_(knownBoundary) {}

  // Whether `pos` (>= every earlier argument) starts a character.
  bool IsBoundary(size_t pos) {
    if (pos <= known_) return pos == known_;
    // A byte outside the lead range always ends a character, so only the run
    // of lead-range bytes right before `pos` decides: an even run pairs up.
    size_t runStart = pos;
    while (runStart > known_ && IsLeadByte(ByteAt(text_, runStart - 1))) --runStart;
    const bool boundary = (pos - runStart) % 2 == 0;
    known_ = boundary ? pos : pos + 1;
    return boundary;
  }

 private:
  std::string_view text_;
  size_t known_;
};

// Case mapping in code page 932.  Single-byte letters map through a table;
// two-byte characters (full-width Latin, Greek, Cyrillic, Roman numerals)
// through the generated table of cp932_case.
enum class CaseDirection { kUpper, kLower };

constexpr std::array<unsigned char, 256> MakeSingleByteTable(CaseDirection direction) {
  std::array<unsigned char, 256> table{};
  for (int byte = 0; byte < 256; ++byte) table[byte] = static_cast<unsigned char>(byte);
  const int from = direction == CaseDirection::kUpper ? 'a' : 'A';
  const int to = direction == CaseDirection::kUpper ? 'A' : 'a';
  for (int i = 0; i < 26; ++i) table[from + i] = static_cast<unsigned char>(to + i);
  return table;
}

constexpr auto kUpperTable = MakeSingleByteTable(CaseDirection::kUpper);
constexpr auto kLowerTable = MakeSingleByteTable(CaseDirection::kLower);

const std::array<unsigned char, 256>& SingleByteTable(CaseDirection direction) {
  return direction == CaseDirection::kUpper ? kUpperTable : kLowerTable;
}

// Lead * 256 + trail of the case partner of a two-byte character.
int MapDoubleByte(int code, CaseDirection direction) {
  return direction == CaseDirection::kUpper ? cp932::UpperCode(code) : cp932::LowerCode(code);
}

// `twoByte` off keeps two-byte characters as they are (JUpperAscii).
// ASCII bytes, the bulk of keywords and names, take one table step each.
std::string MapCase(std::string_view text, CaseDirection direction, bool twoByte) {
  const std::string_view source = UpToNul(text);
  const auto& table = SingleByteTable(direction);
  std::string result(source);
  for (size_t pos = 0; pos < result.size();) {
    const unsigned char byte = ByteAt(result, pos);
    if (byte < 0x80 || CharWidth(result, pos) == 1) {
      result[pos] = static_cast<char>(table[byte]);
      ++pos;
      continue;
    }
    if (twoByte) {
      const int code = MapDoubleByte(byte * 256 + ByteAt(result, pos + 1), direction);
      result[pos] = static_cast<char>(code >> 8);
      result[pos + 1] = static_cast<char>(code & 0xFF);
    }
    pos += 2;
  }
  return result;
}

std::string Spaces(size_t count) { return std::string(std::min(count, kMaxBuiltBytes), ' '); }

}  // namespace

size_t FindInClean(std::string_view text, std::string_view sub, size_t fromByte, bool subEndsWithLoneLead) {
  if (sub.empty() || fromByte >= text.size()) return std::string_view::npos;
  BoundaryCursor boundaries(text, fromByte);
  for (size_t found = text.find(sub, fromByte); found != std::string_view::npos; found = text.find(sub, found + 1)) {
    if (!boundaries.IsBoundary(found)) continue;
    // The match must end where a character of the text ends too.
    if (subEndsWithLoneLead && found + sub.size() < text.size()) continue;
    return found;
  }
  return std::string_view::npos;
}

bool IsLeadByte(unsigned char byte) { return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC); }

bool IsLeadByteAt(std::string_view text, size_t pos) {
  return pos + 1 < text.size() && IsLeadByte(ByteAt(text, pos)) && text[pos + 1] != '\0';
}

int CharCodeAt(std::string_view text, size_t pos) {
  if (pos >= text.size()) return 0;
  if (IsLeadByteAt(text, pos)) return ByteAt(text, pos) * 256 + ByteAt(text, pos + 1);
  return ByteAt(text, pos);
}

bool IsBlankChar(std::string_view text, size_t pos, bool fullWidth) {
  const int code = CharCodeAt(text, pos);
  return (code >= 1 && code <= 32) || code == 127 || (fullWidth && code == 0x8140);
}

size_t NextChar(std::string_view text, size_t pos) {
  if (pos >= text.size()) return pos;
  return pos + (IsLeadByteAt(text, pos) ? 2 : 1);
}

std::string_view UpToNul(std::string_view text) {
  if (text.empty()) return text;  // an empty view may have no data pointer, which memchr must not get
  const void* nul = std::memchr(text.data(), '\0', text.size());
  if (nul == nullptr) return text;
  return text.substr(0, static_cast<size_t>(static_cast<const char*>(nul) - text.data()));
}

int JLength(std::string_view text) {
  const size_t size = text.size();
  // Bytes 1 to 0x7F are one character each: most texts are nothing else.
  size_t pos = 0;
  while (pos < size && static_cast<unsigned char>(ByteAt(text, pos) - 1) < 0x7F) ++pos;
  // The rest: CountChars up to the first NUL, in one pass; a lead byte
  // before the NUL or the end stands alone.
  int count = static_cast<int>(pos);
  for (; pos < size && text[pos] != '\0'; ++count) pos += IsLeadByteAt(text, pos) ? 2 : 1;
  return count;
}

std::string JCopy(std::string_view text, int start, int count) {
  const std::string_view t = UpToNul(text);
  if (t.empty() || start < 0 || count <= 0) return {};
  const size_t first = SkipChars(t, 0, static_cast<size_t>(std::max(start, 1) - 1));
  if (first >= t.size()) return {};
  const size_t last = SkipChars(t, first, static_cast<size_t>(count));
  return std::string(t.substr(first, last - first));
}

size_t FindAtCharBoundary(std::string_view text, std::string_view sub, size_t fromByte) {
  const std::string_view s = UpToNul(sub);
  return FindInClean(UpToNul(text), s, fromByte, EndsWithLoneLeadByte(s));
}

int JPos(std::string_view sub, std::string_view text) {
  const std::string_view t = UpToNul(text);
  const size_t found = FindAtCharBoundary(t, sub);
  if (found == std::string_view::npos) return 0;
  return static_cast<int>(CountChars(t, 0, found)) + 1;
}

int PosFrom(std::string_view sub, std::string_view text, int start) {
  const std::string_view t = UpToNul(text);
  const size_t skipped = static_cast<size_t>(std::max(start, 1) - 1);
  const size_t from = SkipChars(t, 0, skipped);
  if (from >= t.size()) return 0;
  const size_t found = FindAtCharBoundary(t, sub, from);
  if (found == std::string_view::npos) return 0;
  return static_cast<int>(skipped + CountChars(t, from, found)) + 1;
}

std::string JTrim(std::string_view text) {
  const std::string_view t = UpToNul(text);
  size_t pos = 0;
  while (pos < t.size() && IsBlankChar(t, pos, true)) pos = NextChar(t, pos);
  const size_t first = pos;
  size_t end = first;
  while (pos < t.size()) {
    const bool blank = IsBlankChar(t, pos, true);
    pos = NextChar(t, pos);
    if (!blank) end = pos;
  }
  return std::string(t.substr(first, end - first));
}

std::string JUpperAscii(std::string_view text) { return MapCase(text, CaseDirection::kUpper, false); }

int JCharCode(std::string_view text) { return CharCodeAt(UpToNul(text), 0); }

std::string JPadRight(std::string_view text, int n) {
  if (n < 1) return {};
  std::string result = JCopy(text, 1, n);
  const size_t have = static_cast<size_t>(JLength(result));
  const size_t want = static_cast<size_t>(n);
  if (have < want) result += Spaces(want - have);
  return result;
}

std::string JRightJustify(std::string_view text, int n) {
  if (n < 1) return {};
  const std::string_view t = UpToNul(text);
  const int length = JLength(t);
  if (length > n) return JCopy(t, length - n + 1, n);
  std::string result = Spaces(static_cast<size_t>(n - length));
  result += t;
  return result;
}

std::string CutToken(std::string& text, std::string_view separator) {
  const std::string_view t = UpToNul(text);
  const size_t found = FindAtCharBoundary(t, separator);
  if (found == std::string_view::npos) {
    std::string whole(t);
    text.clear();
    return whole;
  }
  std::string before(t.substr(0, found));
  std::string after(t.substr(found + UpToNul(separator).size()));
  text = std::move(after);
  return before;
}

std::string JRepeat(std::string_view text, int n) {
  const std::string_view t = UpToNul(text);
  if (t.empty() || n <= 0) return {};
  const size_t times = std::min(static_cast<size_t>(n), std::max<size_t>(1, kMaxBuiltBytes / t.size()));
  std::string result;
  result.reserve(t.size() * times);
  for (size_t i = 0; i < times; ++i) result += t;
  return result;
}

std::string JReplaceAll(std::string_view text, std::string_view oldText, std::string_view newText) {
  const std::string_view t = UpToNul(text);
  const std::string_view from = UpToNul(oldText);
  if (from.empty() || t.empty()) return std::string(t);
  const bool loneLead = EndsWithLoneLeadByte(from);
  std::string result;
  result.reserve(t.size());
  size_t pos = 0;
  for (size_t found = FindInClean(t, from, 0, loneLead); found != std::string_view::npos;
       found = FindInClean(t, from, pos, loneLead)) {
    result.append(t.substr(pos, found - pos));
    result.append(newText);
    pos = found + from.size();
  }
  result.append(t.substr(std::min(pos, t.size())));
  return result;
}

uint64_t JReplaceAllSize(std::string_view text, std::string_view oldText, std::string_view newText) {
  const std::string_view t = UpToNul(text);
  const std::string_view from = UpToNul(oldText);
  if (from.empty() || t.empty()) return t.size();
  const bool loneLead = EndsWithLoneLeadByte(from);
  uint64_t matches = 0;
  for (size_t found = FindInClean(t, from, 0, loneLead); found != std::string_view::npos;
       found = FindInClean(t, from, found + from.size(), loneLead)) {
    ++matches;
  }
  return t.size() - matches * from.size() + matches * newText.size();
}

std::string AnsiUpper(std::string_view text) { return MapCase(text, CaseDirection::kUpper, true); }

std::string AnsiLower(std::string_view text) { return MapCase(text, CaseDirection::kLower, true); }

bool AnsiEqualNoCase(std::string_view a, std::string_view b) {
  const std::string_view x = UpToNul(a);
  const std::string_view y = UpToNul(b);
  // Case partners have the same width, so unequal lengths never compare equal.
  if (x.size() != y.size()) return false;
  const auto& table = SingleByteTable(CaseDirection::kUpper);
  for (size_t pos = 0; pos < x.size();) {
    const size_t width = CharWidth(x, pos);
    if (CharWidth(y, pos) != width) return false;
    if (width == 2) {
      const int left = MapDoubleByte(ByteAt(x, pos) * 256 + ByteAt(x, pos + 1), CaseDirection::kUpper);
      const int right = MapDoubleByte(ByteAt(y, pos) * 256 + ByteAt(y, pos + 1), CaseDirection::kUpper);
      if (left != right) return false;
    } else if (table[ByteAt(x, pos)] != table[ByteAt(y, pos)]) {
      return false;
    }
    pos += width;
  }
  return true;
}

}  // namespace vendrix::sjis
