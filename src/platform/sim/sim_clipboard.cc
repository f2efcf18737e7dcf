#include "platform/sim/sim_clipboard.h"

#include "platform/sim/sjis_utf8.h"

namespace vendrix::sim {

void SimClipboard::Clear() {
  if (world_.Tracing()) world_.Record("EmptyClipboard", nullptr);
  text_.reset();
}

// One line for the whole exchange: the clipboard is emptied and the text put
// on it.
void SimClipboard::SetText(std::string_view text) {
  if (world_.Tracing()) world_.Record("SetClipboardData", {{"text", SjisToUtf8(text)}});
  text_ = std::string(text);
}

// CF_TEXT ends at its first NUL byte.
std::string SimClipboard::GetText() {
  std::string result;
  if (text_) result = text_->substr(0, text_->find('\0'));
  if (world_.Tracing()) {
    world_.Record("GetClipboardData", {{"result", text_ ? nlohmann::ordered_json(SjisToUtf8(result)) : nullptr}});
  }
  return result;
}

}  // namespace vendrix::sim
