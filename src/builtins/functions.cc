#include "builtins/functions.h"

namespace vendrix {
namespace {

constexpr FunctionEntry Fixed(std::string_view name, FunctionFn fn) { return {name, fn, nullptr, false}; }
constexpr FunctionEntry Variadic(std::string_view name, VariadicFn fn) { return {name, nullptr, fn, false}; }
// A function whose value is text from outside the macro: data, never code.
constexpr FunctionEntry Source(std::string_view name, FunctionFn fn) { return {name, fn, nullptr, true}; }

// Paired with kFunctionNames, in its order.
constexpr FunctionEntries kTable = {{
    Variadic("+", OpSum),           Variadic("&", OpConcat),
    Fixed("=", OpEqual),            Fixed(">", OpGreater),
    Fixed("<", OpLess),             Fixed("<>", OpNotEqual),
    Fixed("in", OpIn),              Fixed("not", OpNot),
    Variadic("or", OpOr),           Variadic("and", OpAnd),
    Variadic("-", OpDifference),    Variadic("*", OpProduct),
    Fixed("div", OpDiv),            Fixed("mod", OpMod),
    Fixed("date", FnDate),                Fixed("len", FnLen),
    Fixed("pos", FnPos),                 Fixed("substr", FnSubstr),
    Fixed(">=", OpGreaterEqual),    Fixed("<=", OpLessEqual),
    Fixed("getcopyright", FnGetCopyright),        Fixed("getmouse", FnGetMouse),
    Fixed("getcaret", FnGetCaret),            Fixed("getwindowpos", FnGetWindowPos),
    Fixed("format", FnFormat),              Source("inputbox", FnInputBox),
    Fixed("readkey", FnReadKey),             Fixed("getpixel", FnGetPixel),
    Variadic("message", FnMessage),
    Fixed("trim", FnTrim),                Fixed("ltrim", FnLTrim),
    Fixed("rtrim", FnRTrim),               Fixed("eof", FnEof),
    Fixed("fileexists", FnFileExists),          Fixed("find-window", FnFindWindow),
    Fixed("get-ime", FnGetIme),             Fixed("random", FnRandom),
    Fixed("getheight", FnGetHeight),           Fixed("getwidth", FnGetWidth),
    Fixed("upcase", FnUpcase),              Fixed("downcase", FnDowncase),
    Fixed("hankaku", FnHankaku),             Fixed("zenkaku", FnZenkaku),
    Fixed("chr", FnChr),                 Fixed("asc", FnAsc),
    Fixed("left", FnLeft),                Fixed("right", FnRight),
    Fixed("token", FnToken),               Fixed("retext", FnRetext),
    Fixed("copyfile", FnCopyFile),            Fixed("deletefile", FnDeleteFile),
    Fixed("movefile", FnMoveFile),            Fixed("renamefile", FnRenameFile),
    Fixed("createdir", FnCreateDir),           Fixed("deletedir", FnDeleteDir),
    Fixed("direxists", FnDirExists),           Fixed("getfilesize", FnGetFileSize),
    Source("getenv", FnGetEnv),              Source("getcurrentdir", FnGetCurrentDir),
    Source("getexedir", FnGetExeDir),           Source("readini", FnReadIni),
    Source("loadini", FnLoadIni),             Fixed("comparefile", FnCompareFile),
    Fixed("getscreenheight", FnGetScreenHeight),     Fixed("getscreenwidth", FnGetScreenWidth),
    Fixed("getgraphpixel", FnGetGraphPixel),       Fixed("searchgraph", FnSearchGraph),
}};


constexpr bool FollowsTheLanguagesNames() {
  for (size_t i = 0; i < kTable.size(); ++i) {
    if (kTable[i].name != kFunctionNames[i]) return false;
  }
  return true;
}
static_assert(FollowsTheLanguagesNames(), "the handlers must pair with kFunctionNames in order");

}  // namespace

const FunctionEntries& FunctionTable() { return kTable; }

}  // namespace vendrix
