// The one ordered table of operator and function names.
//
// Every name has a handler.  Fixed-arity handlers get the five prepared
// arguments; variadic ones walk the argument list themselves, so they can
// stop early ("or", "and").
#pragma once

#include <array>
#include <string>
#include <string_view>

namespace vendrix {

class Engine;

using CallArgs = std::array<std::string, 5>;

// Yields the values of a variadic call's arguments one at a time.
class ArgWalker {
 public:
  virtual ~ArgWalker() = default;
  virtual bool Next(std::string& value) = 0;
};

using FunctionFn = std::string (*)(Engine&, const CallArgs&);
using VariadicFn = std::string (*)(Engine&, ArgWalker&);

struct FunctionEntry {
  std::string_view name;
  FunctionFn fixed = nullptr;
  VariadicFn variadic = nullptr;
};

inline constexpr int kFunctionCount = 67;
inline constexpr int kOperatorCount = 16;

const std::array<FunctionEntry, kFunctionCount>& FunctionTable();
// Index of a name (compared without regard to letter case), or -1.
int FindFunction(std::string_view name);

// Operator handlers (operators.cc).
std::string OpSum(Engine&, ArgWalker&);
std::string OpDifference(Engine&, ArgWalker&);
std::string OpProduct(Engine&, ArgWalker&);
std::string OpConcat(Engine&, ArgWalker&);
std::string OpOr(Engine&, ArgWalker&);
std::string OpAnd(Engine&, ArgWalker&);
std::string OpEqual(Engine&, const CallArgs&);
std::string OpNotEqual(Engine&, const CallArgs&);
std::string OpGreater(Engine&, const CallArgs&);
std::string OpLess(Engine&, const CallArgs&);
std::string OpGreaterEqual(Engine&, const CallArgs&);
std::string OpLessEqual(Engine&, const CallArgs&);
std::string OpIn(Engine&, const CallArgs&);
std::string OpNot(Engine&, const CallArgs&);
std::string OpDiv(Engine&, const CallArgs&);
std::string OpMod(Engine&, const CallArgs&);

// Functions (functions_text.cc and the files of later subsystems).
std::string FnLen(Engine&, const CallArgs&);
std::string FnNotYetAvailable(Engine&, const CallArgs&);
std::string FnMessageNotYetAvailable(Engine&, ArgWalker&);

}  // namespace vendrix
