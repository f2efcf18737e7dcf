#include <optional>
#include <string>

#include "platform/win32/win32_desktop.h"
#include "platform/win32/win32_text.h"
#include "values/sjis.h"

// After windows.h (through win32_api.h): the input method calls.
#include <imm.h>

namespace vendrix::win32 {
namespace {

HWND HandleOf(platform::WindowId window) { return reinterpret_cast<HWND>(window); }

// How long SetForegroundWindow waits for the window to be in front.
constexpr DWORD kForegroundSettleMs = 1000;
constexpr DWORD kSettlePollMs = 10;

platform::WindowId IdOf(HWND window) { return reinterpret_cast<platform::WindowId>(window); }

std::wstring WideTitle(HWND window) {
  const int length = ::GetWindowTextLengthW(window);
  if (length <= 0) return {};
  std::wstring title(static_cast<size_t>(length) + 1, L'\0');
  const int got = ::GetWindowTextW(window, title.data(), length + 1);
  title.resize(got > 0 ? static_cast<size_t>(got) : 0);
  return title;
}

// The longest start of `text` of at most `limit` bytes that ends on a
// character boundary: a buffer never holds half a double-byte character.
std::string CutToBytes(const std::string& text, size_t limit) {
  size_t end = 0;
  while (end < text.size()) {
    const size_t next = end + (sjis::IsLeadByteAt(text, end) ? 2 : 1);
    if (next > limit) break;
    end = next;
  }
  return text.substr(0, end);
}

// WM_IME_CHAR carries one code page 932 character, lead * 256 + trail or a
// single byte.  As a UTF-16 unit in the W form it arrives right in any
// locale: the A form leaves the conversion to the system, with the code page
// of the keyboard layout, not 932 on a system of another language (and
// Wine, across processes, converts the lead byte alone).  Null for a code
// that is no one character of the code page, which goes on in the A form.
std::optional<wchar_t> WideImeChar(uintptr_t code) {
  if (code > 0xFFFF) return std::nullopt;
  char bytes[2];
  int length = 0;
  if (code > 0xFF) bytes[length++] = static_cast<char>(code >> 8);
  bytes[length++] = static_cast<char>(code & 0xFF);
  wchar_t wide[2];
  const int got = ::MultiByteToWideChar(kShiftJisCodePage, MB_ERR_INVALID_CHARS, bytes, length, wide, 2);
  if (got != 1) return std::nullopt;
  return wide[0];
}

using RtlGetVersionFunction = LONG(WINAPI*)(OSVERSIONINFOW*);

// RtlGetVersion tells the true version; GetVersionExW may be told to lie by
// the system's compatibility layer.
bool TrueVersion(OSVERSIONINFOW& info) {
  const HMODULE ntdll = ::GetModuleHandleW(L"ntdll.dll");
  if (ntdll == nullptr) return false;
  const auto getVersion = FindProcedure<RtlGetVersionFunction>(ntdll, "RtlGetVersion");
  return getVersion != nullptr && getVersion(&info) == 0;
}

}  // namespace

platform::WindowId Win32Windows::FindWindowByTitle(std::string_view title) {
  const std::wstring wideTitle = WideFromSjis(title);
  return IdOf(::FindWindowW(nullptr, wideTitle.c_str()));
}

platform::WindowId Win32Windows::GetForegroundWindow() { return IdOf(::GetForegroundWindow()); }

bool Win32Windows::SetForegroundWindow(platform::WindowId window) {
  const HWND handle = HandleOf(window);
  if (!::SetForegroundWindow(handle)) return false;
  // Where the change reaches the window manager later (Wine, a remote
  // desktop), the window in front reads as none for a moment: what follows
  // (the next statement's getwindowpos, its keys) must find it in front.
  // Windows itself answers at once, and a hidden or minimised window is not
  // waited for.
  if (::IsWindowVisible(handle) && !::IsIconic(handle)) {
    for (DWORD waited = 0; ::GetForegroundWindow() != handle && waited < kForegroundSettleMs; waited += kSettlePollMs) {
      ::Sleep(kSettlePollMs);
    }
  }
  return true;
}

bool Win32Windows::BringWindowToTop(platform::WindowId window) {
  return ::BringWindowToTop(HandleOf(window)) != FALSE;
}

bool Win32Windows::IsIconic(platform::WindowId window) { return ::IsIconic(HandleOf(window)) != FALSE; }

bool Win32Windows::ShowWindow(platform::WindowId window, int command) {
  return ::ShowWindow(HandleOf(window), command) != FALSE;
}

std::optional<platform::WindowRect> Win32Windows::GetWindowRect(platform::WindowId window) {
  RECT rect{};
  if (!::GetWindowRect(HandleOf(window), &rect)) return std::nullopt;
  return platform::WindowRect{rect.left, rect.top, rect.right, rect.bottom};
}

// The program counts titles in Shift-JIS bytes, not UTF-16 units.
int Win32Windows::WindowTitleLength(platform::WindowId window) {
  return static_cast<int>(SjisFromWide(WideTitle(HandleOf(window))).size());
}

std::string Win32Windows::WindowTitle(platform::WindowId window, int bufferSize) {
  if (bufferSize <= 1) return {};
  return CutToBytes(SjisFromWide(WideTitle(HandleOf(window))), static_cast<size_t>(bufferSize) - 1);
}

platform::WindowId Win32Windows::WindowFromPoint(platform::Point where) {
  return IdOf(::WindowFromPoint(POINT{where.x, where.y}));
}

platform::WindowId Win32Windows::GetFocus() { return IdOf(::GetFocus()); }

std::optional<platform::Point> Win32Windows::GetCaretPos() {
  POINT where{};
  if (!::GetCaretPos(&where)) return std::nullopt;
  return platform::Point{static_cast<int>(where.x), static_cast<int>(where.y)};
}

platform::WindowId Win32Windows::GetActiveWindow() { return IdOf(::GetActiveWindow()); }

uint32_t Win32Windows::GetCurrentThreadId() { return ::GetCurrentThreadId(); }

uint32_t Win32Windows::WindowThreadId(platform::WindowId window) {
  return ::GetWindowThreadProcessId(HandleOf(window), nullptr);
}

bool Win32Windows::AttachThreadInput(uint32_t thread, uint32_t toThread, bool attach) {
  return ::AttachThreadInput(thread, toThread, attach ? TRUE : FALSE) != FALSE;
}

uint32_t Win32Windows::ForegroundLockTimeout() {
  DWORD ms = 0;
  ::SystemParametersInfoW(SPI_GETFOREGROUNDLOCKTIMEOUT, 0, &ms, 0);
  return ms;
}

void Win32Windows::SetForegroundLockTimeout(uint32_t ms) {
  // This setting takes its value in the pointer argument itself.
  ::SystemParametersInfoW(SPI_SETFOREGROUNDLOCKTIMEOUT, 0, reinterpret_cast<void*>(static_cast<uintptr_t>(ms)),
                          SPIF_SENDCHANGE);
}

platform::OsVersion Win32Windows::GetOsVersion() {
  OSVERSIONINFOW info{};
  info.dwOSVersionInfoSize = sizeof info;
  if (!TrueVersion(info) && !::GetVersionExW(&info)) return {};
  return {static_cast<int>(info.dwPlatformId), static_cast<int>(info.dwMajorVersion),
          static_cast<int>(info.dwMinorVersion)};
}

// The A forms on purpose: macros send WM_CHAR with code page 932 bytes (a
// lead byte, then a trail byte), ANSI character messages that Windows turns
// into the characters they stand for, where the W forms would take each
// byte for a UTF-16 unit.  WM_IME_CHAR holds a whole character, which is
// converted here (WideImeChar).
intptr_t Win32Windows::SendWindowMessage(platform::WindowId window, uint32_t message, uintptr_t wParam,
                                         intptr_t lParam) {
  if (message == platform::kWmImeChar) {
    if (const std::optional<wchar_t> wide = WideImeChar(wParam)) {
      return ::SendMessageW(HandleOf(window), message, *wide, lParam);
    }
  }
  return ::SendMessageA(HandleOf(window), message, wParam, lParam);
}

bool Win32Windows::PostWindowMessage(platform::WindowId window, uint32_t message, uintptr_t wParam,
                                     intptr_t lParam) {
  if (message == platform::kWmImeChar) {
    if (const std::optional<wchar_t> wide = WideImeChar(wParam)) {
      return ::PostMessageW(HandleOf(window), message, *wide, lParam) != FALSE;
    }
  }
  return ::PostMessageA(HandleOf(window), message, wParam, lParam) != FALSE;
}

std::optional<bool> Win32Windows::ImeOpenStatus(platform::WindowId window) {
  const HWND handle = HandleOf(window);
  const HIMC context = ::ImmGetContext(handle);
  if (context == nullptr) return std::nullopt;
  const bool open = ::ImmGetOpenStatus(context) != FALSE;
  ::ImmReleaseContext(handle, context);
  return open;
}

void Win32Windows::SetImeOpenStatus(platform::WindowId window, bool open) {
  const HWND handle = HandleOf(window);
  const HIMC context = ::ImmGetContext(handle);
  if (context == nullptr) return;
  ::ImmSetOpenStatus(context, open ? TRUE : FALSE);
  ::ImmReleaseContext(handle, context);
}

void Win32Windows::DebugOutput(std::string_view text) {
  const std::wstring wideText = WideFromSjis(text);
  ::OutputDebugStringW(wideText.c_str());
}

}  // namespace vendrix::win32
