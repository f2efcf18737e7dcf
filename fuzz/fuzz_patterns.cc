// The pattern languages of "format" and "date" on arbitrary patterns.
//
// Besides not crashing, checks what the formatters promise: a "format"
// result stays within its size bound, and only a successful one has text;
// a date pattern without letters comes back as written outside quotes.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <string>

#include "values/date_format.h"
#include "values/text_format.h"

namespace {

constexpr size_t kMaxInputBytes = 16 * 1024;

void Check(bool holds) {
  if (!holds) __builtin_trap();
}

void FuzzFormat(FuzzedDataProvider& input) {
  vendrix::FormatArgument argument;
  argument.isText = input.ConsumeBool();
  argument.number = input.ConsumeIntegral<int32_t>();
  const std::string text = input.ConsumeRandomLengthString(256);
  argument.text = text;
  const std::string pattern = input.ConsumeRandomLengthString(1024);
  const vendrix::FormatResult result = vendrix::FormatText(pattern, argument);
  Check(result.text.size() <= vendrix::kMaxFormatResult);
  if (result.status != vendrix::FormatStatus::kOk) Check(result.text.empty());
}

void FuzzDate(FuzzedDataProvider& input) {
  vendrix::LocalTime time;
  time.year = input.ConsumeIntegralInRange(1601, 30827);
  time.month = input.ConsumeIntegralInRange(1, 12);
  time.day = input.ConsumeIntegralInRange(1, 28);
  time.hour = input.ConsumeIntegralInRange(0, 23);
  time.minute = input.ConsumeIntegralInRange(0, 59);
  time.second = input.ConsumeIntegralInRange(0, 59);
  time.millisecond = input.ConsumeIntegralInRange(0, 999);
  time.dayOfWeek = vendrix::DayOfWeek(time.year, time.month, time.day);
  const std::string pattern = input.ConsumeRemainingBytesAsString();
  const std::string out = vendrix::FormatDateTime(pattern, time);
  bool plain = !pattern.empty();
  for (unsigned char c : pattern) {
    if (c >= 0x80 || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '"' || c == '\'' || c == '/' ||
        c == ':' || c == 0) {
      plain = false;
    }
  }
  if (plain) Check(out == pattern);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > kMaxInputBytes) return -1;
  FuzzedDataProvider input(data, size);
  if (input.ConsumeBool()) {
    FuzzFormat(input);
  } else {
    FuzzDate(input);
  }
  return 0;
}
