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

struct Expr;

// The five prepared arguments of a call, and the call as written for the
// few functions that look at a token before evaluation ("token").
struct CallArgs {
  std::array<std::string, 5> values;
  const Expr* call = nullptr;

  std::string& operator[](size_t i) { return values[i]; }
  const std::string& operator[](size_t i) const { return values[i]; }
};

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

// Texts (functions_text.cc).
std::string FnLen(Engine&, const CallArgs&);
std::string FnPos(Engine&, const CallArgs&);
std::string FnSubstr(Engine&, const CallArgs&);
std::string FnLeft(Engine&, const CallArgs&);
std::string FnRight(Engine&, const CallArgs&);
std::string FnTrim(Engine&, const CallArgs&);
std::string FnLTrim(Engine&, const CallArgs&);
std::string FnRTrim(Engine&, const CallArgs&);
std::string FnUpcase(Engine&, const CallArgs&);
std::string FnDowncase(Engine&, const CallArgs&);
std::string FnHankaku(Engine&, const CallArgs&);
std::string FnZenkaku(Engine&, const CallArgs&);
std::string FnChr(Engine&, const CallArgs&);
std::string FnAsc(Engine&, const CallArgs&);
std::string FnToken(Engine&, const CallArgs&);
std::string FnRetext(Engine&, const CallArgs&);

// Formatting, dates, random numbers (functions_format.cc).
std::string FnFormat(Engine&, const CallArgs&);
std::string FnDate(Engine&, const CallArgs&);
std::string FnRandom(Engine&, const CallArgs&);
std::string FnGetCopyright(Engine&, const CallArgs&);

// Asking the user (functions_interaction.cc).
std::string FnInputBox(Engine&, const CallArgs&);
std::string FnMessage(Engine&, ArgWalker&);
std::string FnReadKey(Engine&, const CallArgs&);

// Files, folders, INI files, the environment (functions_files.cc).
std::string FnEof(Engine&, const CallArgs&);
std::string FnFileExists(Engine&, const CallArgs&);
std::string FnCopyFile(Engine&, const CallArgs&);
std::string FnDeleteFile(Engine&, const CallArgs&);
std::string FnMoveFile(Engine&, const CallArgs&);
std::string FnRenameFile(Engine&, const CallArgs&);
std::string FnCreateDir(Engine&, const CallArgs&);
std::string FnDeleteDir(Engine&, const CallArgs&);
std::string FnDirExists(Engine&, const CallArgs&);
std::string FnGetFileSize(Engine&, const CallArgs&);
std::string FnGetEnv(Engine&, const CallArgs&);
std::string FnGetCurrentDir(Engine&, const CallArgs&);
std::string FnGetExeDir(Engine&, const CallArgs&);
std::string FnReadIni(Engine&, const CallArgs&);
std::string FnLoadIni(Engine&, const CallArgs&);
std::string FnCompareFile(Engine&, const CallArgs&);

// The desktop (functions_desktop.cc).
std::string FnGetMouse(Engine&, const CallArgs&);
std::string FnGetCaret(Engine&, const CallArgs&);
std::string FnGetWindowPos(Engine&, const CallArgs&);
std::string FnGetHeight(Engine&, const CallArgs&);
std::string FnGetWidth(Engine&, const CallArgs&);
std::string FnGetScreenHeight(Engine&, const CallArgs&);
std::string FnGetScreenWidth(Engine&, const CallArgs&);
std::string FnFindWindow(Engine&, const CallArgs&);
std::string FnGetIme(Engine&, const CallArgs&);

// Images (functions_images.cc).
std::string FnGetPixel(Engine&, const CallArgs&);
std::string FnGetGraphPixel(Engine&, const CallArgs&);
std::string FnSearchGraph(Engine&, const CallArgs&);

}  // namespace vendrix
