#include "platform/win32/win32_main_window.h"

#include <stdexcept>

namespace vendrix::win32 {
namespace {

constexpr wchar_t kClassName[] = L"VendrixMainWindow";
// The caption every window and box of the program carries.
constexpr wchar_t kCaption[] = L"Vendrix V0.74a";
// "ＭＳ ゴシック": the text area's face; Wine maps it through its font
// replacements.
constexpr wchar_t kTextAreaFace[] = L"\xFF2D\xFF33 \x30B4\x30B7\x30C3\x30AF";
constexpr int kDefaultFontPoints = 10;
constexpr int kHiddenWidth = 60;
constexpr int kHiddenHeight = 16;

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

}  // namespace

MainWindow::MainWindow(HINSTANCE instance) : instance_(instance) {
  WNDCLASSEXW existing{};
  existing.cbSize = sizeof existing;
  if (!::GetClassInfoExW(instance, kClassName, &existing) &&
      RegisterMainWindowClass(instance, &MainWindow::WindowProc) == 0) {
    throw std::runtime_error("RegisterClassExW failed");
  }
  // The WM_NCCREATE handler stores `this` and the handles.
  ::CreateWindowExW(0, kClassName, kCaption, WS_POPUP | WS_CLIPCHILDREN, 0, 0, kHiddenWidth,
                    kHiddenHeight, nullptr, nullptr, instance, this);
  if (window_ == nullptr) throw std::runtime_error("CreateWindowExW failed");
  textArea_ =
      ::CreateWindowExW(WS_EX_CLIENTEDGE, L"EDIT", L"",
                        // No word wrap: rewrapping a long trace on every append is slow, and
                        // each statement stays on one line.
                        WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_HSCROLL | ES_MULTILINE |
                            ES_READONLY | ES_AUTOVSCROLL | ES_AUTOHSCROLL,
                        0, 0, kHiddenWidth, kHiddenHeight, window_, nullptr, instance, nullptr);
  if (textArea_ == nullptr) throw std::runtime_error("CreateWindowExW(EDIT) failed");
  // The default limit of about 32 K characters would stop a long step trace.
  ::SendMessageW(textArea_, EM_SETLIMITTEXT, 0, 0);
  SetFontPoints(kDefaultFontPoints);
}

MainWindow::~MainWindow() {
  if (window_ != nullptr) {
    ::SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
    ::DestroyWindow(window_);
  }
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

LRESULT CALLBACK MainWindow::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
    auto* self = static_cast<MainWindow*>(create->lpCreateParams);
    self->window_ = window;
    ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  }
  auto* self = reinterpret_cast<MainWindow*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
  if (self == nullptr) return ::DefWindowProcW(window, message, wParam, lParam);
  return self->HandleMessage(message, wParam, lParam);
}

LRESULT MainWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
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
    default:
      return ::DefWindowProcW(window_, message, wParam, lParam);
  }
}

bool MainWindow::SetTrayTip(const std::wstring& tip) {
  if (!trayIconShown_) return false;
  NOTIFYICONDATAW data{};
  data.cbSize = sizeof data;
  data.hWnd = window_;
  data.uID = 1;
  data.uFlags = NIF_TIP;
  tip.copy(data.szTip, std::size(data.szTip) - 1);
  return ::Shell_NotifyIconW(NIM_MODIFY, &data) != FALSE;
}

}  // namespace vendrix::win32
