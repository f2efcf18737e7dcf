#include <cstring>

#include "platform/win32/win32_desktop.h"
#include "platform/win32/win32_text.h"

namespace vendrix::win32 {
namespace {

// Another program may hold the clipboard for a moment; wait for it a
// little, but never long.
constexpr int kOpenAttempts = 10;
constexpr DWORD kOpenRetryMs = 10;

// Opens the clipboard for its lifetime, when it can.
class OpenedClipboard {
 public:
  explicit OpenedClipboard(HWND owner) {
    for (int attempt = 0; attempt < kOpenAttempts && !open_; ++attempt) {
      if (attempt > 0) ::Sleep(kOpenRetryMs);
      open_ = ::OpenClipboard(owner) != FALSE;
    }
  }
  ~OpenedClipboard() {
    if (open_) ::CloseClipboard();
  }
  OpenedClipboard(const OpenedClipboard&) = delete;
  OpenedClipboard& operator=(const OpenedClipboard&) = delete;
  bool open() const { return open_; }

 private:
  bool open_ = false;
};

// The text with its terminating zero in movable global memory, as the
// clipboard wants it; null when memory runs out.
HGLOBAL GlobalCopy(const std::wstring& text) {
  const size_t bytes = (text.size() + 1) * sizeof(wchar_t);
  HGLOBAL memory = ::GlobalAlloc(GMEM_MOVEABLE, bytes);
  if (memory == nullptr) return nullptr;
  void* target = ::GlobalLock(memory);
  if (target == nullptr) {
    ::GlobalFree(memory);
    return nullptr;
  }
  std::memcpy(target, text.c_str(), bytes);
  ::GlobalUnlock(memory);
  return memory;
}

// The text of a CF_UNICODETEXT block, never reading past its end.
std::wstring TextOf(HANDLE block) {
  const auto* chars = static_cast<const wchar_t*>(::GlobalLock(block));
  if (chars == nullptr) return {};
  const size_t limit = ::GlobalSize(block) / sizeof(wchar_t);
  size_t length = 0;
  while (length < limit && chars[length] != L'\0') ++length;
  std::wstring text(chars, length);
  ::GlobalUnlock(block);
  return text;
}

}  // namespace

void Win32Clipboard::Clear() {
  OpenedClipboard clipboard(window_.handle());
  if (clipboard.open()) ::EmptyClipboard();
}

void Win32Clipboard::SetText(std::string_view text) {
  OpenedClipboard clipboard(window_.handle());
  if (!clipboard.open()) return;
  ::EmptyClipboard();
  HGLOBAL memory = GlobalCopy(WideFromSjis(text));
  if (memory == nullptr) return;
  // On success the clipboard owns the memory.
  if (::SetClipboardData(CF_UNICODETEXT, memory) == nullptr) ::GlobalFree(memory);
}

std::string Win32Clipboard::GetText() {
  OpenedClipboard clipboard(window_.handle());
  if (!clipboard.open()) return {};
  HANDLE block = ::GetClipboardData(CF_UNICODETEXT);
  if (block == nullptr) return {};
  return SjisFromWide(TextOf(block));
}

}  // namespace vendrix::win32
