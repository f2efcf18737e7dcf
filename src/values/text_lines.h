// Walking the lines of a macro file, and of the menu, list and hotkey files.
#pragma once

#include <optional>
#include <string_view>

namespace vendrix {

// Gives the lines of a file's bytes one at a time: up to a Ctrl-Z; at CR, an
// LF right after it belonging to the line end, or at LF in a file without
// any CR; a zero byte ends its line's text.  Every text file of the program
// is split this way.  No list is kept, so a file of millions of empty lines
// costs nothing per line, and a reader that stops early (the menu file
// after 64 entries) never touches the rest.  The views point into the bytes
// given.
class TextLines {
 public:
  explicit TextLines(std::string_view bytes);

  // The next line, or nothing after the last one.
  std::optional<std::string_view> Next();

 private:
  std::string_view bytes_;
  char separator_;
  size_t start_ = 0;
};

}  // namespace vendrix
