// The handlers of the operators and functions, one file per group, and the
// table that pairs them with the language's names.
#pragma once

#include <string>

#include "engine/function_table.h"

namespace vendrix {

// Every name of kFunctionNames with its handler, in the same order.
const FunctionEntries& FunctionTable();

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
