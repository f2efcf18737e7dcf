#include "builtins/functions.h"

#include "values/integer.h"

namespace vendrix {
namespace {

constexpr FunctionEntry Fixed(std::string_view name, FunctionFn fn) { return {name, fn, nullptr, false, false}; }
constexpr FunctionEntry Variadic(std::string_view name, VariadicFn fn) { return {name, nullptr, fn, false, false}; }
// A function whose value is text from outside the macro: data, never code.
constexpr FunctionEntry Source(std::string_view name, FunctionFn fn) { return {name, fn, nullptr, true, false}; }
// A function of its arguments and the interpreter's own state alone.  Any
// function not marked so counts as one with an effect.
constexpr FunctionEntry Pure(FunctionEntry entry) {
  entry.pure = true;
  return entry;
}

// A function whose value is always the text of an integer: the table keeps
// the integer's function and the text made from it.
template <IntegerFn Answer>
std::string AnswerText(Interpreter& interp, const CallArgs& args) {
  return IntegerText(Answer(interp, args));
}
template <IntegerFn Answer>
constexpr FunctionEntry Integer(std::string_view name) {
  FunctionEntry entry = Fixed(name, AnswerText<Answer>);
  entry.integer = Answer;
  return entry;
}

// An operator that compares the integer values of its two arguments.
constexpr FunctionEntry Comparing(FunctionEntry entry, IntegerTest test) {
  entry.compare = test;
  return entry;
}

// Paired with kFunctionNames, in its order.
constexpr FunctionEntries kTable = {{
    Pure(Variadic("+", OpSum)),              Pure(Variadic("&", OpConcat)),
    Pure(Fixed("=", OpEqual)),               Comparing(Pure(Fixed(">", OpGreater)), IsGreater),
    Comparing(Pure(Fixed("<", OpLess)), IsLess), Pure(Fixed("<>", OpNotEqual)),
    Pure(Fixed("in", OpIn)),                 Pure(Fixed("not", OpNot)),
    Pure(Variadic("or", OpOr)),              Pure(Variadic("and", OpAnd)),
    Pure(Variadic("-", OpDifference)),       Pure(Variadic("*", OpProduct)),
    Pure(Integer<OpDiv>("div")),             Pure(Integer<OpMod>("mod")),
    Fixed("date", FnDate),                   Pure(Integer<FnLen>("len")),
    Pure(Integer<FnPos>("pos")),             Pure(Fixed("substr", FnSubstr)),
    Comparing(Pure(Fixed(">=", OpGreaterEqual)), IsGreaterEqual),
    Comparing(Pure(Fixed("<=", OpLessEqual)), IsLessEqual),
    Pure(Fixed("getcopyright", FnGetCopyright)), Fixed("getmouse", FnGetMouse),
    Fixed("getcaret", FnGetCaret),           Fixed("getwindowpos", FnGetWindowPos),
    Pure(Fixed("format", FnFormat)),         Source("inputbox", FnInputBox),
    Fixed("readkey", FnReadKey),             Fixed("getpixel", FnGetPixel),
    Variadic("message", FnMessage),
    Pure(Fixed("trim", FnTrim)),             Pure(Fixed("ltrim", FnLTrim)),
    Pure(Fixed("rtrim", FnRTrim)),           Fixed("eof", FnEof),
    Fixed("fileexists", FnFileExists),       Fixed("find-window", FnFindWindow),
    // random draws from a seed the engine took from the clock once.
    Fixed("get-ime", FnGetIme),              Pure(Integer<FnRandom>("random")),
    Fixed("getheight", FnGetHeight),         Fixed("getwidth", FnGetWidth),
    Pure(Fixed("upcase", FnUpcase)),         Pure(Fixed("downcase", FnDowncase)),
    Pure(Fixed("hankaku", FnHankaku)),       Pure(Fixed("zenkaku", FnZenkaku)),
    Pure(Fixed("chr", FnChr)),               Pure(Integer<FnAsc>("asc")),
    Pure(Fixed("left", FnLeft)),             Pure(Fixed("right", FnRight)),
    Pure(Fixed("token", FnToken)),           Pure(Fixed("retext", FnRetext)),
    Fixed("copyfile", FnCopyFile),           Fixed("deletefile", FnDeleteFile),
    Fixed("movefile", FnMoveFile),           Fixed("renamefile", FnRenameFile),
    Fixed("createdir", FnCreateDir),         Fixed("deletedir", FnDeleteDir),
    Fixed("direxists", FnDirExists),         Fixed("getfilesize", FnGetFileSize),
    Source("getenv", FnGetEnv),              Source("getcurrentdir", FnGetCurrentDir),
    Source("getexedir", FnGetExeDir),        Source("readini", FnReadIni),
    Source("loadini", FnLoadIni),            Fixed("comparefile", FnCompareFile),
    Fixed("getscreenheight", FnGetScreenHeight), Fixed("getscreenwidth", FnGetScreenWidth),
    Fixed("getgraphpixel", FnGetGraphPixel), Fixed("searchgraph", FnSearchGraph),
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
