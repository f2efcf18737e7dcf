#include "platform/sim/sim_desktop.h"

#include <algorithm>
#include <limits>

#include "platform/sim/sjis_utf8.h"

namespace vendrix::sim {

// The main window stands where the step display or the menu window puts it.
// Sizes below 0 count as 0; edges stay within an int.
void SimDesktop::MoveMainWindow(int64_t left, int64_t top, int64_t width, int64_t height) {
  auto edge = [](int64_t value) {
    return static_cast<int>(std::clamp<int64_t>(value, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
  };
  windows_.front().rect = {edge(left), edge(top), edge(left + std::max<int64_t>(width, 0)),
                           edge(top + std::max<int64_t>(height, 0))};
}

void SimDesktop::ShowStepDisplay(const platform::Rect& where, int fontSize) {
  if (Tracing()) {
    Record("ShowStepDisplay", {{"left", where.left}, {"top", where.top}, {"width", where.width},
                               {"height", where.height}, {"font_size", fontSize}});
  }
  MoveMainWindow(where.left, where.top, where.width, where.height);
  stepDisplay_.shown = true;
  stepDisplay_.rect = where;
  stepDisplay_.fontSize = fontSize;
}

void SimDesktop::HideStepDisplay(int width, int height) {
  if (Tracing()) Record("HideStepDisplay", {{"width", width}, {"height", height}});
  MoveMainWindow(windows_.front().rect.left, windows_.front().rect.top, width, height);
  stepDisplay_.shown = false;
  stepDisplay_.menuWidth = width;
  stepDisplay_.menuHeight = height;
}

void SimDesktop::AppendStepLine(std::string_view line) {
  if (Tracing()) Record("AppendStepLine", {{"line", SjisToUtf8(line)}});
  auto& lines = stepDisplay_.lines;
  if (lines.size() >= kKeptStepLines) lines.pop_front();
  lines.emplace_back(line);
  ++stepDisplay_.linesAppended;
}

void SimDesktop::SetTrayTip(std::string_view tip) {
  std::string_view cut = tip.substr(0, 63);  // what the icon record's tip field holds
  if (Tracing()) {
    Record("Shell_NotifyIconA", {{"message", "NIM_MODIFY"}, {"tip", SjisToUtf8(cut)},
                                 {"shown", stepDisplay_.trayIconShown}});
  }
  if (stepDisplay_.trayIconShown) stepDisplay_.trayTip = std::string(cut);
}

}  // namespace vendrix::sim
