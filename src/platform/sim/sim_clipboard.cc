#include "platform/sim/sim_desktop.h"
#include "platform/sim/sjis_utf8.h"

namespace vendrix::sim {

void SimDesktop::Clear() {
  if (Tracing()) Record("EmptyClipboard", nullptr);
  clipboard_.reset();
}

// One line for the whole exchange: the clipboard is emptied and the text put
// on it.
void SimDesktop::SetText(std::string_view text) {
  if (Tracing()) Record("SetClipboardData", {{"text", SjisToUtf8(text)}});
  clipboard_ = std::string(text);
}

// CF_TEXT ends at its first NUL byte.
std::string SimDesktop::GetText() {
  std::string result;
  if (clipboard_) result = clipboard_->substr(0, clipboard_->find('\0'));
  if (Tracing()) {
    Record("GetClipboardData", {{"result", clipboard_ ? nlohmann::ordered_json(SjisToUtf8(result)) : nullptr}});
  }
  return result;
}

}  // namespace vendrix::sim
