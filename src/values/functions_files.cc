// Functions on files, folders, INI files and the environment.
#include <string>

#include "values/function_table.h"

namespace vendrix {

std::string FnEof(Engine& engine, const CallArgs&) { return ReportNotYetAvailable(engine, "eof"); }
std::string FnFileExists(Engine& engine, const CallArgs&) { return ReportNotYetAvailable(engine, "fileexists"); }
std::string FnCopyFile(Engine& engine, const CallArgs&) { return ReportNotYetAvailable(engine, "copyfile"); }
std::string FnDeleteFile(Engine& engine, const CallArgs&) { return ReportNotYetAvailable(engine, "deletefile"); }
std::string FnMoveFile(Engine& engine, const CallArgs&) { return ReportNotYetAvailable(engine, "movefile"); }
std::string FnRenameFile(Engine& engine, const CallArgs&) { return ReportNotYetAvailable(engine, "renamefile"); }
std::string FnCreateDir(Engine& engine, const CallArgs&) { return ReportNotYetAvailable(engine, "createdir"); }
std::string FnDeleteDir(Engine& engine, const CallArgs&) { return ReportNotYetAvailable(engine, "deletedir"); }
std::string FnDirExists(Engine& engine, const CallArgs&) { return ReportNotYetAvailable(engine, "direxists"); }
std::string FnGetFileSize(Engine& engine, const CallArgs&) { return ReportNotYetAvailable(engine, "getfilesize"); }
std::string FnGetEnv(Engine& engine, const CallArgs&) { return ReportNotYetAvailable(engine, "getenv"); }
std::string FnGetCurrentDir(Engine& engine, const CallArgs&) { return ReportNotYetAvailable(engine, "getcurrentdir"); }
std::string FnGetExeDir(Engine& engine, const CallArgs&) { return ReportNotYetAvailable(engine, "getexedir"); }
std::string FnReadIni(Engine& engine, const CallArgs&) { return ReportNotYetAvailable(engine, "readini"); }
std::string FnLoadIni(Engine& engine, const CallArgs&) { return ReportNotYetAvailable(engine, "loadini"); }
std::string FnCompareFile(Engine& engine, const CallArgs&) { return ReportNotYetAvailable(engine, "comparefile"); }

}  // namespace vendrix
