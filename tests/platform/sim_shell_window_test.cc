// The program's own window on the simulated desktop.
#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/sim/sim_desktop.h"

namespace vendrix::sim {
namespace {

TEST(SimShellWindow, StepDisplayKeepsOnlyTheLatestLines) {
  SimDesktop desktop;
  const size_t total = SimDesktop::kKeptStepLines + 5;
  for (size_t i = 0; i < total; ++i) desktop.shellWindow().AppendStepLine(std::to_string(i));
  const StepDisplayState& step = desktop.StepDisplay();
  EXPECT_EQ(step.linesAppended, total);
  ASSERT_EQ(step.lines.size(), SimDesktop::kKeptStepLines);
  EXPECT_EQ(step.lines.front(), "5");
  EXPECT_EQ(step.lines.back(), std::to_string(total - 1));
}

// A scripted action reaches the program only when its window would get it:
// an item its menu has, a combination it registered, a joystick it
// captured, an icon it shows.
TEST(SimShellWindow, ScriptedActionsArriveOnlyWhenTheWindowWouldGetThem) {
  using platform::ShellEventKind;
  struct Case {
    const char* action;  // one "shell_events" entry, at 100 ms
    std::function<void(platform::ShellWindow&)> setUp;
    std::optional<platform::ShellEvent> arrives;
  };
  const auto menu = [](platform::ShellWindow& shell) { shell.SetMenuItems({"one", "two"}); };
  const auto hotkeys = [](platform::ShellWindow& shell) {
    shell.RegisterHotKey(7, platform::kModControl, 0x41);
    shell.RegisterHotKey(9, platform::kModAlt, 0x42);
  };
  const Case cases[] = {
      {R"({"menu": "two"})", menu, platform::ShellEvent{ShellEventKind::kMenuPick, 1}},
      {R"({"menu": "three"})", menu, std::nullopt},
      {R"({"hotkey": {"vk": 66, "modifiers": 1}})", hotkeys, platform::ShellEvent{ShellEventKind::kHotkey, 9}},
      {R"({"hotkey": {"vk": 66, "modifiers": 2}})", hotkeys, std::nullopt},
      {R"({"joystick_button": 2})", [](platform::ShellWindow& shell) { shell.CaptureJoystick(1); },
       platform::ShellEvent{ShellEventKind::kJoystickButton, 2}},
      {R"({"joystick_button": 1})", [](platform::ShellWindow& shell) { shell.CaptureJoystick(1); }, std::nullopt},
      {R"({"tray": "right_click"})", [](platform::ShellWindow& shell) { shell.AddTrayIcon("tip"); },
       platform::ShellEvent{ShellEventKind::kTrayRightClick, 0}},
      {R"({"tray": "right_click"})",
       [](platform::ShellWindow& shell) {
         shell.AddTrayIcon("tip");
         shell.DeleteTrayIcon();
       },
       std::nullopt},
  };
  for (const Case& c : cases) {
    SimDesktop desktop(std::string(R"({"joysticks": [{"id": 0}, {"id": 1}], "shell_events": [{"at_ms": 100, )") +
                       (c.action + 1) + "]}");
    platform::ShellWindow& shell = desktop.shellWindow();
    c.setUp(shell);
    desktop.clock().Sleep(99);
    desktop.messages().ProcessMessages();
    EXPECT_FALSE(shell.TakeShellEvent().has_value()) << c.action << ": before its time";
    desktop.clock().Sleep(1);
    desktop.messages().ProcessMessages();
    const std::optional<platform::ShellEvent> got = shell.TakeShellEvent();
    ASSERT_EQ(got.has_value(), c.arrives.has_value()) << c.action;
    if (got) {
      EXPECT_EQ(got->kind, c.arrives->kind) << c.action;
      EXPECT_EQ(got->value, c.arrives->value) << c.action;
    }
  }
}

}  // namespace
}  // namespace vendrix::sim
