#include "platform/win32/win32_desktop.h"
#include "platform/win32/win32_text.h"

namespace vendrix::win32 {
namespace {

// A long step trace keeps only its latest part: past this many characters
// about the older half of the text is dropped.
constexpr int kMaxStepChars = 256 * 1024;

}  // namespace

void Win32ShellWindow::ShowStepDisplay(const platform::Rect& where, int fontSize) {
  HWND window = window_.handle();
  ::SetWindowLongPtrW(window, GWL_STYLE, WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN);
  window_.SetFontPoints(fontSize);
  // Topmost cannot be set through the style bits; SetWindowPos applies it
  // and the new frame in one go.
  ::SetWindowPos(window, HWND_TOPMOST, where.left, where.top, where.width, where.height,
                 SWP_FRAMECHANGED | SWP_SHOWWINDOW | SWP_NOACTIVATE);
}

void Win32ShellWindow::HideStepDisplay(int width, int height) {
  HWND window = window_.handle();
  ::SetWindowLongPtrW(window, GWL_STYLE, WS_POPUP | WS_CLIPCHILDREN);
  ::SetWindowPos(window, HWND_NOTOPMOST, 0, 0, width, height,
                 SWP_NOMOVE | SWP_FRAMECHANGED | SWP_HIDEWINDOW | SWP_NOACTIVATE);
}

void Win32ShellWindow::AppendStepLine(std::string_view line) {
  HWND textArea = window_.textArea();
  int length = ::GetWindowTextLengthW(textArea);
  if (length > kMaxStepChars) {
    // Cut after the line end nearest the middle, so no half line stays on
    // top.
    std::wstring old(static_cast<size_t>(length) + 1, L'\0');
    ::GetWindowTextW(textArea, old.data(), length + 1);
    const size_t lineEnd = old.find(L'\n', static_cast<size_t>(length / 2));
    const int cut = lineEnd == std::wstring::npos ? length : static_cast<int>(lineEnd + 1);
    ::SendMessageW(textArea, EM_SETSEL, 0, cut);
    ::SendMessageW(textArea, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(L""));
    length = ::GetWindowTextLengthW(textArea);
  }
  const std::wstring text = WideFromSjis(line) + L"\r\n";
  ::SendMessageW(textArea, EM_SETSEL, length, length);
  ::SendMessageW(textArea, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(text.c_str()));
  ::SendMessageW(textArea, EM_SCROLLCARET, 0, 0);
}

platform::WindowId Win32ShellWindow::MainWindow() {
  return reinterpret_cast<platform::WindowId>(window_.handle());
}

void Win32ShellWindow::SetTrayTip(std::string_view tip) { window_.SetTrayTip(WideFromSjis(tip.substr(0, 63))); }

}  // namespace vendrix::win32
