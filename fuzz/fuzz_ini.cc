// The INI reader and writer on arbitrary file bytes, section, key and value.
//
// Besides not crashing, two properties are checked for names and values
// that an INI line can hold (no CR, LF or zero byte; no '=' in the key, no
// ']' in the section; none ending in a lone lead byte):
//   - what is written reads back the same whatever else the file holds;
//   - writing the same value twice changes nothing the second time.
// A read never gives more than bufferSize - 1 bytes.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "values/ini.h"
#include "values/sjis.h"

namespace {

constexpr size_t kMaxInputBytes = 64 * 1024;

bool EndsInLeadByte(std::string_view text) {
  size_t last = std::string_view::npos;
  for (size_t pos = 0; pos < text.size(); pos = vendrix::sjis::NextChar(text, pos)) last = pos;
  return last != std::string_view::npos && last + 1 == text.size() &&
         vendrix::sjis::IsLeadByte(static_cast<unsigned char>(text[last]));
}

std::string_view TrimBlanks(std::string_view text) {
  const size_t first = text.find_first_not_of(" \t");
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

// Judged as the writer puts it down: without the blanks around it.
bool FitsOnALine(std::string_view text) {
  return text.find_first_of(std::string_view("\r\n\0", 3)) == std::string_view::npos &&
         !EndsInLeadByte(TrimBlanks(text));
}

void Check(bool holds) {
  if (!holds) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > kMaxInputBytes) return -1;
  FuzzedDataProvider input(data, size);
  const size_t bufferSize = input.ConsumeIntegralInRange<size_t>(0, 2048);
  const std::string section = input.ConsumeRandomLengthString(64);
  const std::string key = input.ConsumeRandomLengthString(64);
  const std::string value = input.ConsumeRandomLengthString(1500);
  const std::string file = input.ConsumeRemainingBytesAsString();

  const std::string read = vendrix::ini::ReadString(file, section, key, value, bufferSize);
  Check(read.size() < bufferSize || (bufferSize == 0 && read.empty()));

  const std::string written = vendrix::ini::WriteString(file, section, key, value);
  const bool regular = FitsOnALine(section) && FitsOnALine(key) && FitsOnALine(value) &&
                       key.find('=') == std::string::npos && section.find(']') == std::string::npos;
  if (!regular) return 0;
  // A key that looks like a section header is no key.
  const std::string_view trimmedKey = TrimBlanks(key);
  if (!trimmedKey.empty() && trimmedKey.front() == '[') return 0;
  const std::string alone = vendrix::ini::ReadString(vendrix::ini::WriteString("", section, key, value), section, key, "");
  Check(vendrix::ini::ReadString(written, section, key, "") == alone);
  Check(vendrix::ini::WriteString(written, section, key, value) == written);
  return 0;
}
