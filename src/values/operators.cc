// The sixteen operators of the expression language.
#include <cstdint>

#include "engine/engine.h"
#include "engine/report.h"
#include "values/function_table.h"
#include "values/integer.h"
#include "values/sjis.h"

namespace vendrix {
namespace {

int32_t Int(std::string_view text) { return IntegerValue(text, 0); }

std::string Truth(bool value) { return std::string(TruthText(value)); }

// A zero divisor gives 0 after a report the user may continue from.
bool DivisorIsUsable(Engine& engine, int32_t divisor, std::string_view op, const CallArgs& args) {
  if (divisor != 0) return true;
  ReportError(engine, std::string(msg::kDivideByZero) + "(" + std::string(op) + " " + args[0] + " " + args[1] + ")",
              false);
  return false;
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

std::string OpConcat(Engine&, ArgWalker& walker) {
  std::string result;
  for (std::string value; walker.Next(value);) result += value;
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
  if (!DivisorIsUsable(engine, divisor, "div", a)) return "0";
  if (divisor == -1) return IntegerText(WrapSub(0, dividend));  // -2147483648 / -1 wraps
  return IntegerText(dividend / divisor);
}

std::string OpMod(Engine& engine, const CallArgs& a) {
  int32_t dividend = Int(a[0]);
  int32_t divisor = Int(a[1]);
  if (!DivisorIsUsable(engine, divisor, "mod", a)) return "0";
  if (divisor == -1) return "0";
  return IntegerText(dividend % divisor);
}

std::string FnLen(Engine&, const CallArgs& a) { return IntegerText(sjis::JLength(a[0])); }

std::string FnNotYetAvailable(Engine&, const CallArgs&) { return {}; }
std::string FnMessageNotYetAvailable(Engine&, ArgWalker&) { return {}; }

}  // namespace vendrix
