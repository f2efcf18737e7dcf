// Functions on texts.
#include <string>

#include "values/function_table.h"
#include "values/integer.h"
#include "values/sjis.h"

namespace vendrix {

std::string FnLen(Engine&, const CallArgs& a) { return IntegerText(sjis::JLength(a[0])); }
std::string FnPos(Engine& engine, const CallArgs&) { return ReportNotYetAvailable(engine, "pos"); }
std::string FnSubstr(Engine& engine, const CallArgs&) { return ReportNotYetAvailable(engine, "substr"); }
std::string FnLeft(Engine& engine, const CallArgs&) { return ReportNotYetAvailable(engine, "left"); }
std::string FnRight(Engine& engine, const CallArgs&) { return ReportNotYetAvailable(engine, "right"); }
std::string FnTrim(Engine& engine, const CallArgs&) { return ReportNotYetAvailable(engine, "trim"); }
std::string FnLTrim(Engine& engine, const CallArgs&) { return ReportNotYetAvailable(engine, "ltrim"); }
std::string FnRTrim(Engine& engine, const CallArgs&) { return ReportNotYetAvailable(engine, "rtrim"); }
std::string FnUpcase(Engine& engine, const CallArgs&) { return ReportNotYetAvailable(engine, "upcase"); }
std::string FnDowncase(Engine& engine, const CallArgs&) { return ReportNotYetAvailable(engine, "downcase"); }
std::string FnHankaku(Engine& engine, const CallArgs&) { return ReportNotYetAvailable(engine, "hankaku"); }
std::string FnZenkaku(Engine& engine, const CallArgs&) { return ReportNotYetAvailable(engine, "zenkaku"); }
std::string FnChr(Engine& engine, const CallArgs&) { return ReportNotYetAvailable(engine, "chr"); }
std::string FnAsc(Engine& engine, const CallArgs&) { return ReportNotYetAvailable(engine, "asc"); }
std::string FnToken(Engine& engine, const CallArgs&) { return ReportNotYetAvailable(engine, "token"); }
std::string FnRetext(Engine& engine, const CallArgs&) { return ReportNotYetAvailable(engine, "retext"); }

}  // namespace vendrix
