// The end-to-end suite's hands under Wine: finds Vendrix.exe's message
// boxes, reports their text, presses their buttons, and holds keys.
//
//   vendrix_e2e_driver box [--timeout MS] [--press OK|YES|NO|CANCEL]
//   (--caption TEXT: another ASCII caption)
//       Waits for a box captioned "Vendrix V0.74a", prints one JSON line
//       {"text": ..., "buttons": [...]} in UTF-8, presses the button (if
//       asked) and waits until the box is gone.  Exit 0, or 2 on timeout.
//   vendrix_e2e_driver key --vk N --down|--up
//       Injects one key event with keybd_event.
//   vendrix_e2e_driver mutex
//       Holds the resident instance's mutex until standard input ends;
//       prints {"held": true} once it has it.
//   vendrix_e2e_driver window --class NAME [--timeout MS]
//       Waits for a visible top-level window of that class, prints its
//       rectangle, topmost flag and the text of its first EDIT child.
//   vendrix_e2e_driver input --caption TEXT [--timeout MS] [--type HEX]
//                            --press OK|CANCEL
//       Waits for a dialog with that caption and an EDIT field, prints
//       {"prompt": ..., "text": ..., "selected": true|false} (the field's
//       text and whether all of it is selected), replaces the field's text
//       with the UTF-8 bytes written as HEX (if given), presses the button
//       and waits until the dialog is gone.
//
// Texts to compare go out as UTF-8 on stdout; arguments stay ASCII, since
// Wine converts console arguments through the ANSI code page.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

namespace {

constexpr wchar_t kCaption[] = L"Vendrix V0.74a";
constexpr DWORD kPollMs = 10;

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
  return value != nullptr ? static_cast<DWORD>(std::strtoul(value, nullptr, 10)) : 10000;
}

int Box(int argc, char** argv) {
  const DWORD timeout = Timeout(argc, argv);
  const char* asciiCaption = Option(argc, argv, "--caption");
  const std::wstring caption =
      asciiCaption != nullptr ? std::wstring(asciiCaption, asciiCaption + std::strlen(asciiCaption))
                              : kCaption;
  // Found once it is shown with its text: FindWindow can see a box that is
  // still being built.
  HWND box = WaitFor(
      [&caption] {
        HWND found = ::FindWindowW(L"#32770", caption.c_str());
        return found != nullptr && ::IsWindowVisible(found) &&
                       ::GetDlgItem(found, 0xFFFF) != nullptr
                   ? found
                   : nullptr;
      },
      timeout);
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
  const char* press = Option(argc, argv, "--press");
  if (asciiCaption == nullptr || press == nullptr) return 64;
  const std::wstring caption(asciiCaption, asciiCaption + std::strlen(asciiCaption));
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

}  // namespace

int main(int argc, char** argv) {
  if (argc >= 2 && std::strcmp(argv[1], "box") == 0) return Box(argc, argv);
  if (argc >= 2 && std::strcmp(argv[1], "key") == 0) return Key(argc, argv);
  if (argc >= 2 && std::strcmp(argv[1], "window") == 0) return Window(argc, argv);
  if (argc >= 2 && std::strcmp(argv[1], "mutex") == 0) return HoldMutex();
  if (argc >= 2 && std::strcmp(argv[1], "input") == 0) return Input(argc, argv);
  std::fprintf(stderr, "usage: vendrix_e2e_driver box|input|key|mutex|window ...\n");
  return 64;
}
