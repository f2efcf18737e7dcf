// The handlers of the operators and functions, one file per group, and the
// table that pairs them with the language's names.
#pragma once

#include <string>

#include "engine/function_table.h"

namespace vendrix {

// Every name of kFunctionNames with its handler, in the same order.  The
// handlers that answer an int32_t are those whose value is always an
// integer's text (the table writes it).
const FunctionEntries& FunctionTable();

// Operator handlers (operators.cc).
std::string OpSum(Interpreter&, ArgWalker&);
std::string OpDifference(Interpreter&, ArgWalker&);
std::string OpProduct(Interpreter&, ArgWalker&);
std::string OpConcat(Interpreter&, ArgWalker&);
std::string OpOr(Interpreter&, ArgWalker&);
std::string OpAnd(Interpreter&, ArgWalker&);
std::string OpEqual(Interpreter&, const CallArgs&);
std::string OpNotEqual(Interpreter&, const CallArgs&);
std::string OpGreater(Interpreter&, const CallArgs&);
std::string OpLess(Interpreter&, const CallArgs&);
std::string OpGreaterEqual(Interpreter&, const CallArgs&);
std::string OpLessEqual(Interpreter&, const CallArgs&);
// What those four compare, also used on integers the interpreter already has.
bool IsGreater(int32_t a, int32_t b);
bool IsLess(int32_t a, int32_t b);
bool IsGreaterEqual(int32_t a, int32_t b);
bool IsLessEqual(int32_t a, int32_t b);
std::string OpIn(Interpreter&, const CallArgs&);
std::string OpNot(Interpreter&, const CallArgs&);
int32_t OpDiv(Interpreter&, const CallArgs&);
int32_t OpMod(Interpreter&, const CallArgs&);

// Texts (functions_text.cc).
int32_t FnLen(Interpreter&, const CallArgs&);
int32_t FnPos(Interpreter&, const CallArgs&);
std::string FnSubstr(Interpreter&, const CallArgs&);
std::string FnLeft(Interpreter&, const CallArgs&);
std::string FnRight(Interpreter&, const CallArgs&);
std::string FnTrim(Interpreter&, const CallArgs&);
std::string FnLTrim(Interpreter&, const CallArgs&);
std::string FnRTrim(Interpreter&, const CallArgs&);
std::string FnUpcase(Interpreter&, const CallArgs&);
std::string FnDowncase(Interpreter&, const CallArgs&);
std::string FnHankaku(Interpreter&, const CallArgs&);
std::string FnZenkaku(Interpreter&, const CallArgs&);
std::string FnChr(Interpreter&, const CallArgs&);
int32_t FnAsc(Interpreter&, const CallArgs&);
std::string FnToken(Interpreter&, const CallArgs&);
std::string FnRetext(Interpreter&, const CallArgs&);

// Formatting, dates, random numbers (functions_format.cc).
std::string FnFormat(Interpreter&, const CallArgs&);
std::string FnDate(Interpreter&, const CallArgs&);
int32_t FnRandom(Interpreter&, const CallArgs&);
std::string FnGetCopyright(Interpreter&, const CallArgs&);

// Asking the user (functions_interaction.cc).
std::string FnInputBox(Interpreter&, const CallArgs&);
std::string FnMessage(Interpreter&, ArgWalker&);
std::string FnReadKey(Interpreter&, const CallArgs&);

// Files, folders, INI files, the environment (functions_files.cc).
std::string FnEof(Interpreter&, const CallArgs&);
std::string FnFileExists(Interpreter&, const CallArgs&);
std::string FnCopyFile(Interpreter&, const CallArgs&);
std::string FnDeleteFile(Interpreter&, const CallArgs&);
std::string FnMoveFile(Interpreter&, const CallArgs&);
std::string FnRenameFile(Interpreter&, const CallArgs&);
std::string FnCreateDir(Interpreter&, const CallArgs&);
std::string FnDeleteDir(Interpreter&, const CallArgs&);
std::string FnDirExists(Interpreter&, const CallArgs&);
std::string FnGetFileSize(Interpreter&, const CallArgs&);
std::string FnGetEnv(Interpreter&, const CallArgs&);
std::string FnGetCurrentDir(Interpreter&, const CallArgs&);
std::string FnGetExeDir(Interpreter&, const CallArgs&);
std::string FnReadIni(Interpreter&, const CallArgs&);
std::string FnLoadIni(Interpreter&, const CallArgs&);
std::string FnCompareFile(Interpreter&, const CallArgs&);

// The desktop (functions_desktop.cc).
std::string FnGetMouse(Interpreter&, const CallArgs&);
std::string FnGetCaret(Interpreter&, const CallArgs&);
std::string FnGetWindowPos(Interpreter&, const CallArgs&);
std::string FnGetHeight(Interpreter&, const CallArgs&);
std::string FnGetWidth(Interpreter&, const CallArgs&);
std::string FnGetScreenHeight(Interpreter&, const CallArgs&);
std::string FnGetScreenWidth(Interpreter&, const CallArgs&);
std::string FnFindWindow(Interpreter&, const CallArgs&);
std::string FnGetIme(Interpreter&, const CallArgs&);

// Images (functions_images.cc).
std::string FnGetPixel(Interpreter&, const CallArgs&);
std::string FnGetGraphPixel(Interpreter&, const CallArgs&);
std::string FnSearchGraph(Interpreter&, const CallArgs&);

}  // namespace vendrix
