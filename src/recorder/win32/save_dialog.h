// The small dialog that names a recording before it is saved: the macro's
// file name, its caption in the menu, and whether to add it to the menu.
#pragma once

#include <optional>
#include <string>

#include "platform/win32/win32_api.h"

namespace vendrix::recorder::win32 {

struct SaveChoice {
  std::string fileName;  // Shift-JIS, as typed
  std::string caption;   // Shift-JIS, as typed
  bool addToMenu = false;
};

// Shows the dialog with `suggested` filled in; nullopt when cancelled.
// `menuFile` (the menu the item would go to) empty hides the menu part.
std::optional<SaveChoice> AskSaveChoice(HWND owner, const SaveChoice& suggested, const std::string& menuFile);

}  // namespace vendrix::recorder::win32
