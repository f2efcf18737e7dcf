#include "engine/tokenizer.h"

#include "values/messages.h"
#include "values/sjis.h"

namespace vendrix {
namespace {

constexpr size_t npos = std::string_view::npos;

}  // namespace

size_t FindClosingQuote(std::string_view text) {
  // Pairs of quotes are escapes, taken left to right; a quote is a
  // one-byte character, so stepping by characters finds every candidate.
  size_t pos = 0;
  while (pos < text.size()) {
    if (text[pos] == '"') {
      size_t next = pos + 1;
      if (next < text.size() && text[next] == '"') {
        pos = next + 1;
        continue;
      }
      return pos;
    }
    pos = sjis::NextChar(text, pos);
  }
  return npos;
}

size_t FindClosingParen(std::string_view text) {
  int depth = 1;
  size_t pos = 0;
  while (pos < text.size()) {
    char c = text[pos];
    if (c == '(') {
      ++depth;
    } else if (c == ')') {
      if (--depth == 0) return pos;
    } else if (c == '"' && !sjis::IsLeadByteAt(text, pos)) {
      size_t close = FindClosingQuote(text.substr(pos + 1));
      if (close == npos) return npos;
      pos += close + 1;  // onto the closing quote
    }
    pos = sjis::NextChar(text, pos);
  }
  return npos;
}

std::string_view TrimView(std::string_view text) {
  text = sjis::UpToNul(text);
  size_t start = 0;
  while (start < text.size() && sjis::IsBlankChar(text, start, true)) {
    start = sjis::NextChar(text, start);
  }
  size_t end = start;
  size_t pos = start;
  while (pos < text.size()) {
    size_t next = sjis::NextChar(text, pos);
    if (!sjis::IsBlankChar(text, pos, true)) end = next;
    pos = next;
  }
  return text.substr(start, end - start);
}

namespace {

// Leading blanks removed from a text that is known to end with a non-blank
// character and to hold no zero byte: the same as TrimView without
// scanning to the end.
std::string_view TrimFront(std::string_view text) {
  size_t start = 0;
  while (start < text.size() && sjis::IsBlankChar(text, start, true)) start = sjis::NextChar(text, start);
  return text.substr(start);
}

// Byte length of the word token at the start of `text`: up to the first
// half-width space at a character boundary, or npos when there is none.
size_t WordLength(std::string_view text, bool noZeroByte) {
  return sjis::FindInClean(noZeroByte ? text : sjis::UpToNul(text), " ", 0, false);
}

}  // namespace

TokenResult TokenCursor::Next() {
  TokenResult result;
  const std::string_view text = rest_;
  std::string_view after;
  if (!text.empty() && text.front() == '"') {
    size_t close = FindClosingQuote(text.substr(1));
    if (close == npos) {
      result.error = std::string(msg::kQuoteNotClosed) + std::string(text);
      return result;
    }
    result.token = text.substr(0, close + 2);
    after = text.substr(close + 2);
  } else if (!text.empty() && text.front() == '(') {
    size_t close = FindClosingParen(text.substr(1));
    if (close == npos) {
      result.error = std::string(msg::kParenNotClosed) + std::string(text);
      return result;
    }
    result.token = text.substr(0, close + 2);
    after = text.substr(close + 2);
  } else {
    size_t space = WordLength(text, trimmed_);
    result.token = space == npos ? text : text.substr(0, space);
    after = space == npos ? std::string_view() : text.substr(space + 1);
  }
  rest_ = trimmed_ ? TrimFront(after) : TrimView(after);
  trimmed_ = true;
  result.rest = rest_;
  return result;
}

TokenResult NextToken(std::string_view text) { return TokenCursor(text).Next(); }

}  // namespace vendrix
