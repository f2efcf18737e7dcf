#include "desktop/paste.h"

#include "desktop/input.h"
#include "desktop/input_block.h"
#include "desktop/keys.h"
#include "desktop/windows.h"
#include "values/sjis.h"

namespace vendrix {
namespace {

constexpr int kShiftKey = 16;
constexpr int kInsertKey = 45;

void PasteWithShiftInsert(DesktopContext desktop) {
  KeyInput(desktop, kShiftKey, 0, 0);
  KeyInput(desktop, kInsertKey, 0, 0);
  KeyInput(desktop, kInsertKey, platform::kKeyEventKeyUp, 0);
  KeyInput(desktop, kShiftKey, platform::kKeyEventKeyUp, 0);
}

void SendPasteMessage(platform::Windows& windows, platform::Point where) {
  windows.SendWindowMessage(windows.WindowFromPoint(where), platform::kWmPaste, 0, 0);
}

}  // namespace

void PasteText(DesktopContext desktop, std::string_view text) {
  platform::Platform& system = desktop.platform;
  system.clipboard.SetText(text);
  InputReleased released(desktop);
  const std::string& key = desktop.state.pasteKey;
  std::string method = sjis::AnsiUpper(key);
  if (key.empty()) {
    PasteWithShiftInsert(desktop);
  } else if (method == "API-CARET") {
    SendPasteMessage(system.windows, CaretScreenPos(system.windows, system.messages));
  } else if (method == "API-MOUSE") {
    SendPasteMessage(system.windows, system.pointer.GetCursorPos());
  } else {
    SendKeyText(desktop, key);
  }
}

}  // namespace vendrix
