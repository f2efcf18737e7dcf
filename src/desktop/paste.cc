#include "desktop/paste.h"

#include "desktop/input.h"
#include "desktop/keys.h"
#include "desktop/windows.h"
#include "engine/engine.h"
#include "engine/report.h"
#include "values/sjis.h"

namespace vendrix {
namespace {

constexpr int kShiftKey = 16;
constexpr int kInsertKey = 45;

void PasteWithShiftInsert(Engine& engine) {
  KeyInput(engine, kShiftKey, 0, 0);
  KeyInput(engine, kInsertKey, 0, 0);
  KeyInput(engine, kInsertKey, platform::kKeyEventKeyUp, 0);
  KeyInput(engine, kShiftKey, platform::kKeyEventKeyUp, 0);
}

void SendPasteMessage(Engine& engine, platform::Point where) {
  platform::Windows& windows = engine.platform.windows;
  windows.SendWindowMessage(windows.WindowFromPoint(where), platform::kWmPaste, 0, 0);
}

}  // namespace

void PasteText(Engine& engine, std::string_view text) {
  engine.platform.clipboard.SetText(text);
  InputReleased released(engine);
  const std::string& key = engine.desktop.pasteKey;
  std::string method = sjis::AnsiUpper(key);
  if (key.empty()) {
    PasteWithShiftInsert(engine);
  } else if (method == "API-CARET") {
    SendPasteMessage(engine, CaretScreenPos(engine.platform.windows, engine.platform.messages));
  } else if (method == "API-MOUSE") {
    SendPasteMessage(engine, engine.platform.pointer.GetCursorPos());
  } else {
    SendKeyText(engine, key);
  }
}

}  // namespace vendrix
