#include "platform/win32/win32_main_window.h"

#include <algorithm>
#include <stdexcept>
#include <utility>

#include "platform/win32/win32_text.h"
#include "values/sjis.h"

namespace vendrix::win32 {
namespace {

constexpr wchar_t kClassName[] = L"VendrixMainWindow";
// The caption every window and box of the program carries.
constexpr wchar_t kCaption[] = L"Vendrix V0.74a";
constexpr wchar_t kMenuTitle[] = L"&Vendrix";
// "ＭＳ ゴシック": the text area's face; Wine maps it through its font
// replacements.
constexpr wchar_t kTextAreaFace[] = L"\xFF2D\xFF33 \x30B4\x30B7\x30C3\x30AF";
constexpr int kDefaultFontPoints = 10;
constexpr int kHiddenWidth = 60;
constexpr int kHiddenHeight = 16;
constexpr UINT kTrayIconId = 1;
// joySetThreshold's movement threshold and joySetCapture's period (ms).
constexpr UINT kJoystickThreshold = 100;
constexpr UINT kJoystickPeriodMs = 100;

ATOM RegisterMainWindowClass(HINSTANCE instance, WNDPROC procedure) {
  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof windowClass;
  windowClass.lpfnWndProc = procedure;
  windowClass.hInstance = instance;
  windowClass.hCursor = ::LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
  windowClass.hIcon = ::LoadIconW(nullptr, reinterpret_cast<LPCWSTR>(IDI_APPLICATION));
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  windowClass.lpszClassName = kClassName;
  return ::RegisterClassExW(&windowClass);
}

// A menu string shows '&' as the next character's underline; doubled it is
// shown as itself, and no caption gets a mnemonic that would beat the
// first-character pick.
std::wstring MenuString(const std::wstring& caption) {
  std::wstring out;
  out.reserve(caption.size());
  for (wchar_t c : caption) {
    if (c == L'&') out += L'&';
    out += c;
  }
  return out;
}

// Letters of any script fold to upper case; other characters stay.
wchar_t UpperChar(wchar_t c) {
  ::CharUpperBuffW(&c, 1);
  return c;
}

UINT JoystickOf(int joystickId) { return joystickId == 0 ? JOYSTICKID1 : JOYSTICKID2; }

}  // namespace

std::wstring TrayTipText(std::string_view sjis) {
  size_t end = 0;
  while (end < sjis.size() && sjis[end] != '\0') {
    const bool pair = sjis::IsLeadByte(static_cast<unsigned char>(sjis[end])) &&
                      end + 1 < sjis.size() && sjis[end + 1] != '\0';
    const size_t next = end + (pair ? 2 : 1);
    if (next > kMaxTrayTipBytes) break;
    end = next;
  }
  return WideFromSjis(sjis.substr(0, end));
}

MainWindow::MainWindow(HINSTANCE instance) : instance_(instance) {
  WNDCLASSEXW existing{};
  existing.cbSize = sizeof existing;
  if (!::GetClassInfoExW(instance, kClassName, &existing) &&
      RegisterMainWindowClass(instance, &MainWindow::WindowProc) == 0) {
    throw std::runtime_error("RegisterClassExW failed");
  }
  menuBar_ = ::CreateMenu();
  dropDown_ = ::CreatePopupMenu();
  if (menuBar_ == nullptr || dropDown_ == nullptr ||
      !::AppendMenuW(menuBar_, MF_POPUP | MF_STRING, reinterpret_cast<UINT_PTR>(dropDown_),
                     kMenuTitle)) {
    if (dropDown_ != nullptr) ::DestroyMenu(dropDown_);
    if (menuBar_ != nullptr) ::DestroyMenu(menuBar_);
    throw std::runtime_error("CreateMenu failed");
  }
  // The bar now owns the drop-down.
  taskbarCreated_ = ::RegisterWindowMessageW(L"TaskbarCreated");
  // The WM_NCCREATE handler stores `this` and the handles.
  ::CreateWindowExW(0, kClassName, kCaption, WS_POPUP | WS_CLIPCHILDREN, 0, 0, kHiddenWidth,
                    kHiddenHeight, nullptr, nullptr, instance, this);
  if (window_ == nullptr) {
    ::DestroyMenu(menuBar_);
    throw std::runtime_error("CreateWindowExW failed");
  }
  // Shown only in the step display; the menu window is its menu bar.
  textArea_ =
      ::CreateWindowExW(WS_EX_CLIENTEDGE, L"EDIT", L"",
                        // No word wrap: rewrapping a long trace on every append is slow, and
                        // each statement stays on one line.
                        WS_CHILD | WS_VSCROLL | WS_HSCROLL | ES_MULTILINE | ES_READONLY |
                            ES_AUTOVSCROLL | ES_AUTOHSCROLL,
                        0, 0, kHiddenWidth, kHiddenHeight, window_, nullptr, instance, nullptr);
  if (textArea_ == nullptr) {
    ::DestroyWindow(window_);
    ::DestroyMenu(menuBar_);
    throw std::runtime_error("CreateWindowExW(EDIT) failed");
  }
  // The default limit of about 32 K characters would stop a long step trace.
  ::SendMessageW(textArea_, EM_SETLIMITTEXT, 0, 0);
  SetFontPoints(kDefaultFontPoints);
}

MainWindow::~MainWindow() {
  for (int joystick = 0; joystick < 2; ++joystick) ReleaseJoystick(joystick);
  // An icon left behind would stay in the notification area until the
  // pointer passes over it.
  if (trayIconShown_) DeleteTrayIcon();
  if (window_ != nullptr) {
    ::SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
    ::DestroyWindow(window_);  // with the menu bar when it is attached
  }
  if (!menuAttached_) ::DestroyMenu(menuBar_);
  if (font_ != nullptr) ::DeleteObject(font_);
}

void MainWindow::SetFontPoints(int points) {
  HDC screen = ::GetDC(nullptr);
  const int pixelsPerInch = screen != nullptr ? ::GetDeviceCaps(screen, LOGPIXELSY) : 96;
  if (screen != nullptr) ::ReleaseDC(nullptr, screen);
  const int height = -::MulDiv(points, pixelsPerInch, 72);
  HFONT font = ::CreateFontW(height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, SHIFTJIS_CHARSET,
                             OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                             FIXED_PITCH | FF_MODERN, kTextAreaFace);
  if (font == nullptr) return;
  ::SendMessageW(textArea_, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
  if (font_ != nullptr) ::DeleteObject(font_);
  font_ = font;
}

// ---- looks -------------------------------------------------------------------

void MainWindow::SetFrame(bool sizeable) {
  constexpr DWORD kFrameBits = WS_POPUP | WS_OVERLAPPEDWINDOW;
  // Visible, minimised and the rest stay: the window knows its own state.
  DWORD style = static_cast<DWORD>(::GetWindowLongPtrW(window_, GWL_STYLE));
  style = (style & ~kFrameBits) | (sizeable ? DWORD{WS_OVERLAPPEDWINDOW} : DWORD{WS_POPUP});
  ::SetWindowLongPtrW(window_, GWL_STYLE, static_cast<LONG_PTR>(style));
}

void MainWindow::ShowMenuWindow(const platform::Rect& where) {
  // A window that comes into view is painted.  The menu window is often no
  // taller than its menu bar, and Windows sends no WM_PAINT for an empty
  // client area: then the paint is queued here.
  const bool comesIntoView = ::IsIconic(window_) || !::IsWindowVisible(window_);
  resting_ = RestingLook::kMenu;
  SetFrame(false);
  ::ShowWindow(textArea_, SW_HIDE);
  if (::IsIconic(window_)) ::ShowWindow(window_, SW_RESTORE);
  ::SetWindowPos(window_, HWND_NOTOPMOST, where.left, where.top, where.width, where.height,
                 SWP_FRAMECHANGED | SWP_SHOWWINDOW);
  ::SetForegroundWindow(window_);
  RECT client{};
  const bool noClientArea = !::GetClientRect(window_, &client) || ::IsRectEmpty(&client);
  if (comesIntoView && noClientArea) Queue({platform::ShellEventKind::kPaint, 0}, true);
}

void MainWindow::ShowStepDisplay(const platform::Rect& where, int fontSize) {
  SetFrame(true);
  SetFontPoints(fontSize);
  // A minimised window would only move its icon.
  if (::IsIconic(window_)) ::ShowWindow(window_, SW_SHOWNOACTIVATE);
  ::ShowWindow(textArea_, SW_SHOWNA);
  // Topmost cannot be set through the style bits; SetWindowPos applies it
  // and the new frame in one go.
  ::SetWindowPos(window_, HWND_TOPMOST, where.left, where.top, where.width, where.height,
                 SWP_FRAMECHANGED | SWP_SHOWWINDOW | SWP_NOACTIVATE);
}

void MainWindow::HideStepDisplay(int width, int height) {
  SetFrame(false);
  ::ShowWindow(textArea_, SW_HIDE);
  // The window keeps its place, as the simulated desktop's does.
  const UINT show = resting_ == RestingLook::kMenu ? SWP_SHOWWINDOW : SWP_HIDEWINDOW;
  ::SetWindowPos(window_, HWND_NOTOPMOST, 0, 0, width, height,
                 SWP_NOMOVE | SWP_FRAMECHANGED | SWP_NOACTIVATE | show);
  if (resting_ == RestingLook::kMinimised) MinimiseAndHide();
}

void MainWindow::Minimise() {
  resting_ = RestingLook::kMinimised;
  SetFrame(false);
  ::ShowWindow(textArea_, SW_HIDE);
  ::SetWindowPos(window_, HWND_NOTOPMOST, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_FRAMECHANGED | SWP_NOACTIVATE);
  MinimiseAndHide();
}

void MainWindow::MinimiseAndHide() {
  if (!::IsIconic(window_)) {
    // SW_MINIMIZE activates the next window: right when ours was active,
    // but a hidden one would take the activation from the user's window.
    ::ShowWindow(window_, ::GetForegroundWindow() == window_ ? SW_MINIMIZE : SW_SHOWMINNOACTIVE);
  }
  ::ShowWindow(window_, SW_HIDE);
}

bool MainWindow::Minimised() const {
  return ::IsIconic(window_) || !::IsWindowVisible(window_);
}

// ---- the menu bar -------------------------------------------------------------

void MainWindow::SetMenuItems(const std::vector<std::string>& captions) {
  for (int count = ::GetMenuItemCount(dropDown_); count > 0; --count) {
    ::DeleteMenu(dropDown_, 0, MF_BYPOSITION);
  }
  captions_.clear();
  const size_t count = std::min(captions.size(), kMaxMenuItems);
  for (size_t i = 0; i < count; ++i) {
    captions_.push_back(WideFromSjis(captions[i]));
    ::AppendMenuW(dropDown_, MF_STRING, kMenuCommandBase + i,
                  MenuString(captions_.back()).c_str());
  }
  if (!menuAttached_) menuAttached_ = ::SetMenu(window_, menuBar_) != FALSE;
  ::DrawMenuBar(window_);
}

// Windows picks an item by the character after its '&' only; these items
// have none, so the first item whose caption starts with the typed
// character is run here.
LRESULT MainWindow::MenuChar(wchar_t typed, HMENU menu) {
  if (menu != dropDown_) return MAKELRESULT(0, MNC_IGNORE);
  const wchar_t wanted = UpperChar(typed);
  for (size_t i = 0; i < captions_.size(); ++i) {
    if (!captions_[i].empty() && UpperChar(captions_[i][0]) == wanted) {
      return MAKELRESULT(static_cast<WORD>(i), MNC_EXECUTE);
    }
  }
  return MAKELRESULT(0, MNC_IGNORE);
}

// ---- the notification-area icon -----------------------------------------------

bool MainWindow::NotifyIcon(DWORD action, UINT flags) {
  NOTIFYICONDATAW data{};
  data.cbSize = sizeof data;
  data.hWnd = window_;
  data.uID = kTrayIconId;
  data.uFlags = flags;
  data.uCallbackMessage = kTrayMessage;
  // The notification area shows small icons: the icon file's own small
  // image rather than its large one scaled down.
  HICON icon = reinterpret_cast<HICON>(::GetClassLongPtrW(window_, GCLP_HICONSM));
  if (icon == nullptr) icon = reinterpret_cast<HICON>(::GetClassLongPtrW(window_, GCLP_HICON));
  data.hIcon = icon;
  trayTip_.copy(data.szTip, std::size(data.szTip) - 1);
  return ::Shell_NotifyIconW(action, &data) != FALSE;
}

bool MainWindow::AddTrayIcon(const std::wstring& tip) {
  trayTip_ = tip;
  constexpr UINT kAll = NIF_MESSAGE | NIF_ICON | NIF_TIP;
  // A second add would fail: the icon is already there.
  if (trayIconShown_) return NotifyIcon(NIM_MODIFY, kAll);
  trayIconShown_ = NotifyIcon(NIM_ADD, kAll);
  return trayIconShown_;
}

void MainWindow::DeleteTrayIcon() {
  if (trayIconShown_) NotifyIcon(NIM_DELETE, 0);
  trayIconShown_ = false;
}

bool MainWindow::SetTrayTip(const std::wstring& tip) {
  if (!trayIconShown_) return false;
  trayTip_ = tip;
  return NotifyIcon(NIM_MODIFY, NIF_TIP);
}

// ---- joysticks ----------------------------------------------------------------

bool MainWindow::CaptureJoystick(int joystickId) {
  if (joystickId != 0 && joystickId != 1) return false;
  const UINT joystick = JoystickOf(joystickId);
  ::joySetThreshold(joystick, kJoystickThreshold);
  const bool captured =
      ::joySetCapture(window_, joystick, kJoystickPeriodMs, TRUE) == JOYERR_NOERROR;
  joystickCaptured_[joystickId] = joystickCaptured_[joystickId] || captured;
  return captured;
}

void MainWindow::ReleaseJoystick(int joystickId) {
  if (joystickId != 0 && joystickId != 1) return;
  if (joystickCaptured_[joystickId]) ::joyReleaseCapture(JoystickOf(joystickId));
  joystickCaptured_[joystickId] = false;
}

// ---- shell events -------------------------------------------------------------

void MainWindow::Queue(platform::ShellEvent event, bool onlyOnePending) {
  const auto sameKind = [&](const platform::ShellEvent& e) { return e.kind == event.kind; };
  if (onlyOnePending && std::any_of(events_.begin(), events_.end(), sameKind)) return;
  if (events_.size() >= kMaxPendingEvents && event.kind != platform::ShellEventKind::kQuit) return;
  events_.push_back(event);
}

std::optional<platform::ShellEvent> MainWindow::TakeEvent() {
  if (events_.empty()) return std::nullopt;
  const platform::ShellEvent event = events_.front();
  events_.pop_front();
  return event;
}

void MainWindow::WaitForEvent(uint32_t timeoutMs) {
  const DWORD start = ::GetTickCount();
  while (events_.empty()) {
    MSG message;
    while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (message.message == WM_QUIT) {
        // The waiter owns the loop: the quit becomes its event.
        Queue({platform::ShellEventKind::kQuit, 0}, true);
      } else {
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
        RethrowPendingError();
      }
      if (!events_.empty()) return;
    }
    DWORD wait = INFINITE;
    if (timeoutMs != INFINITE) {
      const DWORD elapsed = ::GetTickCount() - start;  // right across the 49.7-day wrap
      if (elapsed >= timeoutMs) return;
      wait = timeoutMs - elapsed;
    }
    ::MsgWaitForMultipleObjectsEx(0, nullptr, wait, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
  }
}

void MainWindow::RethrowPendingError() {
  if (!pendingError_) return;
  std::exception_ptr error = std::exchange(pendingError_, nullptr);
  std::rethrow_exception(error);
}

// ---- the window procedure -----------------------------------------------------

LRESULT CALLBACK MainWindow::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
    auto* self = static_cast<MainWindow*>(create->lpCreateParams);
    self->window_ = window;
    ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  }
  auto* self = reinterpret_cast<MainWindow*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
  if (self == nullptr) return ::DefWindowProcW(window, message, wParam, lParam);
  try {
    return self->HandleMessage(message, wParam, lParam);
  } catch (...) {
    // Unwinding through the system's frames is undefined: keep the first
    // error for our own loop, and leave a menu's loop so it gets there.
    if (!self->pendingError_) self->pendingError_ = std::current_exception();
    ::EndMenu();
    return 0;
  }
}

LRESULT MainWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  using platform::ShellEventKind;
  switch (message) {
    case WM_TIMER:
      if (timerSink_ != nullptr) timerSink_->OnTimer(static_cast<int>(wParam));
      return 0;
    case WM_SIZE:
      if (textArea_ != nullptr) {
        ::MoveWindow(textArea_, 0, 0, LOWORD(lParam), HIWORD(lParam), TRUE);
      }
      return 0;
    case WM_CLOSE:
      // Closing the step display must not destroy the window the run still
      // uses; the break key is the way to stop a macro.
      return 0;
    case WM_PAINT:
      Queue({ShellEventKind::kPaint, 0}, true);
      break;  // the default validates the window
    case WM_COMMAND:
      if (HIWORD(wParam) == 0 && lParam == 0) {
        const UINT id = LOWORD(wParam);
        if (id >= kMenuCommandBase && id - kMenuCommandBase < captions_.size()) {
          Queue({ShellEventKind::kMenuPick, static_cast<int>(id - kMenuCommandBase)});
          return 0;
        }
      }
      break;
    case WM_MENUCHAR:
      return MenuChar(static_cast<wchar_t>(LOWORD(wParam)), reinterpret_cast<HMENU>(lParam));
    case WM_HOTKEY:
      // Negative ids are the system's own hotkeys.
      if (static_cast<intptr_t>(wParam) >= 0) {
        Queue({ShellEventKind::kHotkey, static_cast<int>(wParam)});
      }
      return 0;
    case kTrayMessage:
      if (LOWORD(lParam) == WM_RBUTTONDOWN) Queue({ShellEventKind::kTrayRightClick, 0});
      return 0;
    case MM_JOY1BUTTONDOWN:
      Queue({ShellEventKind::kJoystickButton, 1});
      return 0;
    case MM_JOY2BUTTONDOWN:
      Queue({ShellEventKind::kJoystickButton, 2});
      return 0;
    case WM_QUERYENDSESSION:
      // Told now, the shell can still tidy up (the icon) before the session
      // ends; were the end cancelled, the program has gone anyway.
      Queue({ShellEventKind::kQuit, 0}, true);
      return TRUE;
    case WM_ENDSESSION:
      if (wParam != FALSE) Queue({ShellEventKind::kQuit, 0}, true);
      return 0;
    default:
      // Explorer restarted: the notification area forgot our icon.
      if (message == taskbarCreated_ && taskbarCreated_ != 0 && trayIconShown_) {
        NotifyIcon(NIM_ADD, NIF_MESSAGE | NIF_ICON | NIF_TIP);
        return 0;
      }
      break;
  }
  return ::DefWindowProcW(window_, message, wParam, lParam);
}

}  // namespace vendrix::win32
