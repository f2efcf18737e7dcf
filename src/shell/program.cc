#include "shell/program.h"

#include <new>

#include "builtins/builtins.h"
#include "desktop/input.h"
#include "engine/engine.h"
#include "engine/program_end.h"
#include "engine/report.h"
#include "engine/run.h"
#include "shell/command_line.h"
#include "shell/main_form.h"
#include "shell/options.h"
#include "shell/program_files.h"
#include "values/sjis.h"

namespace vendrix::shell {
namespace {


std::string ProgramFile(Engine& engine, std::string_view name) {
  return engine.platform.files.ProgramFile(engine.programFolder, name);
}

void ShowAbout(Engine& engine) {
  std::string text = engine.caption + "\r\r" + std::string(msg::kAboutCredit);
  engine.platform.dialogs.MessageBox(text, engine.caption, platform::kMbSetForeground);
}

void ReadOptionsFiles(Engine& engine) {
  platform::Files& files = engine.platform.files;
  std::string options = ProgramFile(engine, kOptionsFileName);
  if (!files.FileExists(ProgramFile(engine, kRecorderOptionsFileName)) || !files.FileExists(options)) {
    Fatal(engine, engine.programFolder + std::string(msg::kOptionsFilesMissing));
  }
  platform::ReadResult read = files.ReadFile(options, kMaxTextFileBytes);
  engine.settings = ReadOptions(read.bytes, [&engine] { ShowAbout(engine); });
  // The state the options start, which statements change later.
  engine.pacing.autoDelay = engine.settings.autoDelay;
  engine.desktop.autoPaste = engine.settings.autoPaste;
}

void ApplyPresets(Engine& engine, const CommandLine& line) {
  for (const auto& [index, text] : line.presets) {
    if (index >= 0 && static_cast<size_t>(index) < engine.variables.size()) engine.variables.Store(index, text);
  }
}

// Menu and resident mode: the window, its menu and icon, the hotkeys, and
// then whatever the user does until the program ends.
[[noreturn]] void RunWindowModes(Engine& engine, const CommandLine& line) {
  MainForm form(engine);
  if (engine.residentMode) {
    // A hotkey file named on the command line, or the program's own.
    form.ReadHotkeyFile(line.fileName.empty() ? ProgramFile(engine, kHotkeyFileName) : line.fileName);
    form.CaptureJoysticks();
    form.RegisterHotkeys();
  }
  form.FormCreate();
  form.Run();
}

// The one-time start-up, then the mode the command line asks for.
int StartAndRun(Engine& engine, const std::vector<std::string>& args) {
  platform::Files& files = engine.platform.files;
  engine.programFolder = FolderOf(engine.platform.host.ProgramPath(), files.PathSeparator());
  ReadOptionsFiles(engine);
  CommandLine line = ScanCommandLine(args, files.CaseSensitiveNames());
  ApplyPresets(engine, line);
  engine.residentMode = line.resident;
  if (!engine.residentMode && !line.fileName.empty()) {
    RunMacro(engine, line.fileName);
    return 0;
  }
  RunWindowModes(engine, line);
}

// Runs on every way out: nothing a macro pressed or blocked outlives it,
// and every line a macro wrote reaches its file.  False when a file could
// not be written out: the end is then no success.
bool Shutdown(Engine& engine) {
  ReleaseHeldInput(DesktopOf(engine));
  engine.platform.input.BlockInput(false);
  engine.platform.messages.KillTimer(kWatchdogTimer);
  const bool filesWritten = CloseAllSlots(engine);
  engine.platform.messages.ProcessMessages();
  return filesWritten;
}

std::string_view LockProblemWords(const platform::InstanceCheck& check) {
  switch (check.status) {
    case platform::InstanceStatus::kSymbolicLink: return msg::kLockSymbolicLink;
    case platform::InstanceStatus::kFolder: return msg::kLockFolder;
    case platform::InstanceStatus::kNotAFile: return msg::kLockNotAFile;
    case platform::InstanceStatus::kOtherOwner: return msg::kLockOtherOwner;
    default: return check.reason;
  }
}

// A lock that cannot be trusted ends the program: starting anyway would
// turn the single-instance rule off without a word.
void RefuseUnusableLock(Engine& engine, const platform::InstanceCheck& check) {
  if (check.status == platform::InstanceStatus::kFree) return;
  Fatal(engine, check.lockName + std::string(msg::kLockUnusable) + std::string(LockProblemWords(check)) +
                          std::string(msg::kLockUnusableEnd));
}

// A resident start checks and claims the lock in one step; any other start
// only looks.
platform::InstanceCheck CheckInstance(platform::Host& host, const std::vector<std::string>& args) {
  return AsksForResidentMode(args) ? host.ClaimResidentInstance() : host.CheckResidentInstance();
}

// An allocation that failed anywhere in a run ends the program through the
// error path, with its message box; the run's memory is freed by now.
int ReportOutOfMemory(Engine& engine) {
  try {
    Fatal(engine, msg::kOutOfMemory);
  } catch (const ProgramEnd& end) {
    return end.exitCode;
  }
}

}  // namespace

std::string FolderOf(std::string_view path, char separator) {
  size_t end = 0;
  for (size_t pos = 0; pos < path.size(); pos = sjis::NextChar(path, pos)) {
    bool oneByte = !sjis::IsLeadByteAt(path, pos);
    if (oneByte && (path[pos] == separator || (separator == '\\' && (path[pos] == '/' || path[pos] == ':')))) {
      end = pos + 1;
    }
  }
  std::string folder(path.substr(0, end));
  if (folder.empty() || folder.back() != separator) folder += separator;
  return folder;
}

int RunProgram(platform::Platform& platform, const std::vector<std::string>& args) {
  const platform::InstanceCheck instance = CheckInstance(platform.host, args);
  if (instance.status == platform::InstanceStatus::kResident) {
    platform.dialogs.MessageBox(msg::kAlreadyResident, msg::kInstanceCaption, platform::kMbSetForeground);
    return 0;
  }
  Engine engine(platform);
  OpenBuiltins(engine);
  int exitCode;
  try {
    RefuseUnusableLock(engine, instance);
    exitCode = StartAndRun(engine, args);
  } catch (const ProgramEnd& end) {
    exitCode = end.exitCode;
  } catch (const std::bad_alloc&) {
    exitCode = ReportOutOfMemory(engine);
  } catch (...) {
    // Not even an internal failure may leave keys held or input blocked.
    Shutdown(engine);
    throw;
  }
  if (!Shutdown(engine)) exitCode = 1;
  return exitCode;
}

}  // namespace vendrix::shell
