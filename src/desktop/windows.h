// Where the user types, and which window gets input.
#pragma once

#include "platform/platform.h"

namespace vendrix {

// The caret of the foreground window's thread in screen coordinates: its
// client position plus the outer top-left of the focus window.  Only used
// to pick the window under it, so the frame's offset does no harm.
platform::Point CaretScreenPos(platform::Windows& windows, platform::Messages& messages);

// Brings a window to the foreground even where the system's foreground
// lock would refuse a plain request; true when it is in front afterwards.
bool ForceForeground(platform::Windows& windows, platform::WindowId window);

// Whether the input method of a window is open; false without a context.
bool GetImeOpen(platform::Windows& windows, platform::WindowId window);
void SetImeOpen(platform::Windows& windows, platform::WindowId window, bool open);

}  // namespace vendrix
