// What a desktop description scripts for the program's own window: menu
// picks, hotkey presses, joystick buttons, icon clicks, file dialog answers.
#include <algorithm>

#include "platform/sim/desktop_json.h"
#include "platform/sim/sjis_utf8.h"

namespace vendrix::sim::desktop_json {
namespace {

using nlohmann::json;
using platform::ShellEventKind;

constexpr uint64_t kMaxEventMs = uint64_t{1} << 40;
constexpr uint64_t kAllModifiers = platform::kModAlt | platform::kModControl | platform::kModShift;

TakenHotkey ReadKeyCombination(const json& value, const std::string& field) {
  if (!value.is_object()) Fail(field, "must be an object with \"vk\" and \"modifiers\"");
  RejectUnknownKeys(value, field, {"vk", "modifiers"});
  if (!value.contains("vk")) Fail(field, "needs a \"vk\"");
  TakenHotkey key;
  key.vk = static_cast<int>(ReadInteger(value["vk"], Member(field, "vk"), 1, 255));
  if (value.contains("modifiers")) {
    key.modifiers = static_cast<uint32_t>(ReadInteger(value["modifiers"], Member(field, "modifiers"), 0, kAllModifiers));
  }
  return key;
}

ScriptedShellEvent ReadShellEvent(const json& value, const std::string& field) {
  if (!value.is_object()) Fail(field, "must be an object");
  RejectUnknownKeys(value, field, {"at_ms", "menu", "hotkey", "joystick_button", "tray"});
  if (!value.contains("at_ms")) Fail(field, "needs an \"at_ms\"");
  ScriptedShellEvent event;
  event.atMs = ReadInteger(value["at_ms"], Member(field, "at_ms"), 0, kMaxEventMs);
  const int kinds = static_cast<int>(value.contains("menu")) + static_cast<int>(value.contains("hotkey")) +
                    static_cast<int>(value.contains("joystick_button")) + static_cast<int>(value.contains("tray"));
  if (kinds != 1) Fail(field, "needs exactly one of \"menu\", \"hotkey\", \"joystick_button\" and \"tray\"");
  if (value.contains("menu")) {
    event.kind = ShellEventKind::kMenuPick;
    event.menuCaption = ReadText(value["menu"], Member(field, "menu"));
  } else if (value.contains("hotkey")) {
    event.kind = ShellEventKind::kHotkey;
    const TakenHotkey key = ReadKeyCombination(value["hotkey"], Member(field, "hotkey"));
    event.vk = key.vk;
    event.modifiers = key.modifiers;
  } else if (value.contains("joystick_button")) {
    event.kind = ShellEventKind::kJoystickButton;
    event.joystick = static_cast<int>(ReadInteger(value["joystick_button"], Member(field, "joystick_button"), 1, 2));
  } else {
    if (value["tray"] != "right_click") Fail(Member(field, "tray"), "must be \"right_click\"");
    event.kind = ShellEventKind::kTrayRightClick;
  }
  return event;
}

}  // namespace

void ReadShell(const json& root, DesktopDescription& description) {
  if (root.contains("shell_events")) {
    const json& events = RequireList(root, "shell_events");
    for (size_t i = 0; i < events.size(); ++i) {
      description.shellEvents.push_back(ReadShellEvent(events[i], Indexed("shell_events", i)));
    }
    // Events at the same moment keep their order.
    std::stable_sort(description.shellEvents.begin(), description.shellEvents.end(),
                     [](const ScriptedShellEvent& a, const ScriptedShellEvent& b) { return a.atMs < b.atMs; });
  }
  if (root.contains("file_dialog")) {
    const json& answers = RequireList(root, "file_dialog");
    for (size_t i = 0; i < answers.size(); ++i) {
      if (answers[i].is_null()) {
        description.fileDialogAnswers.emplace_back();
      } else {
        description.fileDialogAnswers.emplace_back(ReadText(answers[i], Indexed("file_dialog", i)));
      }
    }
  }
  if (root.contains("taken_hotkeys")) {
    const json& taken = RequireList(root, "taken_hotkeys");
    for (size_t i = 0; i < taken.size(); ++i) {
      description.takenHotkeys.push_back(ReadKeyCombination(taken[i], Indexed("taken_hotkeys", i)));
    }
  }
}

}  // namespace vendrix::sim::desktop_json
