// Formatting, dates and random numbers.
#include <string>

#include "values/function_table.h"

namespace vendrix {

std::string FnFormat(Engine& engine, const CallArgs&) { return ReportNotYetAvailable(engine, "format"); }
std::string FnDate(Engine& engine, const CallArgs&) { return ReportNotYetAvailable(engine, "date"); }
std::string FnRandom(Engine& engine, const CallArgs&) { return ReportNotYetAvailable(engine, "random"); }
std::string FnGetCopyright(Engine& engine, const CallArgs&) { return ReportNotYetAvailable(engine, "getcopyright"); }

}  // namespace vendrix
