// Splitting statements and argument texts into tokens.
//
// A token is a double-quoted string (doubled quotes inside do not close
// it), a parenthesised text (nesting counted, quoted parts skipped), or a
// word up to the next half-width space.  After each token the rest is
// trimmed of blanks, so runs of spaces count as one.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace vendrix {

// Byte offset of the closing quote in a text that starts just after an
// opening quote, or npos.
size_t FindClosingQuote(std::string_view text);
// Byte offset of the ")" matching an opening "(" just before the text, or
// npos.
size_t FindClosingParen(std::string_view text);

struct TokenResult {
  std::string_view token;
  std::string_view rest;  // trimmed
  // Set when a quote or parenthesis is never closed: the full message
  // (without the "Err：" prefix) that ends the program.
  std::optional<std::string> error;
};

// Cuts the next token from `text`.
TokenResult NextToken(std::string_view text);

// Cuts the tokens of one text one after another, in time linear in the
// text's length: the rest is trimmed at its end once, and each later token
// only trims the blanks in front of it.  Every token and rest is the same as
// repeated NextToken calls on the rest would give.
class TokenCursor {
 public:
  explicit TokenCursor(std::string_view text) : rest_(text) {}

  // The next token; after an error the cursor stays where it was.
  TokenResult Next();
  // What is left after the tokens cut so far (trimmed once a token is cut).
  std::string_view rest() const { return rest_; }
  bool done() const { return rest_.empty(); }

 private:
  std::string_view rest_;
  // Once set, rest_ holds no zero byte and ends with a non-blank character.
  bool trimmed_ = false;
};

// The text with its leading and trailing blanks removed (codes 1-32, 127
// and the full-width space), without copying.
std::string_view TrimView(std::string_view text);

}  // namespace vendrix
