#include "recorder/win32/input_hooks.h"

#include <array>
#include <cwchar>

namespace vendrix::recorder::win32 {
namespace {

// The hook procedures get no context pointer: the one set of hooks of this
// thread is found here.  Set only while installed.
thread_local InputHooks* installedHooks = nullptr;

bool IsEditClass(HWND control) {
  std::array<wchar_t, 32> name{};
  int length = ::GetClassNameW(control, name.data(), static_cast<int>(name.size()));
  // Edit controls, and rich edits, which take ES_PASSWORD as well.
  return length > 0 && (::_wcsicmp(name.data(), L"Edit") == 0 || ::_wcsnicmp(name.data(), L"RichEdit", 8) == 0);
}

}  // namespace

bool PasswordFieldHasFocus(HWND focus) {
  if (focus == nullptr) return false;
  // The style first: one call, and the class name only for the rare
  // control that has the bit.
  LONG_PTR style = ::GetWindowLongPtrW(focus, GWL_STYLE);
  return (style & ES_PASSWORD) != 0 && IsEditClass(focus);
}

bool InputHooks::Install() {
  if (installed()) return true;
  HINSTANCE module = ::GetModuleHandleW(nullptr);
  installedHooks = this;
  keyboard_ = ::SetWindowsHookExW(WH_KEYBOARD_LL, KeyboardProc, module, 0);
  mouse_ = ::SetWindowsHookExW(WH_MOUSE_LL, MouseProc, module, 0);
  if (keyboard_ == nullptr || mouse_ == nullptr) {
    Uninstall();
    return false;
  }
  return true;
}

void InputHooks::Uninstall() {
  if (keyboard_ != nullptr) ::UnhookWindowsHookEx(keyboard_);
  if (mouse_ != nullptr) ::UnhookWindowsHookEx(mouse_);
  keyboard_ = nullptr;
  mouse_ = nullptr;
  if (installedHooks == this) installedHooks = nullptr;
}

void InputHooks::Queue(const RawInput& input) {
  queue_.Push(input);
  if (!wakePosted_) wakePosted_ = ::PostMessageW(window_, kInputQueued, 0, 0) != 0;
}

void InputHooks::OnKeyboard(WPARAM message, const KBDLLHOOKSTRUCT& event) {
  RawInput input;
  input.timeMs = event.time;
  input.kind = RawKind::kKey;
  input.down = message == WM_KEYDOWN || message == WM_SYSKEYDOWN;
  input.injected = (event.flags & LLKHF_INJECTED) != 0;
  input.vk = static_cast<int>(event.vkCode);
  if (input.down) {
    // One call gives the window in front and its focus (thread 0: the
    // foreground thread's).
    GUITHREADINFO info{};
    info.cbSize = sizeof(info);
    if (::GetGUIThreadInfo(0, &info)) {
      input.foreground = reinterpret_cast<uintptr_t>(info.hwndActive);
      input.password = PasswordFieldHasFocus(info.hwndFocus);
    }
  } else {
    input.foreground = reinterpret_cast<uintptr_t>(::GetForegroundWindow());
  }
  Queue(input);
}

void InputHooks::OnMouse(WPARAM message, const MSLLHOOKSTRUCT& event) {
  RawInput input;
  input.timeMs = event.time;
  input.injected = (event.flags & LLMHF_INJECTED) != 0;
  input.x = event.pt.x;
  input.y = event.pt.y;
  switch (message) {
    case WM_LBUTTONDOWN: case WM_LBUTTONUP:
      input.kind = RawKind::kButton;
      input.button = MouseButton::kLeft;
      input.down = message == WM_LBUTTONDOWN;
      break;
    case WM_RBUTTONDOWN: case WM_RBUTTONUP:
      input.kind = RawKind::kButton;
      input.button = MouseButton::kRight;
      input.down = message == WM_RBUTTONDOWN;
      break;
    case WM_MBUTTONDOWN: case WM_MBUTTONUP:
      input.kind = RawKind::kButton;
      input.button = MouseButton::kMiddle;
      input.down = message == WM_MBUTTONDOWN;
      break;
    case WM_MOUSEWHEEL:
      input.kind = RawKind::kWheel;
      input.notches = static_cast<short>(HIWORD(event.mouseData)) / WHEEL_DELTA;
      if (input.notches == 0) return;  // a fine-grained turn smaller than a notch
      break;
    default:
      return;  // moves are not recorded
  }
  input.foreground = reinterpret_cast<uintptr_t>(::GetForegroundWindow());
  Queue(input);
}

LRESULT CALLBACK InputHooks::KeyboardProc(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HC_ACTION && installedHooks != nullptr) {
    installedHooks->OnKeyboard(wParam, *reinterpret_cast<const KBDLLHOOKSTRUCT*>(lParam));
  }
  return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

LRESULT CALLBACK InputHooks::MouseProc(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HC_ACTION && installedHooks != nullptr) {
    installedHooks->OnMouse(wParam, *reinterpret_cast<const MSLLHOOKSTRUCT*>(lParam));
  }
  return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

}  // namespace vendrix::recorder::win32
