// Where a recording goes: a macro file in the program folder, and an item
// for it in the menu file Vendrix last built its menu from.
//
// Both files are written whole (a temporary file renamed over the target),
// so a failed write leaves the old file as it was; an existing macro is
// replaced only when the user said so.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/platform.h"
#include "values/local_time.h"

namespace vendrix::recorder {

// The save dialog's suggestions: "rec-20261208-190512.mac" and
// "記録 2026/12/08 19:05" (Shift-JIS).
std::string DefaultMacroName(const LocalTime& now);
std::string DefaultCaption(const LocalTime& now);
// "2026/12/08 19:05"
std::string RecordedAt(const LocalTime& now);

// The macro file name as it is saved: trimmed, ".mac" added when it has no
// extension.  A name the program folder cannot hold, or that the menu file
// would read as something else (a ";" starts a comment there, a leading
// "__" a statement, and blanks at either end are trimmed), is refused with
// the reason in *problem.
std::optional<std::string> MacroFileName(std::string_view typed, std::string* problem);
// The caption as the menu file keeps it; refused likewise.
std::optional<std::string> MenuCaption(std::string_view typed, std::string* problem);

// The menu file's bytes with an item for the macro added at the end
// (":caption" and the file name, each a CR LF line).
std::string WithMenuItem(std::string_view menuBytes, std::string_view caption, std::string_view macroFile);

enum class SaveOutcome { kSaved, kExists, kFailed };

struct SaveResult {
  SaveOutcome outcome = SaveOutcome::kSaved;
  std::string message;  // kFailed: what went wrong, ready to show
};

// Saves the macro text as `folder` + `name` (folder ends in its separator).
// An existing file is kExists unless `overwrite`.
SaveResult SaveMacro(platform::Files& files, std::string_view folder, std::string_view name,
                     std::string_view macroText, bool overwrite);

// Adds the menu item to `folder` + `menuFile` (a file name, as Zemlo.INI
// holds it); a menu file that does not exist yet is created.
SaveResult AddMenuItem(platform::Files& files, std::string_view folder, std::string_view menuFile,
                       std::string_view caption, std::string_view macroName);

}  // namespace vendrix::recorder
