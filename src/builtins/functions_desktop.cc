// Functions that read the desktop.
#include <string>

#include "builtins/functions.h"
#include "desktop/windows.h"
#include "engine/engine.h"

namespace vendrix {
namespace {

std::string PointText(platform::Point at) { return std::to_string(at.x) + "," + std::to_string(at.y); }

std::string TruthText(bool value) { return value ? "True" : "False"; }

// The foreground window's rectangle, or the last one read when it cannot
// be read now.
const platform::WindowRect& MeasureForeground(Engine& engine) {
  platform::Windows& windows = engine.platform.windows;
  if (auto rect = windows.GetWindowRect(windows.GetForegroundWindow())) engine.desktop.measured = *rect;
  return engine.desktop.measured;
}

}  // namespace

std::string FnGetMouse(Engine& engine, const CallArgs&) {
  return PointText(engine.platform.pointer.GetCursorPos());
}

std::string FnGetCaret(Engine& engine, const CallArgs&) {
  return PointText(CaretScreenPos(engine.platform.windows, engine.platform.messages));
}

std::string FnGetWindowPos(Engine& engine, const CallArgs&) {
  platform::Windows& windows = engine.platform.windows;
  std::optional<platform::WindowRect> rect = windows.GetWindowRect(windows.GetForegroundWindow());
  return rect ? PointText({rect->left, rect->top}) : TruthText(false);
}

std::string FnGetHeight(Engine& engine, const CallArgs&) {
  const platform::WindowRect& rect = MeasureForeground(engine);
  return std::to_string(int64_t{rect.bottom} - rect.top);
}

std::string FnGetWidth(Engine& engine, const CallArgs&) {
  const platform::WindowRect& rect = MeasureForeground(engine);
  return std::to_string(int64_t{rect.right} - rect.left);
}

std::string FnGetScreenHeight(Engine& engine, const CallArgs&) {
  return std::to_string(engine.platform.display.ScreenHeight());
}

std::string FnGetScreenWidth(Engine& engine, const CallArgs&) {
  return std::to_string(engine.platform.display.ScreenWidth());
}

std::string FnFindWindow(Engine& engine, const CallArgs& args) {
  return TruthText(engine.platform.windows.FindWindowByTitle(args[0]) != 0);
}

std::string FnGetIme(Engine& engine, const CallArgs&) {
  platform::Windows& windows = engine.platform.windows;
  return TruthText(GetImeOpen(windows, windows.GetFocus()));
}

}  // namespace vendrix
