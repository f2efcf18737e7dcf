// The sixteen operators of the expression language.
#include <cstdint>
#include <string>

#include "builtins/functions.h"
#include "engine/interpreter.h"
#include "values/integer.h"
#include "values/sjis.h"

namespace vendrix {
namespace {

int32_t Int(std::string_view text) { return IntegerValue(text, 0); }

std::string Truth(bool value) { return std::string(TruthText(value)); }

// Division that has no 32-bit answer ends the program with a clear message
// instead of a trap.
void CheckDivision(Interpreter& interp, int32_t dividend, int32_t divisor, std::string_view op) {
  std::string call("(");
  call.append(op).append(" ").append(std::to_string(dividend)).append(" ").append(std::to_string(divisor)).append(")");
  if (divisor == 0) interp.Fatal(std::string(msg::kDivideByZero) + call);
  if (dividend == INT32_MIN && divisor == -1) interp.Fatal(std::string(msg::kDivisionOverflow) + call);
}

}  // namespace

std::string OpSum(Interpreter&, ArgWalker& walker) {
  int32_t sum = 0;
  for (std::string value; walker.Next(value);) sum = WrapAdd(sum, Int(value));
  return IntegerText(sum);
}

std::string OpDifference(Interpreter&, ArgWalker& walker) {
  std::string value;
  if (!walker.Next(value)) return "0";
  int32_t result = Int(value);
  while (walker.Next(value)) result = WrapSub(result, Int(value));
  return IntegerText(result);
}

std::string OpProduct(Interpreter&, ArgWalker& walker) {
  int32_t product = 1;
  for (std::string value; walker.Next(value);) product = WrapMul(product, Int(value));
  return IntegerText(product);
}

std::string OpConcat(Interpreter& interp, ArgWalker& walker) {
  std::string result;
  for (std::string value; walker.Next(value);) {
    // Checked before joining, so that the text never grows past the bound.
    interp.CheckTextSize(uint64_t{result.size()} + value.size(), "&");
    result += value;
  }
  return result;
}

std::string OpOr(Interpreter&, ArgWalker& walker) {
  for (std::string value; walker.Next(value);) {
    if (IsTrue(value)) return Truth(true);
  }
  return Truth(false);
}

std::string OpAnd(Interpreter&, ArgWalker& walker) {
  for (std::string value; walker.Next(value);) {
    if (IsFalse(value)) return Truth(false);
  }
  return Truth(true);
}

std::string OpEqual(Interpreter&, const CallArgs& a) { return Truth(a[0] == a[1]); }
std::string OpNotEqual(Interpreter&, const CallArgs& a) { return Truth(a[0] != a[1]); }
bool IsGreater(int32_t a, int32_t b) { return a > b; }
bool IsLess(int32_t a, int32_t b) { return a < b; }
bool IsGreaterEqual(int32_t a, int32_t b) { return a >= b; }
bool IsLessEqual(int32_t a, int32_t b) { return a <= b; }

std::string OpGreater(Interpreter&, const CallArgs& a) { return Truth(IsGreater(Int(a[0]), Int(a[1]))); }
std::string OpLess(Interpreter&, const CallArgs& a) { return Truth(IsLess(Int(a[0]), Int(a[1]))); }
std::string OpGreaterEqual(Interpreter&, const CallArgs& a) { return Truth(IsGreaterEqual(Int(a[0]), Int(a[1]))); }
std::string OpLessEqual(Interpreter&, const CallArgs& a) { return Truth(IsLessEqual(Int(a[0]), Int(a[1]))); }
std::string OpIn(Interpreter&, const CallArgs& a) { return Truth(sjis::JPos(a[0], a[1]) > 0); }
std::string OpNot(Interpreter&, const CallArgs& a) { return Truth(!IsTrue(a[0])); }

int32_t OpDiv(Interpreter& interp, const CallArgs& a) {
  int32_t dividend = Int(a[0]);
  int32_t divisor = Int(a[1]);
  CheckDivision(interp, dividend, divisor, "div");
  return dividend / divisor;
}

int32_t OpMod(Interpreter& interp, const CallArgs& a) {
  int32_t dividend = Int(a[0]);
  int32_t divisor = Int(a[1]);
  // Every number divides by -1 without a remainder; only the quotient of
  // the smallest one has no 32-bit answer.
  if (divisor == -1) return 0;
  CheckDivision(interp, dividend, divisor, "mod");
  return dividend % divisor;
}

}  // namespace vendrix
