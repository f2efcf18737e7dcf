#include <climits>

#include "platform/win32/win32_desktop.h"
#include "platform/win32/win32_text.h"
#include "values/sjis.h"
// After windows.h, which WIN32_LEAN_AND_MEAN keeps from including it.
#include <commdlg.h>

namespace vendrix::win32 {
namespace {

// A long step trace keeps only its latest part: past this many characters
// about the older half of the text is dropped.
constexpr int kMaxStepChars = 256 * 1024;
// Ids an application may give its hotkeys; the rest are the system's.
constexpr int kMaxHotkeyId = 0xBFFF;
constexpr UINT kHotkeyModifiers = MOD_ALT | MOD_CONTROL | MOD_SHIFT;
// The file dialog's answer, in UTF-16 characters with the final zero.
constexpr DWORD kMaxChosenPath = 4096;

static_assert(platform::kModAlt == MOD_ALT && platform::kModControl == MOD_CONTROL &&
              platform::kModShift == MOD_SHIFT);

// "Name|*.A;*.B|Other|*.C" as the dialog wants it: "Name\0*.A;*.B\0Other\0*.C\0\0".
// Split after the conversion, since 0x7C ('|') is also a trail byte.
// A name without its patterns lists every file.
std::wstring FilterList(std::string_view filter) {
  std::wstring wide = WideFromSjis(sjis::UpToNul(filter));
  if (!wide.empty() && wide.back() == L'|') wide.pop_back();
  if (wide.empty()) return {};
  size_t parts = 1;
  for (wchar_t& c : wide) {
    if (c == L'|') {
      c = L'\0';
      ++parts;
    }
  }
  if (parts % 2 != 0) wide += std::wstring(L"\0*.*", 4);
  wide += L'\0';
  return wide;  // c_str() adds the closing zero
}

// None when code page 932 has no exact spelling of the text.
std::optional<std::string> ExactSjis(std::wstring_view wide) {
  if (wide.empty() || wide.size() > INT_MAX) return std::nullopt;
  const int inLength = static_cast<int>(wide.size());
  BOOL usedDefault = FALSE;
  const int outLength = ::WideCharToMultiByte(kShiftJisCodePage, WC_NO_BEST_FIT_CHARS, wide.data(),
                                              inLength, nullptr, 0, nullptr, &usedDefault);
  if (outLength <= 0 || usedDefault) return std::nullopt;
  std::string out(static_cast<size_t>(outLength), '\0');
  ::WideCharToMultiByte(kShiftJisCodePage, WC_NO_BEST_FIT_CHARS, wide.data(), inLength, out.data(),
                        outLength, nullptr, &usedDefault);
  if (usedDefault) return std::nullopt;
  return out;
}

using GetOpenFileNameFunction = BOOL(WINAPI*)(OPENFILENAMEW*);

// The file dialog's library is loaded when a macro first asks for it, not
// at every start: it brings in much of the shell (some 30 ms of each start
// under Wine) for a dialog few macros show.  Loaded by its full path from
// the system folder, and kept, as a linked library would be.
GetOpenFileNameFunction FileDialogFunction() {
  wchar_t folder[MAX_PATH];
  const UINT length = ::GetSystemDirectoryW(folder, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return nullptr;
  const std::wstring path = std::wstring(folder, length) + L"\\comdlg32.dll";
  const HMODULE library = ::LoadLibraryW(path.c_str());
  if (library == nullptr) return nullptr;
  return FindProcedure<GetOpenFileNameFunction>(library, "GetOpenFileNameW");
}

}  // namespace

// ---- the menu window, its icon and its hotkeys ---------------------------------

void Win32ShellWindow::SetMenuItems(const std::vector<std::string>& captions) {
  window_.SetMenuItems(captions);
}

void Win32ShellWindow::ShowMenuWindow(const platform::Rect& where) { window_.ShowMenuWindow(where); }

void Win32ShellWindow::MinimiseMainWindow() { window_.Minimise(); }

bool Win32ShellWindow::MainWindowMinimised() { return window_.Minimised(); }

bool Win32ShellWindow::SetProgramIcon(std::string_view iconFile) {
  const std::wstring file = WideFromSjis(sjis::UpToNul(iconFile));
  HANDLE big = ::LoadImageW(nullptr, file.c_str(), IMAGE_ICON, ::GetSystemMetrics(SM_CXICON),
                            ::GetSystemMetrics(SM_CYICON), LR_LOADFROMFILE);
  HANDLE small = ::LoadImageW(nullptr, file.c_str(), IMAGE_ICON, ::GetSystemMetrics(SM_CXSMICON),
                              ::GetSystemMetrics(SM_CYSMICON), LR_LOADFROMFILE);
  if (big == nullptr || small == nullptr) {
    if (big != nullptr) ::DestroyIcon(static_cast<HICON>(big));
    if (small != nullptr) ::DestroyIcon(static_cast<HICON>(small));
    return false;
  }
  // The class keeps them for the life of the program; the notification
  // icon is taken from the class too.
  const HWND window = window_.handle();
  ::SetClassLongPtrW(window, GCLP_HICON, reinterpret_cast<LONG_PTR>(big));
  ::SetClassLongPtrW(window, GCLP_HICONSM, reinterpret_cast<LONG_PTR>(small));
  ::SendMessageW(window, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(big));
  ::SendMessageW(window, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small));
  return true;
}

// A tool window never gets a taskbar button, whatever it shows.
void Win32ShellWindow::HideTaskbarButton() {
  const HWND window = window_.handle();
  const LONG_PTR style = ::GetWindowLongPtrW(window, GWL_EXSTYLE);
  ::SetWindowLongPtrW(window, GWL_EXSTYLE, (style | WS_EX_TOOLWINDOW) & ~static_cast<LONG_PTR>(WS_EX_APPWINDOW));
}

// EndMenu works from inside the menu's own loop too, where a timer tick of
// the break key runs.
void Win32ShellWindow::CloseMenu() { ::EndMenu(); }

bool Win32ShellWindow::AddTrayIcon(std::string_view tip) {
  return window_.AddTrayIcon(TrayTipText(tip));
}

void Win32ShellWindow::DeleteTrayIcon() { window_.DeleteTrayIcon(); }

bool Win32ShellWindow::RegisterHotKey(int id, uint32_t modifiers, int vk) {
  if (id < 0 || id > kMaxHotkeyId || vk <= 0 || vk > 0xFE) return false;
  return ::RegisterHotKey(window_.handle(), id, modifiers & kHotkeyModifiers,
                          static_cast<UINT>(vk)) != FALSE;
}

void Win32ShellWindow::UnregisterHotKey(int id) {
  if (id >= 0 && id <= kMaxHotkeyId) ::UnregisterHotKey(window_.handle(), id);
}

bool Win32ShellWindow::CaptureJoystick(int joystickId) {
  return window_.CaptureJoystick(joystickId);
}

void Win32ShellWindow::ReleaseJoystick(int joystickId) { window_.ReleaseJoystick(joystickId); }

std::optional<std::string> Win32ShellWindow::ChooseFile(std::string_view filter) {
  const std::wstring filters = FilterList(filter);
  std::wstring file(kMaxChosenPath, L'\0');
  OPENFILENAMEW dialog{};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = window_.handle();
  dialog.lpstrFilter = filters.empty() ? nullptr : filters.c_str();
  dialog.nFilterIndex = 1;
  dialog.lpstrFile = file.data();
  dialog.nMaxFile = kMaxChosenPath;
  // OFN_NOCHANGEDIR: relative names in macros keep meaning the same folder.
  dialog.Flags = OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY |
                 OFN_NOCHANGEDIR;
  const GetOpenFileNameFunction getOpenFileName = FileDialogFunction();
  if (getOpenFileName == nullptr) return std::nullopt;  // as if cancelled: no file chosen
  const BOOL chosen = getOpenFileName(&dialog);
  window_.RethrowPendingError();  // a timer tick's, from the dialog's loop
  if (!chosen) return std::nullopt;
  file.resize(file.find(L'\0'));
  return ExactSjis(file);
}

std::optional<platform::ShellEvent> Win32ShellWindow::TakeShellEvent() { return window_.TakeEvent(); }

void Win32ShellWindow::WaitForShellEvent(uint32_t timeoutMs) { window_.WaitForEvent(timeoutMs); }

// ---- the step display ------------------------------------------------------------

void Win32ShellWindow::ShowStepDisplay(const platform::Rect& where, int fontSize) {
  window_.ShowStepDisplay(where, fontSize);
}

void Win32ShellWindow::HideStepDisplay(int width, int height) {
  window_.HideStepDisplay(width, height);
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

void Win32ShellWindow::SetTrayTip(std::string_view tip) { window_.SetTrayTip(TrayTipText(tip)); }

}  // namespace vendrix::win32
