// Checks of the Windows backend against the real (or Wine's) user32 and
// kernel32: CP932 conversion, files, host, timers, the step display, message
// boxes, injected input, the pointer, other windows, the clipboard, other
// programs, the speaker and the joysticks.  Run under Wine by run_e2e.py:
//
//   vendrix_win32_tests [--screen WIDTHxHEIGHT]
//
// The program checks also start copies of itself as other programs:
//   vendrix_win32_tests --child-clipboard   exit code 0 when the clipboard's
//                                           CF_UNICODETEXT is the test text
//   vendrix_win32_tests --child-sleep MS    sleeps, then exits with code 7
//
// Prints one line per failed check and ends with "N passed, N failed".
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "platform/win32/win32_api.h"
#include "platform/win32/win32_desktop.h"
#include "platform/win32/win32_host.h"
#include "platform/win32/win32_text.h"

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
  CHECK(tally, files.FileExists(folder));
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

  {
    win32::Win32Host resident;
    win32::Win32Host other;
    CHECK(tally, !other.ResidentInstanceRunning());
    resident.ClaimResidentInstance();
    CHECK(tally, other.ResidentInstanceRunning());
    HANDLE byName = ::OpenMutexW(SYNCHRONIZE, FALSE, L"vendrix /tsr");
    CHECK_THAT(tally, byName != nullptr, "the mutex is named \"vendrix /tsr\"");
    if (byName != nullptr) ::CloseHandle(byName);
  }
  win32::Win32Host after;
  CHECK_THAT(tally, !after.ResidentInstanceRunning(), "the mutex goes with its host");
}

// ---- clock and display -----------------------------------------------------

void TestClockAndDisplay(Tally& tally, int screenWidth, int screenHeight) {
  win32::Win32Clock clock;
  const uint32_t before = clock.TickCount();
  clock.Sleep(50);
  const uint32_t elapsed = clock.TickCount() - before;
  CHECK_THAT(tally, elapsed >= 40 && elapsed < 2000, "Sleep(50) took " + std::to_string(elapsed));

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
  CHECK(tally, PumpUntil(messages, 3000, [&] { return sink.ticks[1] >= 2 && sink.ticks[2] >= 2; }));
  messages.KillTimer(1);
  messages.ProcessMessages();
  const int frozen = sink.ticks[1];
  const int secondBefore = sink.ticks[2];
  CHECK(tally, PumpUntil(messages, 3000, [&] { return sink.ticks[2] >= secondBefore + 3; }));
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
        desktop.messages(), 2000, [&] { return (input.GetAsyncKeyState(path.vk) & 0x8000) != 0; });
    CHECK_THAT(tally, seenDown, std::string(path.name) + " press is seen");
    path.send(false);
    const bool seenUp = PumpUntil(desktop.messages(), 2000,
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
  CHECK(tally, PumpUntil(messages, 2000, [&] { return windows.GetForegroundWindow() == test.id(); }));
  CHECK(tally, windows.GetActiveWindow() == test.id());
  windows.BringWindowToTop(test.id());
  ::SetFocus(test.edit());
  CHECK(tally, windows.GetFocus() == test.editId());
  CHECK_THAT(tally, windows.GetCaretPos().has_value(), "the focused EDIT has a caret");

  RECT editRect{};
  ::GetWindowRect(test.edit(), &editRect);
  const platform::Point inside{(editRect.left + editRect.right) / 2, (editRect.top + editRect.bottom) / 2};
  CHECK_THAT(tally, PumpUntil(messages, 2000, [&] { return windows.WindowFromPoint(inside) == test.editId(); }),
             "WindowFromPoint finds the EDIT");

  CHECK(tally, !windows.IsIconic(test.id()));
  windows.ShowWindow(test.id(), SW_MINIMIZE);
  CHECK(tally, PumpUntil(messages, 2000, [&] { return windows.IsIconic(test.id()); }));
  windows.ShowWindow(test.id(), platform::kSwRestore);
  CHECK(tally, PumpUntil(messages, 2000, [&] { return !windows.IsIconic(test.id()); }));
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
  CHECK(tally, PumpUntil(desktop.messages(), 2000, [&] { return EditText(test.edit()) == L"AB"; }));
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
    ::WaitForSingleObject(ready_, 5000);
  }
  ~ForeignEdit() {
    ::PostThreadMessageW(threadId_, WM_QUIT, 0, 0);
    ::WaitForSingleObject(thread_, 5000);
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
  const auto typed = [&](const std::wstring& expected, const char* what) {
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
  // A sent message after the posted ones is handled after them.
  windows.SendWindowMessage(foreign.id(), WM_NULL, 0, 0);
  const DWORD start = ::GetTickCount();
  while (EditText(foreign.edit()).size() < 3 && ::GetTickCount() - start < 2000) ::Sleep(5);
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
  const bool held = ::WaitForSingleObject(opened, 2000) == WAIT_OBJECT_0;
  clipboard.SetText("held");
  CHECK_THAT(tally, held && clipboard.GetText() == "held", "the text goes on once the holder lets go");
  ::WaitForSingleObject(holder, 2000);
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
    CHECK(tally, PumpUntil(desktop.messages(), 10000, [&] { return !programs.ProgramRunning(reader); }));
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
  }
  std::printf("%d passed, %d failed\n", tally.passed, tally.failed);
  return tally.failed == 0 ? 0 : 1;
}
