#include "values/function_table.h"

#include <unordered_map>

#include "values/sjis.h"
#include "values/variables.h"

namespace vendrix {
namespace {

constexpr FunctionEntry Fixed(std::string_view name, FunctionFn fn) { return {name, fn, nullptr}; }
constexpr FunctionEntry Variadic(std::string_view name, VariadicFn fn) { return {name, nullptr, fn}; }
constexpr FunctionEntry Pending(std::string_view name) { return {name, FnNotYetAvailable, nullptr}; }

// The order is part of the language: it is the order of the name list.
constexpr std::array<FunctionEntry, kFunctionCount> kTable = {{
    Variadic("+", OpSum),           Variadic("&", OpConcat),
    Fixed("=", OpEqual),            Fixed(">", OpGreater),
    Fixed("<", OpLess),             Fixed("<>", OpNotEqual),
    Fixed("in", OpIn),              Fixed("not", OpNot),
    Variadic("or", OpOr),           Variadic("and", OpAnd),
    Variadic("-", OpDifference),    Variadic("*", OpProduct),
    Fixed("div", OpDiv),            Fixed("mod", OpMod),
    Pending("date"),                Fixed("len", FnLen),
    Pending("pos"),                 Pending("substr"),
    Fixed(">=", OpGreaterEqual),    Fixed("<=", OpLessEqual),
    Pending("getcopyright"),        Pending("getmouse"),
    Pending("getcaret"),            Pending("getwindowpos"),
    Pending("format"),              Pending("inputbox"),
    Pending("readkey"),             Pending("getpixel"),
    Variadic("message", FnMessageNotYetAvailable),
    Pending("trim"),                Pending("ltrim"),
    Pending("rtrim"),               Pending("eof"),
    Pending("fileexists"),          Pending("find-window"),
    Pending("get-ime"),             Pending("random"),
    Pending("getheight"),           Pending("getwidth"),
    Pending("upcase"),              Pending("downcase"),
    Pending("hankaku"),             Pending("zenkaku"),
    Pending("chr"),                 Pending("asc"),
    Pending("left"),                Pending("right"),
    Pending("token"),               Pending("retext"),
    Pending("copyfile"),            Pending("deletefile"),
    Pending("movefile"),            Pending("renamefile"),
    Pending("createdir"),           Pending("deletedir"),
    Pending("direxists"),           Pending("getfilesize"),
    Pending("getenv"),              Pending("getcurrentdir"),
    Pending("getexedir"),           Pending("readini"),
    Pending("loadini"),             Pending("comparefile"),
    Pending("getscreenheight"),     Pending("getscreenwidth"),
    Pending("getgraphpixel"),       Pending("searchgraph"),
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
