// Pasting a text into the active application.
#pragma once

#include <string_view>

#include "desktop/desktop.h"

namespace vendrix {

// Puts the text on the clipboard and has it pasted the way the paste key
// setting says: Shift+Insert, WM_PASTE to the window under the caret or the
// pointer, or a key text of the macro's choice.
void PasteText(DesktopContext desktop, std::string_view text);

}  // namespace vendrix
