// The operator and function names of the language, and the shape of the
// handlers the built-ins register for them.
//
// Every name has a handler.  Fixed-arity handlers get the five prepared
// arguments; variadic ones walk the argument list themselves, so they can
// stop early ("or", "and").
#pragma once

#include <array>
#include <bit>
#include <cstdint>
#include <new>
#include <string>
#include <string_view>

#include "values/text_origin.h"

namespace vendrix {

class Interpreter;

struct Expr;

// The five prepared arguments of a call with where each came from, and the
// call as written for the few functions that look at a token before
// evaluation ("token").  An argument written as its own text is read where
// the call keeps it, not copied; one not given is empty.
class CallArgs {
 public:
  CallArgs() : values_{&none_, &none_, &none_, &none_, &none_} {}
  ~CallArgs() {
    for (unsigned held = held_; held != 0; held &= held - 1) {
      Evaluated(static_cast<size_t>(std::countr_zero(held))).~basic_string();
    }
  }
  CallArgs(const CallArgs&) = delete;
  CallArgs& operator=(const CallArgs&) = delete;

  const std::string& operator[](size_t i) const { return *values_[i]; }
  // Argument i is `token` as written in the call, which outlives it.
  void SetWritten(size_t i, const std::string& token) {
    values_[i] = &token;
    origins[i] = TextOrigin::kMacro;
  }
  // Argument i is a value made for this call (each argument is set once).
  void SetEvaluated(size_t i, std::string value, TextOrigin origin) {
    values_[i] = new (evaluated_[i].bytes) std::string(std::move(value));
    held_ |= 1u << i;
    origins[i] = origin;
  }

  std::array<TextOrigin, 5> origins{};
  const Expr* call = nullptr;

 private:
  // Room for a made value; most calls make none, so none is built or
  // destroyed unless set.
  struct Room {
    alignas(std::string) unsigned char bytes[sizeof(std::string)];
  };
  std::string& Evaluated(size_t i) { return *std::launder(reinterpret_cast<std::string*>(evaluated_[i].bytes)); }

  const std::string none_;
  std::array<const std::string*, 5> values_;
  unsigned held_ = 0;  // bit i: evaluated_[i] holds a value
  std::array<Room, 5> evaluated_;
};

// Yields the values of a variadic call's arguments one at a time.
class ArgWalker {
 public:
  virtual ~ArgWalker() = default;
  virtual bool Next(std::string& value) = 0;
};

using FunctionFn = std::string (*)(Interpreter&, const CallArgs&);
using VariadicFn = std::string (*)(Interpreter&, ArgWalker&);
// A test of two integers, for the operators that compare numbers.
using IntegerTest = bool (*)(int32_t, int32_t);
// A function whose value is always the decimal text of an integer: that
// integer.
using IntegerFn = int32_t (*)(Interpreter&, const CallArgs&);

struct FunctionEntry {
  std::string_view name;
  FunctionFn fixed = nullptr;
  VariadicFn variadic = nullptr;
  bool bringsOutsideText = false;  // its value comes from outside the macro
  // Touches nothing outside the interpreter (no desktop, file, clock,
  // dialog or program): a statement that calls only such functions needs
  // no look at the message queue or the break key after it.
  bool pure = false;
  // Set for a fixed function whose value, for a call with two arguments,
  // is the truth of this test of their integer values: such a call is
  // answered without making the arguments' texts.
  IntegerTest compare = nullptr;
  // Set for a fixed function whose value is always the text of an integer
  // (`fixed` writes it): the integer itself, so that SET can store it
  // without the text.
  IntegerFn integer = nullptr;
};

inline constexpr int kFunctionCount = 67;
inline constexpr int kOperatorCount = 16;

// The names in the order that is part of the language: a call's function
// index is a position here.
inline constexpr std::array<std::string_view, kFunctionCount> kFunctionNames = {{
    "+", "&", "=", ">",
    "<", "<>", "in", "not",
    "or", "and", "-", "*",
    "div", "mod", "date", "len",
    "pos", "substr", ">=", "<=",
    "getcopyright", "getmouse", "getcaret", "getwindowpos",
    "format", "inputbox", "readkey", "getpixel",
    "message", "trim", "ltrim", "rtrim",
    "eof", "fileexists", "find-window", "get-ime",
    "random", "getheight", "getwidth", "upcase",
    "downcase", "hankaku", "zenkaku", "chr",
    "asc", "left", "right", "token",
    "retext", "copyfile", "deletefile", "movefile",
    "renamefile", "createdir", "deletedir", "direxists",
    "getfilesize", "getenv", "getcurrentdir", "getexedir",
    "readini", "loadini", "comparefile", "getscreenheight",
    "getscreenwidth", "getgraphpixel", "searchgraph",
}};

// The handlers of all names, in the order of kFunctionNames.
using FunctionEntries = std::array<FunctionEntry, kFunctionCount>;

// Index of a name (compared without regard to letter case), or -1.
int FindFunction(std::string_view name);

}  // namespace vendrix
