// The one door between Vendrix and the operating system.
//
// Everything the program asks of the system goes through the narrow
// interfaces below, gathered in one `Platform` record.  Each consumer takes
// only the interface it needs.  Two families of backends exist:
//   - the desktop (dialogs, clock, input, message pump, shell window, display):
//     `sim/` (a simulated desktop with virtual time and a trace) and
//     `win32/` (the real Windows calls);
//   - the host (files, the program's own path, the single-instance lock):
//     `posix/` on Linux and `win32/` on Windows.
//
// All texts crossing these interfaces are Shift-JIS (code page 932) bytes.
// Backends convert at their own edge; nothing here is a Windows type.
// Numeric constants keep the values the Windows API gives them, because the
// macro language and the trace expose them.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "images/image.h"
#include "values/local_time.h"

namespace vendrix::platform {

// ---- message boxes -------------------------------------------------------

inline constexpr uint32_t kMbOk = 0x0;
inline constexpr uint32_t kMbOkCancel = 0x1;
inline constexpr uint32_t kMbYesNoCancel = 0x3;
inline constexpr uint32_t kMbYesNo = 0x4;
inline constexpr uint32_t kMbSetForeground = 0x10000;

inline constexpr int kIdOk = 1;
inline constexpr int kIdCancel = 2;
inline constexpr int kIdYes = 6;
inline constexpr int kIdNo = 7;

class Dialogs {
 public:
  virtual ~Dialogs() = default;
  // A modal message box with no owner window; returns the button pressed.
  // While it is open the program's timers keep ticking.
  virtual int MessageBox(std::string_view text, std::string_view caption, uint32_t flags) = 0;
  // A modal input dialog: a caption, a prompt and an edit field holding
  // `initial`.  The edited text on OK; nothing on Cancel or close.
  virtual std::optional<std::string> InputBox(std::string_view caption, std::string_view prompt,
                                              std::string_view initial) = 0;
  // The box of an error report ("Err：" and the message): shown as any other
  // box; a desktop that runs macros unattended may handle it apart.
  virtual int ErrorBox(std::string_view text, std::string_view caption, uint32_t flags) {
    return MessageBox(text, caption, flags);
  }
};

// ---- time ----------------------------------------------------------------

// The local date and time (GetLocalTime).
using LocalTime = vendrix::LocalTime;

class Clock {
 public:
  virtual ~Clock() = default;
  virtual LocalTime Now() = 0;
  // Blocks the program; no window message is handled meanwhile.
  virtual void Sleep(uint32_t ms) = 0;
  // Milliseconds since some fixed point (timeGetTime).
  virtual uint32_t TickCount() = 0;
  // Microseconds from a steady clock cheap enough to read every few hundred
  // statements (QueryPerformanceCounter: on Windows read in user mode, under
  // Wine a call of well under a microsecond); never wraps.  Nothing traces it.
  virtual uint64_t SteadyMicroseconds() = 0;
  // Whether computation takes no time on this clock: the simulated
  // desktop's virtual time moves only when the program sleeps or waits.
  virtual bool StandsStillWhileComputing() const { return false; }
  // Sleep within a wait that only the user's keys can end (PAUSE, readkey
  // without a time limit).  A desktop whose user is scripted may end the
  // program when the script can no longer end the wait.
  virtual void SleepAwaitingUser(uint32_t ms) { Sleep(ms); }
};

// ---- keyboard and mouse --------------------------------------------------

inline constexpr uint32_t kKeyEventExtendedKey = 0x0001;
inline constexpr uint32_t kKeyEventKeyUp = 0x0002;

inline constexpr uint32_t kMouseEventLeftDown = 0x0002;
inline constexpr uint32_t kMouseEventLeftUp = 0x0004;
inline constexpr uint32_t kMouseEventRightDown = 0x0008;
inline constexpr uint32_t kMouseEventRightUp = 0x0010;
inline constexpr uint32_t kMouseEventWheel = 0x0800;

class Input {
 public:
  virtual ~Input() = default;
  // Top bit (0x8000) set while the key is down right now.
  virtual int16_t GetAsyncKeyState(int vk) = 0;
  virtual int16_t GetKeyState(int vk) = 0;
  // GetAsyncKeyState for the program's own routine checks (the break key
  // between statements, the keys a wait watches); a desktop that records
  // the program's actions may leave them out.
  virtual int16_t PollKey(int vk) { return GetAsyncKeyState(vk); }
  // Holds back the user's keyboard and mouse; injected events still arrive.
  virtual void BlockInput(bool block) = 0;
  // SendInput with one keyboard record.
  virtual void SendKeyboardInput(uint16_t vk, uint16_t scan, uint32_t flags, uint32_t extra) = 0;
  // SendInput with one mouse record.
  virtual void SendMouseInput(int32_t dx, int32_t dy, int32_t data, uint32_t flags, uint32_t extra) = 0;
  // The older injection calls.
  virtual void KeybdEvent(uint8_t vk, uint8_t scan, uint32_t flags, uint32_t extra) = 0;
  virtual void MouseEvent(uint32_t flags, int32_t dx, int32_t dy, int32_t data, uint32_t extra) = 0;
  // MapVirtualKeyA; map type 0 turns a virtual-key code into a scan code.
  virtual uint32_t MapVirtualKey(uint32_t code, uint32_t mapType) = 0;
  // VkKeyScanA: low byte the virtual key that types the character, high byte
  // the shift state; -1 (all bits) when no key types it.
  virtual int16_t VkKeyScan(char character) = 0;
};

// ---- the message pump and the program's timers --------------------------

class TimerSink {
 public:
  virtual ~TimerSink() = default;
  virtual void OnTimer(int timerId) = 0;
};

class Messages {
 public:
  virtual ~Messages() = default;
  // Where timer ticks go; set once by the program before any timer starts.
  virtual void SetTimerSink(TimerSink* sink) = 0;
  // Starts (or restarts) a periodic timer of the main window.
  virtual void SetTimer(int timerId, uint32_t periodMs) = 0;
  virtual void KillTimer(int timerId) = 0;
  // Delivers every pending window message, timer ticks included.
  virtual void ProcessMessages() = 0;
};

// ---- the pointer ---------------------------------------------------------

struct Point {
  int x = 0;
  int y = 0;
};

class Pointer {
 public:
  virtual ~Pointer() = default;
  // SetCursorPos / GetCursorPos, in screen pixels.
  virtual void SetCursorPos(Point where) = 0;
  virtual Point GetCursorPos() = 0;
};

// ---- windows, focus, caret and the input method --------------------------

// A window; 0 is none.  On Windows the value of its handle.
using WindowId = uintptr_t;

struct WindowRect {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
};

// What the system reports of its version (GetVersionEx).
struct OsVersion {
  int platformId = 2;  // 1: the 9x family, 2: the NT family
  int major = 10;
  int minor = 0;
};

inline constexpr uint32_t kWmChar = 0x0102;
inline constexpr uint32_t kWmImeChar = 0x0286;
inline constexpr uint32_t kWmPaste = 0x0302;
inline constexpr int kSwRestore = 9;

// The names differ from the Windows calls they stand for only where
// windows.h would turn a name into a macro; the trace uses the Windows names.
class Windows {
 public:
  virtual ~Windows() = default;
  virtual WindowId FindWindowByTitle(std::string_view title) = 0;  // FindWindowA(no class, title)
  virtual WindowId GetForegroundWindow() = 0;
  virtual bool SetForegroundWindow(WindowId window) = 0;
  virtual bool BringWindowToTop(WindowId window) = 0;
  virtual bool IsIconic(WindowId window) = 0;
  virtual bool ShowWindow(WindowId window, int command) = 0;
  virtual std::optional<WindowRect> GetWindowRect(WindowId window) = 0;
  virtual int WindowTitleLength(WindowId window) = 0;  // GetWindowTextLengthA
  // GetWindowTextA into a buffer of `bufferSize` bytes (the title cut to
  // bufferSize - 1 bytes).
  virtual std::string WindowTitle(WindowId window, int bufferSize) = 0;
  virtual WindowId WindowFromPoint(Point where) = 0;
  virtual WindowId GetFocus() = 0;
  virtual std::optional<Point> GetCaretPos() = 0;
  virtual WindowId GetActiveWindow() = 0;
  virtual uint32_t GetCurrentThreadId() = 0;
  virtual uint32_t WindowThreadId(WindowId window) = 0;  // GetWindowThreadProcessId
  virtual bool AttachThreadInput(uint32_t thread, uint32_t toThread, bool attach) = 0;
  // SystemParametersInfoA with SPI_GET/SETFOREGROUNDLOCKTIMEOUT.
  virtual uint32_t ForegroundLockTimeout() = 0;
  virtual void SetForegroundLockTimeout(uint32_t ms) = 0;
  virtual OsVersion GetOsVersion() = 0;
  virtual intptr_t SendWindowMessage(WindowId window, uint32_t message, uintptr_t wParam, intptr_t lParam) = 0;
  virtual bool PostWindowMessage(WindowId window, uint32_t message, uintptr_t wParam, intptr_t lParam) = 0;
  // ImmGetContext + ImmGetOpenStatus: nothing when the window has no
  // input context.
  virtual std::optional<bool> ImeOpenStatus(WindowId window) = 0;
  virtual void SetImeOpenStatus(WindowId window, bool open) = 0;
  virtual void DebugOutput(std::string_view text) = 0;  // OutputDebugStringA
};

// ---- the clipboard -------------------------------------------------------

class Clipboard {
 public:
  virtual ~Clipboard() = default;
  // Empties the clipboard.
  virtual void Clear() = 0;
  // Empties it and puts the text on it (Shift-JIS; Windows also gets the
  // Unicode form, so other programs read it right in any locale).
  virtual void SetText(std::string_view text) = 0;
  // The clipboard's text; empty when it holds none.
  virtual std::string GetText() = 0;
};

// ---- other programs ------------------------------------------------------

// A started program; 0 is none.  On Windows its process handle.
using ProcessId = uintptr_t;

class Programs {
 public:
  virtual ~Programs() = default;
  // CreateProcessA with the command line; 0 when it cannot start.
  virtual ProcessId StartProgram(std::string_view commandLine) = 0;
  // ShellExecuteExA "open"; false when it fails.  *process is the program
  // that opened it, or 0 when the system reports none.
  virtual bool OpenDocument(std::string_view file, WindowId owner, ProcessId* process) = 0;
  // WaitForSingleObject(process, 0) gave WAIT_TIMEOUT.
  virtual bool ProgramRunning(ProcessId process) = 0;
  // WaitForSingleObject(process, INFINITE).
  virtual void WaitForProgram(ProcessId process) = 0;
  virtual void CloseProgram(ProcessId process) = 0;
};

// ---- sound ---------------------------------------------------------------

class Sound {
 public:
  virtual ~Sound() = default;
  // Returns when the tone has ended.
  virtual void Beep(uint32_t frequency, uint32_t ms) = 0;
};

// ---- joysticks -----------------------------------------------------------

struct JoystickState {
  uint32_t x = 32767;
  uint32_t y = 32767;
  uint32_t z = 32767;
  uint32_t buttons = 0;  // bit 0 = button 1
};

class Joysticks {
 public:
  virtual ~Joysticks() = default;
  // joyGetPosEx for joystick 0 (JOYSTICKID1) or 1; nothing when it cannot
  // be read.
  virtual std::optional<JoystickState> Read(int joystick) = 0;
};

// ---- the main window as the step display --------------------------------

struct Rect {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
};

// What the user did to the program's own window, queued by the platform
// while it delivers window messages and taken by the shell.
enum class ShellEventKind {
  kMenuPick,        // value: the item's index in the last SetMenuItems list
  kHotkey,          // value: the id the hotkey was registered under
  kJoystickButton,  // value: 1 or 2, the joystick whose button went down
  kTrayRightClick,  // the notification-area icon was right-clicked
  kPaint,           // the main window is to be painted (shown, restored)
  kQuit,            // the session ends: nothing more will come
};

struct ShellEvent {
  ShellEventKind kind = ShellEventKind::kPaint;
  int value = 0;
};

// Modifier bits of a global hotkey.
inline constexpr uint32_t kModAlt = 1;
inline constexpr uint32_t kModControl = 2;
inline constexpr uint32_t kModShift = 4;

// Where a statement was written; `line` 0: no statement.
// `included`: the file is not the macro (or hotkey file) itself.
struct StatementPlace {
  std::string_view file;
  int line = 0;
  bool included = false;
};

// The places of the loaded macro's statements, by their index.
class StatementPlaces {
 public:
  // `line` 0 for an index outside the list.
  virtual StatementPlace PlaceOfStatement(int statement) const = 0;

 protected:
  ~StatementPlaces() = default;
};

// The run loop's record of the statement it runs, kept by the shell window
// and written by the loop before every statement.  The desktop reads the
// place when it writes about something that happens instead of being told
// it before every statement: most statements only compute.  When it must act
// at a statement's start (a bound to test, a test's hook) it sets `callAt`.
struct RunningStatement {
  const StatementPlaces* places = nullptr;  // the engine's, while it lives
  int statement = -1;                       // index in `places`; -1: none runs
  uint64_t started = 0;                     // statements the loop has started
  // The loop calls ShellWindow::StatementStarting when `started` reaches this.
  uint64_t callAt = UINT64_MAX;

  StatementPlace Place() const {
    return places != nullptr && statement >= 0 ? places->PlaceOfStatement(statement) : StatementPlace{};
  }
  // StatementStarting before the next statement.
  void CallAtNext() { callAt = started + 1; }
};

class ShellWindow {
 public:
  virtual ~ShellWindow() = default;

  // What the run loop keeps up to date about the statement it runs.
  virtual RunningStatement& Running() = 0;
  // The statement `Running()` names has started, and `callAt` asked to be
  // told.  Windows' window never asks; the simulated desktop tests a dry
  // run's bounds here.
  virtual void StatementStarting() {}

  // ---- the menu window, its icon and its hotkeys
  // The items of the menu bar's one drop-down menu, in order; replaces the
  // items of an earlier call.
  virtual void SetMenuItems(const std::vector<std::string>& captions) = 0;
  // Shows the main window as the small borderless, not topmost menu window
  // at `where` and brings it to the front.
  virtual void ShowMenuWindow(const Rect& where) = 0;
  // Minimises the main window and keeps it out of the taskbar (resident
  // mode); hotkeys and the icon stay.
  virtual void MinimiseMainWindow() = 0;
  virtual bool MainWindowMinimised() = 0;
  // Closes the drop-down menu if it is open (the break key in menu mode).
  virtual void CloseMenu() = 0;
  // The program's icon (window, taskbar and notification area) from an
  // icon file; false when the file is no icon.
  virtual bool SetProgramIcon(std::string_view iconFile) = 0;
  // Keeps the main window's button out of the taskbar in every look.
  virtual void HideTaskbarButton() = 0;
  // The notification-area icon (id 1 of the main window) with its tooltip.
  virtual bool AddTrayIcon(std::string_view tip) = 0;
  virtual void DeleteTrayIcon() = 0;
  // A system-wide hotkey of the main window; false when the system refuses
  // it (another program holds it).
  virtual bool RegisterHotKey(int id, uint32_t modifiers, int vk) = 0;
  virtual void UnregisterHotKey(int id) = 0;
  // Joystick button messages to the main window (JOYSTICKID1 is 0): 100 ms
  // period, changes only; false when the joystick is absent.
  virtual bool CaptureJoystick(int joystickId) = 0;
  virtual void ReleaseJoystick(int joystickId) = 0;
  // The file-open dialog with a filter "Name|*.A;*.B"; none when cancelled.
  virtual std::optional<std::string> ChooseFile(std::string_view filter) = 0;
  // The next queued event, without waiting.
  virtual std::optional<ShellEvent> TakeShellEvent() = 0;
  // Delivers window messages (timers included) until an event is queued or
  // `timeoutMs` have passed.
  virtual void WaitForShellEvent(uint32_t timeoutMs) = 0;

  // ---- the step display
  // Shows the main window as a sizeable, topmost step display.
  virtual void ShowStepDisplay(const Rect& where, int fontSize) = 0;
  // Back to the small borderless, not topmost menu window.
  virtual void HideStepDisplay(int width, int height) = 0;
  // Appends one line to the step display's text area.
  virtual void AppendStepLine(std::string_view line) = 0;
  // The program's own main window.
  virtual WindowId MainWindow() = 0;
  // The tooltip of the notification-area icon (Shell_NotifyIconA
  // NIM_MODIFY, cut to 63 bytes); nothing happens while no icon is shown.
  virtual void SetTrayTip(std::string_view tip) = 0;
};

class Display {
 public:
  virtual ~Display() = default;
  virtual int ScreenWidth() = 0;
  virtual int ScreenHeight() = 0;
  // The pixels of a screen area of the primary screen (in physical pixels)
  // in one piece; parts off the screen come out as the system gives them.
  // None when the system cannot (too little memory, no screen).
  virtual std::optional<images::Image> CaptureScreen(const Rect& area) = 0;
  // One screen pixel's colour; kInvalidColour off the screen.
  virtual images::Colour ScreenPixel(Point at) = 0;
};

// ---- host: files, the program itself, the single-instance lock ----------

enum class ReadStatus { kOk, kNotFound, kUnreadable, kTooLarge };

struct ReadResult {
  ReadStatus status = ReadStatus::kOk;
  std::string bytes;
  std::string reason;  // on failure: the system's words (Shift-JIS), when known
};

// How a file stream opens its file.
enum class StreamMode {
  kRead,    // an existing file, from its start
  kWrite,   // created, or emptied when it exists
  kAppend,  // created, or written at its end when it exists
};

// One open file, as unbuffered bytes: the caller buffers.  A failing call
// returns false and puts the system's reason (Shift-JIS) in *reason, so
// a read from a stream opened for writing fails the way the system says.
class FileStream {
 public:
  virtual ~FileStream() = default;  // closes, ignoring errors
  // Up to `size` bytes; *got is 0 at the end of the file.
  virtual bool Read(char* buffer, size_t size, size_t* got, std::string* reason) = 0;
  // All of `bytes`, or false.
  virtual bool Write(std::string_view bytes, std::string* reason) = 0;
  // What was written is on the disk when this returns (fsync).
  virtual bool Sync(std::string* reason) = 0;
  // Closes; the last chance for a delayed write error.  Once only.
  virtual bool Close(std::string* reason) = 0;
};

enum class EntryKind { kMissing, kFile, kFolder };

class Files {
 public:
  virtual ~Files() = default;
  // True when a file of that name exists.  A folder is no file: wherever
  // the program needs a file, a folder of its name counts as missing.
  virtual bool FileExists(std::string_view name) = 0;
  // The whole file; refuses files larger than maxBytes.
  virtual ReadResult ReadFile(std::string_view name, size_t maxBytes) = 0;
  // Replaces the file's contents; false when it cannot be written.
  virtual bool WriteFile(std::string_view name, std::string_view bytes) = 0;
  // The folder separator of this host ('\\' on Windows, '/' elsewhere).
  virtual char PathSeparator() = 0;
  // True where file names are case-sensitive.
  virtual bool CaseSensitiveNames() { return false; }
  // The path of the program's own file `name` in `folder` (which ends in a
  // separator).  Where names are case-sensitive, a file whose name differs
  // only in letter case is found too.
  virtual std::string ProgramFile(std::string_view folder, std::string_view name) {
    return std::string(folder) + std::string(name);
  }

  // As WriteFile (all or nothing: a temporary file renamed over the
  // target), with the system's reason in *reason on failure.
  virtual bool SaveFile(std::string_view name, std::string_view bytes, std::string* reason) = 0;
  // Null on failure, with the system's reason in *reason.
  virtual std::unique_ptr<FileStream> OpenStream(std::string_view name, StreamMode mode,
                                                 std::string* reason) = 0;
  // Whether the name is a file, a folder or nothing.  Where the system
  // looks names up by pattern (Windows), a wildcard finds its first match.
  virtual EntryKind KindOf(std::string_view name) = 0;
  // A file's size in bytes (of the first match of a wildcard, as KindOf).
  virtual std::optional<uint64_t> FileSize(std::string_view name) = 0;
  // The file operations of the macro functions; each true on success.
  // (Not named after the Windows calls: windows.h turns those into macros.)
  // Copy replaces an existing target only when `overwrite` is set; Move
  // never replaces one and moves folders too.
  virtual bool Copy(std::string_view from, std::string_view to, bool overwrite) = 0;
  virtual bool Delete(std::string_view name) = 0;
  virtual bool Move(std::string_view from, std::string_view to) = 0;
  // One level: the parent folder must exist.
  virtual bool CreateFolder(std::string_view name) = 0;
  // Only an empty folder.
  virtual bool RemoveFolder(std::string_view name) = 0;
  // Where an INI file named without a folder lives, ending in a separator:
  // the Windows folder on Windows, the program's folder elsewhere.
  virtual std::string DefaultIniFolder(std::string_view programFolder) = 0;
};

// What a start learns from the single-instance lock.
enum class InstanceStatus {
  kFree,           // no resident instance (after a claim: this process is it)
  kResident,       // another instance is resident
  kSymbolicLink,   // the lock's name is a symbolic link
  kFolder,         // the lock's name is a folder
  kNotAFile,       // the lock's name is a FIFO, a device or a socket
  kOtherOwner,     // the lock belongs to another user
  kSystemFailure,  // the system refused; `reason` says why
};

struct InstanceCheck {
  InstanceStatus status = InstanceStatus::kFree;
  std::string lockName;  // Shift-JIS, for a message
  std::string reason;    // kSystemFailure: the system's words (Shift-JIS)
};

class Host {
 public:
  virtual ~Host() = default;
  // Full path of the running program file.
  virtual std::string ProgramPath() = 0;
  // Whether a resident instance holds the single-instance lock; takes
  // nothing, so it never stands in the way of a resident start.
  virtual InstanceCheck CheckResidentInstance() = 0;
  // Checks and takes the lock in one step, for the life of the process: of
  // many simultaneous claims exactly one gets kFree.  A lock that cannot be
  // trusted is never taken and never ignored.
  virtual InstanceCheck ClaimResidentInstance() = 0;
  // The whole value of an environment variable; nothing when it is unset.
  virtual std::optional<std::string> EnvironmentVariable(std::string_view name) = 0;
  // The process's current folder, without a final separator except at a
  // root.
  virtual std::string CurrentFolder() = 0;
};

// ---- everything together -------------------------------------------------

struct Platform {
  Dialogs& dialogs;
  Clock& clock;
  Input& input;
  Messages& messages;
  ShellWindow& shellWindow;
  Display& display;
  Pointer& pointer;
  Windows& windows;
  Clipboard& clipboard;
  Programs& programs;
  Sound& sound;
  Joysticks& joysticks;
  Files& files;
  Host& host;
};

}  // namespace vendrix::platform
