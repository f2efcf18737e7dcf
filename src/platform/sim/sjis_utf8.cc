#include "platform/sim/sjis_utf8.h"

#include <algorithm>

#ifdef _WIN32
#include <windows.h>
#else
#include <cerrno>
#include <iconv.h>
#endif

namespace vendrix::sim {
namespace {

// ASCII reads the same in both encodings, and most traced texts are ASCII.
bool IsAscii(std::string_view text) {
  return std::all_of(text.begin(), text.end(),
                     [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

#ifdef _WIN32

constexpr UINT kShiftJisCodePage = 932;

// Windows replaces what it cannot convert on its own, so no error path.
std::wstring ToWide(UINT codePage, std::string_view text) {
  if (text.empty()) return {};
  const int size = static_cast<int>(text.size());
  const int needed = MultiByteToWideChar(codePage, 0, text.data(), size, nullptr, 0);
  if (needed <= 0) return {};
  std::wstring wide(static_cast<size_t>(needed), L'\0');
  MultiByteToWideChar(codePage, 0, text.data(), size, wide.data(), needed);
  return wide;
}

std::string FromWide(UINT codePage, const std::wstring& wide) {
  if (wide.empty()) return {};
  const int size = static_cast<int>(wide.size());
  const int needed = WideCharToMultiByte(codePage, 0, wide.data(), size, nullptr, 0, nullptr, nullptr);
  if (needed <= 0) return {};
  std::string text(static_cast<size_t>(needed), '\0');
  WideCharToMultiByte(codePage, 0, wide.data(), size, text.data(), needed, nullptr, nullptr);
  return text;
}

std::string Convert(UINT fromCodePage, UINT toCodePage, std::string_view text) {
  return FromWide(toCodePage, ToWide(fromCodePage, text));
}

}  // namespace

std::string SjisToUtf8(std::string_view sjis) {
  if (IsAscii(sjis)) return std::string(sjis);
  return Convert(kShiftJisCodePage, CP_UTF8, sjis);
}

std::string Utf8ToSjis(std::string_view utf8) {
  if (IsAscii(utf8)) return std::string(utf8);
  return Convert(CP_UTF8, kShiftJisCodePage, utf8);
}

#else

constexpr std::string_view kUtf8Replacement = "\xEF\xBF\xBD";

bool IsUtf8Continuation(char byte) {
  return (static_cast<unsigned char>(byte) & 0xC0) == 0x80;
}

class Iconv {
 public:
  Iconv(const char* to, const char* from) : handle_(iconv_open(to, from)) {}
  ~Iconv() {
    if (Ok()) iconv_close(handle_);
  }
  Iconv(const Iconv&) = delete;
  Iconv& operator=(const Iconv&) = delete;

  bool Ok() const { return handle_ != reinterpret_cast<iconv_t>(-1); }

  // Converts all of `text`; each character iconv rejects is skipped and
  // stands for one `replacement`.  Every round consumes input, so the loop
  // ends.  With `utf8Input` a rejected character's continuation bytes go
  // with it.
  std::string Run(std::string_view text, std::string_view replacement, bool utf8Input) {
    std::string out;
    char buffer[1024];
    char* in = const_cast<char*>(text.data());
    size_t inLeft = text.size();
    while (inLeft > 0) {
      char* outPtr = buffer;
      size_t outLeft = sizeof buffer;
      const size_t result = iconv(handle_, &in, &inLeft, &outPtr, &outLeft);
      out.append(buffer, static_cast<size_t>(outPtr - buffer));
      if (result != static_cast<size_t>(-1) || errno == E2BIG) continue;
      out.append(replacement);
      do {
        ++in;
        --inLeft;
      } while (utf8Input && inLeft > 0 && IsUtf8Continuation(*in));
      iconv(handle_, nullptr, nullptr, nullptr, nullptr);  // reset shift state
    }
    return out;
  }

 private:
  iconv_t handle_;
};

}  // namespace

std::string SjisToUtf8(std::string_view sjis) {
  if (IsAscii(sjis)) return std::string(sjis);
  Iconv converter("UTF-8", "CP932");
  // Without the code page the bytes go out unchanged; the trace writer
  // still keeps its output valid UTF-8.
  if (!converter.Ok()) return std::string(sjis);
  return converter.Run(sjis, kUtf8Replacement, false);
}

std::string Utf8ToSjis(std::string_view utf8) {
  if (IsAscii(utf8)) return std::string(utf8);
  Iconv converter("CP932", "UTF-8");
  if (!converter.Ok()) return std::string(utf8);
  return converter.Run(utf8, "?", true);
}

#endif

}  // namespace vendrix::sim
