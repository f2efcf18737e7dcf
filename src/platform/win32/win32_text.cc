#include "platform/win32/win32_text.h"

#include <climits>

#include "platform/win32/win32_api.h"

namespace vendrix::win32 {
namespace {

std::string NarrowFromWide(unsigned codePage, std::wstring_view wide) {
  if (wide.empty() || wide.size() > INT_MAX) return {};
  const int inLength = static_cast<int>(wide.size());
  const int outLength =
      ::WideCharToMultiByte(codePage, 0, wide.data(), inLength, nullptr, 0, nullptr, nullptr);
  if (outLength <= 0) return {};
  std::string out(static_cast<size_t>(outLength), '\0');
  ::WideCharToMultiByte(codePage, 0, wide.data(), inLength, out.data(), outLength, nullptr,
                        nullptr);
  return out;
}

std::wstring WideFromNarrow(unsigned codePage, std::string_view narrow) {
  if (narrow.empty() || narrow.size() > INT_MAX) return {};
  const int inLength = static_cast<int>(narrow.size());
  const int outLength = ::MultiByteToWideChar(codePage, 0, narrow.data(), inLength, nullptr, 0);
  if (outLength <= 0) return {};
  std::wstring out(static_cast<size_t>(outLength), L'\0');
  ::MultiByteToWideChar(codePage, 0, narrow.data(), inLength, out.data(), outLength);
  return out;
}

}  // namespace

std::wstring WideFromSjis(std::string_view sjis) { return WideFromNarrow(kShiftJisCodePage, sjis); }
std::wstring WideFromUtf8(std::string_view utf8) { return WideFromNarrow(CP_UTF8, utf8); }

std::string SjisFromWide(std::wstring_view wide) { return NarrowFromWide(kShiftJisCodePage, wide); }

std::string Utf8FromWide(std::wstring_view wide) { return NarrowFromWide(CP_UTF8, wide); }

}  // namespace vendrix::win32
