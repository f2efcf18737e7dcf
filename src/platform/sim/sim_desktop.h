// A simulated desktop for running macros on Linux and in tests.
//
// Time is virtual: it moves only when the program sleeps, a message box
// stays open, a timer tick is waited for, a beep sounds or a started
// program is waited for, so a macro that sleeps for an hour runs in
// microseconds.  The desktop holds a model of the windows, the pointer, the
// clipboard and other programs, and the program's calls change it as they
// would change a real desktop, so tests can check outcomes.  The user's side of the desktop (which button
// each message box gets, which keys are held when) comes from a JSON
// description; see docs/desktop-json.md.  Every call is traced as one JSON
// line; see docs/trace.md.
#pragma once

#include <array>
#include <deque>
#include <functional>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <ostream>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include <nlohmann/json.hpp>

#include "platform/platform.h"
#include "platform/sim/sim_dry_run.h"
#include "platform/sim/sim_trace.h"

namespace vendrix::sim {

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

// What the main window shows as the step display.
struct StepDisplayState {
  bool shown = false;
  platform::Rect rect;         // last ShowStepDisplay
  int fontSize = 0;            // last ShowStepDisplay
  int menuWidth = 0;           // last HideStepDisplay
  int menuHeight = 0;          // last HideStepDisplay
  std::deque<std::string> lines;   // the latest kKeptStepLines, Shift-JIS
  uint64_t linesAppended = 0;      // all lines ever appended
};

// The program's own window as the shell sets it up.
struct ShellWindowState {
  std::vector<std::string> menuItems;  // Shift-JIS captions
  bool menuWindowShown = false;
  bool minimised = false;
  int menuClosings = 0;                      // CloseMenu calls
  std::string iconFile;                      // SetProgramIcon's, Shift-JIS
  bool taskbarButtonHidden = false;
  bool trayIconShown = false;
  std::string trayTip;                       // the shown icon's, Shift-JIS
  std::map<int, TakenHotkey> hotkeys;        // registered, by id
  std::array<bool, 2> joystickCaptured{};    // JOYSTICKID1, JOYSTICKID2
};

// A program started on the simulated desktop.
struct SimProcess {
  platform::ProcessId id = 0;
  std::string name;  // command line or document, Shift-JIS
  uint64_t endMs = 0;
  bool handleOpen = true;
};

// A message posted to a window, waiting for the next ProcessMessages.
struct PostedMessage {
  platform::WindowId window = 0;
  uint32_t message = 0;
  uintptr_t wParam = 0;
  intptr_t lParam = 0;
};

class SimDesktop final : private platform::Dialogs,
                         private platform::Clock,
                         private platform::Input,
                         private platform::Messages,
                         private platform::ShellWindow,
                         private platform::Display,
                         private platform::Pointer,
                         private platform::Windows,
                         private platform::Clipboard,
                         private platform::Programs,
                         private platform::Sound,
                         private platform::Joysticks {
 public:
  // The step display keeps only this many lines, as a real text box would
  // not hold a million either.
  static constexpr size_t kKeptStepLines = 1000;
  // The id of the program's own main window on the simulated desktop.
  static constexpr platform::WindowId kMainWindow = 1;
  // The thread of the program, which owns the main window.
  static constexpr uint32_t kProgramThread = 1;
  // The main window's title.
  static constexpr std::string_view kMainTitle = "Vendrix V0.74a";
  // A window's received text stops growing here, as an edit control
  // refuses input at its limit.
  static constexpr size_t kMaxWindowText = 1 << 20;
  // Windows' limit of posted messages waiting in one queue.
  static constexpr size_t kMaxPostedMessages = 10000;
  // Programs started and not yet both ended and closed.
  static constexpr size_t kMaxProcesses = 10000;

  SimDesktop() : SimDesktop(DesktopDescription{}) {}
  explicit SimDesktop(DesktopDescription description);
  // Parses `json` as ParseDesktopDescription does.
  explicit SimDesktop(std::string_view json, const DescriptionFileReader& readFile = {})
      : SimDesktop(ParseDesktopDescription(json, readFile)) {}

  // The interfaces refer to this object; it must stay where it is.
  SimDesktop(const SimDesktop&) = delete;
  SimDesktop& operator=(const SimDesktop&) = delete;

  platform::Dialogs& dialogs() { return *this; }
  platform::Clock& clock() { return *this; }
  platform::Input& input() { return *this; }
  platform::Messages& messages() { return *this; }
  platform::ShellWindow& shellWindow() { return *this; }
  platform::Display& display() { return *this; }
  platform::Pointer& pointer() { return *this; }
  platform::Windows& windows() { return *this; }
  platform::Clipboard& clipboard() { return *this; }
  platform::Programs& programs() { return *this; }
  platform::Sound& sound() { return *this; }
  platform::Joysticks& joysticks() { return *this; }
  // Every interface of this desktop, with the given host side.
  platform::Platform PlatformWith(platform::Files& files, platform::Host& host) {
    return {dialogs(), clock(),    input(),    messages(), shellWindow(), display(), pointer(),
            windows(), clipboard(), programs(), sound(),   joysticks(),   files,     host};
  }

  // ---- dry runs: see sim_dry_run.h
  void SetDryRunRules(const DryRunRules& rules) { rules_ = rules; }
  // Each message box, input dialog and error report as one UTF-8 line,
  // with its answer and the macro line that caused it; null: none.
  void SetDialogLog(std::ostream* out) { dialogLog_ = out; }
  // Called as each statement of a loaded macro starts, after the bounds
  // above are checked: a harness that charges work per statement.
  void SetStatementHook(std::function<void()> hook) { statementHook_ = std::move(hook); }
  // Throws DryRunEnd when a bound is passed or the trace is in trouble;
  // once the run has ended this way, never again.
  void CheckBounds();
  // The message for a trace that could not be written whole, or empty.
  std::string TraceTroubleMessage() const;
  TraceProblem TraceTrouble() const { return trace_.Problem(); }

  // ---- trace
  void SetTraceStream(std::ostream* out) { trace_.SetStream(out); }
  void SetTraceBound(uint64_t bytes) { trace_.SetBound(bytes); }
  void KeepTrace(bool keep) { trace_.Keep(keep); }
  const std::vector<nlohmann::json>& Trace() const { return trace_.Kept(); }

  // ---- state, for tests
  uint64_t NowMs() const { return nowMs_; }
  bool InjectedKeyDown(int vk) const;
  std::vector<int> InjectedKeysDown() const;
  bool InputBlocked() const { return inputBlocked_; }
  const StepDisplayState& StepDisplay() const { return stepDisplay_; }
  const ShellWindowState& ShellWindowNow() const { return shell_; }
  bool TimerRunning(int timerId) const { return timers_.count(timerId) != 0; }
  size_t AnswersLeft() const { return answers_.size() - nextAnswer_; }
  size_t InputsLeft() const { return inputs_.size() - nextInput_; }
  platform::Point PointerAt() const { return pointer_; }
  platform::WindowId Foreground() const { return foreground_; }
  // Top-level windows, front first.
  const std::vector<platform::WindowId>& ZOrder() const { return zOrder_; }
  // Null when there is no such window.
  const SimWindow* Window(platform::WindowId id) const;
  // The text a window received; empty for no window.
  std::string WindowText(platform::WindowId id) const;
  const std::optional<std::string>& ClipboardText() const { return clipboard_; }
  const std::deque<PostedMessage>& PendingPosted() const { return posted_; }
  // Names of the started programs still running now.
  std::vector<std::string> RunningPrograms() const;
  size_t OpenProgramHandles() const;
  bool ThreadsShareInput(uint32_t a, uint32_t b) const;
  uint32_t ForegroundLockMs() const { return foregroundLockMs_; }

 private:
  struct Timer {
    uint32_t periodMs = 0;
    uint64_t dueMs = 0;
  };

  // platform::Dialogs
  int MessageBox(std::string_view text, std::string_view caption, uint32_t flags) override;
  std::optional<std::string> InputBox(std::string_view caption, std::string_view prompt,
                                      std::string_view initial) override;
  int ErrorBox(std::string_view text, std::string_view caption, uint32_t flags) override;
  // platform::Clock
  platform::LocalTime Now() override;
  void Sleep(uint32_t ms) override;
  uint32_t TickCount() override;
  uint64_t CoarseTicks() override;
  void SleepAwaitingUser(uint32_t ms) override;
  // platform::Input
  int16_t GetAsyncKeyState(int vk) override;
  int16_t GetKeyState(int vk) override;
  int16_t PollKey(int vk) override;
  void BlockInput(bool block) override;
  void SendKeyboardInput(uint16_t vk, uint16_t scan, uint32_t flags, uint32_t extra) override;
  void SendMouseInput(int32_t dx, int32_t dy, int32_t data, uint32_t flags, uint32_t extra) override;
  void KeybdEvent(uint8_t vk, uint8_t scan, uint32_t flags, uint32_t extra) override;
  void MouseEvent(uint32_t flags, int32_t dx, int32_t dy, int32_t data, uint32_t extra) override;
  uint32_t MapVirtualKey(uint32_t code, uint32_t mapType) override;
  int16_t VkKeyScan(char character) override;
  // platform::Messages
  void SetTimerSink(platform::TimerSink* sink) override { timerSink_ = sink; }
  void SetTimer(int timerId, uint32_t periodMs) override;
  void KillTimer(int timerId) override;
  void ProcessMessages() override;
  // platform::ShellWindow
  void StatementStarting(const platform::StatementPlace& place) override;
  void ShowStepDisplay(const platform::Rect& where, int fontSize) override;
  void HideStepDisplay(int width, int height) override;
  void AppendStepLine(std::string_view line) override;
  platform::WindowId MainWindow() override { return kMainWindow; }
  void SetTrayTip(std::string_view tip) override;
  void SetMenuItems(const std::vector<std::string>& captions) override;
  void ShowMenuWindow(const platform::Rect& where) override;
  void MinimiseMainWindow() override;
  bool MainWindowMinimised() override;
  void CloseMenu() override;
  bool SetProgramIcon(std::string_view iconFile) override;
  void HideTaskbarButton() override;
  bool AddTrayIcon(std::string_view tip) override;
  void DeleteTrayIcon() override;
  bool RegisterHotKey(int id, uint32_t modifiers, int vk) override;
  void UnregisterHotKey(int id) override;
  bool CaptureJoystick(int joystickId) override;
  void ReleaseJoystick(int joystickId) override;
  std::optional<std::string> ChooseFile(std::string_view filter) override;
  std::optional<platform::ShellEvent> TakeShellEvent() override;
  void WaitForShellEvent(uint32_t timeoutMs) override;
  // Queues the scripted events that are due; the end of the script once
  // nothing more is scripted.
  void DeliverDueShellEvents();
  void QueueShellEvent(platform::ShellEvent event);
  // platform::Display
  int ScreenWidth() override;
  int ScreenHeight() override;
  std::optional<images::Image> CaptureScreen(const platform::Rect& area) override;
  images::Colour ScreenPixel(platform::Point at) override;
  // The colour shown at a point of the screen, untraced.
  images::Colour ShownColour(int x, int y) const;
  // platform::Pointer
  void SetCursorPos(platform::Point where) override;
  platform::Point GetCursorPos() override;
  // platform::Windows
  platform::WindowId FindWindowByTitle(std::string_view title) override;
  platform::WindowId GetForegroundWindow() override;
  bool SetForegroundWindow(platform::WindowId window) override;
  bool BringWindowToTop(platform::WindowId window) override;
  bool IsIconic(platform::WindowId window) override;
  bool ShowWindow(platform::WindowId window, int command) override;
  std::optional<platform::WindowRect> GetWindowRect(platform::WindowId window) override;
  int WindowTitleLength(platform::WindowId window) override;
  std::string WindowTitle(platform::WindowId window, int bufferSize) override;
  platform::WindowId WindowFromPoint(platform::Point where) override;
  platform::WindowId GetFocus() override;
  std::optional<platform::Point> GetCaretPos() override;
  platform::WindowId GetActiveWindow() override;
  uint32_t GetCurrentThreadId() override;
  uint32_t WindowThreadId(platform::WindowId window) override;
  bool AttachThreadInput(uint32_t thread, uint32_t toThread, bool attach) override;
  uint32_t ForegroundLockTimeout() override;
  void SetForegroundLockTimeout(uint32_t ms) override;
  platform::OsVersion GetOsVersion() override;
  intptr_t SendWindowMessage(platform::WindowId window, uint32_t message, uintptr_t wParam,
                             intptr_t lParam) override;
  bool PostWindowMessage(platform::WindowId window, uint32_t message, uintptr_t wParam,
                         intptr_t lParam) override;
  std::optional<bool> ImeOpenStatus(platform::WindowId window) override;
  void SetImeOpenStatus(platform::WindowId window, bool open) override;
  void DebugOutput(std::string_view text) override;
  // platform::Clipboard
  void Clear() override;
  void SetText(std::string_view text) override;
  std::string GetText() override;
  // platform::Programs
  platform::ProcessId StartProgram(std::string_view commandLine) override;
  bool OpenDocument(std::string_view file, platform::WindowId owner, platform::ProcessId* process) override;
  bool ProgramRunning(platform::ProcessId process) override;
  void WaitForProgram(platform::ProcessId process) override;
  void CloseProgram(platform::ProcessId process) override;
  // platform::Sound
  void Beep(uint32_t frequency, uint32_t ms) override;
  // platform::Joysticks
  std::optional<platform::JoystickState> Read(int joystick) override;

  void Record(std::string_view call, nlohmann::ordered_json fields) {
    if (!heldTickLines_.empty()) WriteHeldTickLines();
    trace_.Write(nowMs_, call, std::move(fields), TracePlace{place_.line, place_.included ? place_.file : ""});
  }
  bool Tracing() const { return trace_.Enabled(); }

  // The lines of a timer tick outside statements: unless polls are traced,
  // written only when the tick's handler makes a call of its own, so an idle
  // program's routine ticks leave no lines.
  void RecordTick(std::string_view call, nlohmann::ordered_json fields);
  void WriteHeldTickLines();
  void DropHeldTickLines() { heldTickLines_.clear(); }

  // ---- dry runs
  [[noreturn]] void EndDryRun(int exitCode, std::string_view reason);
  // "FILE:LINE: " of the running statement, or "vendrix: " between statements.
  std::string WhereText() const;
  void LogDialog(std::string_view what);
  // Whether a dialog's line is wanted: building it costs as much as the box.
  bool LoggingDialogs() const { return dialogLog_ != nullptr; }
  // A question shown with the answers used up; ends the run when the same
  // one keeps coming back with no statement run in between.
  void NoteUnansweredQuestion(std::string question);
  // The "char" of a WM_CHAR or WM_IME_CHAR line: the character as text.
  void AddCharText(nlohmann::ordered_json& fields, uint32_t message, uintptr_t wParam);

  Answer NextAnswer();
  InputAnswer NextInput();
  bool HeldByUser(int vk) const;
  int16_t KeyState(int vk) const;
  void ApplyInjectedKey(int vk, uint32_t keyFlags);
  void ApplyInjectedMouse(uint32_t mouseFlags);
  // Runs the timers as a modal loop does until the clock reaches `endMs`.
  void RunModalLoopUntil(uint64_t endMs);
  // The running timer due first, by due time then id.
  std::optional<int> EarliestTimer() const;
  void DeliverTick(int timerId);
  void DeliverPostedMessages();

  SimWindow* FindWindowState(platform::WindowId id);
  SimWindow* TopLevelOf(platform::WindowId id);
  void Raise(platform::WindowId topLevel);
  bool ForegroundAllowed(const SimWindow& target) const;
  bool ProgramSharesForegroundInput() const;
  const SimWindow* ForegroundState() const;
  platform::WindowId DeepestChildAt(platform::WindowId parent, platform::Point where) const;
  // What a window does with a message; the result SendMessageA gives.
  intptr_t HandleMessage(SimWindow& window, uint32_t message, uintptr_t wParam);
  void AppendText(SimWindow& window, std::string_view bytes);
  void MoveMainWindow(int64_t left, int64_t top, int64_t width, int64_t height);
  void MovePointer(int32_t dx, int32_t dy, uint32_t mouseFlags);
  bool ThreadExists(uint32_t thread) const;
  SimProcess* FindProcess(platform::ProcessId id);
  platform::ProcessId Launch(std::string_view name, uint32_t runsMs);

  uint64_t nowMs_ = 0;
  std::vector<Answer> answers_;
  size_t nextAnswer_ = 0;
  std::vector<InputAnswer> inputs_;
  size_t nextInput_ = 0;
  uint64_t startMs_ = 0;
  platform::LocalTime clockAtStart_;
  std::vector<KeyHold> keyHolds_;
  std::array<bool, 256> injectedDown_{};
  bool inputBlocked_ = false;
  platform::TimerSink* timerSink_ = nullptr;
  std::map<int, Timer> timers_;
  StepDisplayState stepDisplay_;
  int screenWidth_;
  int screenHeight_;
  ScreenPicture screen_;
  std::vector<SimWindow> windows_;  // the main window first; parents before children
  std::vector<platform::WindowId> zOrder_;
  platform::WindowId foreground_;
  platform::WindowId active_;
  std::vector<std::pair<uint32_t, uint32_t>> attachments_;
  uint32_t foregroundLockMs_;
  platform::OsVersion os_;
  std::deque<PostedMessage> posted_;
  platform::Point pointer_;
  std::optional<std::string> clipboard_;
  std::vector<ProgramEntry> programEntries_;
  std::vector<ProgramEntry> documentEntries_;
  std::vector<SimProcess> processes_;
  platform::ProcessId nextProcess_ = 0x100;
  std::array<std::optional<std::vector<JoystickSample>>, 2> joystickSamples_;
  ShellWindowState shell_;
  std::vector<ScriptedShellEvent> shellScript_;
  size_t nextShellEvent_ = 0;
  std::vector<std::optional<std::string>> fileDialogAnswers_;
  size_t nextFileDialogAnswer_ = 0;
  std::vector<TakenHotkey> takenHotkeys_;
  std::deque<platform::ShellEvent> shellQueue_;
  // The last moment anything is scripted for; after it the session ends.
  uint64_t lastScriptedMs_ = 0;
  bool scriptEnded_ = false;
  // The last moment a key the user holds goes down or up.
  uint64_t lastKeyChangeMs_ = 0;
  struct Place {
    std::string file;  // Shift-JIS
    int line = 0;      // 0: no statement runs
    bool included = false;
  } place_;
  DryRunRules rules_;
  std::ostream* dialogLog_ = nullptr;
  uint64_t statementsStarted_ = 0;
  std::function<void()> statementHook_;
  int awaitingSleeps_ = 0;  // in the running statement
  std::string lastQuestion_;
  int questionRepeats_ = 0;
  bool errorBoxNext_ = false;
  bool dryRunEnded_ = false;
  char pendingLeadByte_ = 0;
  struct HeldLine {
    uint64_t t = 0;
    std::string_view call;  // one of RecordTick's literals
    nlohmann::ordered_json fields;
  };
  std::vector<HeldLine> heldTickLines_;  // of a double-byte character sent as two WM_CHARs
  TraceWriter trace_;
};

}  // namespace vendrix::sim
