// Walking the lines of the shell's text files (menu, list and hotkey files).
#pragma once

#include <optional>
#include <string_view>

namespace vendrix::shell {

// Gives the lines of a file's bytes one at a time, split exactly as a macro
// file is split (SplitMacroLines): up to a Ctrl-Z; at CR, an LF right after
// it belonging to the line end, or at LF in a file without any CR; a zero
// byte ends its line's text.  Same rules, so a file that reads one way as a
// macro reads the same way as a menu or hotkey file.  Unlike SplitMacroLines
// it keeps no list, so a reader that stops early (the menu file after 64
// entries) never touches the rest of a huge file.  The views point into the
// bytes given.
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

}  // namespace vendrix::shell
