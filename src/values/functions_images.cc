// Functions on images.
#include <string>

#include "values/function_table.h"

namespace vendrix {

std::string FnGetPixel(Engine& engine, const CallArgs&) { return ReportNotYetAvailable(engine, "getpixel"); }
std::string FnGetGraphPixel(Engine& engine, const CallArgs&) { return ReportNotYetAvailable(engine, "getgraphpixel"); }
std::string FnSearchGraph(Engine& engine, const CallArgs&) { return ReportNotYetAvailable(engine, "searchgraph"); }

}  // namespace vendrix
