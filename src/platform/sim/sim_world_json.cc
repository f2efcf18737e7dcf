// The desktop description's windows, pointer, clipboard, programs,
// joysticks and system version.
#include <limits>
#include <set>

#include "platform/sim/desktop_json.h"

namespace vendrix::sim::desktop_json {
namespace {

using nlohmann::json;
using platform::WindowId;

// Far beyond any screen, yet no sum of two overflows an int.
constexpr int64_t kMaxCoordinate = 1000000;
constexpr uint64_t kMaxWindowId = std::numeric_limits<int32_t>::max();
constexpr uint64_t kMaxThread = std::numeric_limits<uint32_t>::max();
// Nesting deeper than any real dialog; keeps the reader's recursion short.
constexpr size_t kMaxWindowDepth = 16;
constexpr uint64_t kMaxRunMs = std::numeric_limits<int32_t>::max();
constexpr uint64_t kMaxAxis = 65535;

platform::Point ReadPoint(const json& value, const std::string& field) {
  if (!value.is_array() || value.size() != 2) Fail(field, "must be a list [x, y]");
  return {ReadCoordinate(value[0], Indexed(field, 0)), ReadCoordinate(value[1], Indexed(field, 1))};
}

// A focus named by id, checked once every window is known.
struct PendingFocus {
  size_t window;  // index in DesktopDescription::windows
  WindowId focus;
  std::string field;
};

class WindowReader {
 public:
  explicit WindowReader(std::vector<SimWindow>& windows) : windows_(windows) {}

  void ReadTopLevel(const json& value, const std::string& field) {
    if (!value.is_object()) Fail(field, "must be an object with an \"id\"");
    RejectUnknownKeys(value, field, {"id", "title", "rect", "thread", "iconic", "text", "caret", "focus",
                                     "ime", "refuses_foreground", "children"});
    SimWindow window = ReadCommon(value, field, 0);
    window.thread = static_cast<uint32_t>(window.id);
    if (value.contains("thread")) {
      window.thread = static_cast<uint32_t>(ReadInteger(value["thread"], Member(field, "thread"), 2, kMaxThread));
    }
    if (value.contains("iconic")) window.iconic = ReadBool(value["iconic"], Member(field, "iconic"));
    if (value.contains("caret")) window.caret = ReadPoint(value["caret"], Member(field, "caret"));
    if (value.contains("refuses_foreground")) {
      window.refusesForeground = ReadBool(value["refuses_foreground"], Member(field, "refuses_foreground"));
    }
    window.focus = window.id;
    if (value.contains("focus") && value["focus"].is_null()) window.focus = 0;
    if (value.contains("focus") && !value["focus"].is_null()) {
      const std::string focusField = Member(field, "focus");
      const auto focus = static_cast<WindowId>(ReadInteger(value["focus"], focusField, 2, kMaxWindowId));
      focuses_.push_back({windows_.size(), focus, focusField});
    }
    Add(std::move(window), value, field, 0);
  }

  void CheckFocuses() {
    for (PendingFocus& pending : focuses_) {
      SimWindow& window = windows_[pending.window];
      if (!IsWithin(pending.focus, window.id)) Fail(pending.field, "must be the window itself or one of its children");
      window.focus = pending.focus;
    }
  }

  bool IsTopLevel(WindowId id) const {
    for (const SimWindow& window : windows_) {
      if (window.id == id) return window.parent == 0;
    }
    return false;
  }

 private:
  SimWindow ReadCommon(const json& value, const std::string& field, WindowId parent) {
    if (!value.contains("id")) Fail(field, "needs an \"id\"");
    SimWindow window;
    window.id = static_cast<WindowId>(ReadInteger(value["id"], Member(field, "id"), 2, kMaxWindowId));
    if (!ids_.insert(window.id).second) Fail(Member(field, "id"), "is used by another window");
    window.parent = parent;
    if (value.contains("title")) window.title = ReadText(value["title"], Member(field, "title"));
    if (value.contains("rect")) window.rect = ReadRect(value["rect"], Member(field, "rect"));
    if (value.contains("text")) window.text = ReadText(value["text"], Member(field, "text"));
    if (value.contains("ime")) window.ime = ReadBool(value["ime"], Member(field, "ime"));
    return window;
  }

  void Add(SimWindow window, const json& value, const std::string& field, size_t depth) {
    const WindowId id = window.id;
    const uint32_t thread = window.thread;
    windows_.push_back(std::move(window));
    if (!value.contains("children")) return;
    const std::string listField = Member(field, "children");
    const json& children = value["children"];
    if (!children.is_array()) Fail(listField, "must be a list");
    if (depth + 1 >= kMaxWindowDepth) Fail(listField, "nests windows too deep");
    for (size_t i = 0; i < children.size(); ++i) ReadChild(children[i], Indexed(listField, i), id, thread, depth + 1);
  }

  void ReadChild(const json& value, const std::string& field, WindowId parent, uint32_t thread, size_t depth) {
    if (!value.is_object()) Fail(field, "must be an object with an \"id\"");
    RejectUnknownKeys(value, field, {"id", "title", "rect", "text", "ime", "children"});
    SimWindow window = ReadCommon(value, field, parent);
    window.thread = thread;
    Add(std::move(window), value, field, depth);
  }

  bool IsWithin(WindowId id, WindowId ancestor) const {
    for (WindowId at = id; at != 0;) {
      if (at == ancestor) return true;
      WindowId parent = 0;
      for (const SimWindow& window : windows_) {
        if (window.id == at) parent = window.parent;
      }
      at = parent;
    }
    return false;
  }

  std::vector<SimWindow>& windows_;
  std::set<WindowId> ids_;
  std::vector<PendingFocus> focuses_;
};

// A top-level window, the main window, or null for none.
WindowId ReadWindowChoice(const json& value, const std::string& field, const WindowReader& reader,
                          bool mainOnly) {
  if (value.is_null()) return 0;
  const auto id = static_cast<WindowId>(ReadInteger(value, field, 1, kMaxWindowId));
  if (id == kMainWindow || (!mainOnly && reader.IsTopLevel(id))) return id;
  Fail(field, mainOnly ? "must be 1 (the main window) or null" : "must name a top-level window, 1 or null");
}

void ReadWindows(const json& root, DesktopDescription& description) {
  WindowReader reader(description.windows);
  if (root.contains("windows")) {
    const json& windows = RequireList(root, "windows");
    for (size_t i = 0; i < windows.size(); ++i) reader.ReadTopLevel(windows[i], Indexed("windows", i));
  }
  reader.CheckFocuses();
  description.foreground = description.windows.empty() ? 0 : description.windows.front().id;
  if (root.contains("foreground")) {
    description.foreground = ReadWindowChoice(root["foreground"], "foreground", reader, false);
  }
  description.active = description.foreground == kMainWindow ? kMainWindow : 0;
  if (root.contains("active")) description.active = ReadWindowChoice(root["active"], "active", reader, true);
}

void ReadPointer(const json& value, DesktopDescription& description) {
  const platform::Point point = ReadPoint(value, "pointer");
  if (point.x < 0 || point.y < 0 || point.x >= description.screenWidth || point.y >= description.screenHeight) {
    Fail("pointer", "must lie on the screen");
  }
  description.pointer = point;
}

JoystickSample ReadSample(const json& value, const std::string& field, uint64_t notBeforeMs) {
  if (!value.is_object()) Fail(field, "must be an object with an \"at\"");
  RejectUnknownKeys(value, field, {"at", "x", "y", "z", "buttons"});
  if (!value.contains("at")) Fail(field, "needs an \"at\"");
  JoystickSample sample;
  sample.atMs = ReadInteger(value["at"], Member(field, "at"), notBeforeMs, std::numeric_limits<int64_t>::max());
  const std::pair<const char*, uint32_t*> axes[] = {
      {"x", &sample.state.x}, {"y", &sample.state.y}, {"z", &sample.state.z}};
  for (const auto& [key, axis] : axes) {
    if (value.contains(key)) *axis = static_cast<uint32_t>(ReadInteger(value[key], Member(field, key), 0, kMaxAxis));
  }
  if (value.contains("buttons")) {
    sample.state.buttons = static_cast<uint32_t>(ReadInteger(value["buttons"], Member(field, "buttons"), 0, kMaxThread));
  }
  return sample;
}

void ReadJoystick(const json& value, const std::string& field, DesktopDescription& description) {
  if (!value.is_object()) Fail(field, "must be an object with an \"id\"");
  RejectUnknownKeys(value, field, {"id", "states"});
  if (!value.contains("id")) Fail(field, "needs an \"id\"");
  const auto id = static_cast<size_t>(ReadInteger(value["id"], Member(field, "id"), 0, 1));
  auto& samples = description.joysticks[id];
  if (samples) Fail(Member(field, "id"), "is used by another joystick");
  samples.emplace();
  if (!value.contains("states")) return;
  const std::string listField = Member(field, "states");
  if (!value["states"].is_array()) Fail(listField, "must be a list");
  for (size_t i = 0; i < value["states"].size(); ++i) {
    const uint64_t notBefore = samples->empty() ? 0 : samples->back().atMs;
    samples->push_back(ReadSample(value["states"][i], Indexed(listField, i), notBefore));
  }
}

// A program ("command") or a document ("file").
ProgramEntry ReadEntry(const json& value, const std::string& field, const char* nameKey, bool isDocument) {
  if (!value.is_object()) Fail(field, std::string("must be an object with a \"") + nameKey + "\"");
  if (isDocument) {
    RejectUnknownKeys(value, field, {"file", "match", "runs_ms", "fails", "process"});
  } else {
    RejectUnknownKeys(value, field, {"command", "match", "runs_ms", "fails"});
  }
  if (!value.contains(nameKey)) Fail(field, std::string("needs a \"") + nameKey + "\"");
  ProgramEntry entry;
  entry.name = ReadText(value[nameKey], Member(field, nameKey));
  if (value.contains("match")) {
    const json& match = value["match"];
    if (match != "exact" && match != "prefix") Fail(Member(field, "match"), "must be \"exact\" or \"prefix\"");
    entry.prefix = match == "prefix";
  }
  if (value.contains("runs_ms")) {
    entry.runsMs = static_cast<uint32_t>(ReadInteger(value["runs_ms"], Member(field, "runs_ms"), 0, kMaxRunMs));
  }
  if (value.contains("fails")) entry.fails = ReadBool(value["fails"], Member(field, "fails"));
  if (value.contains("process")) entry.reportsProcess = ReadBool(value["process"], Member(field, "process"));
  return entry;
}

void ReadOs(const json& value, DesktopDescription& description) {
  if (!value.is_object()) Fail("os", "must be an object with \"platform\", \"major\" and \"minor\"");
  RejectUnknownKeys(value, "os", {"platform", "major", "minor"});
  if (value.contains("platform")) {
    description.os.platformId = static_cast<int>(ReadInteger(value["platform"], "os.platform", 1, 2));
  }
  if (value.contains("major")) description.os.major = static_cast<int>(ReadInteger(value["major"], "os.major", 0, 255));
  if (value.contains("minor")) description.os.minor = static_cast<int>(ReadInteger(value["minor"], "os.minor", 0, 255));
}

void ReadEntries(const json& root, const char* listKey, const char* nameKey, std::vector<ProgramEntry>& out) {
  if (!root.contains(listKey)) return;
  const json& list = RequireList(root, listKey);
  const bool isDocument = std::string_view(nameKey) == "file";
  for (size_t i = 0; i < list.size(); ++i) out.push_back(ReadEntry(list[i], Indexed(listKey, i), nameKey, isDocument));
}

}  // namespace

int ReadCoordinate(const json& value, const std::string& field) {
  return static_cast<int>(ReadSigned(value, field, -kMaxCoordinate, kMaxCoordinate));
}

platform::WindowRect ReadRect(const json& value, const std::string& field) {
  if (!value.is_array() || value.size() != 4) Fail(field, "must be a list [left, top, right, bottom]");
  const platform::WindowRect rect{ReadCoordinate(value[0], Indexed(field, 0)),
                                  ReadCoordinate(value[1], Indexed(field, 1)),
                                  ReadCoordinate(value[2], Indexed(field, 2)),
                                  ReadCoordinate(value[3], Indexed(field, 3))};
  if (rect.right < rect.left || rect.bottom < rect.top) {
    Fail(field, "must not have its right edge left of its left edge, nor its bottom above its top");
  }
  return rect;
}

void ReadWorld(const json& root, DesktopDescription& description) {
  ReadWindows(root, description);
  if (root.contains("pointer")) ReadPointer(root["pointer"], description);
  if (root.contains("clipboard") && !root["clipboard"].is_null()) {
    description.clipboard = ReadText(root["clipboard"], "clipboard");
  }
  if (root.contains("joysticks")) {
    const json& joysticks = RequireList(root, "joysticks");
    for (size_t i = 0; i < joysticks.size(); ++i) ReadJoystick(joysticks[i], Indexed("joysticks", i), description);
  }
  ReadEntries(root, "programs", "command", description.programs);
  ReadEntries(root, "documents", "file", description.documents);
  if (root.contains("os")) ReadOs(root["os"], description);
  if (root.contains("foreground_lock_ms")) {
    description.foregroundLockMs = static_cast<uint32_t>(
        ReadInteger(root["foreground_lock_ms"], "foreground_lock_ms", 0, kMaxThread));
  }
}

}  // namespace vendrix::sim::desktop_json
