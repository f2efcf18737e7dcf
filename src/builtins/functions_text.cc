// Functions on texts.
#include <algorithm>
#include <cstdint>
#include <string>

#include "builtins/functions.h"
#include "engine/interpreter.h"
#include "engine/expression.h"
#include "values/integer.h"
#include "values/messages.h"
#include "values/sjis.h"
#include "values/width_map.h"

namespace vendrix {
namespace {

// Bytes 0 to 32 only: unlike JTrim, the full-width space stays.  A trail
// byte is never in that range, so cutting bytes cannot split a character.
bool IsTrimmedByte(char byte) { return static_cast<unsigned char>(byte) <= 32; }

size_t FirstKept(std::string_view text) {
  size_t first = 0;
  while (first < text.size() && IsTrimmedByte(text[first])) ++first;
  return first;
}

size_t EndKept(std::string_view text) {
  size_t end = text.size();
  while (end > 0 && IsTrimmedByte(text[end - 1])) --end;
  return end;
}

// The count of "left" and "right": a missing or non-numeric count reads as
// -1 and, like any negative count, ends the program.
int32_t CountOrFail(Interpreter& interp, const CallArgs& a, std::string_view message) {
  const int32_t n = IntegerValue(a[1], -1);
  if (n < 0) interp.Fatal(std::string(message) + a[0] + " " + a[1]);
  return n;
}

}  // namespace

int32_t FnLen(Interpreter&, const CallArgs& a) { return sjis::JLength(a[0]); }

int32_t FnPos(Interpreter&, const CallArgs& a) { return sjis::JPos(a[0], a[1]); }

std::string FnSubstr(Interpreter&, const CallArgs& a) {
  const int32_t start = IntegerValue(a[1], 1);
  const int32_t count = IntegerValue(a[2], sjis::JLength(a[0]));
  return sjis::JCopy(a[0], start, count);
}

std::string FnLeft(Interpreter& interp, const CallArgs& a) {
  const int32_t n = CountOrFail(interp, a, msg::kBadArgumentLeft);
  return n < 0 ? std::string() : sjis::JCopy(a[0], 1, n);
}

std::string FnRight(Interpreter& interp, const CallArgs& a) {
  const int32_t n = CountOrFail(interp, a, msg::kBadArgumentRight);
  if (n < 0) return {};
  // A start before the text is 0, which JCopy reads as 1: the whole text.
  const int32_t start = std::max(sjis::JLength(a[0]) - n + 1, 0);
  return sjis::JCopy(a[0], start, n);
}

std::string FnTrim(Interpreter&, const CallArgs& a) {
  const std::string_view text = a[0];
  const size_t first = FirstKept(text);
  return std::string(text.substr(first, std::max(EndKept(text), first) - first));
}

std::string FnLTrim(Interpreter&, const CallArgs& a) { return a[0].substr(FirstKept(a[0])); }

std::string FnRTrim(Interpreter&, const CallArgs& a) { return a[0].substr(0, EndKept(a[0])); }

std::string FnUpcase(Interpreter&, const CallArgs& a) { return sjis::AnsiUpper(a[0]); }

std::string FnDowncase(Interpreter&, const CallArgs& a) { return sjis::AnsiLower(a[0]); }

std::string FnHankaku(Interpreter&, const CallArgs& a) { return MapWidth(a[0], WidthDirection::kHalf); }

std::string FnZenkaku(Interpreter&, const CallArgs& a) { return MapWidth(a[0], WidthDirection::kFull); }

// One byte; a two-byte character cannot be built this way.
std::string FnChr(Interpreter& interp, const CallArgs& a) {
  const int32_t n = IntegerValue(a[0], -1);
  if (n < 0) interp.Fatal(std::string(msg::kBadArgumentChr) + a[0]);
  return std::string(1, static_cast<char>(n % 256));
}

int32_t FnAsc(Interpreter& interp, const CallArgs& a) {
  if (a[0].empty()) interp.Fatal(msg::kBadArgumentAsc);
  return sjis::JCharCode(a[0]);
}

// The first argument's value is cut; the rest goes back into the variable
// that its token names as written, when it names one, and keeps the
// value's origin.
std::string FnToken(Interpreter& interp, const CallArgs& a) {
  std::string rest = a[0];
  std::string before = sjis::CutToken(rest, a[1]);
  if (a.call != nullptr && !a.call->args.empty()) {
    const int index = interp.LookupVariable(a.call->args.front().ref);
    if (index >= 0) interp.Store(index, rest, a.origins[0]);
  }
  return before;
}

std::string FnRetext(Interpreter& interp, const CallArgs& a) {
  interp.CheckTextSize(sjis::JReplaceAllSize(a[0], a[1], a[2]), "retext");
  return sjis::JReplaceAll(a[0], a[1], a[2]);
}

}  // namespace vendrix
