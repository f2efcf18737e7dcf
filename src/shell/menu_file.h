// Menu mode's data: the menu file, the list file that picks a menu by the
// foreground window's title, and what a picked item runs.
//
// All texts are Shift-JIS bytes.  Lines are split as macro lines are (see
// TextLines).  Everything here is pure; reading the files, showing the menu
// and running the macro are the caller's.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace vendrix::shell {

// A menu holds at most this many items; a list file as many menus.
inline constexpr int kMaxMenuEntries = 64;

// The menu file used when none is named and the list file picks none.
inline constexpr std::string_view kDefaultMenuFileName = "Vendrix.MNU";

// One item of a menu file, or one line pair of the list file (the title
// fragment in `caption`, the menu file name in `macroText`).
struct MenuEntry {
  std::string caption;
  std::string macroText;
  // Where they were read, counting lines from 1: the line that holds the
  // macro text, and the line that completed the entry (the later half).
  int macroLine = 0;
  int lastLine = 0;
};

// The items of a menu file.  Per line: from the first ";" on is a comment;
// the rest is trimmed of blanks at both ends, the full-width space included
// (as the language's "trim" does).  Then a line ":text" sets the caption
// ("text", with any blanks right after the ":" kept); any other non-empty
// line, ":" alone included, sets the macro text; empty lines are skipped.
// An item is complete, and appended, as soon as it has both, in either
// order; until then a second caption or macro text replaces the first.
// Reading stops after kMaxMenuEntries items; a last item that lacks its
// caption or its macro text is dropped.
std::vector<MenuEntry> ParseMenuFile(std::string_view bytes);

// The pairs of the list file (Vendrix.LST), built as ParseMenuFile builds
// items but from the raw lines: no comments and no trimming, so a ";" or a
// blank is part of the title fragment or file name.  Empty lines are still
// skipped.  At most kMaxMenuEntries pairs.
std::vector<MenuEntry> ParseListFile(std::string_view bytes);

// What a menu item runs.
struct MenuAction {
  enum class Kind { kStatement, kFile };
  Kind kind = Kind::kFile;
  std::string text;  // the statement, or the macro file name
};

// The action of an item's macro text:
//   "__BEEP"         -> the statement "BEEP", as written after the "__";
//   "d:\m\x.mac",
//   "d:x.mac"        -> that file name unchanged (the text holds ":\" or its
//                       second character is ":", both judged by characters,
//                       so a trail byte 0x5C never counts as "\");
//   "x.mac"          -> programFolder + "x.mac".
// `programFolder` ends in its separator.
MenuAction MenuActionOf(std::string_view macroText, std::string_view programFolder);

// The first item whose caption equals `caption` byte for byte, or nullptr.
// Items with the same caption therefore all run the first one's macro: the
// menu reports only the caption that was picked.
const MenuEntry* FindMenuEntry(const std::vector<MenuEntry>& entries, std::string_view caption);

// The menu file to open.  A given name keeps only its file name (what
// follows the last "\", "/" or ":"), so the menu always comes from the
// program folder; a name that ends in a separator leaves "".  Without a
// name: kDefaultMenuFileName, or with `menuChange` the menu file name of the
// first list pair whose title fragment occurs in `foregroundTitle`
// (case-sensitive, by characters, as the language's "pos").  That name is
// used as the list file writes it.  An empty fragment occurs nowhere, as
// "pos" finds an empty text nowhere; ParseListFile never makes one anyway.
std::string ChooseMenuFile(std::string_view givenName, bool menuChange, const std::vector<MenuEntry>& switchList,
                           std::string_view foregroundTitle);

}  // namespace vendrix::shell
