// Formatting, dates and random numbers.
#include <string>
#include <utility>

#include "builtins/functions.h"
#include "engine/interpreter.h"
#include "values/date_format.h"
#include "values/integer.h"
#include "values/sjis.h"
#include "values/text_format.h"

namespace vendrix {
namespace {

constexpr std::string_view kAsText = ":string";

constexpr uint32_t kRandomMultiplier = 134775813;

// True when the text's last `count` characters are single-byte "z" or "Z".
bool EndsWithZs(std::string_view text, int count) {
  const int length = sjis::JLength(text);
  if (length < count) return false;
  return sjis::JUpperAscii(sjis::JCopy(text, length - count + 1, count)) == std::string(count, 'Z');
}

// `text` without its last `count` characters.
std::string DropLastChars(std::string_view text, int count) {
  return sjis::JCopy(text, 1, sjis::JLength(text) - count);
}

}  // namespace

std::string FnFormat(Interpreter& interp, const CallArgs& args) {
  FormatArgument argument;
  argument.isText = args[2] == kAsText;
  if (argument.isText) argument.text = args[1];
  else argument.number = IntegerValue(args[1], 0);
  FormatResult result = FormatText(args[0], argument);
  switch (result.status) {
    case FormatStatus::kOk: return std::move(result.text);
    case FormatStatus::kMismatch:
      interp.Fatal(std::string(msg::kFormatMismatch) + args[0]);
      break;
    case FormatStatus::kTooLarge:
      interp.Fatal(std::string(msg::kFormatTooLarge) + args[0]);
      break;
  }
  return {};
}

// A trailing "zzz" appends the milliseconds as three digits, a trailing "z"
// without leading zeros; the rest of the pattern is formatted as usual.
std::string FnDate(Interpreter& interp, const CallArgs& args) {
  const platform::LocalTime now = interp.Platform().clock.Now();
  const std::string_view pattern = args[0];
  if (EndsWithZs(pattern, 3)) {
    std::string out = FormatDateTime(DropLastChars(pattern, 3), now);
    const std::string ms = std::to_string(now.millisecond);
    if (ms.size() < 3) out.append(3 - ms.size(), '0');
    return out + ms;
  }
  if (EndsWithZs(pattern, 1)) return FormatDateTime(DropLastChars(pattern, 1), now) + std::to_string(now.millisecond);
  return FormatDateTime(pattern, now);
}

// A linear congruential generator; the value is the high half of n × seed,
// which spreads the seed evenly over 0 to n − 1.
int32_t FnRandom(Interpreter& interp, const CallArgs& args) {
  const int32_t range = IntegerValue(args[0], 0);
  if (range < 1) interp.Fatal(std::string(msg::kBadArgumentRandom) + args[0]);
  uint32_t& seed = interp.RandomSeed();
  seed = seed * kRandomMultiplier + 1;
  const uint64_t product = static_cast<uint64_t>(static_cast<uint32_t>(range)) * seed;
  return static_cast<int32_t>(product >> 32);
}

std::string FnGetCopyright(Interpreter&, const CallArgs&) {
  std::string notice(msg::kCaption);
  for (std::string_view line : {msg::kCopyrightHolder, msg::kCopyrightFreeUse, msg::kCopyrightNoWarranty}) {
    notice += '\r';
    notice += line;
  }
  return notice;
}

}  // namespace vendrix
