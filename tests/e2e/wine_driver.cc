// The end-to-end suite's hands under Wine: finds Vendrix.exe's message
// boxes, reports their text, presses their buttons, holds keys, and drives
// and reads the other programs a macro works on.
//
//   vendrix_e2e_driver box [--timeout MS] [--press OK|YES|NO|CANCEL]
//   (--caption TEXT: another ASCII caption)
//       Waits for a box captioned "Vendrix V0.74a", prints one JSON line
//       {"text": ..., "buttons": [...]} in UTF-8, presses the button (if
//       asked) and waits until the box is gone.  Exit 0, or 2 on timeout.
//   vendrix_e2e_driver windows
//       Prints {"windows": [{"class", "caption", "pid", "visible"}, ...]},
//       every top-level window, for the report of a case that failed.
//   vendrix_e2e_driver key --vk N --down|--up
//       Injects one key event with keybd_event.
//   vendrix_e2e_driver mutex
//       Holds the resident instance's mutex until standard input ends;
//       prints {"held": true} once it has it.
//   vendrix_e2e_driver window --class NAME [--timeout MS]
//       Waits for a visible top-level window of that class, prints its
//       rectangle, topmost flag and the text of its first EDIT child.
//   vendrix_e2e_driver input --caption TEXT|--caption-hex HEX [--timeout MS] [--type HEX]
//                            --press OK|CANCEL
//       Waits for a dialog with that caption and an EDIT field, prints
//       {"prompt": ..., "text": ..., "selected": true|false} (the field's
//       text and whether all of it is selected), replaces the field's text
//       with the UTF-8 bytes written as HEX (if given), presses the button
//       and waits until the dialog is gone.
//   vendrix_e2e_driver notepad --title HEX --at X,Y,W,H [--timeout MS]
//       Starts Wine's notepad, waits until its window is in front with the
//       keyboard focus settled (see MoveFocusAndSettle), gives it the title
//       written as UTF-8 HEX, moves it to that rectangle and prints
//       {"hwnd": N, "pid": N}.  The program keeps running; "kill" ends it.
//   vendrix_e2e_driver text --hwnd N [--expect HEX] [--timeout MS]
//       Prints {"text": ...}, the text of the window's first EDIT child
//       (WM_GETTEXT); with --expect, first waits until it reads so.
//   vendrix_e2e_driver document --expect HEX [--close] [--timeout MS]
//       Waits for a notepad whose text reads so (a document a macro opened)
//       and prints {"hwnd": N}; with --close, closes it and waits until it
//       is gone.
//   vendrix_e2e_driver clipboard [--out FILE]
//       Prints {"unicode": ..., "ansi": HEX, "ms": N}: CF_UNICODETEXT as
//       UTF-8, the bytes of CF_TEXT and how long opening and reading the
//       clipboard took; with --out, writes that line to FILE instead (a
//       program for EXEC that uses the clipboard).
//   vendrix_e2e_driver keys --vk N,N,... [--wait down|up] [--timeout MS]
//       Prints {"down": [...]}, the keys GetAsyncKeyState finds down; with
//       --wait, first waits until all are down or all are up.
//   vendrix_e2e_driver watch
//       Records every key event on the desktop (a low-level keyboard hook)
//       until standard input ends; prints {"ready": true} once the hook is
//       in, then {"events": [[vk, "down"|"up", injected], ...]}.
//   vendrix_e2e_driver sleep --ms N --touch FILE
//       Sleeps, then creates FILE: a program for EXEC to wait for.
//   vendrix_e2e_driver kill --pid N
//       Ends that process.
//   vendrix_e2e_driver picture --at X,Y,W,H --patch X,Y,N --colours HEX
//       Shows a topmost window at that screen rectangle, its left half pure
//       red and its right half pure blue, with an N x N patch at (X,Y) in
//       it whose pixels are the RGB triplets of HEX, row by row.  Prints
//       {"hwnd": N} once the screen shows all of it; stays until standard
//       input ends.
//   vendrix_e2e_driver menu --press VK|--char N [--hold] [--timeout MS]
//       Waits for an open popup menu in front, presses that key, or the key
//       that types UTF-16 character N with the Shift, Ctrl or Alt it needs
//       (keeps it down with --hold; else presses again while the menu stays
//       open, up to 3 times) and prints {"presses": N, "closed": true|false}.
//   vendrix_e2e_driver filedialog --press OK|CANCEL [--type HEX] [--timeout MS]
//       Waits for a visible open-file dialog of any program (a dialog with
//       the file name box 0x47C), prints {"title": ..., "filters": [...]}
//       (its caption and the names in its list of file types), puts the
//       UTF-8 name written as HEX into the name box (if given), presses the
//       button and waits until the dialog is gone.
//   vendrix_e2e_driver resident --class NAME [--timeout MS]
//       Waits for a minimised window of that class (a resident program at
//       rest) and prints {"hwnd": N}.
//   vendrix_e2e_driver post --hwnd N --msg N --lparam N
//       Posts that message (wParam 0) to the window.
//   vendrix_e2e_driver chord --vk N,N,...
//       Presses the keys in that order and lets them go in reverse.
//   vendrix_e2e_driver tray
//       Holds an icon in the notification area until standard input ends,
//       with Wine's tray window disabled (see HoldTrayIcon); prints
//       {"held": true} once it is there.
//   vendrix_e2e_driver trayicons --colour RRGGBB [--icons N] [--timeout MS]
//       Waits until Wine's tray window shows at least N icons (default 1),
//       each painted and uncovered, and prints {"icons": [{"rect": [...],
//       "pixels": N, "matching": N, ...}, ...]}: for each icon's window, its
//       pixels on the screen and how many of them have that colour.
//   vendrix_e2e_driver button --class NAME --text HEX [--timeout MS]
//       Waits for a visible top-level window of that class with an enabled
//       button whose text is the UTF-8 written as HEX, and clicks it
//       (posted: a click that opens a dialog does not hold the driver);
//       prints {"clicked": true}.
//   vendrix_e2e_driver caption --class NAME [--expect HEX] [--timeout MS]
//       Waits for a visible top-level window of that class (whose caption
//       reads the UTF-8 written as HEX, if given) and prints {"hwnd": N,
//       "caption": ...}.
//   vendrix_e2e_driver front --hwnd N [--click X,Y] [--timeout MS]
//       Brings the window to the front: by clicking at that screen point as
//       a user would (mouse_event: injected input), then waiting until it is
//       in front; else with SetForegroundWindow and the keyboard focus
//       settled (see MoveFocusAndSettle).  Prints {"front": true}.
//   vendrix_e2e_driver type --vk N,N,...
//       Presses and lets go of each key in turn (keybd_event).
//   vendrix_e2e_driver breaktime --vk N [--after MS] [--timeout MS]
//       Waits MS (the macro gets going), presses the key down and keeps it
//       down, and watches every millisecond for Vendrix.exe's box to exist;
//       prints {"ms": N.N}, the time from the key press to the box.
//
// Texts to compare go out as UTF-8 on stdout; arguments stay ASCII, since
// Wine converts console arguments through the ANSI code page.
#include <windows.h>
#include <shellapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <string>
#include <utility>
#include <vector>

namespace {

constexpr wchar_t kCaption[] = L"Vendrix V0.74a";
constexpr DWORD kPollMs = 10;
// A wait without --timeout.  Waits end as soon as what they wait for holds,
// so a long deadline costs nothing and leaves room for a busy machine.
constexpr DWORD kDefaultWaitMs = 30000;

std::string Utf8(const std::wstring& wide) {
  if (wide.empty()) return {};
  const int length = ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()),
                                           nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<size_t>(length), '\0');
  ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), out.data(), length,
                        nullptr, nullptr);
  return out;
}

std::string JsonString(const std::string& utf8) {
  std::string out = "\"";
  for (unsigned char c : utf8) {
    if (c == '"' || c == '\\') {
      out += '\\';
      out += static_cast<char>(c);
    } else if (c < 0x20) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
      out += escaped;
    } else {
      out += static_cast<char>(c);
    }
  }
  return out + "\"";
}

void PrintLine(const std::string& line) {
  std::fwrite(line.data(), 1, line.size(), stdout);
  std::fputc('\n', stdout);
  std::fflush(stdout);
}

// Polls `found` until it returns a window or `timeoutMs` passes.
template <typename Finder>
HWND WaitFor(Finder found, DWORD timeoutMs) {
  const DWORD start = ::GetTickCount();
  for (;;) {
    if (HWND window = found()) return window;
    if (::GetTickCount() - start >= timeoutMs) return nullptr;
    ::Sleep(kPollMs);
  }
}

std::wstring WindowText(HWND window) {
  const int length = static_cast<int>(::SendMessageW(window, WM_GETTEXTLENGTH, 0, 0));
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  const int got = static_cast<int>(
      ::SendMessageW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data())));
  text.resize(static_cast<size_t>(got));
  return text;
}

struct ButtonName {
  const char* name;
  int id;
};
constexpr ButtonName kButtons[] = {
    {"OK", IDOK}, {"CANCEL", IDCANCEL}, {"YES", IDYES}, {"NO", IDNO}};

int ButtonId(const char* name) {
  for (const ButtonName& button : kButtons) {
    if (std::strcmp(button.name, name) == 0) return button.id;
  }
  return 0;
}

const char* Option(int argc, char** argv, const char* name) {
  for (int i = 2; i + 1 < argc; ++i) {
    if (std::strcmp(argv[i], name) == 0) return argv[i + 1];
  }
  return nullptr;
}

bool Flag(int argc, char** argv, const char* name) {
  for (int i = 2; i < argc; ++i) {
    if (std::strcmp(argv[i], name) == 0) return true;
  }
  return false;
}

DWORD Timeout(int argc, char** argv) {
  const char* value = Option(argc, argv, "--timeout");
  return value != nullptr ? static_cast<DWORD>(std::strtoul(value, nullptr, 10)) : kDefaultWaitMs;
}

struct BoxSearch {
  const std::wstring* caption;
  HWND found;
};

BOOL CALLBACK FindShownBox(HWND window, LPARAM param) {
  auto* search = reinterpret_cast<BoxSearch*>(param);
  wchar_t className[16] = L"";
  ::GetClassNameW(window, className, static_cast<int>(std::size(className)));
  if (std::wcscmp(className, L"#32770") != 0 || !::IsWindowVisible(window)) return TRUE;
  // GetWindowText reads a caption without a message to the other program.
  wchar_t caption[128] = L"";
  ::GetWindowTextW(window, caption, static_cast<int>(std::size(caption)));
  if (::GetDlgItem(window, 0xFFFF) == nullptr || caption != *search->caption) return TRUE;
  search->found = window;
  return FALSE;
}

// A message box with that caption, once it is shown with its text (a box
// still being built has no text yet).  Every top-level window is looked at,
// not only the first with the caption, which may be a box of a program on
// its way out.
HWND ShownBox(const std::wstring& caption) {
  BoxSearch search{&caption, nullptr};
  ::EnumWindows(FindShownBox, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

int Box(int argc, char** argv) {
  const DWORD timeout = Timeout(argc, argv);
  const char* asciiCaption = Option(argc, argv, "--caption");
  const std::wstring caption =
      asciiCaption != nullptr ? std::wstring(asciiCaption, asciiCaption + std::strlen(asciiCaption))
                              : kCaption;
  HWND box = WaitFor([&caption] { return ShownBox(caption); }, timeout);
  if (box == nullptr) {
    PrintLine("{\"error\": \"no message box\"}");
    return 2;
  }
  wchar_t text[4096] = L"";
  ::GetDlgItemTextW(box, 0xFFFF, text, static_cast<int>(std::size(text)));
  // Buttons left to right, as the user sees them.
  std::vector<std::pair<LONG, const char*>> shown;
  for (const ButtonName& button : kButtons) {
    HWND control = ::GetDlgItem(box, button.id);
    if (control == nullptr) continue;
    RECT rect{};
    ::GetWindowRect(control, &rect);
    shown.emplace_back(rect.left, button.name);
  }
  std::sort(shown.begin(), shown.end());
  std::string buttons;
  for (const auto& [left, name] : shown) {
    if (!buttons.empty()) buttons += ", ";
    buttons += JsonString(name);
  }
  PrintLine("{\"text\": " + JsonString(Utf8(text)) + ", \"buttons\": [" + buttons + "]}");

  const char* press = Option(argc, argv, "--press");
  if (press == nullptr) return 0;
  const int id = ButtonId(press);
  HWND button = id != 0 ? ::GetDlgItem(box, id) : nullptr;
  if (button == nullptr) {
    std::fprintf(stderr, "no button %s\n", press);
    return 3;
  }
  ::SendMessageW(button, BM_CLICK, 0, 0);
  // The next box has the same caption: wait until this one is gone.
  if (WaitFor([box] { return ::IsWindow(box) ? nullptr : box; }, timeout) == nullptr) {
    std::fprintf(stderr, "box stayed open\n");
    return 2;
  }
  return 0;
}

// "e697a5" -> the UTF-16 of those UTF-8 bytes; arguments stay ASCII.
std::wstring WideFromHex(const char* hex) {
  std::string bytes;
  for (size_t i = 0; hex[i] != '\0' && hex[i + 1] != '\0'; i += 2) {
    const char pair[3] = {hex[i], hex[i + 1], '\0'};
    bytes += static_cast<char>(std::strtoul(pair, nullptr, 16));
  }
  if (bytes.empty()) return {};
  const int length = ::MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
  std::wstring wide(static_cast<size_t>(length), L'\0');
  ::MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(bytes.size()), wide.data(), length);
  return wide;
}

int Input(int argc, char** argv) {
  const DWORD timeout = Timeout(argc, argv);
  const char* asciiCaption = Option(argc, argv, "--caption");
  const char* hexCaption = Option(argc, argv, "--caption-hex");
  const char* press = Option(argc, argv, "--press");
  if ((asciiCaption == nullptr && hexCaption == nullptr) || press == nullptr) return 64;
  const std::wstring caption = hexCaption != nullptr ? WideFromHex(hexCaption)
                                                     : std::wstring(asciiCaption, asciiCaption + std::strlen(asciiCaption));
  HWND dialog = WaitFor(
      [&caption] {
        HWND found = ::FindWindowW(L"#32770", caption.c_str());
        return found != nullptr && ::IsWindowVisible(found) &&
                       ::FindWindowExW(found, nullptr, L"EDIT", nullptr) != nullptr
                   ? found
                   : nullptr;
      },
      timeout);
  if (dialog == nullptr) {
    PrintLine("{\"error\": \"no input dialog\"}");
    return 2;
  }
  HWND edit = ::FindWindowExW(dialog, nullptr, L"EDIT", nullptr);
  HWND prompt = ::FindWindowExW(dialog, nullptr, L"STATIC", nullptr);
  const std::wstring text = WindowText(edit);
  DWORD selStart = 0;
  DWORD selEnd = 0;
  ::SendMessageW(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&selStart), reinterpret_cast<LPARAM>(&selEnd));
  const bool selected = selStart == 0 && selEnd == text.size();
  PrintLine("{\"prompt\": " + JsonString(prompt != nullptr ? Utf8(WindowText(prompt)) : std::string()) +
            ", \"text\": " + JsonString(Utf8(text)) + ", \"selected\": " + (selected ? "true" : "false") + "}");
  if (const char* hex = Option(argc, argv, "--type")) {
    const std::wstring typed = WideFromHex(hex);
    ::SendMessageW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(typed.c_str()));
  }
  const int id = ButtonId(press);
  HWND button = id != 0 ? ::GetDlgItem(dialog, id) : nullptr;
  if (button == nullptr) {
    std::fprintf(stderr, "no button %s\n", press);
    return 3;
  }
  ::SendMessageW(button, BM_CLICK, 0, 0);
  if (WaitFor([dialog] { return ::IsWindow(dialog) ? nullptr : dialog; }, timeout) == nullptr) {
    std::fprintf(stderr, "dialog stayed open\n");
    return 2;
  }
  return 0;
}

int Key(int argc, char** argv) {
  const char* vk = Option(argc, argv, "--vk");
  if (vk == nullptr) return 64;
  const DWORD flags = Flag(argc, argv, "--up") ? KEYEVENTF_KEYUP : 0;
  ::keybd_event(static_cast<BYTE>(std::strtoul(vk, nullptr, 10)), 0, flags, 0);
  return 0;
}

int HoldMutex() {
  HANDLE mutex = ::CreateMutexW(nullptr, FALSE, L"vendrix /tsr");
  if (mutex == nullptr) return 2;
  PrintLine("{\"held\": true}");
  char buffer[64];
  while (std::fread(buffer, 1, sizeof buffer, stdin) > 0) {
  }
  ::CloseHandle(mutex);
  return 0;
}

int Window(int argc, char** argv) {
  const char* className = Option(argc, argv, "--class");
  if (className == nullptr) return 64;
  const std::wstring wideClass(className, className + std::strlen(className));
  HWND window = WaitFor(
      [&] {
        HWND found = ::FindWindowW(wideClass.c_str(), nullptr);
        return found != nullptr && ::IsWindowVisible(found) ? found : nullptr;
      },
      Timeout(argc, argv));
  if (window == nullptr) {
    PrintLine("{\"error\": \"no window\"}");
    return 2;
  }
  RECT rect{};
  ::GetWindowRect(window, &rect);
  const bool topmost = (::GetWindowLongW(window, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
  HWND edit = ::FindWindowExW(window, nullptr, L"EDIT", nullptr);
  const std::string text = edit != nullptr ? Utf8(WindowText(edit)) : std::string();
  char head[160];
  std::snprintf(head, sizeof head,
                "{\"rect\": [%ld, %ld, %ld, %ld], \"topmost\": %s, \"text\": ", rect.left, rect.top,
                rect.right - rect.left, rect.bottom - rect.top, topmost ? "true" : "false");
  PrintLine(head + JsonString(text) + "}");
  return 0;
}

// ---- other programs' windows ---------------------------------------------

constexpr size_t kMaxKeys = 32;
constexpr size_t kMaxEvents = 20000;
constexpr UINT kKeyEventMessage = WM_APP + 1;

HWND HwndOption(int argc, char** argv) {
  const char* value = Option(argc, argv, "--hwnd");
  return value != nullptr ? reinterpret_cast<HWND>(static_cast<uintptr_t>(std::strtoull(value, nullptr, 10)))
                          : nullptr;
}

std::string HwndText(HWND window) {
  return std::to_string(static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(window)));
}

void InjectKey(WORD vk, bool up) {
  INPUT record{};
  record.type = INPUT_KEYBOARD;
  record.ki.wVk = vk;
  record.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
  ::SendInput(1, &record, sizeof record);
}

bool KeyIsDown(int vk) { return (::GetAsyncKeyState(vk) & 0x8000) != 0; }

// Under Wine, a window that takes the X keyboard focus (a new one does, from
// the window manager) sets the key state to the X server's, and the X server
// never saw injected keys: a Shift a macro presses just after such a focus
// change may be dropped a moment later.  So the focus counts as settled once
// `target` is in front and a Shift injected before `change` has been
// dropped.  Gives the target, or null on timeout.
template <typename Change, typename Finder>
HWND MoveFocusAndSettle(Change change, Finder target, DWORD timeoutMs) {
  InjectKey(VK_SHIFT, false);
  change();
  HWND settled = WaitFor(
      [&target] {
        HWND found = target();
        return found != nullptr && ::GetForegroundWindow() == found && !KeyIsDown(VK_SHIFT) ? found : nullptr;
      },
      timeoutMs);
  InjectKey(VK_SHIFT, true);
  return settled;
}

// "1,2,3"; at most kMaxKeys numbers.
std::vector<int> NumberList(const char* text) {
  std::vector<int> keys;
  for (const char* at = text; at != nullptr && *at != '\0' && keys.size() < kMaxKeys;) {
    char* end = nullptr;
    keys.push_back(static_cast<int>(std::strtol(at, &end, 10)));
    if (end == at) break;
    at = *end == ',' ? end + 1 : end;
  }
  return keys;
}

HWND EditOf(HWND window) { return ::FindWindowExW(window, nullptr, L"Edit", nullptr); }

struct ProcessWindow {
  DWORD pid;
  HWND found;
};

BOOL CALLBACK FindProcessWindow(HWND window, LPARAM param) {
  auto* search = reinterpret_cast<ProcessWindow*>(param);
  DWORD pid = 0;
  ::GetWindowThreadProcessId(window, &pid);
  if (pid != search->pid || !::IsWindowVisible(window) || EditOf(window) == nullptr) return TRUE;
  search->found = window;
  return FALSE;
}

int Notepad(int argc, char** argv) {
  const char* title = Option(argc, argv, "--title");
  const std::vector<int> at = NumberList(Option(argc, argv, "--at"));
  if (title == nullptr || at.size() != 4) return 64;
  const DWORD timeout = Timeout(argc, argv);
  wchar_t command[] = L"notepad.exe";
  // Without our standard handles: the suite reads our output to its end,
  // which must not wait for notepad.
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  PROCESS_INFORMATION started{};
  bool created = false;
  HWND window = MoveFocusAndSettle(
      [&] {
        created = ::CreateProcessW(nullptr, command, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                                   &started) != FALSE;
      },
      [&]() -> HWND {
        if (!created) return nullptr;
        ProcessWindow search{started.dwProcessId, nullptr};
        ::EnumWindows(FindProcessWindow, reinterpret_cast<LPARAM>(&search));
        return search.found;
      },
      timeout);
  if (created) {
    ::CloseHandle(started.hThread);
    ::CloseHandle(started.hProcess);
  }
  if (window == nullptr) {
    PrintLine(created ? "{\"error\": \"notepad did not come to the front\"}" : "{\"error\": \"cannot start notepad\"}");
    return 2;
  }
  ::SetWindowTextW(window, WideFromHex(title).c_str());
  ::MoveWindow(window, at[0], at[1], at[2], at[3], TRUE);
  PrintLine("{\"hwnd\": " + HwndText(window) + ", \"pid\": " + std::to_string(started.dwProcessId) + "}");
  return 0;
}

int Text(int argc, char** argv) {
  HWND edit = EditOf(HwndOption(argc, argv));
  if (edit == nullptr) {
    PrintLine("{\"error\": \"no EDIT child\"}");
    return 2;
  }
  // Typed keys reach the other program after the macro has sent them.
  if (const char* expected = Option(argc, argv, "--expect")) {
    const std::wstring wanted = WideFromHex(expected);
    WaitFor([&] { return WindowText(edit) == wanted ? edit : nullptr; }, Timeout(argc, argv));
  }
  PrintLine("{\"text\": " + JsonString(Utf8(WindowText(edit))) + "}");
  return 0;
}

struct NotepadText {
  const std::wstring& text;
  HWND found;
};

BOOL CALLBACK FindNotepadWithText(HWND window, LPARAM param) {
  auto* search = reinterpret_cast<NotepadText*>(param);
  wchar_t className[32] = L"";
  ::GetClassNameW(window, className, static_cast<int>(std::size(className)));
  HWND edit = EditOf(window);
  if (std::wcscmp(className, L"Notepad") != 0 || !::IsWindowVisible(window) || edit == nullptr ||
      WindowText(edit) != search->text) {
    return TRUE;
  }
  search->found = window;
  return FALSE;
}

// A document another program (SHELL) opened in a notepad.
int Document(int argc, char** argv) {
  const char* expected = Option(argc, argv, "--expect");
  if (expected == nullptr) return 64;
  const std::wstring text = WideFromHex(expected);
  const DWORD timeout = Timeout(argc, argv);
  HWND window = WaitFor(
      [&text] {
        NotepadText search{text, nullptr};
        ::EnumWindows(FindNotepadWithText, reinterpret_cast<LPARAM>(&search));
        return search.found;
      },
      timeout);
  if (window == nullptr) {
    PrintLine("{\"error\": \"no notepad shows the document\"}");
    return 2;
  }
  PrintLine("{\"hwnd\": " + HwndText(window) + "}");
  if (!Flag(argc, argv, "--close")) return 0;
  // The document is unchanged: notepad closes without asking.
  ::PostMessageW(window, WM_CLOSE, 0, 0);
  if (WaitFor([window] { return ::IsWindow(window) ? nullptr : window; }, timeout) == nullptr) {
    std::fprintf(stderr, "notepad stayed open\n");
    return 2;
  }
  return 0;
}

std::string HexBytes(const std::string& bytes) {
  std::string out;
  char pair[3];
  for (unsigned char c : bytes) {
    std::snprintf(pair, sizeof pair, "%02x", c);
    out += pair;
  }
  return out;
}

int Clipboard(int argc, char** argv) {
  const DWORD start = ::GetTickCount();
  // Another program may hold it for a moment.
  if (WaitFor([] { return ::OpenClipboard(nullptr) ? ::GetDesktopWindow() : nullptr; }, kDefaultWaitMs) == nullptr) {
    PrintLine("{\"error\": \"cannot open the clipboard\"}");
    return 2;
  }
  std::string unicode;
  std::string ansiBytes;
  if (HANDLE block = ::GetClipboardData(CF_UNICODETEXT)) {
    if (const auto* chars = static_cast<const wchar_t*>(::GlobalLock(block))) {
      unicode = Utf8(std::wstring(chars, ::wcsnlen(chars, ::GlobalSize(block) / sizeof(wchar_t))));
      ::GlobalUnlock(block);
    }
  }
  if (HANDLE block = ::GetClipboardData(CF_TEXT)) {
    if (const auto* chars = static_cast<const char*>(::GlobalLock(block))) {
      ansiBytes.assign(chars, ::strnlen(chars, ::GlobalSize(block)));
      ::GlobalUnlock(block);
    }
  }
  ::CloseClipboard();
  const std::string line = "{\"unicode\": " + JsonString(unicode) + ", \"ansi\": " + JsonString(HexBytes(ansiBytes)) +
                           ", \"ms\": " + std::to_string(::GetTickCount() - start) + "}\n";
  const char* out = Option(argc, argv, "--out");
  if (out == nullptr) {
    PrintLine(line.substr(0, line.size() - 1));
    return 0;
  }
  HANDLE file = ::CreateFileA(out, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return 2;
  DWORD written = 0;
  ::WriteFile(file, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
  ::CloseHandle(file);
  return written == line.size() ? 0 : 2;
}

int Keys(int argc, char** argv) {
  const std::vector<int> keys = NumberList(Option(argc, argv, "--vk"));
  if (keys.empty()) return 64;
  if (const char* wait = Option(argc, argv, "--wait")) {
    const bool down = std::strcmp(wait, "down") == 0;
    WaitFor(
        [&] {
          return std::all_of(keys.begin(), keys.end(), [down](int vk) { return KeyIsDown(vk) == down; })
                     ? ::GetDesktopWindow()
                     : nullptr;
        },
        Timeout(argc, argv));
  }
  std::string down;
  for (int vk : keys) {
    if (!KeyIsDown(vk)) continue;
    if (!down.empty()) down += ", ";
    down += std::to_string(vk);
  }
  PrintLine("{\"down\": [" + down + "]}");
  return 0;
}

// The hook runs in the thread that set it, inside its message loop: it
// hands each event to that loop as a thread message.
LRESULT CALLBACK RecordKeyEvent(int code, WPARAM message, LPARAM data) {
  if (code == HC_ACTION) {
    const auto* event = reinterpret_cast<const KBDLLHOOKSTRUCT*>(data);
    ::PostThreadMessageW(::GetCurrentThreadId(), kKeyEventMessage, event->vkCode, event->flags);
  }
  return ::CallNextHookEx(nullptr, code, message, data);
}

DWORD WINAPI DrainInput(void*) {
  char buffer[64];
  while (std::fread(buffer, 1, sizeof buffer, stdin) > 0) {
  }
  return 0;
}

int Watch() {
  MSG message;
  ::PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE);  // the thread's queue exists
  HHOOK hook = ::SetWindowsHookExW(WH_KEYBOARD_LL, RecordKeyEvent, ::GetModuleHandleW(nullptr), 0);
  if (hook == nullptr) {
    PrintLine("{\"error\": \"no keyboard hook\"}");
    return 2;
  }
  HANDLE reader = ::CreateThread(nullptr, 0, DrainInput, nullptr, 0, nullptr);
  if (reader == nullptr) return 2;
  PrintLine("{\"ready\": true}");
  std::string events;
  size_t count = 0;
  for (bool inputEnded = false; !inputEnded;) {
    inputEnded = ::MsgWaitForMultipleObjects(1, &reader, FALSE, INFINITE, QS_ALLINPUT) == WAIT_OBJECT_0;
    while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (message.message != kKeyEventMessage) {
        ::DispatchMessageW(&message);
        continue;
      }
      if (++count > kMaxEvents) continue;
      const DWORD flags = static_cast<DWORD>(message.lParam);
      if (!events.empty()) events += ", ";
      events += "[" + std::to_string(message.wParam) + ", " + ((flags & LLKHF_UP) != 0 ? "\"up\"" : "\"down\"") +
                ", " + ((flags & LLKHF_INJECTED) != 0 ? "true" : "false") + "]";
    }
  }
  ::UnhookWindowsHookEx(hook);
  ::CloseHandle(reader);
  const size_t dropped = count > kMaxEvents ? count - kMaxEvents : 0;
  PrintLine("{\"events\": [" + events + "], \"dropped\": " + std::to_string(dropped) + "}");
  return 0;
}

int SleepAndTouch(int argc, char** argv) {
  const char* ms = Option(argc, argv, "--ms");
  const char* file = Option(argc, argv, "--touch");
  if (ms == nullptr || file == nullptr) return 64;
  ::Sleep(static_cast<DWORD>(std::strtoul(ms, nullptr, 10)));
  HANDLE created = ::CreateFileA(file, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (created == INVALID_HANDLE_VALUE) return 2;
  ::CloseHandle(created);
  return 0;
}

int Kill(int argc, char** argv) {
  const char* pid = Option(argc, argv, "--pid");
  if (pid == nullptr) return 64;
  HANDLE process = ::OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, std::strtoul(pid, nullptr, 10));
  if (process == nullptr) return 2;
  ::TerminateProcess(process, 9);
  ::WaitForSingleObject(process, kDefaultWaitMs);
  ::CloseHandle(process);
  return 0;
}

// ---- a picture to capture ---------------------------------------------------

struct Picture {
  int width = 0;
  int height = 0;
  int patchX = 0;
  int patchY = 0;
  int patchSize = 0;
  std::vector<COLORREF> patch;  // row by row
};

COLORREF PictureColour(const Picture& picture, int x, int y) {
  const int px = x - picture.patchX;
  const int py = y - picture.patchY;
  if (px >= 0 && py >= 0 && px < picture.patchSize && py < picture.patchSize) {
    return picture.patch[static_cast<size_t>(py * picture.patchSize + px)];
  }
  return x < picture.width / 2 ? RGB(255, 0, 0) : RGB(0, 0, 255);
}

LRESULT CALLBACK PictureProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
    ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  const auto* picture = reinterpret_cast<const Picture*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
  if (message == WM_PAINT && picture != nullptr) {
    PAINTSTRUCT paint;
    HDC dc = ::BeginPaint(window, &paint);
    for (int y = 0; y < picture->height; ++y) {
      for (int x = 0; x < picture->width; ++x) ::SetPixelV(dc, x, y, PictureColour(*picture, x, y));
    }
    ::EndPaint(window, &paint);
    return 0;
  }
  if (message == WM_ERASEBKGND) return 1;
  return ::DefWindowProcW(window, message, wParam, lParam);
}

// Every pixel of the window, read back from the screen.
bool ScreenShows(const Picture& picture, int left, int top) {
  HDC screen = ::GetDC(nullptr);
  bool same = screen != nullptr;
  for (int y = 0; same && y < picture.height; ++y) {
    for (int x = 0; same && x < picture.width; ++x) {
      same = ::GetPixel(screen, left + x, top + y) == PictureColour(picture, x, y);
    }
  }
  if (screen != nullptr) ::ReleaseDC(nullptr, screen);
  return same;
}

constexpr int kMaxPictureSide = 1024;
constexpr int kMaxPatchSide = 64;

int ShowPicture(int argc, char** argv) {
  const std::vector<int> at = NumberList(Option(argc, argv, "--at"));
  const std::vector<int> patchAt = NumberList(Option(argc, argv, "--patch"));
  const char* colours = Option(argc, argv, "--colours");
  if (at.size() != 4 || patchAt.size() != 3 || colours == nullptr) return 64;
  Picture picture{at[2], at[3], patchAt[0], patchAt[1], patchAt[2], {}};
  if (picture.width <= 0 || picture.height <= 0 || picture.width > kMaxPictureSide ||
      picture.height > kMaxPictureSide || picture.patchSize <= 0 || picture.patchSize > kMaxPatchSide ||
      std::strlen(colours) != static_cast<size_t>(picture.patchSize * picture.patchSize * 6)) {
    return 64;
  }
  for (size_t i = 0; colours[i] != '\0'; i += 6) {
    char triplet[7] = {};
    std::memcpy(triplet, colours + i, 6);
    const unsigned long rgb = std::strtoul(triplet, nullptr, 16);
    picture.patch.push_back(RGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF));
  }
  HINSTANCE instance = ::GetModuleHandleW(nullptr);
  WNDCLASSW windowClass{};
  windowClass.lpfnWndProc = PictureProc;
  windowClass.hInstance = instance;
  windowClass.lpszClassName = L"VendrixTestPicture";
  if (::RegisterClassW(&windowClass) == 0) return 2;
  HWND window = ::CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, windowClass.lpszClassName, L"picture",
                                  WS_POPUP | WS_VISIBLE, at[0], at[1], picture.width, picture.height, nullptr,
                                  nullptr, instance, &picture);
  if (window == nullptr) return 2;
  HANDLE reader = ::CreateThread(nullptr, 0, DrainInput, nullptr, 0, nullptr);
  if (reader == nullptr) return 2;
  const DWORD timeout = Timeout(argc, argv);
  const DWORD start = ::GetTickCount();
  bool shown = false;
  MSG message;
  for (bool inputEnded = false; !inputEnded;) {
    inputEnded = ::MsgWaitForMultipleObjects(1, &reader, FALSE, kPollMs, QS_ALLINPUT) == WAIT_OBJECT_0;
    while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageW(&message);
    if (shown) continue;
    if (ScreenShows(picture, at[0], at[1])) {
      shown = true;
      PrintLine("{\"hwnd\": " + HwndText(window) + "}");
    } else if (::GetTickCount() - start >= timeout) {
      PrintLine("{\"error\": \"the screen does not show the picture\"}");
      break;
    }
  }
  ::DestroyWindow(window);
  ::CloseHandle(reader);
  return shown ? 0 : 2;
}

// ---- menu and resident mode ---------------------------------------------------

// Wine shows its tray window while it holds an icon and hides it with the
// last one; each time it appears, the window manager may give it the focus,
// and Wine then takes the foreground from the program in front.  An icon of
// our own keeps the window up for the whole session.
int HoldTrayIcon() {
  HWND window = ::CreateWindowExW(0, L"STATIC", L"tray holder", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                  ::GetModuleHandleW(nullptr), nullptr);
  if (window == nullptr) return 2;
  NOTIFYICONDATAW icon{};
  icon.cbSize = sizeof icon;
  icon.hWnd = window;
  icon.uID = 1;
  icon.uFlags = NIF_ICON;
  icon.hIcon = ::LoadIconW(nullptr, reinterpret_cast<LPCWSTR>(IDI_APPLICATION));
  if (!::Shell_NotifyIconW(NIM_ADD, &icon)) {
    PrintLine("{\"error\": \"no tray icon\"}");
    return 2;
  }
  // The window manager gives the focus back to the tray window when a
  // dialog closes (the program's menu window is no managed window it could
  // choose), and Wine then moves the foreground there, away from the
  // program the dialog belonged to; Windows' notification area never takes
  // it.  A disabled window declines the focus and is still drawn.
  HWND tray = WaitFor([] { return ::FindWindowW(nullptr, L"Wine System Tray"); }, kDefaultWaitMs);
  if (tray != nullptr) ::EnableWindow(tray, FALSE);
  PrintLine("{\"held\": true}");
  char buffer[64];
  while (std::fread(buffer, 1, sizeof buffer, stdin) > 0) {
  }
  ::Shell_NotifyIconW(NIM_DELETE, &icon);
  ::DestroyWindow(window);
  return 0;
}

constexpr int kMenuPresses = 3;
constexpr DWORD kMenuPressWaitMs = 3000;

// A key with the Shift, Ctrl and Alt it needs, as VkKeyScan gives them.
struct Keystroke {
  BYTE vk = 0;
  BYTE shiftState = 0;  // 1 Shift, 2 Ctrl, 4 Alt
};

constexpr std::pair<BYTE, BYTE> kShiftKeys[] = {{1, VK_SHIFT}, {2, VK_CONTROL}, {4, VK_MENU}};

void PressDown(const Keystroke& stroke) {
  for (const auto& [bit, vk] : kShiftKeys) {
    if ((stroke.shiftState & bit) != 0) ::keybd_event(vk, 0, 0, 0);
  }
  ::keybd_event(stroke.vk, 0, 0, 0);
}

void LetGo(const Keystroke& stroke) {
  ::keybd_event(stroke.vk, 0, KEYEVENTF_KEYUP, 0);
  for (const auto& [bit, vk] : kShiftKeys) {
    if ((stroke.shiftState & bit) != 0) ::keybd_event(vk, 0, KEYEVENTF_KEYUP, 0);
  }
}

// --press VK, or --char N: the key that types UTF-16 character N on this
// keyboard ('[' and ']' sit on different keys per layout).
bool MenuKeystroke(int argc, char** argv, Keystroke& stroke) {
  if (const char* vk = Option(argc, argv, "--press")) {
    stroke.vk = static_cast<BYTE>(std::strtoul(vk, nullptr, 10));
    return stroke.vk != 0;
  }
  const char* character = Option(argc, argv, "--char");
  if (character == nullptr) return false;
  const unsigned long code = std::strtoul(character, nullptr, 10);
  if (code == 0 || code > 0xFFFF) return false;
  const SHORT found = ::VkKeyScanW(static_cast<wchar_t>(code));
  if (found == -1) return false;
  stroke.vk = LOBYTE(found);
  stroke.shiftState = HIBYTE(found);
  return true;
}

int Menu(int argc, char** argv) {
  Keystroke stroke;
  if (!MenuKeystroke(argc, argv, stroke)) {
    PrintLine("{\"error\": \"no key given, or none types that character\"}");
    return 64;
  }
  // Keys go to the thread in front: the menu's own, once its window has
  // come to the front.
  HWND menu = WaitFor(
      [] {
        HWND found = ::FindWindowW(L"#32768", nullptr);
        HWND front = ::GetForegroundWindow();
        return found != nullptr && ::IsWindowVisible(found) && front != nullptr &&
                       ::GetWindowThreadProcessId(front, nullptr) == ::GetWindowThreadProcessId(found, nullptr)
                   ? found
                   : nullptr;
      },
      Timeout(argc, argv));
  if (menu == nullptr) {
    // What is in front instead, for the report.
    wchar_t frontClass[64] = L"";
    if (HWND front = ::GetForegroundWindow()) ::GetClassNameW(front, frontClass, static_cast<int>(std::size(frontClass)));
    HWND shown = ::FindWindowW(L"#32768", nullptr);
    PrintLine("{\"error\": \"no open menu in front\", \"menu\": " +
              std::string(shown != nullptr && ::IsWindowVisible(shown) ? "true" : "false") +
              ", \"front\": " + JsonString(Utf8(frontClass)) + "}");
    return 2;
  }
  if (Flag(argc, argv, "--hold")) {
    PressDown(stroke);
    PrintLine("{\"presses\": 1}");
    return 0;
  }
  // Under Wine a key pressed just as the menu opens is now and then lost
  // (about one in twenty): a menu still open a while later gets the key
  // again, as a user would press it again.  A pick closes the menu, so no
  // entry can run twice.
  int presses = 0;
  HWND open = menu;
  while (open != nullptr && presses < kMenuPresses) {
    PressDown(stroke);
    LetGo(stroke);
    ++presses;
    const bool closed = WaitFor([menu] { return ::IsWindowVisible(menu) ? nullptr : menu; }, kMenuPressWaitMs) != nullptr;
    open = closed ? nullptr : menu;
  }
  PrintLine("{\"presses\": " + std::to_string(presses) + ", \"closed\": " + (open == nullptr ? "true" : "false") + "}");
  return 0;
}

// ---- the file dialog ---------------------------------------------------------

constexpr int kFileNameBox = 0x47C;
constexpr int kFilterList = 0x470;
constexpr LRESULT kMaxFilters = 32;
constexpr LRESULT kMaxFilterChars = 1024;

BOOL CALLBACK FindFileDialog(HWND window, LPARAM found) {
  wchar_t className[16] = L"";
  ::GetClassNameW(window, className, static_cast<int>(std::size(className)));
  if (std::wcscmp(className, L"#32770") != 0 || !::IsWindowVisible(window) ||
      ::GetDlgItem(window, kFileNameBox) == nullptr) {
    return TRUE;
  }
  *reinterpret_cast<HWND*>(found) = window;
  return FALSE;
}

// The names in the dialog's file type list, as JSON.
std::string FilterNames(HWND dialog) {
  HWND combo = ::GetDlgItem(dialog, kFilterList);
  std::string names;
  const LRESULT count = combo != nullptr ? ::SendMessageW(combo, CB_GETCOUNT, 0, 0) : 0;
  for (LRESULT i = 0; i < count && i < kMaxFilters; ++i) {
    const LRESULT length = ::SendMessageW(combo, CB_GETLBTEXTLEN, static_cast<WPARAM>(i), 0);
    if (length < 0 || length > kMaxFilterChars) continue;
    std::wstring name(static_cast<size_t>(length) + 1, L'\0');
    const LRESULT got =
        ::SendMessageW(combo, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(name.data()));
    name.resize(got > 0 ? static_cast<size_t>(got) : 0);
    if (!names.empty()) names += ", ";
    names += JsonString(Utf8(name));
  }
  return "[" + names + "]";
}

int FileDialog(int argc, char** argv) {
  const char* press = Option(argc, argv, "--press");
  const int id = press != nullptr ? ButtonId(press) : 0;
  if (id != IDOK && id != IDCANCEL) return 64;
  const DWORD timeout = Timeout(argc, argv);
  HWND dialog = WaitFor(
      [] {
        HWND found = nullptr;
        ::EnumWindows(FindFileDialog, reinterpret_cast<LPARAM>(&found));
        return found;
      },
      timeout);
  if (dialog == nullptr) {
    PrintLine("{\"error\": \"no file dialog\"}");
    return 2;
  }
  PrintLine("{\"title\": " + JsonString(Utf8(WindowText(dialog))) + ", \"filters\": " + FilterNames(dialog) + "}");
  if (const char* hex = Option(argc, argv, "--type")) {
    const std::wstring typed = WideFromHex(hex);
    ::SendMessageW(::GetDlgItem(dialog, kFileNameBox), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(typed.c_str()));
  }
  HWND button = ::GetDlgItem(dialog, id);
  if (button == nullptr) {
    std::fprintf(stderr, "no button %s\n", press);
    return 3;
  }
  // Posted: the dialog may answer OK with a box of its own (no such file),
  // and a sent click would wait for that box.
  ::PostMessageW(button, BM_CLICK, 0, 0);
  if (WaitFor([dialog] { return ::IsWindowVisible(dialog) ? nullptr : dialog; }, timeout) == nullptr) {
    std::fprintf(stderr, "the file dialog stayed open\n");
    return 2;
  }
  return 0;
}

// ---- the tray's icons -----------------------------------------------------------

constexpr int kMaxTrayIcons = 64;
constexpr int kMaxIconSide = 256;

struct IconLook {
  HWND window = nullptr;
  RECT rect{};
  size_t pixels = 0;
  size_t matching = 0;
  bool painted = false;  // more than one colour: not the bare background
  bool covered = false;
};

BOOL CALLBACK CollectChild(HWND window, LPARAM list) {
  auto* windows = reinterpret_cast<std::vector<HWND>*>(list);
  if (::IsWindowVisible(window) && windows->size() < kMaxTrayIcons) windows->push_back(window);
  return TRUE;
}

// The screen within `rect`, row by row, as 0xRRGGBB.
std::vector<DWORD> ScreenPixels(const RECT& rect) {
  const int width = rect.right - rect.left;
  const int height = rect.bottom - rect.top;
  std::vector<DWORD> pixels;
  if (width <= 0 || height <= 0 || width > kMaxIconSide || height > kMaxIconSide) return pixels;
  HDC screen = ::GetDC(nullptr);
  HDC memory = ::CreateCompatibleDC(screen);
  HBITMAP bitmap = ::CreateCompatibleBitmap(screen, width, height);
  HGDIOBJ old = ::SelectObject(memory, bitmap);
  const bool copied = ::BitBlt(memory, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY) != FALSE;
  ::SelectObject(memory, old);
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;  // top row first
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  pixels.resize(static_cast<size_t>(width) * static_cast<size_t>(height));
  if (!copied || ::GetDIBits(memory, bitmap, 0, static_cast<UINT>(height), pixels.data(), &info, DIB_RGB_COLORS) !=
                     height) {
    pixels.clear();
  }
  ::DeleteObject(bitmap);
  ::DeleteDC(memory);
  ::ReleaseDC(nullptr, screen);
  for (DWORD& pixel : pixels) pixel &= 0xFFFFFF;
  return pixels;
}

constexpr int kMaxWindowsAbove = 1000;

// Whether a visible top-level window above `topLevel` overlaps `rect`.
// (WindowFromPoint would not do: it passes over the disabled tray window.)
bool Covered(HWND topLevel, const RECT& rect) {
  HWND above = topLevel;
  for (int i = 0; i < kMaxWindowsAbove; ++i) {
    above = ::GetWindow(above, GW_HWNDPREV);
    if (above == nullptr) return false;
    RECT other{};
    RECT overlap{};
    if (::IsWindowVisible(above) && ::GetWindowRect(above, &other) && ::IntersectRect(&overlap, &other, &rect)) {
      return true;
    }
  }
  return true;
}

IconLook LookAt(HWND tray, HWND window, DWORD rgb) {
  IconLook look;
  look.window = window;
  ::GetWindowRect(window, &look.rect);
  look.covered = Covered(tray, look.rect);
  const std::vector<DWORD> pixels = ScreenPixels(look.rect);
  look.pixels = pixels.size();
  look.matching = static_cast<size_t>(std::count(pixels.begin(), pixels.end(), rgb));
  look.painted = std::any_of(pixels.begin(), pixels.end(), [&](DWORD p) { return p != pixels.front(); });
  return look;
}

// Wine's explorer hands each icon's bits to the X11 driver, which shows them
// in its own tray window, one child window per icon: what the screen shows
// there is what the program gave as its icon.
int TrayIcons(int argc, char** argv) {
  const char* colour = Option(argc, argv, "--colour");
  if (colour == nullptr) return 64;
  const DWORD rgb = static_cast<DWORD>(std::strtoul(colour, nullptr, 16)) & 0xFFFFFF;
  const char* wanted = Option(argc, argv, "--icons");
  const size_t least = wanted != nullptr ? std::strtoul(wanted, nullptr, 10) : 1;
  std::vector<IconLook> looks;
  const auto allShown = [&] {
    looks.clear();
    HWND tray = ::FindWindowW(nullptr, L"Wine System Tray");
    if (tray == nullptr || !::IsWindowVisible(tray)) return static_cast<HWND>(nullptr);
    std::vector<HWND> icons;
    ::EnumChildWindows(tray, CollectChild, reinterpret_cast<LPARAM>(&icons));
    for (HWND icon : icons) looks.push_back(LookAt(tray, icon, rgb));
    const bool ready = looks.size() >= least && std::all_of(looks.begin(), looks.end(), [](const IconLook& look) {
                         return look.painted && !look.covered;
                       });
    return ready ? tray : nullptr;
  };
  const bool ready = WaitFor(allShown, Timeout(argc, argv)) != nullptr;
  std::string list;
  for (const IconLook& look : looks) {
    char item[200];
    std::snprintf(item, sizeof item,
                  "{\"rect\": [%ld, %ld, %ld, %ld], \"pixels\": %lu, \"matching\": %lu, \"painted\": %s, "
                  "\"covered\": %s}",
                  look.rect.left, look.rect.top, look.rect.right - look.rect.left, look.rect.bottom - look.rect.top,
                  static_cast<unsigned long>(look.pixels), static_cast<unsigned long>(look.matching), look.painted ? "true" : "false", look.covered ? "true" : "false");
    if (!list.empty()) list += ", ";
    list += item;
  }
  PrintLine(std::string(ready ? "{" : "{\"error\": \"the tray shows fewer icons, or not all of them\", ") +
            "\"icons\": [" + list + "]}");
  return ready ? 0 : 2;
}

constexpr int kMaxWindowsOfClass = 64;

int Resident(int argc, char** argv) {
  const char* className = Option(argc, argv, "--class");
  if (className == nullptr) return 64;
  const std::wstring wideClass(className, className + std::strlen(className));
  HWND window = WaitFor(
      [&] {
        // A program that was ended may leave its window behind for a moment.
        HWND found = nullptr;
        for (int i = 0; i < kMaxWindowsOfClass; ++i) {
          found = ::FindWindowExW(nullptr, found, wideClass.c_str(), nullptr);
          if (found == nullptr || ::IsIconic(found)) break;
        }
        return found;
      },
      Timeout(argc, argv));
  if (window == nullptr) {
    PrintLine("{\"error\": \"no resident window\"}");
    return 2;
  }
  PrintLine("{\"hwnd\": " + HwndText(window) + "}");
  return 0;
}

int Post(int argc, char** argv) {
  HWND window = HwndOption(argc, argv);
  const char* message = Option(argc, argv, "--msg");
  const char* lParam = Option(argc, argv, "--lparam");
  if (window == nullptr || message == nullptr || lParam == nullptr) return 64;
  return ::PostMessageW(window, static_cast<UINT>(std::strtoul(message, nullptr, 0)), 0,
                        static_cast<LPARAM>(std::strtol(lParam, nullptr, 0)))
             ? 0
             : 2;
}

int Chord(int argc, char** argv) {
  const std::vector<int> keys = NumberList(Option(argc, argv, "--vk"));
  if (keys.empty()) return 64;
  for (int vk : keys) ::keybd_event(static_cast<BYTE>(vk), 0, 0, 0);
  for (auto vk = keys.rbegin(); vk != keys.rend(); ++vk) ::keybd_event(static_cast<BYTE>(*vk), 0, KEYEVENTF_KEYUP, 0);
  return 0;
}

struct ButtonSearch {
  std::wstring text;
  HWND found;
};

BOOL CALLBACK FindButton(HWND child, LPARAM param) {
  auto* search = reinterpret_cast<ButtonSearch*>(param);
  wchar_t className[16] = {};
  ::GetClassNameW(child, className, 16);
  if (::_wcsicmp(className, L"Button") != 0 || !::IsWindowEnabled(child) || WindowText(child) != search->text) {
    return TRUE;
  }
  search->found = child;
  return FALSE;
}

int ClickButton(int argc, char** argv) {
  const char* className = Option(argc, argv, "--class");
  const char* text = Option(argc, argv, "--text");
  if (className == nullptr || text == nullptr) return 64;
  const std::wstring wideClass(className, className + std::strlen(className));
  const std::wstring wanted = WideFromHex(text);
  HWND button = WaitFor(
      [&]() -> HWND {
        HWND window = ::FindWindowW(wideClass.c_str(), nullptr);
        if (window == nullptr || !::IsWindowVisible(window)) return nullptr;
        ButtonSearch search{wanted, nullptr};
        ::EnumChildWindows(window, FindButton, reinterpret_cast<LPARAM>(&search));
        return search.found;
      },
      Timeout(argc, argv));
  if (button == nullptr) {
    PrintLine("{\"error\": \"no such button\"}");
    return 2;
  }
  ::PostMessageW(button, BM_CLICK, 0, 0);
  PrintLine("{\"clicked\": true}");
  return 0;
}

int Caption(int argc, char** argv) {
  const char* className = Option(argc, argv, "--class");
  if (className == nullptr) return 64;
  const std::wstring wideClass(className, className + std::strlen(className));
  const char* expect = Option(argc, argv, "--expect");
  const std::wstring expected = expect != nullptr ? WideFromHex(expect) : std::wstring();
  HWND window = WaitFor(
      [&]() -> HWND {
        HWND found = ::FindWindowW(wideClass.c_str(), nullptr);
        if (found == nullptr || !::IsWindowVisible(found)) return nullptr;
        return expect == nullptr || WindowText(found) == expected ? found : nullptr;
      },
      Timeout(argc, argv));
  if (window == nullptr) {
    HWND found = ::FindWindowW(wideClass.c_str(), nullptr);
    PrintLine("{\"error\": \"no such window\", \"caption\": " +
              JsonString(found != nullptr ? Utf8(WindowText(found)) : std::string()) + "}");
    return 2;
  }
  PrintLine("{\"hwnd\": " + HwndText(window) + ", \"caption\": " + JsonString(Utf8(WindowText(window))) + "}");
  return 0;
}

int Front(int argc, char** argv) {
  const char* value = Option(argc, argv, "--hwnd");
  if (value == nullptr) return 64;
  HWND window = reinterpret_cast<HWND>(static_cast<uintptr_t>(std::strtoull(value, nullptr, 10)));
  const std::vector<int> click = NumberList(Option(argc, argv, "--click"));
  HWND settled = nullptr;
  if (click.size() == 2) {
    // A user's click.  Only the window in front is waited for: what may
    // follow a focus change late is Wine resetting held modifiers, and the
    // keys typed after this (by "type") hold none.
    ::SetCursorPos(click[0], click[1]);
    ::mouse_event(MOUSEEVENTF_LEFTDOWN, 0, 0, 0, 0);
    ::mouse_event(MOUSEEVENTF_LEFTUP, 0, 0, 0, 0);
    settled = WaitFor([window] { return ::GetForegroundWindow() == window ? window : nullptr; }, Timeout(argc, argv));
  } else {
    settled = MoveFocusAndSettle([window] { ::SetForegroundWindow(window); }, [window] { return window; },
                                 Timeout(argc, argv));
  }
  if (settled != nullptr) {
    PrintLine("{\"front\": true}");
    return 0;
  }
  // What is in the way, for the failure's message.
  HWND under = click.size() == 2 ? ::GetAncestor(::WindowFromPoint(POINT{click[0], click[1]}), GA_ROOT) : nullptr;
  HWND foreground = ::GetForegroundWindow();
  PrintLine("{\"error\": \"the window did not come to the front\", \"foreground\": " +
            JsonString(foreground != nullptr ? Utf8(WindowText(foreground)) : std::string()) + ", \"under\": " +
            JsonString(under != nullptr ? Utf8(WindowText(under)) : std::string()) + "}");
  return 2;
}

int Type(int argc, char** argv) {
  const std::vector<int> keys = NumberList(Option(argc, argv, "--vk"));
  if (keys.empty()) return 64;
  for (int vk : keys) {
    ::keybd_event(static_cast<BYTE>(vk), 0, 0, 0);
    ::keybd_event(static_cast<BYTE>(vk), 0, KEYEVENTF_KEYUP, 0);
  }
  return 0;
}

}  // namespace

double MillisecondsSince(const LARGE_INTEGER& start) {
  LARGE_INTEGER now{};
  LARGE_INTEGER frequency{};
  ::QueryPerformanceCounter(&now);
  ::QueryPerformanceFrequency(&frequency);
  return static_cast<double>(now.QuadPart - start.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

// The break box is looked for as soon as it exists, not once it is drawn:
// its window is made inside the program's MessageBoxA call, right after the
// run loop saw the key.
int BreakTime(int argc, char** argv) {
  const char* vk = Option(argc, argv, "--vk");
  if (vk == nullptr) return 64;
  const char* after = Option(argc, argv, "--after");
  if (after != nullptr) ::Sleep(static_cast<DWORD>(std::strtoul(after, nullptr, 10)));
  const DWORD timeoutMs = Timeout(argc, argv);
  LARGE_INTEGER pressed{};
  ::QueryPerformanceCounter(&pressed);
  ::keybd_event(static_cast<BYTE>(std::strtoul(vk, nullptr, 10)), 0, 0, 0);
  for (;;) {
    const double ms = MillisecondsSince(pressed);
    if (::FindWindowW(L"#32770", kCaption) != nullptr) {
      char line[64];
      std::snprintf(line, sizeof line, "{\"ms\": %.1f}", ms);
      PrintLine(line);
      return 0;
    }
    if (ms >= timeoutMs) break;
    ::Sleep(1);
  }
  PrintLine("{\"error\": \"no message box\"}");
  return 2;
}

BOOL CALLBACK ListWindow(HWND window, LPARAM param) {
  auto* listed = reinterpret_cast<std::string*>(param);
  wchar_t className[64] = L"";
  wchar_t caption[128] = L"";
  ::GetClassNameW(window, className, static_cast<int>(std::size(className)));
  ::GetWindowTextW(window, caption, static_cast<int>(std::size(caption)));
  DWORD pid = 0;
  ::GetWindowThreadProcessId(window, &pid);
  if (!listed->empty()) *listed += ", ";
  *listed += "{\"class\": " + JsonString(Utf8(className)) + ", \"caption\": " + JsonString(Utf8(caption)) +
             ", \"pid\": " + std::to_string(pid) + ", \"visible\": " +
             (::IsWindowVisible(window) ? "true" : "false") + "}";
  return TRUE;
}

// Every top-level window, for a failed case's report.
int Windows(int, char**) {
  std::string listed;
  ::EnumWindows(ListWindow, reinterpret_cast<LPARAM>(&listed));
  PrintLine("{\"windows\": [" + listed + "]}");
  return 0;
}

int main(int argc, char** argv) {
  struct Command {
    const char* name;
    int (*run)(int, char**);
  };
  static constexpr Command kCommands[] = {
      {"box", Box},
      {"key", Key},
      {"window", Window},
      {"mutex", [](int, char**) { return HoldMutex(); }},
      {"input", Input},
      {"notepad", Notepad},
      {"text", Text},
      {"document", Document},
      {"clipboard", Clipboard},
      {"keys", Keys},
      {"watch", [](int, char**) { return Watch(); }},
      {"sleep", SleepAndTouch},
      {"kill", Kill},
      {"picture", ShowPicture},
      {"menu", Menu},
      {"resident", Resident},
      {"post", Post},
      {"chord", Chord},
      {"tray", [](int, char**) { return HoldTrayIcon(); }},
      {"filedialog", FileDialog},
      {"trayicons", TrayIcons},
      {"button", ClickButton},
      {"caption", Caption},
      {"front", Front},
      {"type", Type},
      {"breaktime", BreakTime},
      {"windows", Windows},
  };
  for (const Command& command : kCommands) {
    if (argc >= 2 && std::strcmp(argv[1], command.name) == 0) return command.run(argc, argv);
  }
  std::fprintf(stderr, "usage: vendrix_e2e_driver COMMAND ...; see the top of wine_driver.cc\n");
  return 64;
}
