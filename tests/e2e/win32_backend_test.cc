// Checks of the Windows backend against the real (or Wine's) user32 and
// kernel32: CP932 conversion, files, host, timers, the step display, message
// boxes and injected input.  Run under Wine by run_e2e.py:
//
//   vendrix_win32_tests [--screen WIDTHxHEIGHT]
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

}  // namespace

int main(int argc, char** argv) {
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
  }
  std::printf("%d passed, %d failed\n", tally.passed, tally.failed);
  return tally.failed == 0 ? 0 : 1;
}
