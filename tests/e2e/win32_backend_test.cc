// Checks of the Windows backend against the real (or Wine's) user32 and
// kernel32: CP932 conversion, files, host, timers, the step display, message
// boxes, injected input, the pointer, other windows, the clipboard, other
// programs, the speaker, the joysticks, and the shell window with its menu,
// icons and file dialog.  Run under Wine by run_e2e.py:
//
//   vendrix_win32_tests [--screen WIDTHxHEIGHT]
//
// The program checks also start copies of itself as other programs:
//   vendrix_win32_tests --child-clipboard   exit code 0 when the clipboard's
//                                           CF_UNICODETEXT is the test text
//   vendrix_win32_tests --child-sleep MS    sleeps, then exits with code 7
//
// Prints one line per failed check and ends with "N passed, N failed".
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/win32/win32_api.h"
#include "platform/win32/win32_desktop.h"
#include "platform/win32/win32_host.h"
#include "platform/win32/win32_text.h"
#include "recorder/win32/input_hooks.h"

namespace {

using namespace vendrix;
using win32::SjisFromWide;
using win32::WideFromSjis;

struct Tally {
  int passed = 0;
  int failed = 0;
};

// One check; `what` names it in the failure line.
void Check(Tally& tally, bool ok, const char* file, int line, const std::string& what) {
  if (ok) {
    ++tally.passed;
    return;
  }
  ++tally.failed;
  std::printf("FAILED %s:%d: %s\n", file, line, what.c_str());
  std::fflush(stdout);
}
#define CHECK(tally, condition) Check(tally, (condition), __FILE__, __LINE__, #condition)
#define CHECK_THAT(tally, condition, what) Check(tally, (condition), __FILE__, __LINE__, what)

std::string Hex(std::string_view bytes) {
  std::string out;
  char part[4];
  for (unsigned char c : bytes) {
    std::snprintf(part, sizeof part, "%02X ", c);
    out += part;
  }
  return out;
}

// How long a check waits for what it expects.  Every such wait ends as soon
// as its condition holds, so the deadline is long enough for a busy machine
// and costs a passing run nothing; a bound on how long something took is
// kept well below it.
constexpr DWORD kWaitMs = 30000;

// Pumps messages until `done` holds or `timeoutMs` passes.
bool PumpUntil(platform::Messages& messages, DWORD timeoutMs, const std::function<bool()>& done) {
  const DWORD start = ::GetTickCount();
  while (!done()) {
    if (::GetTickCount() - start >= timeoutMs) return false;
    messages.ProcessMessages();
    ::Sleep(2);
  }
  return true;
}

// ---- text ------------------------------------------------------------------

void TestText(Tally& tally) {
  struct Case {
    std::string sjis;
    std::wstring wide;
  };
  const Case cases[] = {
      {"", L""},
      {"ABC xyz", L"ABC xyz"},
      {"\x83\x7D\x83\x4E\x83\x8D", L"\u30DE\u30AF\u30ED"},  // katakana, trail bytes in ASCII range
      {"\x83\x5C", L"\u30BD"},                              // trail byte 0x5C is no backslash
      {"\x5C", L"\\"},
      {"\xB1\xDD", L"\uFF71\uFF9D"},  // half-width katakana
      {"\x81\x60", L"\uFF5E"},        // the code page's own wave dash
      {"\x87\x40", L"\u2460"},        // NEC extension
      {"\x81\x5F", L"\uFF3C"},
      {std::string("a\0b", 3), std::wstring(L"a\0b", 3)},  // a zero byte is kept
      {"Err\x81\x46\x95\x73\x90\xB3\x82\xC5\x82\xB7", L"Err\uFF1A\u4E0D\u6B63\u3067\u3059"},
  };
  for (const Case& c : cases) {
    CHECK_THAT(tally, WideFromSjis(c.sjis) == c.wide, "WideFromSjis " + Hex(c.sjis));
    CHECK_THAT(tally, SjisFromWide(c.wide) == c.sjis, "SjisFromWide back to " + Hex(c.sjis));
  }
  CHECK(tally, win32::Utf8FromWide(L"\u30DE") == "\xE3\x83\x9E");
}

// ---- files -----------------------------------------------------------------

std::string MakeTempFolder() {
  wchar_t base[MAX_PATH];
  ::GetTempPathW(MAX_PATH, base);
  const std::wstring folder =
      std::wstring(base) + L"vendrix-backend-" + std::to_wstring(::GetCurrentProcessId());
  ::CreateDirectoryW(folder.c_str(), nullptr);
  return SjisFromWide(folder);
}

void RemoveFolder(const std::string& folder) {
  const std::wstring wide = WideFromSjis(folder);
  WIN32_FIND_DATAW found;
  HANDLE search = ::FindFirstFileW((wide + L"\\*").c_str(), &found);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      const std::wstring name = found.cFileName;
      if (name == L"." || name == L"..") continue;
      const std::wstring path = wide + L"\\" + name;
      if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        ::RemoveDirectoryW(path.c_str());
      } else {
        ::DeleteFileW(path.c_str());
      }
    } while (::FindNextFileW(search, &found));
    ::FindClose(search);
  }
  ::RemoveDirectoryW(wide.c_str());
}

void TestFiles(Tally& tally) {
  win32::Win32Files files;
  const std::string folder = MakeTempFolder();
  const std::string plain = folder + "\\plain.txt";
  const std::string content = "line 1\r\n\x83\x5C\x83\x7D\r\n";

  CHECK(tally, files.PathSeparator() == '\\');
  CHECK_THAT(tally, !files.FileExists(folder), "a folder is no file");
  CHECK(tally, !files.FileExists(folder + "\\missing.txt"));
  CHECK(tally, !files.FileExists(""));

  CHECK(tally, files.WriteFile(plain, content));
  platform::ReadResult read = files.ReadFile(plain, 1000);
  CHECK(tally, read.status == platform::ReadStatus::kOk && read.bytes == content);
  read = files.ReadFile(plain, content.size());
  CHECK_THAT(tally, read.status == platform::ReadStatus::kOk, "a file exactly at the bound reads");
  read = files.ReadFile(plain, content.size() - 1);
  CHECK(tally, read.status == platform::ReadStatus::kTooLarge && read.bytes.empty());

  CHECK(tally, files.WriteFile(plain, "x"));
  read = files.ReadFile(plain, 1000);
  CHECK_THAT(tally, read.bytes == "x", "a shorter write replaces the whole file");
  CHECK_THAT(tally, !files.FileExists(plain + ".vendrix-tmp"), "no temporary file stays behind");

  CHECK(tally, files.WriteFile(folder + "\\empty.txt", ""));
  read = files.ReadFile(folder + "\\empty.txt", 0);
  CHECK(tally, read.status == platform::ReadStatus::kOk && read.bytes.empty());

  // The name must reach Windows as code page 932 whatever the ANSI code page.
  const std::string japanese = folder + "\\\x83\x5C\x83\x7D.txt";
  CHECK(tally, files.WriteFile(japanese, "jp"));
  const std::wstring wideName = WideFromSjis(folder) + L"\\\u30BD\u30DE.txt";
  CHECK_THAT(tally, ::GetFileAttributesW(wideName.c_str()) != INVALID_FILE_ATTRIBUTES,
             "Shift-JIS file name arrives as UTF-16 \\u30BD\\u30DE.txt");
  CHECK(tally, files.ReadFile(japanese, 10).bytes == "jp");

  struct Failure {
    std::string name;
    platform::ReadStatus status;
  };
  const Failure failures[] = {
      {folder + "\\missing.txt", platform::ReadStatus::kNotFound},
      {folder + "\\no-such-folder\\a.txt", platform::ReadStatus::kNotFound},
      {"", platform::ReadStatus::kNotFound},
      {folder, platform::ReadStatus::kUnreadable},
  };
  for (const Failure& f : failures) {
    read = files.ReadFile(f.name, 1000);
    CHECK_THAT(tally, read.status == f.status && read.bytes.empty(), "read status of " + f.name);
  }
  CHECK(tally, !files.WriteFile(folder + "\\no-such-folder\\a.txt", "x"));
  CHECK(tally, !files.WriteFile("", "x"));
  RemoveFolder(folder);
}

// ---- host ------------------------------------------------------------------

std::string ProgramFileName() {
  wchar_t path[MAX_PATH];
  const DWORD length = ::GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring wide(path, length);
  return SjisFromWide(wide.substr(wide.find_last_of(L'\\') + 1));
}

void TestHost(Tally& tally) {
  win32::Win32Files files;
  const std::string fileName = ProgramFileName();
  {
    win32::Win32Host host;
    const std::string path = host.ProgramPath();
    CHECK(tally, path.size() > fileName.size() &&
                     path.compare(path.size() - fileName.size(), fileName.size(), fileName) == 0);
    CHECK(tally, files.FileExists(path));
  }
  struct HomeCase {
    std::string home;
    std::string folder;
  };
  const HomeCase homes[] = {
      {"C:\\vendrix", "C:\\vendrix\\"},
      {"C:\\vendrix\\", "C:\\vendrix\\"},
      {"C:\\\x83\x5C", "C:\\\x83\x5C\\"},  // ends in a trail byte 0x5C: still needs '\'
  };
  for (const HomeCase& c : homes) {
    win32::Win32Host host(c.home);
    CHECK_THAT(tally, host.ProgramPath() == c.folder + fileName,
               "ProgramPath with home " + Hex(c.home));
  }

  using platform::InstanceStatus;
  {
    win32::Win32Host resident;
    win32::Win32Host other;
    CHECK(tally, other.CheckResidentInstance().status == InstanceStatus::kFree);
    CHECK_THAT(tally, resident.ClaimResidentInstance().status == InstanceStatus::kFree, "the first claim wins");
    CHECK(tally, other.CheckResidentInstance().status == InstanceStatus::kResident);
    CHECK_THAT(tally, other.ClaimResidentInstance().status == InstanceStatus::kResident, "a second claim loses");
    CHECK_THAT(tally, resident.ClaimResidentInstance().status == InstanceStatus::kFree, "the holder keeps it");
    HANDLE byName = ::OpenMutexW(SYNCHRONIZE, FALSE, L"vendrix /tsr");
    CHECK_THAT(tally, byName != nullptr, "the mutex is named \"vendrix /tsr\"");
    if (byName != nullptr) ::CloseHandle(byName);
  }
  win32::Win32Host after;
  CHECK_THAT(tally, after.CheckResidentInstance().status == InstanceStatus::kFree, "the mutex goes with its host");
  {
    // The name taken by an object of another kind: no start may ignore it.
    HANDLE squatter = ::CreateEventW(nullptr, TRUE, FALSE, L"vendrix /tsr");
    win32::Win32Host host;
    const platform::InstanceCheck check = host.CheckResidentInstance();
    const platform::InstanceCheck claim = host.ClaimResidentInstance();
    CHECK_THAT(tally, check.status == InstanceStatus::kSystemFailure && !check.reason.empty(),
               "a check refuses an event named like the mutex");
    CHECK_THAT(tally, claim.status == InstanceStatus::kSystemFailure, "a claim refuses it too");
    if (squatter != nullptr) ::CloseHandle(squatter);
  }
}

// ---- clock and display -----------------------------------------------------

void TestClockAndDisplay(Tally& tally, int screenWidth, int screenHeight) {
  win32::Win32Clock clock;
  const uint32_t before = clock.TickCount();
  clock.Sleep(50);
  const uint32_t elapsed = clock.TickCount() - before;
  CHECK_THAT(tally, elapsed >= 40 && elapsed < kWaitMs / 3, "Sleep(50) took " + std::to_string(elapsed));

  win32::Win32Display display;
  if (screenWidth > 0) {
    CHECK(tally, display.ScreenWidth() == screenWidth);
    CHECK(tally, display.ScreenHeight() == screenHeight);
  } else {
    CHECK(tally, display.ScreenWidth() > 0 && display.ScreenHeight() > 0);
  }
}

// ---- timers and message boxes ----------------------------------------------

class CountingSink final : public platform::TimerSink {
 public:
  void OnTimer(int timerId) override {
    ++ticks[timerId];
    if (onTick) onTick(timerId);
  }
  std::map<int, int> ticks;
  std::function<void(int)> onTick;
};

void TestTimers(Tally& tally, win32::Win32Desktop& desktop) {
  CountingSink sink;
  platform::Messages& messages = desktop.messages();
  messages.SetTimerSink(&sink);
  messages.SetTimer(1, 20);
  messages.SetTimer(2, 30);
  CHECK(tally, PumpUntil(messages, kWaitMs, [&] { return sink.ticks[1] >= 2 && sink.ticks[2] >= 2; }));
  messages.KillTimer(1);
  messages.ProcessMessages();
  const int frozen = sink.ticks[1];
  const int secondBefore = sink.ticks[2];
  CHECK(tally, PumpUntil(messages, kWaitMs, [&] { return sink.ticks[2] >= secondBefore + 3; }));
  CHECK_THAT(tally, sink.ticks[1] == frozen, "a killed timer stays quiet");
  messages.KillTimer(2);
  messages.SetTimerSink(nullptr);
}

// The box's own modal loop must deliver our WM_TIMER; the tick handler finds
// the box, reads it, and answers it.
void TestMessageBox(Tally& tally, win32::Win32Desktop& desktop) {
  const std::string caption = "\x83\x65\x83\x58\x83\x67";                       // テスト
  const std::string text = "\x83\x7D\x83\x4E\x83\x8D\x82\xF0\x8C\x70\x91\xB1";  // マクロを継続
  CountingSink sink;
  std::wstring seenText;
  bool answered = false;
  sink.onTick = [&](int) {
    if (answered) return;
    HWND box = ::FindWindowW(L"#32770", L"\u30C6\u30B9\u30C8");
    if (box == nullptr || !::IsWindowVisible(box)) {
      if (sink.ticks[7] > 500) ::ExitProcess(3);  // no box after 10 s: give up loudly
      return;
    }
    wchar_t buffer[256] = L"";
    ::GetDlgItemTextW(box, 0xFFFF, buffer, 256);
    seenText = buffer;
    answered = true;
    ::PostMessageW(box, WM_COMMAND, IDNO, 0);
  };
  desktop.messages().SetTimerSink(&sink);
  desktop.messages().SetTimer(7, 20);
  const int answer =
      desktop.dialogs().MessageBox(text, caption, platform::kMbYesNo | platform::kMbSetForeground);
  desktop.messages().KillTimer(7);
  desktop.messages().SetTimerSink(nullptr);
  CHECK(tally, answer == platform::kIdNo);
  CHECK_THAT(tally, seenText == L"\u30DE\u30AF\u30ED\u3092\u7D99\u7D9A",
             "box text " + win32::Utf8FromWide(seenText));
}

// ---- step display ----------------------------------------------------------

RECT WindowRect(HWND window) {
  RECT rect{};
  ::GetWindowRect(window, &rect);
  return rect;
}

bool IsTopmost(HWND window) { return (::GetWindowLongW(window, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0; }

std::wstring EditText(HWND edit) {
  const int length = ::GetWindowTextLengthW(edit);
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  const LRESULT got =
      ::SendMessageW(edit, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()));
  text.resize(static_cast<size_t>(got));
  return text;
}

void TestStepDisplay(Tally& tally, win32::Win32Desktop& desktop) {
  HWND window = desktop.mainWindow();
  HWND edit = desktop.textArea();
  platform::ShellWindow& shell = desktop.shellWindow();
  CHECK(tally, !::IsWindowVisible(window));
  CHECK(tally, !IsTopmost(window));

  shell.ShowStepDisplay({10, 20, 300, 200}, 12);
  desktop.messages().ProcessMessages();
  const RECT shown = WindowRect(window);
  CHECK(tally, ::IsWindowVisible(window));
  CHECK(tally, IsTopmost(window));
  CHECK(tally, (::GetWindowLongW(window, GWL_STYLE) & WS_THICKFRAME) != 0);
  CHECK_THAT(tally,
             shown.left == 10 && shown.top == 20 && shown.right == 310 && shown.bottom == 220,
             "step display at 10,20 300x200");
  RECT client{};
  ::GetClientRect(window, &client);
  const RECT editRect = WindowRect(edit);
  CHECK_THAT(tally,
             editRect.right - editRect.left == client.right &&
                 editRect.bottom - editRect.top == client.bottom,
             "the text area fills the window");

  HFONT font = reinterpret_cast<HFONT>(::SendMessageW(edit, WM_GETFONT, 0, 0));
  LOGFONTW logFont{};
  CHECK(tally, font != nullptr && ::GetObjectW(font, sizeof logFont, &logFont) == sizeof logFont);
  HDC screen = ::GetDC(nullptr);
  const int expectedHeight = -::MulDiv(12, ::GetDeviceCaps(screen, LOGPIXELSY), 72);
  ::ReleaseDC(nullptr, screen);
  CHECK_THAT(tally, logFont.lfHeight == expectedHeight, "font of 12 points");

  shell.AppendStepLine("STEP ON");
  shell.AppendStepLine("\x83\x7D\x83\x4E\x83\x8D");
  CHECK(tally, EditText(edit) == L"STEP ON\r\n\u30DE\u30AF\u30ED\r\n");

  shell.HideStepDisplay(60, 16);
  desktop.messages().ProcessMessages();
  const RECT hidden = WindowRect(window);
  CHECK(tally, !::IsWindowVisible(window));
  CHECK(tally, !IsTopmost(window));
  CHECK(tally, (::GetWindowLongW(window, GWL_STYLE) & (WS_THICKFRAME | WS_CAPTION)) == 0);
  CHECK_THAT(tally, hidden.right - hidden.left == 60 && hidden.bottom - hidden.top == 16,
             "hidden at 60x16");

  // A long trace keeps its latest lines, cut at a line start.  Few long
  // lines: every append of a big text rewraps it.
  constexpr int kLineChars = 10000;
  const std::string filler(kLineChars - 7, 'x');
  char number[8];
  for (int i = 0; i < 30; ++i) {
    std::snprintf(number, sizeof number, "%06d", i);
    shell.AppendStepLine(number + filler);
  }
  const std::wstring text = EditText(edit);
  const size_t line = kLineChars + 1;  // with CR LF
  CHECK_THAT(tally, text.size() <= 256 * 1024 + line,
             "trace trimmed, " + std::to_string(text.size()) + " chars");
  CHECK_THAT(tally, text.size() > 128 * 1024, "trace keeps about half");
  CHECK_THAT(tally,
             text.size() % line == 0 && text.size() > line && text[6] == L'x' &&
                 text.substr(line - 3, 3) == L"x\r\n",
             "trace starts with a whole line");
  CHECK(tally, text.size() >= line && text.substr(text.size() - line, 6) == L"000029");
}

// ---- injected input --------------------------------------------------------

void TestInput(Tally& tally, win32::Win32Desktop& desktop) {
  platform::Input& input = desktop.input();
  CHECK(tally, input.VkKeyScan('A') == 0x0141);
  CHECK(tally, input.VkKeyScan('a') == 0x0041);
  CHECK(tally, input.VkKeyScan('1') == 0x0031);
  CHECK(tally, input.MapVirtualKey('A', 0) == 0x1E);
  CHECK(tally, input.MapVirtualKey(VK_ESCAPE, 0) == 0x01);

  struct KeyPath {
    const char* name;
    int vk;
    std::function<void(bool down)> send;
  };
  const KeyPath paths[] = {
      {"keybd_event", VK_F13,
       [&](bool down) { input.KeybdEvent(VK_F13, 0, down ? 0 : platform::kKeyEventKeyUp, 0); }},
      {"SendInput key", VK_F14,
       [&](bool down) {
         input.SendKeyboardInput(VK_F14, 0, down ? 0 : platform::kKeyEventKeyUp, 0);
       }},
      {"mouse_event", VK_LBUTTON,
       [&](bool down) {
         input.MouseEvent(down ? platform::kMouseEventLeftDown : platform::kMouseEventLeftUp, 0, 0,
                          0, 0);
       }},
      {"SendInput mouse", VK_RBUTTON,
       [&](bool down) {
         input.SendMouseInput(
             0, 0, 0, down ? platform::kMouseEventRightDown : platform::kMouseEventRightUp, 0);
       }},
  };
  for (const KeyPath& path : paths) {
    path.send(true);
    const bool seenDown = PumpUntil(
        desktop.messages(), kWaitMs, [&] { return (input.GetAsyncKeyState(path.vk) & 0x8000) != 0; });
    CHECK_THAT(tally, seenDown, std::string(path.name) + " press is seen");
    path.send(false);
    const bool seenUp = PumpUntil(desktop.messages(), kWaitMs,
                                  [&] { return (input.GetAsyncKeyState(path.vk) & 0x8000) == 0; });
    CHECK_THAT(tally, seenUp, std::string(path.name) + " release is seen");
  }
}


// ---- the pointer -----------------------------------------------------------

void TestPointer(Tally& tally, win32::Win32Desktop& desktop) {
  platform::Pointer& pointer = desktop.pointer();
  pointer.SetCursorPos({123, 234});
  const platform::Point where = pointer.GetCursorPos();
  CHECK_THAT(tally, where.x == 123 && where.y == 234,
             "pointer at " + std::to_string(where.x) + "," + std::to_string(where.y));
  POINT system{};
  ::GetCursorPos(&system);
  CHECK(tally, system.x == 123 && system.y == 234);
}

// ---- other windows ---------------------------------------------------------

// ソテスト窓: starts with a trail byte 0x5C, ends with a kanji.
constexpr wchar_t kTestTitleWide[] = L"\u30BD\u30C6\u30B9\u30C8\u7A93";
const std::string kTestTitle = "\x83\x5C\x83\x65\x83\x58\x83\x67\x91\x8B";
// マクロ: the clipboard's test text.
constexpr wchar_t kClipWide[] = L"\u30DE\u30AF\u30ED ABC \u2460";
const std::string kClipSjis = "\x83\x7D\x83\x4E\x83\x8D ABC \x87\x40";

// A visible top-level window with a Japanese title and one EDIT child.
class TestWindow {
 public:
  TestWindow() {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = ::DefWindowProcW;
    windowClass.hInstance = ::GetModuleHandleW(nullptr);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    windowClass.lpszClassName = L"VendrixBackendTestWindow";
    ::RegisterClassExW(&windowClass);
    window_ = ::CreateWindowExW(WS_EX_TOPMOST, windowClass.lpszClassName, kTestTitleWide,
                                WS_OVERLAPPEDWINDOW | WS_VISIBLE, 100, 120, 400, 200, nullptr,
                                nullptr, windowClass.hInstance, nullptr);
    edit_ = ::CreateWindowExW(0, L"EDIT", L"", WS_CHILD | WS_VISIBLE | WS_BORDER | ES_AUTOHSCROLL,
                              10, 10, 300, 30, window_, nullptr, windowClass.hInstance, nullptr);
  }
  ~TestWindow() {
    if (window_ != nullptr) ::DestroyWindow(window_);
  }
  TestWindow(const TestWindow&) = delete;
  TestWindow& operator=(const TestWindow&) = delete;
  HWND window() const { return window_; }
  HWND edit() const { return edit_; }
  platform::WindowId id() const { return reinterpret_cast<platform::WindowId>(window_); }
  platform::WindowId editId() const { return reinterpret_cast<platform::WindowId>(edit_); }

 private:
  HWND window_ = nullptr;
  HWND edit_ = nullptr;
};

void TestWindowTitles(Tally& tally, platform::Windows& windows, const TestWindow& test) {
  CHECK(tally, windows.FindWindowByTitle(kTestTitle) == test.id());
  CHECK(tally, windows.FindWindowByTitle("\x83\x5C\x83\x65") == 0);
  CHECK_THAT(tally, windows.WindowTitleLength(test.id()) == 10, "title length in Shift-JIS bytes");
  const std::string title = windows.WindowTitle(test.id(), 256);
  CHECK_THAT(tally, title == kTestTitle, "title " + Hex(title));
  CHECK_THAT(tally, windows.WindowTitle(test.id(), 11) == kTestTitle, "a buffer just large enough");
  CHECK_THAT(tally, windows.WindowTitle(test.id(), 10) == kTestTitle.substr(0, 8),
             "a buffer one byte short drops the whole last character");
  CHECK(tally, windows.WindowTitle(test.id(), 4) == "\x83\x5C");
  CHECK(tally, windows.WindowTitle(test.id(), 3) == "\x83\x5C");
  CHECK(tally, windows.WindowTitle(test.id(), 2).empty());
  CHECK(tally, windows.WindowTitle(test.id(), 1).empty());
  CHECK(tally, windows.WindowTitle(test.id(), 0).empty());
  CHECK(tally, windows.WindowTitleLength(test.editId()) == 0);
}

void TestWindowPlaces(Tally& tally, win32::Win32Desktop& desktop, const TestWindow& test) {
  platform::Windows& windows = desktop.windows();
  platform::Messages& messages = desktop.messages();
  RECT system{};
  ::GetWindowRect(test.window(), &system);
  const auto rect = windows.GetWindowRect(test.id());
  CHECK(tally, rect && rect->left == system.left && rect->top == system.top &&
                   rect->right == system.right && rect->bottom == system.bottom);
  CHECK(tally, !windows.GetWindowRect(0));

  CHECK(tally, windows.SetForegroundWindow(test.id()));
  CHECK(tally, PumpUntil(messages, kWaitMs, [&] { return windows.GetForegroundWindow() == test.id(); }));
  CHECK(tally, windows.GetActiveWindow() == test.id());
  windows.BringWindowToTop(test.id());
  ::SetFocus(test.edit());
  CHECK(tally, windows.GetFocus() == test.editId());
  CHECK_THAT(tally, windows.GetCaretPos().has_value(), "the focused EDIT has a caret");

  RECT editRect{};
  ::GetWindowRect(test.edit(), &editRect);
  const platform::Point inside{(editRect.left + editRect.right) / 2, (editRect.top + editRect.bottom) / 2};
  CHECK_THAT(tally, PumpUntil(messages, kWaitMs, [&] { return windows.WindowFromPoint(inside) == test.editId(); }),
             "WindowFromPoint finds the EDIT");

  CHECK(tally, !windows.IsIconic(test.id()));
  windows.ShowWindow(test.id(), SW_MINIMIZE);
  CHECK(tally, PumpUntil(messages, kWaitMs, [&] { return windows.IsIconic(test.id()); }));
  windows.ShowWindow(test.id(), platform::kSwRestore);
  CHECK(tally, PumpUntil(messages, kWaitMs, [&] { return !windows.IsIconic(test.id()); }));
}

void TestThreadsAndSystem(Tally& tally, platform::Windows& windows, const TestWindow& test) {
  CHECK(tally, windows.GetCurrentThreadId() == ::GetCurrentThreadId());
  CHECK(tally, windows.WindowThreadId(test.id()) == ::GetCurrentThreadId());
  CHECK(tally, windows.WindowThreadId(0) == 0);

  const uint32_t before = windows.ForegroundLockTimeout();
  windows.SetForegroundLockTimeout(123456);
  CHECK_THAT(tally, windows.ForegroundLockTimeout() == 123456,
             "foreground lock timeout " + std::to_string(windows.ForegroundLockTimeout()));
  windows.SetForegroundLockTimeout(before);
  CHECK(tally, windows.ForegroundLockTimeout() == before);

  const platform::OsVersion version = windows.GetOsVersion();
  std::fprintf(stderr, "system version: platform %d, %d.%d\n", version.platformId, version.major,
               version.minor);
  CHECK(tally, version.platformId == 2 && version.major >= 5);
  windows.DebugOutput("\x83\x7D\x83\x4E\x83\x8D debug");
}

// Within one thread Wine does not join a lead and a trail byte sent as two
// WM_CHAR; the double-byte checks use another thread's EDIT below.
void TestWindowMessages(Tally& tally, win32::Win32Desktop& desktop, const TestWindow& test) {
  platform::Windows& windows = desktop.windows();
  windows.SendWindowMessage(test.editId(), platform::kWmChar, 'A', 1);
  CHECK_THAT(tally, EditText(test.edit()) == L"A", "WM_CHAR 'A' types A");
  CHECK(tally, windows.PostWindowMessage(test.editId(), platform::kWmChar, 'B', 1));
  CHECK(tally, PumpUntil(desktop.messages(), kWaitMs, [&] { return EditText(test.edit()) == L"AB"; }));
  CHECK(tally, windows.SendWindowMessage(test.editId(), WM_GETTEXTLENGTH, 0, 0) == 2);

  const auto ime = windows.ImeOpenStatus(test.editId());
  std::fprintf(stderr, "input method context: %s\n", ime ? (*ime ? "open" : "closed") : "none");
  if (ime) {
    windows.SetImeOpenStatus(test.editId(), true);
    CHECK(tally, windows.ImeOpenStatus(test.editId()) == std::optional<bool>(true));
    windows.SetImeOpenStatus(test.editId(), false);
    CHECK(tally, windows.ImeOpenStatus(test.editId()) == std::optional<bool>(false));
  }
}

// An EDIT owned by a thread of its own, as another program's would be:
// character messages then cross threads, the way macros send them.
class ForeignEdit {
 public:
  ForeignEdit() {
    ready_ = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    thread_ = ::CreateThread(nullptr, 0, &ForeignEdit::Run, this, 0, &threadId_);
    ::WaitForSingleObject(ready_, kWaitMs);
  }
  ~ForeignEdit() {
    ::PostThreadMessageW(threadId_, WM_QUIT, 0, 0);
    ::WaitForSingleObject(thread_, kWaitMs);
    ::CloseHandle(thread_);
    ::CloseHandle(ready_);
  }
  ForeignEdit(const ForeignEdit&) = delete;
  ForeignEdit& operator=(const ForeignEdit&) = delete;
  HWND edit() const { return edit_; }
  platform::WindowId id() const { return reinterpret_cast<platform::WindowId>(edit_); }

 private:
  static DWORD WINAPI Run(void* self) {
    auto* foreign = static_cast<ForeignEdit*>(self);
    foreign->edit_ = ::CreateWindowExW(0, L"EDIT", L"", WS_POPUP | WS_BORDER | ES_AUTOHSCROLL, 500, 500, 200, 30,
                                       nullptr, nullptr, ::GetModuleHandleW(nullptr), nullptr);
    MSG message;
    ::PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE);  // the thread's queue exists
    ::SetEvent(foreign->ready_);
    while (::GetMessageW(&message, nullptr, 0, 0) > 0) {
      ::TranslateMessage(&message);
      ::DispatchMessageW(&message);
    }
    ::DestroyWindow(foreign->edit_);
    return 0;
  }

  HANDLE ready_ = nullptr;
  HANDLE thread_ = nullptr;
  DWORD threadId_ = 0;
  HWND edit_ = nullptr;
};

// What the A message forms are for: code page 932 characters as ANSI
// character messages.
void TestForeignCharacters(Tally& tally, platform::Windows& windows) {
  ForeignEdit foreign;
  CHECK(tally, foreign.edit() != nullptr);
  // A character message may reach the edit control as a message the window
  // posts to itself (the IME form does under Wine), so wait for the text.
  const auto typed = [&](const std::wstring& expected, const char* what) {
    windows.SendWindowMessage(foreign.id(), WM_NULL, 0, 0);
    const DWORD start = ::GetTickCount();
    while (EditText(foreign.edit()) != expected && ::GetTickCount() - start < kWaitMs) ::Sleep(5);
    const std::wstring text = EditText(foreign.edit());
    CHECK_THAT(tally, text == expected, std::string(what) + ": " + win32::Utf8FromWide(text));
  };
  // マ: its lead byte, then its trail byte.
  windows.SendWindowMessage(foreign.id(), platform::kWmChar, 0x83, 1);
  windows.SendWindowMessage(foreign.id(), platform::kWmChar, 0x7D, 1);
  typed(L"\u30DE", "WM_CHAR 0x83 then 0x7D types \u30DE");
  // ク as one code, lead * 256 + trail.
  windows.SendWindowMessage(foreign.id(), platform::kWmImeChar, 0x834E, 1);
  typed(L"\u30DE\u30AF", "WM_IME_CHAR 0x834E types \u30AF");
  // ロ posted, byte by byte.
  CHECK(tally, windows.PostWindowMessage(foreign.id(), platform::kWmChar, 0x83, 1));
  CHECK(tally, windows.PostWindowMessage(foreign.id(), platform::kWmChar, 0x8D, 1));
  typed(L"\u30DE\u30AF\u30ED", "posted WM_CHAR 0x83 then 0x8D types \u30ED");
}

void TestWindows(Tally& tally, win32::Win32Desktop& desktop) {
  TestWindow test;
  CHECK(tally, test.window() != nullptr && test.edit() != nullptr);
  desktop.messages().ProcessMessages();
  TestWindowTitles(tally, desktop.windows(), test);
  TestWindowPlaces(tally, desktop, test);
  TestThreadsAndSystem(tally, desktop.windows(), test);
  TestWindowMessages(tally, desktop, test);
  TestForeignCharacters(tally, desktop.windows());
}

// ---- the clipboard ---------------------------------------------------------

std::wstring RawClipboardText(UINT format) {
  std::wstring text;
  if (!::OpenClipboard(nullptr)) return L"<cannot open>";
  if (HANDLE block = ::GetClipboardData(format)) {
    if (format == CF_UNICODETEXT) {
      if (const auto* chars = static_cast<const wchar_t*>(::GlobalLock(block))) {
        text = chars;
        ::GlobalUnlock(block);
      }
    } else if (const auto* chars = static_cast<const char*>(::GlobalLock(block))) {
      text = WideFromSjis(chars);
      ::GlobalUnlock(block);
    }
  }
  ::CloseClipboard();
  return text;
}

// Holds the clipboard open from another thread for a moment.
DWORD WINAPI HoldClipboard(void* opened) {
  if (!::OpenClipboard(nullptr)) return 1;
  ::SetEvent(static_cast<HANDLE>(opened));
  ::Sleep(40);
  ::CloseClipboard();
  return 0;
}

void TestClipboard(Tally& tally, win32::Win32Desktop& desktop) {
  platform::Clipboard& clipboard = desktop.clipboard();
  clipboard.SetText(kClipSjis);
  CHECK_THAT(tally, clipboard.GetText() == kClipSjis, "clipboard round trip " + Hex(clipboard.GetText()));
  CHECK(tally, ::IsClipboardFormatAvailable(CF_UNICODETEXT));
  CHECK_THAT(tally, RawClipboardText(CF_UNICODETEXT) == kClipWide, "another reader's CF_UNICODETEXT");
  if (::GetACP() == 932) {
    CHECK_THAT(tally, RawClipboardText(CF_TEXT) == kClipWide, "the synthesized CF_TEXT");
  }

  clipboard.Clear();
  CHECK(tally, !::IsClipboardFormatAvailable(CF_UNICODETEXT));
  CHECK(tally, clipboard.GetText().empty());

  HANDLE opened = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
  HANDLE holder = ::CreateThread(nullptr, 0, HoldClipboard, opened, 0, nullptr);
  const bool held = ::WaitForSingleObject(opened, kWaitMs) == WAIT_OBJECT_0;
  clipboard.SetText("held");
  CHECK_THAT(tally, held && clipboard.GetText() == "held", "the text goes on once the holder lets go");
  ::WaitForSingleObject(holder, kWaitMs);
  ::CloseHandle(holder);
  ::CloseHandle(opened);
  clipboard.SetText(kClipSjis);
}

// ---- other programs --------------------------------------------------------

std::string SelfCommand(const std::string& arguments) {
  wchar_t path[MAX_PATH];
  const DWORD length = ::GetModuleFileNameW(nullptr, path, MAX_PATH);
  return "\"" + SjisFromWide(std::wstring(path, length)) + "\" " + arguments;
}

DWORD ExitCodeOf(platform::ProcessId process) {
  DWORD code = 0;
  ::GetExitCodeProcess(reinterpret_cast<HANDLE>(process), &code);
  return code;
}

void TestPrograms(Tally& tally, win32::Win32Desktop& desktop) {
  platform::Programs& programs = desktop.programs();
  const platform::ProcessId sleeper = programs.StartProgram(SelfCommand("--child-sleep 400"));
  CHECK(tally, sleeper != 0);
  if (sleeper != 0) {
    CHECK(tally, programs.ProgramRunning(sleeper));
    programs.WaitForProgram(sleeper);
    CHECK(tally, !programs.ProgramRunning(sleeper));
    CHECK(tally, ExitCodeOf(sleeper) == 7);
    programs.CloseProgram(sleeper);
  }

  // Another program reads the clipboard TestClipboard left behind.
  const platform::ProcessId reader = programs.StartProgram(SelfCommand("--child-clipboard"));
  CHECK(tally, reader != 0);
  if (reader != 0) {
    // Wine holds a starting program that uses windows for some seconds
    // while ours does not handle messages: keep them flowing meanwhile.
    CHECK(tally, PumpUntil(desktop.messages(), kWaitMs, [&] { return !programs.ProgramRunning(reader); }));
    programs.WaitForProgram(reader);
    CHECK_THAT(tally, ExitCodeOf(reader) == 0, "another program reads CF_UNICODETEXT");
    programs.CloseProgram(reader);
  }

  CHECK(tally, programs.StartProgram("no-such-program-vendrix.exe") == 0);
  CHECK(tally, programs.StartProgram("") == 0);
  CHECK(tally, !programs.ProgramRunning(0));
  // OpenDocument is not tried: under Wine, opening a text file from this
  // program did not return (no notepad started, no message box shown).
}

// ---- sound and joysticks ---------------------------------------------------

void TestSoundAndJoysticks(Tally& tally, win32::Win32Desktop& desktop) {
  desktop.sound().Beep(440, 20);
  // Wine has no joystick: every read reports none.
  CHECK(tally, !desktop.joysticks().Read(0));
  CHECK(tally, !desktop.joysticks().Read(1));
  CHECK(tally, !desktop.joysticks().Read(2));
  CHECK(tally, !desktop.joysticks().Read(-1));
}

// ---- the shell window ------------------------------------------------------

using platform::ShellEvent;
using platform::ShellEventKind;

// What the system delivers for the icon's callback (0x0464).
constexpr UINT kIconCallback = 0x0464;
// A hotkey id no check registers: posted last, it marks the end of a batch.
constexpr int kMarkerHotkey = 4242;

std::string Describe(const std::vector<ShellEvent>& events) {
  static const char* const kNames[] = {"menu", "hotkey", "joystick", "icon", "paint", "quit"};
  std::string out;
  for (const ShellEvent& e : events) {
    out += out.empty() ? "" : ", ";
    out += kNames[static_cast<int>(e.kind)] + std::string(" ") + std::to_string(e.value);
  }
  return out.empty() ? "none" : out;
}

std::vector<ShellEvent> TakeAll(platform::ShellWindow& shell) {
  std::vector<ShellEvent> events;
  for (size_t i = 0; i <= win32::kMaxPendingEvents; ++i) {
    const auto event = shell.TakeShellEvent();
    if (!event) break;
    events.push_back(*event);
  }
  return events;
}

std::vector<ShellEvent> WithoutPaints(const std::vector<ShellEvent>& events) {
  std::vector<ShellEvent> out;
  for (const ShellEvent& e : events) {
    if (e.kind != ShellEventKind::kPaint) out.push_back(e);
  }
  return out;
}

// Waits for the events up to the marker hotkey, paints left out; a missing
// marker shows as "quit -1".
std::vector<ShellEvent> EventsUpToMarker(platform::ShellWindow& shell, DWORD timeoutMs) {
  std::vector<ShellEvent> seen;
  const DWORD start = ::GetTickCount();
  while (::GetTickCount() - start < timeoutMs) {
    shell.WaitForShellEvent(200);
    while (const auto event = shell.TakeShellEvent()) {
      if (event->kind == ShellEventKind::kHotkey && event->value == kMarkerHotkey) return seen;
      if (event->kind != ShellEventKind::kPaint) seen.push_back(*event);
    }
  }
  seen.push_back({ShellEventKind::kQuit, -1});
  return seen;
}

void PressKeys(platform::Input& input, std::initializer_list<int> down, std::initializer_list<int> tapped) {
  for (int vk : down) input.KeybdEvent(static_cast<uint8_t>(vk), 0, 0, 0);
  for (int vk : tapped) {
    input.KeybdEvent(static_cast<uint8_t>(vk), 0, 0, 0);
    input.KeybdEvent(static_cast<uint8_t>(vk), 0, platform::kKeyEventKeyUp, 0);
  }
  for (auto vk = std::rbegin(down); vk != std::rend(down); ++vk) {
    input.KeybdEvent(static_cast<uint8_t>(*vk), 0, platform::kKeyEventKeyUp, 0);
  }
}

bool DropDownOpen() {
  HWND popup = ::FindWindowW(L"#32768", nullptr);
  return popup != nullptr && ::IsWindowVisible(popup);
}

std::wstring MenuText(HMENU menu, UINT position) {
  wchar_t text[256] = L"";
  ::GetMenuStringW(menu, position, text, 256, MF_BYPOSITION);
  return text;
}

// SetMenuItems fills the one drop-down; WM_MENUCHAR picks by first character.
const std::vector<std::string> kMenuCaptions = {
    "\x83\x7D\x83\x4E\x83\x8D 1",  // マクロ 1
    "Beta",
    "banana",
    "\xB6\xC5",     // ｶﾅ, half-width
    "Tom & Jerry",  // shown with its '&', no underline
    "\x83\x5C\x83\x7C",  // ソポ: trail bytes 0x5C and 0x7C
};

// The recorder never records a password: an edit control with ES_PASSWORD
// counts, an ordinary edit does not, and neither does another control
// whose style has the same bit (a button's BS_LEFTTEXT).
void TestRecorderPasswordFields(Tally& tally) {
  HINSTANCE instance = ::GetModuleHandleW(nullptr);
  HWND parent = ::CreateWindowExW(0, L"STATIC", L"password test", WS_OVERLAPPEDWINDOW, 0, 0, 300, 200, nullptr,
                                  nullptr, instance, nullptr);
  auto child = [&](const wchar_t* windowClass, DWORD style) {
    return ::CreateWindowExW(0, windowClass, L"", WS_CHILD | WS_VISIBLE | style, 0, 0, 100, 20, parent, nullptr,
                             instance, nullptr);
  };
  HWND password = child(L"EDIT", ES_PASSWORD);
  HWND plain = child(L"EDIT", 0);
  HWND button = child(L"BUTTON", BS_LEFTTEXT);
  CHECK(tally, password != nullptr && plain != nullptr && button != nullptr);
  CHECK(tally, recorder::win32::PasswordFieldHasFocus(password));
  CHECK(tally, !recorder::win32::PasswordFieldHasFocus(plain));
  CHECK(tally, !recorder::win32::PasswordFieldHasFocus(button));
  CHECK(tally, !recorder::win32::PasswordFieldHasFocus(nullptr));
  ::DestroyWindow(parent);
}

void TestShellMenuItems(Tally& tally, win32::Win32Desktop& desktop) {
  platform::ShellWindow& shell = desktop.shellWindow();
  HWND window = desktop.mainWindow();
  shell.SetMenuItems({"old 1", "old 2", "old 3", "old 4", "old 5", "old 6", "old 7"});
  shell.SetMenuItems(kMenuCaptions);
  HMENU bar = ::GetMenu(window);
  CHECK_THAT(tally, bar != nullptr && ::GetMenuItemCount(bar) == 1, "a menu bar with one item");
  CHECK(tally, MenuText(bar, 0) == L"&Vendrix");
  HMENU dropDown = ::GetSubMenu(bar, 0);
  CHECK_THAT(tally, ::GetMenuItemCount(dropDown) == 6,
             "the later list replaces the earlier: " + std::to_string(::GetMenuItemCount(dropDown)));
  const std::wstring shown[] = {L"\u30DE\u30AF\u30ED 1", L"Beta",        L"banana",
                                L"\uFF76\uFF85",         L"Tom && Jerry", L"\u30BD\u30DD"};
  for (UINT i = 0; i < 6; ++i) {
    CHECK_THAT(tally, MenuText(dropDown, i) == shown[i],
               "item " + std::to_string(i) + " reads " + win32::Utf8FromWide(MenuText(dropDown, i)));
    const UINT state = ::GetMenuState(dropDown, i, MF_BYPOSITION);
    CHECK_THAT(tally, (state & (MF_POPUP | MF_SEPARATOR | MF_OWNERDRAW | MF_DISABLED | MF_GRAYED)) == 0,
               "item " + std::to_string(i) + " is a plain text item");
  }
  CHECK_THAT(tally, ::GetMenuItemID(dropDown, 0) + 5 == ::GetMenuItemID(dropDown, 5),
             "item ids follow the items");

  struct Typed {
    wchar_t character;
    int index;  // -1: no item
  };
  const Typed typed[] = {
      {L'b', 1},      {L'B', 1},      {L'\u30DE', 0}, {L'\uFF76', 3}, {L't', 4},
      {L'\u30BD', 5}, {L'z', -1},     {L'1', -1},     {L'&', -1},     {L'\u30AF', -1},
  };
  for (const Typed& t : typed) {
    const LRESULT reply =
        ::SendMessageW(window, WM_MENUCHAR, MAKEWPARAM(t.character, MF_POPUP), reinterpret_cast<LPARAM>(dropDown));
    const bool picks = HIWORD(reply) == MNC_EXECUTE;
    CHECK_THAT(tally, t.index < 0 ? !picks : picks && LOWORD(reply) == t.index,
               "typing " + win32::Utf8FromWide(std::wstring(1, t.character)) + " gives " +
                   std::to_string(HIWORD(reply)) + "/" + std::to_string(LOWORD(reply)));
  }
  const LRESULT onBar =
      ::SendMessageW(window, WM_MENUCHAR, MAKEWPARAM(L'b', 0), reinterpret_cast<LPARAM>(bar));
  CHECK_THAT(tally, HIWORD(onBar) != MNC_EXECUTE, "the bar itself picks by its '&' only");
}

// Posted window messages and the events they queue, in order.
void TestShellMessages(Tally& tally, win32::Win32Desktop& desktop) {
  platform::ShellWindow& shell = desktop.shellWindow();
  HWND window = desktop.mainWindow();
  HMENU dropDown = ::GetSubMenu(::GetMenu(window), 0);
  const UINT item2 = ::GetMenuItemID(dropDown, 2);
  const UINT pastLast = ::GetMenuItemID(dropDown, 5) + 1;
  struct Posted {
    const char* name;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    std::vector<ShellEvent> expected;
  };
  const Posted posted[] = {
      {"hotkey 5", WM_HOTKEY, 5, MAKELPARAM(MOD_ALT, 'X'), {{ShellEventKind::kHotkey, 5}}},
      {"icon right button down", kIconCallback, 1, WM_RBUTTONDOWN, {{ShellEventKind::kTrayRightClick, 0}}},
      {"icon pointer move", kIconCallback, 1, WM_MOUSEMOVE, {}},
      {"icon left button down", kIconCallback, 1, WM_LBUTTONDOWN, {}},
      {"icon right button up", kIconCallback, 1, WM_RBUTTONUP, {}},
      {"icon left double click", kIconCallback, 1, WM_LBUTTONDBLCLK, {}},
      {"joystick 1 button", MM_JOY1BUTTONDOWN, JOY_BUTTON1CHG | JOY_BUTTON1, 0, {{ShellEventKind::kJoystickButton, 1}}},
      {"joystick 2 button", MM_JOY2BUTTONDOWN, JOY_BUTTON2CHG | JOY_BUTTON2, 0, {{ShellEventKind::kJoystickButton, 2}}},
      {"joystick 1 button up", MM_JOY1BUTTONUP, JOY_BUTTON1CHG, 0, {}},
      {"joystick 1 moved", MM_JOY1MOVE, 0, MAKELPARAM(100, 200), {}},
      {"menu item 2", WM_COMMAND, item2, 0, {{ShellEventKind::kMenuPick, 2}}},
      {"no such menu item", WM_COMMAND, pastLast, 0, {}},
      {"session end asked", WM_QUERYENDSESSION, 0, 0, {{ShellEventKind::kQuit, 0}}},
      {"session end cancelled", WM_ENDSESSION, FALSE, 0, {}},
  };
  TakeAll(shell);
  for (const Posted& p : posted) {
    ::PostMessageW(window, p.message, p.wParam, p.lParam);
    ::PostMessageW(window, WM_HOTKEY, kMarkerHotkey, 0);
    const std::vector<ShellEvent> seen = EventsUpToMarker(shell, kWaitMs);
    CHECK_THAT(tally, Describe(seen) == Describe(p.expected),
               std::string(p.name) + " queues " + Describe(seen) + ", not " + Describe(p.expected));
  }

  // Messages already waiting come out in their order.
  ::PostMessageW(window, kIconCallback, 1, WM_MOUSEMOVE);
  ::PostMessageW(window, WM_HOTKEY, 3, 0);
  ::PostMessageW(window, kIconCallback, 1, WM_RBUTTONDOWN);
  ::PostMessageW(window, WM_COMMAND, item2, 0);
  ::PostMessageW(window, WM_HOTKEY, kMarkerHotkey, 0);
  CHECK_THAT(tally, Describe(EventsUpToMarker(shell, kWaitMs)) == "hotkey 3, icon 0, menu 2",
             "a batch keeps its order");

  // A quit message ends the wait as an event of its own, and is used up.
  ::PostQuitMessage(0);
  shell.WaitForShellEvent(kWaitMs);
  CHECK_THAT(tally, Describe(WithoutPaints(TakeAll(shell))) == "quit 0", "WM_QUIT becomes quit");
  MSG left;
  CHECK(tally, !::PeekMessageW(&left, nullptr, WM_QUIT, WM_QUIT, PM_NOREMOVE));

  // Pending events are bounded.
  for (int i = 0; i < 1100; ++i) ::SendMessageW(window, WM_HOTKEY, static_cast<WPARAM>(i), 0);
  ::SendMessageW(window, WM_QUERYENDSESSION, 0, 0);
  const std::vector<ShellEvent> flood = TakeAll(shell);
  CHECK_THAT(tally, flood.size() == win32::kMaxPendingEvents + 1 && flood[999].value == 999 &&
                        flood.back().kind == ShellEventKind::kQuit,
             "a flood keeps the first 1000 and the quit: " + std::to_string(flood.size()));
}

DWORD WINAPI PostHotkeyLater(void* window) {
  ::Sleep(150);
  ::PostMessageW(static_cast<HWND>(window), WM_HOTKEY, 6, 0);
  return 0;
}

void TestShellWaits(Tally& tally, win32::Win32Desktop& desktop) {
  platform::ShellWindow& shell = desktop.shellWindow();
  HWND window = desktop.mainWindow();
  TakeAll(shell);
  CountingSink sink;
  desktop.messages().SetTimerSink(&sink);
  desktop.messages().SetTimer(9, 20);
  DWORD start = ::GetTickCount();
  shell.WaitForShellEvent(300);
  DWORD elapsed = ::GetTickCount() - start;
  CHECK_THAT(tally, elapsed >= 280 && elapsed < kWaitMs / 3, "an idle wait of 300 ms took " + std::to_string(elapsed));
  CHECK_THAT(tally, sink.ticks[9] >= 5, "timers tick during the wait: " + std::to_string(sink.ticks[9]));
  desktop.messages().KillTimer(9);
  desktop.messages().SetTimerSink(nullptr);

  ::PostMessageW(window, WM_HOTKEY, 8, 0);
  start = ::GetTickCount();
  shell.WaitForShellEvent(kWaitMs);
  shell.WaitForShellEvent(kWaitMs);  // the event still waits: at once again
  elapsed = ::GetTickCount() - start;
  CHECK_THAT(tally, elapsed < kWaitMs / 3, "a posted event ends the wait: " + std::to_string(elapsed) + " ms");
  CHECK(tally, Describe(WithoutPaints(TakeAll(shell))) == "hotkey 8");

  HANDLE poster = ::CreateThread(nullptr, 0, PostHotkeyLater, window, 0, nullptr);
  start = ::GetTickCount();
  shell.WaitForShellEvent(kWaitMs);
  elapsed = ::GetTickCount() - start;
  CHECK_THAT(tally, elapsed >= 100 && elapsed < kWaitMs / 3,
             "another thread's message wakes the wait after " + std::to_string(elapsed) + " ms");
  CHECK(tally, Describe(WithoutPaints(TakeAll(shell))) == "hotkey 6");
  ::WaitForSingleObject(poster, kWaitMs);
  ::CloseHandle(poster);
}

bool IsVisible(HWND window) { return ::IsWindowVisible(window) != FALSE; }

bool HasFrame(HWND window) {
  return (::GetWindowLongW(window, GWL_STYLE) & (WS_CAPTION | WS_THICKFRAME)) != 0;
}

bool SizeIs(HWND window, int width, int height) {
  const RECT rect = WindowRect(window);
  return rect.right - rect.left == width && rect.bottom - rect.top == height;
}

// The window manager under Wine answers a new frame a moment later.
bool RectBecomes(platform::Messages& messages, HWND window, int left, int top, int width, int height) {
  return PumpUntil(messages, kWaitMs, [&] {
    const RECT rect = WindowRect(window);
    return rect.left == left && rect.top == top && SizeIs(window, width, height);
  });
}

void TestShellLooks(Tally& tally, win32::Win32Desktop& desktop) {
  platform::ShellWindow& shell = desktop.shellWindow();
  platform::Messages& messages = desktop.messages();
  HWND window = desktop.mainWindow();
  HWND text = desktop.textArea();

  shell.ShowMenuWindow({50, 60, 240, 60});
  CHECK(tally, PumpUntil(messages, kWaitMs, [&] { return ::GetForegroundWindow() == window; }));
  CHECK_THAT(tally, RectBecomes(messages, window, 50, 60, 240, 60), "the menu window at 50,60 240x60");
  CHECK(tally, IsVisible(window) && !IsTopmost(window) && !HasFrame(window));
  CHECK(tally, (::GetWindowLongW(window, GWL_STYLE) & WS_POPUP) != 0);
  CHECK_THAT(tally, !IsVisible(text), "no text area in the menu window");
  CHECK(tally, ::GetMenu(window) != nullptr && !shell.MainWindowMinimised());

  // The step display over the menu window, and back.  Under Wine the window
  // manager may shift a window that loses its frame, so only the size counts.
  shell.ShowStepDisplay({100, 110, 300, 200}, 10);
  CHECK(tally, RectBecomes(messages, window, 100, 110, 300, 200));
  CHECK(tally, IsTopmost(window) && HasFrame(window) && IsVisible(text));
  shell.HideStepDisplay(240, 60);
  messages.ProcessMessages();
  CHECK_THAT(tally, IsVisible(window) && !IsTopmost(window) && !HasFrame(window) && !IsVisible(text),
             "STEP OFF goes back to the shown menu window");
  CHECK(tally, SizeIs(window, 240, 60));

  // The user minimised the menu window: STEP ON still shows.
  ::ShowWindow(window, SW_MINIMIZE);
  CHECK(tally, PumpUntil(messages, kWaitMs, [&] { return ::IsIconic(window) != FALSE; }));
  CHECK(tally, shell.MainWindowMinimised());
  shell.ShowStepDisplay({100, 110, 300, 200}, 10);
  CHECK_THAT(tally, !::IsIconic(window) && IsVisible(window) && RectBecomes(messages, window, 100, 110, 300, 200),
             "the step display comes out of a window the user minimised");

  shell.MinimiseMainWindow();
  messages.ProcessMessages();
  CHECK(tally, shell.MainWindowMinimised());
  CHECK_THAT(tally, ::IsIconic(window) && !IsVisible(window), "minimised and out of the taskbar");

  // A macro started by a hotkey may show the step display meanwhile.
  shell.ShowStepDisplay({100, 110, 300, 200}, 10);
  CHECK_THAT(tally, !::IsIconic(window) && IsVisible(window) && RectBecomes(messages, window, 100, 110, 300, 200),
             "the step display comes out of the hidden minimised window");
  shell.HideStepDisplay(240, 60);
  messages.ProcessMessages();
  CHECK_THAT(tally, shell.MainWindowMinimised() && ::IsIconic(window) && !IsVisible(window),
             "STEP OFF goes back to the minimised window");

  shell.ShowMenuWindow({70, 80, 240, 60});
  CHECK_THAT(tally, !::IsIconic(window) && IsVisible(window) && RectBecomes(messages, window, 70, 80, 240, 60),
             "the menu window comes back from minimised");
  CHECK(tally, !shell.MainWindowMinimised());
  CHECK(tally, PumpUntil(messages, kWaitMs, [&] { return ::GetForegroundWindow() == window; }));
}

void TestShellPaints(Tally& tally, win32::Win32Desktop& desktop) {
  platform::ShellWindow& shell = desktop.shellWindow();
  HWND window = desktop.mainWindow();
  shell.WaitForShellEvent(100);
  TakeAll(shell);
  ::InvalidateRect(window, nullptr, TRUE);
  shell.WaitForShellEvent(kWaitMs);
  CHECK_THAT(tally, Describe(TakeAll(shell)) == "paint 0", "an invalid window asks to be painted");
  CHECK_THAT(tally, !::GetUpdateRect(window, nullptr, FALSE), "and is valid after");
  for (int i = 0; i < 3; ++i) {
    ::InvalidateRect(window, nullptr, TRUE);
    ::UpdateWindow(window);
  }
  CHECK_THAT(tally, Describe(TakeAll(shell)) == "paint 0", "one paint pending at a time");
}

// Alt+V opens the drop-down, a letter picks the first item it starts; the
// break key's CloseMenu shuts the drop-down from a timer tick inside the
// menu's own loop.
void TestShellMenuKeys(Tally& tally, win32::Win32Desktop& desktop) {
  platform::ShellWindow& shell = desktop.shellWindow();
  platform::Input& input = desktop.input();
  CountingSink sink;
  bool closeWhenOpen = false;
  bool seenOpen = false;
  sink.onTick = [&](int) {
    if (DropDownOpen()) {
      seenOpen = true;
      if (closeWhenOpen) shell.CloseMenu();
    }
    if (sink.ticks[11] == 250) PressKeys(input, {}, {VK_ESCAPE, VK_ESCAPE});  // stuck: let go
    if (sink.ticks[11] > 500) ::ExitProcess(3);
  };
  desktop.messages().SetTimerSink(&sink);
  desktop.messages().SetTimer(11, 20);
  shell.WaitForShellEvent(100);
  TakeAll(shell);

  PressKeys(input, {VK_MENU}, {'V'});
  PressKeys(input, {}, {'B'});
  std::vector<ShellEvent> picked;
  const DWORD start = ::GetTickCount();
  while (picked.empty() && ::GetTickCount() - start < kWaitMs) {
    shell.WaitForShellEvent(500);
    picked = WithoutPaints(TakeAll(shell));
  }
  CHECK_THAT(tally, Describe(picked) == "menu 1", "Alt+V then B picks Beta: " + Describe(picked));

  closeWhenOpen = true;
  seenOpen = false;
  sink.ticks[11] = 0;
  PressKeys(input, {VK_MENU}, {'V'});
  const DWORD opened = ::GetTickCount();
  while (!seenOpen && ::GetTickCount() - opened < kWaitMs) shell.WaitForShellEvent(100);
  CHECK_THAT(tally, seenOpen, "the drop-down opened and timers ticked inside its loop");
  CHECK_THAT(tally, sink.ticks[11] < 250, "CloseMenu closed it, after " + std::to_string(sink.ticks[11]) + " ticks");
  CHECK(tally, !DropDownOpen());
  shell.WaitForShellEvent(100);
  CHECK(tally, Describe(WithoutPaints(TakeAll(shell))) == "none");
  desktop.messages().KillTimer(11);
  desktop.messages().SetTimerSink(nullptr);
}

void TestShellHotkeys(Tally& tally, win32::Win32Desktop& desktop) {
  platform::ShellWindow& shell = desktop.shellWindow();
  constexpr uint32_t kCtrlShift = platform::kModControl | platform::kModShift;
  CHECK(tally, shell.RegisterHotKey(1, kCtrlShift, VK_F11));
  CHECK_THAT(tally, !shell.RegisterHotKey(2, kCtrlShift, VK_F11), "the same keys twice are refused");
  CHECK(tally, !shell.RegisterHotKey(0xC000, platform::kModAlt, VK_F10));
  shell.UnregisterHotKey(1);
  CHECK_THAT(tally, shell.RegisterHotKey(2, kCtrlShift, VK_F11), "free again once unregistered");

  // Hotkeys work while the window is minimised and hidden.
  shell.MinimiseMainWindow();
  shell.WaitForShellEvent(100);
  TakeAll(shell);
  PressKeys(desktop.input(), {VK_CONTROL, VK_SHIFT}, {VK_F11});
  std::vector<ShellEvent> seen;
  const DWORD start = ::GetTickCount();
  while (seen.empty() && ::GetTickCount() - start < kWaitMs) {
    shell.WaitForShellEvent(500);
    seen = WithoutPaints(TakeAll(shell));
  }
  CHECK_THAT(tally, Describe(seen) == "hotkey 2", "Ctrl+Shift+F11 gives " + Describe(seen));
  shell.UnregisterHotKey(2);
  CHECK_THAT(tally, shell.RegisterHotKey(1, kCtrlShift, VK_F11), "UnregisterHotKey frees the keys");
  shell.UnregisterHotKey(1);
}

bool IconKnown(HWND window) {
  NOTIFYICONDATAW data{};
  data.cbSize = sizeof data;
  data.hWnd = window;
  data.uID = 1;
  data.uFlags = NIF_TIP;
  return ::Shell_NotifyIconW(NIM_MODIFY, &data) != FALSE;
}

void TestShellTrayIcon(Tally& tally, win32::Win32Desktop& desktop) {
  struct Tip {
    std::string sjis;
    std::wstring wide;
  };
  const Tip tips[] = {
      {"\x83\x7D\x83\x4E\x83\x8D", L"\u30DE\u30AF\u30ED"},
      {std::string(70, 'a'), std::wstring(63, L'a')},
      {std::string(62, 'a') + "\x83\x7D", std::wstring(62, L'a')},  // no half character
      {std::string(61, 'a') + "\x83\x7D", std::wstring(61, L'a') + L"\u30DE"},
      {std::string("ab\0cd", 5), L"ab"},
      {"", L""},
  };
  for (const Tip& t : tips) {
    CHECK_THAT(tally, win32::TrayTipText(t.sjis) == t.wide, "tooltip of " + Hex(t.sjis.substr(0, 8)));
  }

  platform::ShellWindow& shell = desktop.shellWindow();
  HWND window = desktop.mainWindow();
  CHECK(tally, !IconKnown(window));
  CHECK(tally, shell.AddTrayIcon("Vendrix \x83\x7D\x83\x4E\x83\x8D"));
  CHECK_THAT(tally, IconKnown(window), "icon 1 of the main window");
  shell.SetTrayTip("\x83\x65\x83\x58\x83\x67");
  // Explorer restarted: the icon comes back.
  NOTIFYICONDATAW data{};
  data.cbSize = sizeof data;
  data.hWnd = window;
  data.uID = 1;
  ::Shell_NotifyIconW(NIM_DELETE, &data);
  CHECK(tally, !IconKnown(window));
  ::SendMessageW(window, ::RegisterWindowMessageW(L"TaskbarCreated"), 0, 0);
  CHECK_THAT(tally, IconKnown(window), "the icon is added again for a new taskbar");
  shell.DeleteTrayIcon();
  CHECK(tally, !IconKnown(window));
  ::SendMessageW(window, ::RegisterWindowMessageW(L"TaskbarCreated"), 0, 0);
  CHECK_THAT(tally, !IconKnown(window), "a deleted icon stays deleted");
  CHECK(tally, shell.AddTrayIcon("again"));
  CHECK(tally, shell.AddTrayIcon("twice"));
  shell.DeleteTrayIcon();
  CHECK(tally, !IconKnown(window));
}

// The open dialog of this thread owned by `owner`, once it is up.
struct FileDialogSearch {
  HWND owner;
  HWND found = nullptr;
  static BOOL CALLBACK Visit(HWND window, LPARAM self) {
    auto* search = reinterpret_cast<FileDialogSearch*>(self);
    wchar_t name[16] = L"";
    ::GetClassNameW(window, name, 16);
    if (std::wstring(name) == L"#32770" && ::GetWindow(window, GW_OWNER) == search->owner &&
        ::IsWindowVisible(window) && ::GetDlgItem(window, 0x47C) != nullptr) {
      search->found = window;
      return FALSE;
    }
    return TRUE;
  }
};

std::vector<std::wstring> ComboItems(HWND combo) {
  std::vector<std::wstring> items;
  const LRESULT count = ::SendMessageW(combo, CB_GETCOUNT, 0, 0);
  for (LRESULT i = 0; i < count && i < 20; ++i) {
    wchar_t text[256] = L"";
    if (::SendMessageW(combo, CB_GETLBTEXTLEN, static_cast<WPARAM>(i), 0) < 255) {
      ::SendMessageW(combo, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text));
    }
    items.push_back(text);
  }
  return items;
}

void TestShellChooseFile(Tally& tally, win32::Win32Desktop& desktop) {
  platform::ShellWindow& shell = desktop.shellWindow();
  const std::string folder = MakeTempFolder();
  const std::wstring wideFolder = WideFromSjis(folder);
  for (const wchar_t* name : {L"\\\u30BD\u30DE.txt", L"\\caf\u00E9.txt"}) {
    HANDLE file = ::CreateFileW((wideFolder + name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    ::CloseHandle(file);
  }
  struct Choice {
    const char* name;
    std::wstring typed;  // empty: Cancel
    std::optional<std::string> expected;
  };
  const Choice choices[] = {
      {"a Japanese name", wideFolder + L"\\\u30BD\u30DE.txt", folder + "\\\x83\x5C\x83\x7D.txt"},
      {"a name code page 932 cannot spell", wideFolder + L"\\caf\u00E9.txt", std::nullopt},
      {"cancelled", L"", std::nullopt},
  };
  wchar_t before[MAX_PATH] = L"";
  ::GetCurrentDirectoryW(MAX_PATH, before);
  for (const Choice& choice : choices) {
    CountingSink sink;
    std::vector<std::wstring> filters;
    bool answered = false;
    sink.onTick = [&](int) {
      if (answered) return;
      FileDialogSearch search{desktop.mainWindow()};
      ::EnumThreadWindows(::GetCurrentThreadId(), &FileDialogSearch::Visit,
                          reinterpret_cast<LPARAM>(&search));
      if (search.found == nullptr) {
        if (sink.ticks[12] > 500) ::ExitProcess(3);  // no dialog after 10 s
        return;
      }
      answered = true;
      filters = ComboItems(::GetDlgItem(search.found, 0x470));
      if (!choice.typed.empty()) ::SetDlgItemTextW(search.found, 0x47C, choice.typed.c_str());
      ::PostMessageW(::GetDlgItem(search.found, choice.typed.empty() ? IDCANCEL : IDOK), BM_CLICK, 0, 0);
    };
    desktop.messages().SetTimerSink(&sink);
    desktop.messages().SetTimer(12, 20);
    // ポ|*.txt|全部|*.*: the first name ends in the trail byte 0x7C.
    const auto chosen = shell.ChooseFile("\x83\x7C|*.txt|\x91\x53\x95\x94|*.*");
    desktop.messages().KillTimer(12);
    desktop.messages().SetTimerSink(nullptr);
    CHECK_THAT(tally, chosen == choice.expected,
               std::string(choice.name) + ": " + (chosen ? Hex(*chosen) : "none"));
    CHECK_THAT(tally, filters == std::vector<std::wstring>({L"\u30DD", L"\u5168\u90E8"}),
               std::string("the filter list shows ") + std::to_string(filters.size()) + " names");
  }
  wchar_t after[MAX_PATH] = L"";
  ::GetCurrentDirectoryW(MAX_PATH, after);
  CHECK_THAT(tally, std::wstring(before) == after, "the current folder stays");
  RemoveFolder(folder);
}

// ---- the program's icon ----------------------------------------------------

struct IconImage {
  int side;
  int bits;  // 24 or 32
  COLORREF colour;
};

void PutLittleEndian(std::string& out, uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out += static_cast<char>((value >> (8 * i)) & 0xFF);
}

// An .ico file of square one-colour images, each with an all-opaque mask.
std::string IcoFile(const std::vector<IconImage>& images) {
  std::string directory;
  std::string data;
  PutLittleEndian(directory, 0, 2);
  PutLittleEndian(directory, 1, 2);
  PutLittleEndian(directory, static_cast<uint32_t>(images.size()), 2);
  uint32_t offset = static_cast<uint32_t>(6 + 16 * images.size());
  for (const IconImage& image : images) {
    const int stride = (image.side * image.bits / 8 + 3) / 4 * 4;
    const int maskStride = (image.side + 31) / 32 * 4;
    std::string blob;
    PutLittleEndian(blob, 40, 4);
    PutLittleEndian(blob, static_cast<uint32_t>(image.side), 4);
    PutLittleEndian(blob, static_cast<uint32_t>(image.side * 2), 4);  // colour rows and mask rows
    PutLittleEndian(blob, 1, 2);
    PutLittleEndian(blob, static_cast<uint32_t>(image.bits), 2);
    PutLittleEndian(blob, 0, 4);
    PutLittleEndian(blob, static_cast<uint32_t>((stride + maskStride) * image.side), 4);
    blob.append(16, '\0');
    for (int y = 0; y < image.side; ++y) {
      std::string row;
      for (int x = 0; x < image.side; ++x) {
        row += static_cast<char>(GetBValue(image.colour));
        row += static_cast<char>(GetGValue(image.colour));
        row += static_cast<char>(GetRValue(image.colour));
        if (image.bits == 32) row += '\xFF';
      }
      row.resize(static_cast<size_t>(stride), '\0');
      blob += row;
    }
    blob.append(static_cast<size_t>(maskStride * image.side), '\0');
    directory += static_cast<char>(image.side);
    directory += static_cast<char>(image.side);
    directory += std::string(2, '\0');
    PutLittleEndian(directory, 1, 2);
    PutLittleEndian(directory, static_cast<uint32_t>(image.bits), 2);
    PutLittleEndian(directory, static_cast<uint32_t>(blob.size()), 4);
    PutLittleEndian(directory, offset, 4);
    offset += static_cast<uint32_t>(blob.size());
    data += blob;
  }
  return directory + data;
}

// An icon's size and whether every pixel of its image has that colour.
struct IconLook {
  int width = 0;
  int height = 0;
  bool oneColour = false;
};

IconLook LookOf(HICON icon, COLORREF colour) {
  IconLook look;
  ICONINFO info{};
  if (icon == nullptr || !::GetIconInfo(icon, &info)) return look;
  BITMAP shape{};
  if (info.hbmColor != nullptr && ::GetObjectW(info.hbmColor, sizeof shape, &shape) == sizeof shape &&
      shape.bmWidth > 0 && shape.bmWidth <= 256 && shape.bmHeight > 0 && shape.bmHeight <= 256) {
    look.width = shape.bmWidth;
    look.height = shape.bmHeight;
    BITMAPINFO request{};
    request.bmiHeader.biSize = sizeof request.bmiHeader;
    request.bmiHeader.biWidth = shape.bmWidth;
    request.bmiHeader.biHeight = -shape.bmHeight;
    request.bmiHeader.biPlanes = 1;
    request.bmiHeader.biBitCount = 32;
    request.bmiHeader.biCompression = BI_RGB;
    std::vector<DWORD> pixels(static_cast<size_t>(shape.bmWidth) * static_cast<size_t>(shape.bmHeight));
    HDC screen = ::GetDC(nullptr);
    const int rows = ::GetDIBits(screen, info.hbmColor, 0, static_cast<UINT>(shape.bmHeight), pixels.data(),
                                 &request, DIB_RGB_COLORS);
    ::ReleaseDC(nullptr, screen);
    const DWORD rgb = static_cast<DWORD>(GetRValue(colour)) << 16 | GetGValue(colour) << 8 | GetBValue(colour);
    look.oneColour = rows == shape.bmHeight &&
                     std::all_of(pixels.begin(), pixels.end(), [rgb](DWORD p) { return (p & 0xFFFFFF) == rgb; });
  }
  if (info.hbmColor != nullptr) ::DeleteObject(info.hbmColor);
  if (info.hbmMask != nullptr) ::DeleteObject(info.hbmMask);
  return look;
}

HICON ClassIcon(HWND window, int which) {
  return reinterpret_cast<HICON>(::GetClassLongPtrW(window, which));
}

// SetProgramIcon takes the file's image of each size the system uses for
// the window's big and small icons; a file it cannot read leaves the icon.
void TestShellProgramIcon(Tally& tally, win32::Win32Desktop& desktop) {
  platform::ShellWindow& shell = desktop.shellWindow();
  HWND window = desktop.mainWindow();
  win32::Win32Files files;
  const std::string folder = MakeTempFolder();
  // Each size in a colour of its own, so the right image must be picked.
  const std::vector<IconImage> images = {
      {16, 24, RGB(0xC0, 0x30, 0x10)}, {32, 32, RGB(0x20, 0xA0, 0x60)}, {48, 32, RGB(0x40, 0x50, 0xE0)}};
  const std::string good = IcoFile(images);
  // "ソ.ico": the name ends a character in the byte of a backslash.
  const std::string icon = folder + "\\\x83\x5C.ico";
  // The directory points past the end of what is left.
  const std::string pointsPastItsEnd = good.substr(0, 200);
  struct Bad {
    const char* what;
    std::string name;
    std::optional<std::string> bytes;  // none: no such file
  };
  const Bad bad[] = {
      {"a missing file", folder + "\\missing.ico", std::nullopt},
      {"an empty file", folder + "\\empty.ico", std::string()},
      {"a file cut short", folder + "\\short.ico", pointsPastItsEnd},
      {"a bitmap, no icon", folder + "\\bitmap.ico", std::string("BM") + std::string(60, '\x11')},
  };
  for (const Bad& b : bad) {
    if (b.bytes) files.WriteFile(b.name, *b.bytes);
  }
  CHECK(tally, files.WriteFile(icon, good));

  const auto expectUnchanged = [&](const char* when, HICON big, HICON small) {
    for (const Bad& b : bad) {
      CHECK_THAT(tally, !shell.SetProgramIcon(b.name), std::string(when) + ": " + b.what + " is refused");
      CHECK_THAT(tally, ClassIcon(window, GCLP_HICON) == big && ClassIcon(window, GCLP_HICONSM) == small,
                 std::string(when) + ": " + b.what + " leaves the icon");
    }
  };
  expectUnchanged("before", ClassIcon(window, GCLP_HICON), ClassIcon(window, GCLP_HICONSM));

  CHECK(tally, shell.SetProgramIcon(icon));
  const HICON big = ClassIcon(window, GCLP_HICON);
  const HICON small = ClassIcon(window, GCLP_HICONSM);
  const auto colourOfSide = [&images](int side) -> COLORREF {
    for (const IconImage& image : images) {
      if (image.side == side) return image.colour;
    }
    return CLR_INVALID;
  };
  struct Size {
    const char* name;
    HICON icon;
    int side;
  };
  const Size sizes[] = {{"big", big, ::GetSystemMetrics(SM_CXICON)}, {"small", small, ::GetSystemMetrics(SM_CXSMICON)}};
  for (const Size& size : sizes) {
    const IconLook look = LookOf(size.icon, colourOfSide(size.side));
    CHECK_THAT(tally, look.width == size.side && look.height == size.side && look.oneColour,
               std::string("the class's ") + size.name + " icon is the file's " + std::to_string(size.side) +
                   "-pixel image: " + std::to_string(look.width) + "x" + std::to_string(look.height) +
                   (look.oneColour ? " in its colour" : " in other colours"));
  }
  CHECK_THAT(tally, reinterpret_cast<HICON>(::SendMessageW(window, WM_GETICON, ICON_BIG, 0)) == big &&
                        reinterpret_cast<HICON>(::SendMessageW(window, WM_GETICON, ICON_SMALL, 0)) == small,
             "the window shows the class's icons");
  expectUnchanged("after", big, small);
  RemoveFolder(folder);
}

void TestShellWindow(Tally& tally, win32::Win32Desktop& desktop) {
  platform::ShellWindow& shell = desktop.shellWindow();
  TestShellMenuItems(tally, desktop);
  TestShellMessages(tally, desktop);
  TestShellWaits(tally, desktop);
  TestShellLooks(tally, desktop);
  TestShellPaints(tally, desktop);
  TestShellMenuKeys(tally, desktop);
  TestShellHotkeys(tally, desktop);
  TestShellTrayIcon(tally, desktop);
  TestShellChooseFile(tally, desktop);
  TestShellProgramIcon(tally, desktop);
  // Wine has no joystick to capture.
  for (int joystick : {0, 1, 2, -1}) {
    CHECK_THAT(tally, !shell.CaptureJoystick(joystick), "joystick " + std::to_string(joystick));
    shell.ReleaseJoystick(joystick);
  }
}

int ChildClipboard() {
  return RawClipboardText(CF_UNICODETEXT) == kClipWide ? 0 : 2;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc >= 2 && std::strcmp(argv[1], "--child-clipboard") == 0) return ChildClipboard();
  if (argc >= 3 && std::strcmp(argv[1], "--child-sleep") == 0) {
    ::Sleep(static_cast<DWORD>(std::atoi(argv[2])));
    return 7;
  }
  int screenWidth = 0;
  int screenHeight = 0;
  for (int i = 1; i + 1 < argc; ++i) {
    if (std::strcmp(argv[i], "--screen") == 0)
      std::sscanf(argv[i + 1], "%dx%d", &screenWidth, &screenHeight);
  }
  Tally tally;
  // Each group's time goes to stderr: Wine makes some calls slow.
  const auto timed = [](const char* name, const std::function<void()>& group) {
    const DWORD start = ::GetTickCount();
    group();
    std::fprintf(stderr, "%s: %lu ms\n", name,
                 static_cast<unsigned long>(::GetTickCount() - start));
  };
  timed("text", [&] { TestText(tally); });
  timed("files", [&] { TestFiles(tally); });
  timed("host", [&] { TestHost(tally); });
  timed("clock and display", [&] { TestClockAndDisplay(tally, screenWidth, screenHeight); });
  timed("recorder's password fields", [&] { TestRecorderPasswordFields(tally); });
  {
    win32::Win32Desktop desktop(::GetModuleHandleW(nullptr));
    timed("timers", [&] { TestTimers(tally, desktop); });
    timed("message box", [&] { TestMessageBox(tally, desktop); });
    timed("step display", [&] { TestStepDisplay(tally, desktop); });
    timed("input", [&] { TestInput(tally, desktop); });
    timed("pointer", [&] { TestPointer(tally, desktop); });
    timed("windows", [&] { TestWindows(tally, desktop); });
    timed("clipboard", [&] { TestClipboard(tally, desktop); });
    timed("programs", [&] { TestPrograms(tally, desktop); });
    timed("sound and joysticks", [&] { TestSoundAndJoysticks(tally, desktop); });
    timed("shell window", [&] { TestShellWindow(tally, desktop); });
  }
  std::printf("%d passed, %d failed\n", tally.passed, tally.failed);
  return tally.failed == 0 ? 0 : 1;
}
