#include "recorder/win32/save_dialog.h"

#include <cstdint>
#include <string_view>
#include <vector>

#include "platform/win32/win32_text.h"
#include "values/messages.h"

namespace vendrix::recorder::win32 {
namespace {

using vendrix::win32::SjisFromWide;
using vendrix::win32::WideFromSjis;

constexpr WORD kFileEdit = 101, kCaptionEdit = 102, kMenuCheck = 103, kCaptionLabel = 104;
constexpr size_t kMaxTextLength = 260;

// A dialog template built in memory (no resource file): DLGTEMPLATE, then
// each item's DLGITEMTEMPLATE, all DWORD-aligned, texts in UTF-16.
class TemplateBuilder {
 public:
  void Dialog(std::wstring_view title, short width, short height, WORD items) {
    DLGTEMPLATE dialog{};
    dialog.style = DS_MODALFRAME | DS_SETFONT | DS_CENTER | WS_POPUP | WS_CAPTION | WS_SYSMENU;
    dialog.cdit = items;
    dialog.cx = width;
    dialog.cy = height;
    Append(&dialog, sizeof(dialog));
    Word(0);  // no menu
    Word(0);  // the standard dialog class
    Text(title);
    Word(9);  // point size of the font that follows
    Text(L"MS UI Gothic");
  }

  void Item(WORD id, WORD windowClass, DWORD style, short x, short y, short width, short height,
            std::wstring_view text) {
    Align();
    DLGITEMTEMPLATE item{};
    item.style = style | WS_CHILD | WS_VISIBLE;
    item.x = x;
    item.y = y;
    item.cx = width;
    item.cy = height;
    item.id = id;
    Append(&item, sizeof(item));
    Word(0xFFFF);
    Word(windowClass);
    Text(text);
    Word(0);  // no creation data
  }

  const DLGTEMPLATE* Template() const { return reinterpret_cast<const DLGTEMPLATE*>(bytes_.data()); }

 private:
  void Append(const void* data, size_t size) {
    const auto* begin = static_cast<const uint8_t*>(data);
    bytes_.insert(bytes_.end(), begin, begin + size);
  }
  void Word(WORD value) { Append(&value, sizeof(value)); }
  void Text(std::wstring_view text) {
    for (wchar_t c : text) Word(static_cast<WORD>(c));
    Word(0);
  }
  void Align() {
    while (bytes_.size() % 4 != 0) bytes_.push_back(0);
  }

  std::vector<uint8_t> bytes_;
};

constexpr WORD kButtonClass = 0x0080, kEditClass = 0x0081, kStaticClass = 0x0082;

struct DialogState {
  SaveChoice choice;
  bool withMenu = false;
};

std::string ItemText(HWND dialog, int id) {
  std::wstring text(kMaxTextLength + 1, L'\0');
  int length = ::GetDlgItemTextW(dialog, id, text.data(), static_cast<int>(text.size()));
  text.resize(static_cast<size_t>(length < 0 ? 0 : length));
  return SjisFromWide(text);
}

void ShowMenuPart(HWND dialog, bool addToMenu) {
  ::EnableWindow(::GetDlgItem(dialog, kCaptionEdit), addToMenu);
  ::EnableWindow(::GetDlgItem(dialog, kCaptionLabel), addToMenu);
}

INT_PTR CALLBACK DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* state = reinterpret_cast<DialogState*>(::GetWindowLongPtrW(dialog, DWLP_USER));
  switch (message) {
    case WM_INITDIALOG: {
      state = reinterpret_cast<DialogState*>(lParam);
      ::SetWindowLongPtrW(dialog, DWLP_USER, lParam);
      ::SendDlgItemMessageW(dialog, kFileEdit, EM_LIMITTEXT, kMaxTextLength, 0);
      ::SendDlgItemMessageW(dialog, kCaptionEdit, EM_LIMITTEXT, kMaxTextLength, 0);
      ::SetDlgItemTextW(dialog, kFileEdit, WideFromSjis(state->choice.fileName).c_str());
      ::SetDlgItemTextW(dialog, kCaptionEdit, WideFromSjis(state->choice.caption).c_str());
      ::CheckDlgButton(dialog, kMenuCheck, state->withMenu && state->choice.addToMenu ? BST_CHECKED : BST_UNCHECKED);
      if (!state->withMenu) ::EnableWindow(::GetDlgItem(dialog, kMenuCheck), FALSE);
      ShowMenuPart(dialog, state->withMenu && state->choice.addToMenu);
      ::SetForegroundWindow(dialog);
      return TRUE;  // the focus goes to the file name
    }
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case kMenuCheck:
          ShowMenuPart(dialog, ::IsDlgButtonChecked(dialog, kMenuCheck) == BST_CHECKED);
          return TRUE;
        case IDOK:
          state->choice.fileName = ItemText(dialog, kFileEdit);
          state->choice.caption = ItemText(dialog, kCaptionEdit);
          state->choice.addToMenu = ::IsDlgButtonChecked(dialog, kMenuCheck) == BST_CHECKED;
          ::EndDialog(dialog, IDOK);
          return TRUE;
        case IDCANCEL:
          ::EndDialog(dialog, IDCANCEL);
          return TRUE;
      }
      return FALSE;
  }
  return FALSE;
}

std::wstring Wide(std::string_view sjis) { return WideFromSjis(sjis); }

}  // namespace

std::optional<SaveChoice> AskSaveChoice(HWND owner, const SaveChoice& suggested, const std::string& menuFile) {
  DialogState state{suggested, !menuFile.empty()};
  std::wstring menuText = Wide(msg::kRecorderAddToMenu);
  if (state.withMenu) menuText += L" (" + Wide(menuFile) + L")";

  TemplateBuilder builder;
  builder.Dialog(Wide(msg::kRecorderSaveTitle), 220, 98, 7);
  builder.Item(0xFFFF, kStaticClass, SS_LEFT, 7, 9, 70, 10, Wide(msg::kRecorderFileLabel));
  builder.Item(kFileEdit, kEditClass, WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL, 80, 7, 133, 13, L"");
  builder.Item(kMenuCheck, kButtonClass, BS_AUTOCHECKBOX | WS_TABSTOP, 7, 28, 206, 12, menuText);
  builder.Item(kCaptionLabel, kStaticClass, SS_LEFT, 7, 48, 70, 10, Wide(msg::kRecorderCaptionLabel));
  builder.Item(kCaptionEdit, kEditClass, WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL, 80, 46, 133, 13, L"");
  builder.Item(IDOK, kButtonClass, BS_DEFPUSHBUTTON | WS_TABSTOP, 106, 74, 50, 15, Wide(msg::kRecorderOk));
  builder.Item(IDCANCEL, kButtonClass, BS_PUSHBUTTON | WS_TABSTOP, 163, 74, 50, 15, Wide(msg::kRecorderCancel));

  INT_PTR answer = ::DialogBoxIndirectParamW(::GetModuleHandleW(nullptr), builder.Template(), owner, DialogProc,
                                             reinterpret_cast<LPARAM>(&state));
  if (answer != IDOK) return std::nullopt;
  return state.choice;
}

}  // namespace vendrix::recorder::win32
