// Functions that read the desktop.
#include <string>

#include "builtins/functions.h"
#include "desktop/windows.h"
#include "engine/interpreter.h"

namespace vendrix {
namespace {

std::string PointText(platform::Point at) { return std::to_string(at.x) + "," + std::to_string(at.y); }

std::string TruthText(bool value) { return value ? "True" : "False"; }

// The foreground window's rectangle, or the last one read when it cannot
// be read now.
const platform::WindowRect& MeasureForeground(Interpreter& interp) {
  platform::Windows& windows = interp.Platform().windows;
  platform::WindowRect& measured = interp.MeasuredWindow();
  if (auto rect = windows.GetWindowRect(windows.GetForegroundWindow())) measured = *rect;
  return measured;
}

}  // namespace

std::string FnGetMouse(Interpreter& interp, const CallArgs&) {
  return PointText(interp.Platform().pointer.GetCursorPos());
}

std::string FnGetCaret(Interpreter& interp, const CallArgs&) {
  return PointText(CaretScreenPos(interp.Platform().windows, interp.Platform().messages));
}

std::string FnGetWindowPos(Interpreter& interp, const CallArgs&) {
  platform::Windows& windows = interp.Platform().windows;
  std::optional<platform::WindowRect> rect = windows.GetWindowRect(windows.GetForegroundWindow());
  return rect ? PointText({rect->left, rect->top}) : TruthText(false);
}

std::string FnGetHeight(Interpreter& interp, const CallArgs&) {
  const platform::WindowRect& rect = MeasureForeground(interp);
  return std::to_string(int64_t{rect.bottom} - rect.top);
}

std::string FnGetWidth(Interpreter& interp, const CallArgs&) {
  const platform::WindowRect& rect = MeasureForeground(interp);
  return std::to_string(int64_t{rect.right} - rect.left);
}

std::string FnGetScreenHeight(Interpreter& interp, const CallArgs&) {
  return std::to_string(interp.Platform().display.ScreenHeight());
}

std::string FnGetScreenWidth(Interpreter& interp, const CallArgs&) {
  return std::to_string(interp.Platform().display.ScreenWidth());
}

std::string FnFindWindow(Interpreter& interp, const CallArgs& args) {
  return TruthText(interp.Platform().windows.FindWindowByTitle(args[0]) != 0);
}

std::string FnGetIme(Interpreter& interp, const CallArgs&) {
  platform::Windows& windows = interp.Platform().windows;
  return TruthText(GetImeOpen(windows, windows.GetFocus()));
}

}  // namespace vendrix
