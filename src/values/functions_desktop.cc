// Functions that read the desktop.
#include <string>

#include "values/function_table.h"

namespace vendrix {

std::string FnGetMouse(Engine& engine, const CallArgs&) { return ReportNotYetAvailable(engine, "getmouse"); }
std::string FnGetCaret(Engine& engine, const CallArgs&) { return ReportNotYetAvailable(engine, "getcaret"); }
std::string FnGetWindowPos(Engine& engine, const CallArgs&) { return ReportNotYetAvailable(engine, "getwindowpos"); }
std::string FnGetHeight(Engine& engine, const CallArgs&) { return ReportNotYetAvailable(engine, "getheight"); }
std::string FnGetWidth(Engine& engine, const CallArgs&) { return ReportNotYetAvailable(engine, "getwidth"); }
std::string FnGetScreenHeight(Engine& engine, const CallArgs&) { return ReportNotYetAvailable(engine, "getscreenheight"); }
std::string FnGetScreenWidth(Engine& engine, const CallArgs&) { return ReportNotYetAvailable(engine, "getscreenwidth"); }
std::string FnFindWindow(Engine& engine, const CallArgs&) { return ReportNotYetAvailable(engine, "find-window"); }
std::string FnGetIme(Engine& engine, const CallArgs&) { return ReportNotYetAvailable(engine, "get-ime"); }

}  // namespace vendrix
