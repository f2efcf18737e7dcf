// Where a text came from.
//
// Text that entered from outside the macro (a file line, the clipboard, a
// window title, a dialog's answer, an INI value, the environment), or was
// computed from such text, is data: used as a call argument it stands for
// itself and is never evaluated as a call, a quoted text or a reference.
// The macro's own texts keep the language's rule.
#pragma once

#include <cstdint>

namespace vendrix {

enum class TextOrigin : uint8_t { kMacro, kOutside };

}  // namespace vendrix
