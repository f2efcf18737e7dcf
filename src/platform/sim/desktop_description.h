// What a simulated desktop starts from: the user's answers and keys, the
// screen, the windows, the programs that may be started and what the user
// does to the program's own window, as a JSON description gives them (see
// docs/desktop-json.md).
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "platform/platform.h"

namespace vendrix::sim {

// The id of the program's own main window on the simulated desktop.
inline constexpr platform::WindowId kMainWindow = 1;
// The thread of the program, which owns the main window.
inline constexpr uint32_t kProgramThread = 1;
// The main window's title.
inline constexpr std::string_view kMainTitle = "Vendrix V0.74a";

// A desktop description that cannot be used; the message names the field.
class DesktopError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

enum class Button { kOk, kCancel, kYes, kNo };

// "OK", "CANCEL", "YES", "NO".
std::string_view ButtonName(Button button);

// The user's answer to one message box.
struct Answer {
  Button button = Button::kOk;
  uint32_t afterMs = 0;  // how long the box stays open first
};

// The user's answer to one input dialog.
struct InputAnswer {
  std::optional<std::string> text;  // Shift-JIS; none: Cancel
  uint32_t afterMs = 0;             // how long the dialog stays open first
};

// The user holding a key from `downMs` until `upMs` (absolute virtual ms).
struct KeyHold {
  int vk = 0;
  uint64_t downMs = 0;
  std::optional<uint64_t> upMs;  // none: held for ever
};

// The local time the simulated clock shows at `startMs`.
inline constexpr platform::LocalTime kDefaultClock{2000, 1, 1, 0, 0, 0, 0, 6};

// A window of the simulated desktop, as described and as it stands.
struct SimWindow {
  platform::WindowId id = 0;
  platform::WindowId parent = 0;  // 0: a top-level window
  std::string title;              // Shift-JIS
  platform::WindowRect rect;      // screen coordinates
  uint32_t thread = 0;            // a child has its top-level window's
  bool iconic = false;
  std::string text;  // Shift-JIS bytes it received (WM_CHAR and the like)
  // Of a top-level window: its thread's caret (client coordinates) and
  // focus window (itself, a descendant, or 0 for none).
  std::optional<platform::Point> caret;
  platform::WindowId focus = 0;
  std::optional<bool> ime;  // none: no input context
  bool refusesForeground = false;
};

// A program EXEC may start, or a document SHELL may open.
struct ProgramEntry {
  std::string name;     // the command line or the file, Shift-JIS
  bool prefix = false;  // also matches names that start with it
  uint32_t runsMs = 0;  // how long it runs once started
  bool fails = false;   // the system cannot start it
  bool reportsProcess = true;  // documents: the system hands back a process
};

// A joystick's position from `atMs` on (absolute virtual ms).
struct JoystickSample {
  uint64_t atMs = 0;
  platform::JoystickState state;
};

inline constexpr uint32_t kDefaultForegroundLockMs = 200000;

// A rectangle painted on the simulated screen.
struct ScreenPaint {
  platform::WindowRect rect;  // right and bottom exclusive
  images::Colour colour = 0;
};

// What the simulated screen shows: a fill colour, a picture at its top-left
// corner over it, and rectangles painted over both, later ones on top.
struct ScreenPicture {
  images::Colour fill = 0;
  std::shared_ptr<const images::Image> picture;  // none: only the fill
  std::vector<ScreenPaint> paints;
};

// Something the user does to the program's own window at a moment of
// virtual time: a menu pick by caption, a hotkey press, a joystick button,
// a right click on the notification-area icon.
struct ScriptedShellEvent {
  uint64_t atMs = 0;
  platform::ShellEventKind kind = platform::ShellEventKind::kMenuPick;
  std::string menuCaption;  // Shift-JIS
  int vk = 0;               // a hotkey's key
  uint32_t modifiers = 0;   // a hotkey's kModAlt | kModControl | kModShift
  int joystick = 1;         // 1 or 2
};

// A key combination RegisterHotKey refuses, as one another program holds.
struct TakenHotkey {
  int vk = 0;
  uint32_t modifiers = 0;
};

// Reads the file a description names (Shift-JIS name, as written); none
// when it cannot be read.
using DescriptionFileReader = std::function<std::optional<std::string>(std::string_view name)>;

// The largest file a description may name.
inline constexpr size_t kMaxDescriptionFileBytes = size_t{256} << 20;

// Reads through `files`, a relative name taken from the folder of the
// description file; `files` must outlive the reader.
DescriptionFileReader FilesBeside(platform::Files& files, std::string_view descriptionFile);

struct DesktopDescription {
  uint32_t startMs = 0;
  platform::LocalTime clock = kDefaultClock;
  std::vector<Answer> answers;
  std::vector<InputAnswer> inputs;
  std::vector<KeyHold> keys;
  int screenWidth = 1024;
  int screenHeight = 768;
  ScreenPicture screen;
  // Top-level windows and their children, each parent before its children;
  // the top-level ones front first.  The main window is not among them.
  std::vector<SimWindow> windows;
  platform::WindowId foreground = 0;
  platform::WindowId active = 0;  // of the program's own thread
  platform::Point pointer;
  std::optional<std::string> clipboard;  // Shift-JIS; none: no text
  std::vector<ProgramEntry> programs;
  std::vector<ProgramEntry> documents;
  // JOYSTICKID1 and JOYSTICKID2; none: not plugged in.  Samples by time.
  std::array<std::optional<std::vector<JoystickSample>>, 2> joysticks;
  platform::OsVersion os;
  uint32_t foregroundLockMs = kDefaultForegroundLockMs;
  // The shell's window: what the user does to it, in time order; the file
  // dialog's answers in order (none: Cancel); hotkeys other programs hold.
  std::vector<ScriptedShellEvent> shellEvents;
  std::vector<std::optional<std::string>> fileDialogAnswers;
  std::vector<TakenHotkey> takenHotkeys;
};

// "YYYY-MM-DDTHH:MM:SS.mmm", as the description and the trace write it.
std::string LocalTimeText(const platform::LocalTime& time);

// Parses the UTF-8 JSON text of a desktop description.  Throws DesktopError.
// Files it names ("screen"."image") are read with `readFile`; without one,
// naming a file is an error.
DesktopDescription ParseDesktopDescription(std::string_view json, const DescriptionFileReader& readFile = {});

}  // namespace vendrix::sim
