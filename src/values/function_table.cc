#include "values/function_table.h"

#include <unordered_map>

#include "values/sjis.h"
#include "values/variables.h"

namespace vendrix {
namespace {

constexpr FunctionEntry Fixed(std::string_view name, FunctionFn fn) { return {name, fn, nullptr}; }
constexpr FunctionEntry Variadic(std::string_view name, VariadicFn fn) { return {name, nullptr, fn}; }

// The order is part of the language: it is the order of the name list.
constexpr std::array<FunctionEntry, kFunctionCount> kTable = {{
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
    Fixed("format", FnFormat),              Fixed("inputbox", FnInputBox),
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
    Fixed("getenv", FnGetEnv),              Fixed("getcurrentdir", FnGetCurrentDir),
    Fixed("getexedir", FnGetExeDir),           Fixed("readini", FnReadIni),
    Fixed("loadini", FnLoadIni),             Fixed("comparefile", FnCompareFile),
    Fixed("getscreenheight", FnGetScreenHeight),     Fixed("getscreenwidth", FnGetScreenWidth),
    Fixed("getgraphpixel", FnGetGraphPixel),       Fixed("searchgraph", FnSearchGraph),
}};

using NameIndex = std::unordered_map<std::string, int, TextHash, std::equal_to<>>;

NameIndex BuildNameIndex() {
  NameIndex index;
  for (int i = 0; i < kFunctionCount; ++i) index.emplace(std::string(kTable[i].name), i);
  return index;
}

}  // namespace

const std::array<FunctionEntry, kFunctionCount>& FunctionTable() { return kTable; }

int FindFunction(std::string_view name) {
  static const NameIndex index = BuildNameIndex();  // a constant table, built once
  auto it = index.find(name);
  if (it != index.end()) return it->second;
  std::string lower = sjis::AnsiLower(name);
  it = index.find(lower);
  return it == index.end() ? -1 : it->second;
}

}  // namespace vendrix
