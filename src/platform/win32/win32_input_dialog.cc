// The input dialog of "inputbox": a modal dialog built in memory, so the
// program needs no dialog resource.  Caption, a prompt, an edit field whose
// initial text is selected, OK and Cancel; centred on the screen.
#include <algorithm>
#include <string>
#include <vector>

#include "platform/win32/win32_desktop.h"
#include "platform/win32/win32_text.h"

namespace vendrix::win32 {
namespace {

// Dialog units.
constexpr short kMargin = 7;
constexpr short kDialogWidth = 260;
constexpr short kLineHeight = 9;
constexpr short kEditHeight = 13;
constexpr short kButtonWidth = 50;
constexpr short kButtonHeight = 14;
constexpr short kGap = 6;
// A prompt of more lines is cut off, not grown past the screen.
constexpr int kMaxPromptLines = 20;
// Half-width characters of the dialog font that fit on one prompt line.
constexpr int kColumnsPerLine = 60;

constexpr WORD kEditId = 100;
constexpr WORD kPromptId = 101;
constexpr WORD kButtonClass = 0x0080;
constexpr WORD kEditClass = 0x0081;
constexpr WORD kStaticClass = 0x0082;
// The longest text the edit field takes, in UTF-16 units.
constexpr int kMaxEditChars = 32767;

constexpr wchar_t kFontFace[] = L"MS UI Gothic";
constexpr WORD kFontPoints = 9;

// What the dialog procedure reads and fills in.
struct InputState {
  std::wstring initial;
  std::wstring entered;
};

// A DLGTEMPLATE and its items, written as the WORD sequence Windows reads.
class TemplateWriter {
 public:
  void Dialog(DWORD style, short cx, short cy, const std::wstring& title, WORD items) {
    Dword(style);
    Dword(0);  // extended style
    words_.push_back(items);
    Coordinates(0, 0, cx, cy);
    words_.push_back(0);  // no menu
    words_.push_back(0);  // the standard dialog class
    Text(title);
    words_.push_back(kFontPoints);
    Text(kFontFace);
  }

  void Item(DWORD style, short x, short y, short cx, short cy, WORD id, WORD atom, const std::wstring& text) {
    if (words_.size() % 2 != 0) words_.push_back(0);  // items start on a DWORD
    Dword(style | WS_CHILD | WS_VISIBLE);
    Dword(0);
    Coordinates(x, y, cx, cy);
    words_.push_back(id);
    words_.push_back(0xFFFF);
    words_.push_back(atom);
    Text(text);
    words_.push_back(0);  // no creation data
  }

  const DLGTEMPLATE* Get() const { return reinterpret_cast<const DLGTEMPLATE*>(words_.data()); }

 private:
  void Dword(DWORD value) {
    words_.push_back(LOWORD(value));
    words_.push_back(HIWORD(value));
  }
  void Coordinates(short x, short y, short cx, short cy) {
    for (short value : {x, y, cx, cy}) words_.push_back(static_cast<WORD>(value));
  }
  void Text(const std::wstring& text) {
    words_.insert(words_.end(), text.begin(), text.end());
    words_.push_back(0);
  }

  std::vector<WORD> words_;
};

// Lines a prompt line takes once the static control wraps it.
int WrappedLines(int columns) { return std::max(1, (columns + kColumnsPerLine - 1) / kColumnsPerLine); }

// A static control breaks lines at CR LF; the language writes a lone CR.
// `lines` is the height the prompt needs, in lines.
std::wstring PromptLines(const std::wstring& prompt, int& lines) {
  std::wstring out;
  lines = 0;
  int columns = 0;
  for (size_t i = 0; i < prompt.size(); ++i) {
    const bool lineEnd = prompt[i] == L'\r' || prompt[i] == L'\n';
    if (!lineEnd) {
      out += prompt[i];
      columns += prompt[i] < 0x100 || (prompt[i] >= 0xFF61 && prompt[i] <= 0xFF9F) ? 1 : 2;
      continue;
    }
    if (prompt[i] == L'\r' && i + 1 < prompt.size() && prompt[i + 1] == L'\n') ++i;
    out += L"\r\n";
    lines += WrappedLines(columns);
    columns = 0;
  }
  lines = std::min(lines + WrappedLines(columns), kMaxPromptLines);
  return out;
}

std::wstring EditText(HWND edit) {
  const int length = std::clamp(::GetWindowTextLengthW(edit), 0, kMaxEditChars);
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  const int got = ::GetWindowTextW(edit, text.data(), length + 1);
  text.resize(static_cast<size_t>(std::clamp(got, 0, length)));
  return text;
}

INT_PTR CALLBACK InputDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG: {
      ::SetWindowLongPtrW(dialog, DWLP_USER, lParam);
      const auto* state = reinterpret_cast<const InputState*>(lParam);
      HWND edit = ::GetDlgItem(dialog, kEditId);
      ::SendMessageW(edit, EM_LIMITTEXT, kMaxEditChars, 0);
      ::SetWindowTextW(edit, state->initial.c_str());
      ::SendMessageW(edit, EM_SETSEL, 0, -1);
      ::SetFocus(edit);
      ::SetForegroundWindow(dialog);
      return FALSE;  // the focus is set
    }
    case WM_COMMAND: {
      const WORD id = LOWORD(wParam);
      if (id == IDOK) {
        auto* state = reinterpret_cast<InputState*>(::GetWindowLongPtrW(dialog, DWLP_USER));
        state->entered = EditText(::GetDlgItem(dialog, kEditId));
      }
      if (id == IDOK || id == IDCANCEL) {
        ::EndDialog(dialog, id);
        return TRUE;
      }
      return FALSE;
    }
    default:
      return FALSE;
  }
}

}  // namespace

std::optional<std::string> Win32Dialogs::InputBox(std::string_view caption, std::string_view prompt,
                                                  std::string_view initial) {
  int lines = 1;
  const std::wstring promptText = PromptLines(WideFromSjis(prompt), lines);
  const short promptHeight = static_cast<short>(lines * kLineHeight);
  const short editTop = static_cast<short>(kMargin + promptHeight + kGap);
  const short buttonTop = static_cast<short>(editTop + kEditHeight + kGap);
  const short height = static_cast<short>(buttonTop + kButtonHeight + kMargin);
  const short innerWidth = kDialogWidth - 2 * kMargin;
  const short cancelLeft = kDialogWidth - kMargin - kButtonWidth;
  const short okLeft = static_cast<short>(cancelLeft - kGap - kButtonWidth);

  TemplateWriter writer;
  writer.Dialog(WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT | DS_CENTER | DS_SETFOREGROUND,
                kDialogWidth, height, WideFromSjis(caption), 4);
  writer.Item(SS_LEFT | SS_NOPREFIX, kMargin, kMargin, innerWidth, promptHeight, kPromptId, kStaticClass,
              promptText);
  writer.Item(WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL, kMargin, editTop, innerWidth, kEditHeight, kEditId,
              kEditClass, L"");
  writer.Item(WS_TABSTOP | BS_DEFPUSHBUTTON, okLeft, buttonTop, kButtonWidth, kButtonHeight, IDOK, kButtonClass,
              L"OK");
  writer.Item(WS_TABSTOP | BS_PUSHBUTTON, cancelLeft, buttonTop, kButtonWidth, kButtonHeight, IDCANCEL,
              kButtonClass, L"\x30AD\x30E3\x30F3\x30BB\x30EB");  // キャンセル

  InputState state{WideFromSjis(initial), {}};
  // No owner, as with the message boxes; the modal loop keeps the timers going.
  const INT_PTR result = ::DialogBoxIndirectParamW(::GetModuleHandleW(nullptr), writer.Get(), nullptr,
                                                   InputDialogProc, reinterpret_cast<LPARAM>(&state));
  if (result != IDOK) return std::nullopt;
  return SjisFromWide(state.entered);
}

}  // namespace vendrix::win32
