#include "platform/sim/sjis_utf8.h"

#include <algorithm>

#ifdef _WIN32
#include "platform/win32/win32_text.h"
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

}  // namespace

// On Windows the system converts, through the Win32 backend's helpers.
std::string SjisToUtf8(std::string_view sjis) {
  if (IsAscii(sjis)) return std::string(sjis);
  return win32::Utf8FromWide(win32::WideFromSjis(sjis));
}

std::string Utf8ToSjis(std::string_view utf8) {
  if (IsAscii(utf8)) return std::string(utf8);
  return win32::SjisFromWide(win32::WideFromUtf8(utf8));
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
