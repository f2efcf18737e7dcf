// Functions that ask the user.
#include <string>

#include "values/function_table.h"

namespace vendrix {

std::string FnInputBox(Engine& engine, const CallArgs&) { return ReportNotYetAvailable(engine, "inputbox"); }
std::string FnReadKey(Engine& engine, const CallArgs&) { return ReportNotYetAvailable(engine, "readkey"); }
std::string FnMessage(Engine& engine, ArgWalker&) { return ReportNotYetAvailable(engine, "message"); }

}  // namespace vendrix
