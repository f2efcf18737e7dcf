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

TokenResult NextToken(std::string_view text) {
  TokenResult result;
  if (!text.empty() && text.front() == '"') {
    size_t close = FindClosingQuote(text.substr(1));
    if (close == npos) {
      result.error = std::string(msg::kQuoteNotClosed) + std::string(text);
      return result;
    }
    result.token = text.substr(0, close + 2);
    result.rest = TrimView(text.substr(close + 2));
  } else if (!text.empty() && text.front() == '(') {
    size_t close = FindClosingParen(text.substr(1));
    if (close == npos) {
      result.error = std::string(msg::kParenNotClosed) + std::string(text);
      return result;
    }
    result.token = text.substr(0, close + 2);
    result.rest = TrimView(text.substr(close + 2));
  } else {
    size_t space = sjis::FindAtCharBoundary(text, " ");
    if (space == npos) {
      result.token = text;
      result.rest = {};
    } else {
      result.token = text.substr(0, space);
      result.rest = TrimView(text.substr(space + 1));
    }
  }
  return result;
}

}  // namespace vendrix
