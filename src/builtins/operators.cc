// The sixteen operators of the expression language.
#include <cstdint>
#include <string>

#include "builtins/functions.h"
#include "engine/engine.h"
#include "engine/report.h"
#include "values/integer.h"
#include "values/sjis.h"

namespace vendrix {
namespace {

int32_t Int(std::string_view text) { return IntegerValue(text, 0); }

std::string Truth(bool value) { return std::string(TruthText(value)); }

// Division that has no 32-bit answer ends the program with a clear message
// instead of a trap.
void CheckDivision(Engine& engine, int32_t dividend, int32_t divisor, std::string_view op) {
  std::string call("(");
  call.append(op).append(" ").append(std::to_string(dividend)).append(" ").append(std::to_string(divisor)).append(")");
  if (divisor == 0) Fatal(engine, std::string(msg::kDivideByZero) + call);
  if (dividend == INT32_MIN && divisor == -1) Fatal(engine, std::string(msg::kDivisionOverflow) + call);
}

}  // namespace

std::string OpSum(Engine&, ArgWalker& walker) {
  int32_t sum = 0;
  for (std::string value; walker.Next(value);) sum = WrapAdd(sum, Int(value));
  return IntegerText(sum);
}

std::string OpDifference(Engine&, ArgWalker& walker) {
  std::string value;
  if (!walker.Next(value)) return "0";
  int32_t result = Int(value);
  while (walker.Next(value)) result = WrapSub(result, Int(value));
  return IntegerText(result);
}

std::string OpProduct(Engine&, ArgWalker& walker) {
  int32_t product = 1;
  for (std::string value; walker.Next(value);) product = WrapMul(product, Int(value));
  return IntegerText(product);
}

std::string OpConcat(Engine& engine, ArgWalker& walker) {
  std::string result;
  for (std::string value; walker.Next(value);) {
    // Checked before joining, so that the text never grows past the bound.
    CheckTextSize(engine, uint64_t{result.size()} + value.size(), "&");
    result += value;
  }
  return result;
}

std::string OpOr(Engine&, ArgWalker& walker) {
  for (std::string value; walker.Next(value);) {
    if (IsTrue(value)) return Truth(true);
  }
  return Truth(false);
}

std::string OpAnd(Engine&, ArgWalker& walker) {
  for (std::string value; walker.Next(value);) {
    if (IsFalse(value)) return Truth(false);
  }
  return Truth(true);
}

std::string OpEqual(Engine&, const CallArgs& a) { return Truth(a[0] == a[1]); }
std::string OpNotEqual(Engine&, const CallArgs& a) { return Truth(a[0] != a[1]); }
std::string OpGreater(Engine&, const CallArgs& a) { return Truth(Int(a[0]) > Int(a[1])); }
std::string OpLess(Engine&, const CallArgs& a) { return Truth(Int(a[0]) < Int(a[1])); }
std::string OpGreaterEqual(Engine&, const CallArgs& a) { return Truth(Int(a[0]) >= Int(a[1])); }
std::string OpLessEqual(Engine&, const CallArgs& a) { return Truth(Int(a[0]) <= Int(a[1])); }
std::string OpIn(Engine&, const CallArgs& a) { return Truth(sjis::JPos(a[0], a[1]) > 0); }
std::string OpNot(Engine&, const CallArgs& a) { return Truth(!IsTrue(a[0])); }

std::string OpDiv(Engine& engine, const CallArgs& a) {
  int32_t dividend = Int(a[0]);
  int32_t divisor = Int(a[1]);
  CheckDivision(engine, dividend, divisor, "div");
  return IntegerText(dividend / divisor);
}

std::string OpMod(Engine& engine, const CallArgs& a) {
  int32_t dividend = Int(a[0]);
  int32_t divisor = Int(a[1]);
  // Every number divides by -1 without a remainder; only the quotient of
  // the smallest one has no 32-bit answer.
  if (divisor == -1) return "0";
  CheckDivision(engine, dividend, divisor, "mod");
  return IntegerText(dividend % divisor);
}

}  // namespace vendrix
