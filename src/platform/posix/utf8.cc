#include "platform/posix/utf8.h"

#include <iconv.h>

#include <cerrno>

namespace vendrix::posix {
namespace {

// One iconv descriptor, closed on every path out.
class Converter {
 public:
  Converter(const char* to, const char* from) : descriptor_(iconv_open(to, from)) {}
  ~Converter() {
    if (IsOpen()) iconv_close(descriptor_);
  }
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;

  bool IsOpen() const { return descriptor_ != reinterpret_cast<iconv_t>(-1); }

  std::optional<std::string> Convert(std::string_view input) {
    if (!IsOpen()) return std::nullopt;
    // A code page 932 byte never grows beyond three UTF-8 bytes and UTF-8
    // never grows at all, so the first size is enough; the loop is a guard.
    std::string output(input.size() * 3 + 4, '\0');
    char* in = const_cast<char*>(input.data());
    size_t inLeft = input.size();
    size_t used = 0;
    for (int attempt = 0; attempt < 4; ++attempt) {
      char* out = output.data() + used;
      size_t outLeft = output.size() - used;
      const size_t result = iconv(descriptor_, &in, &inLeft, &out, &outLeft);
      used = static_cast<size_t>(out - output.data());
      if (result != static_cast<size_t>(-1)) {
        output.resize(used);
        return output;
      }
      if (errno != E2BIG) return std::nullopt;  // invalid or incomplete input
      output.resize(output.size() * 2);
    }
    return std::nullopt;
  }

 private:
  iconv_t descriptor_;
};

}  // namespace

std::optional<std::string> SjisToUtf8(std::string_view sjis) { return Converter("UTF-8", "CP932").Convert(sjis); }

std::optional<std::string> Utf8ToSjis(std::string_view utf8) { return Converter("CP932", "UTF-8").Convert(utf8); }

}  // namespace vendrix::posix
