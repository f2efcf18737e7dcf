// Vendrix on Linux: macros run against the simulated desktop, with the
// real file system.
#include <cstdint>
#include <exception>
#include <fstream>
#include <iostream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "checker/program_check.h"
#include "platform/posix/posix_files.h"
#include "platform/posix/posix_host.h"
#include "platform/posix/utf8.h"
#include "platform/sim/sim_desktop.h"
#include "shell/launch_arguments.h"
#include "shell/program.h"

namespace {

using vendrix::shell::LaunchArguments;

std::vector<std::string> ShiftJisArguments(int argc, char** argv) {
  std::vector<std::string> args;
  for (int i = 1; i < argc; ++i) {
    // An argument that is not UTF-8 is taken as the bytes it is.
    args.push_back(vendrix::posix::Utf8ToSjis(argv[i]).value_or(argv[i]));
  }
  return args;
}

void ApplyDryRunOptions(vendrix::sim::SimDesktop& desktop, const vendrix::shell::DryRunOptions& options) {
  desktop.SetDryRunRules({options.maxTimeMs, options.maxStatements, options.stopOnError, options.tracePolls});
  desktop.SetTraceBound(options.maxTraceBytes == 0 ? UINT64_MAX : options.maxTraceBytes);
  desktop.SetDialogLog(&std::cerr);
}

// The run's exit code, unless the trace could not be written whole: a
// trace cut short must not pass for a complete one.
int CheckedTraceEnd(vendrix::sim::SimDesktop& desktop, std::ostream* trace, int exitCode) {
  if (trace != nullptr) trace->flush();
  if (trace != nullptr && !*trace) {
    std::cerr << "vendrix: the trace could not be written (is the disk full?)\n";
    return vendrix::sim::kExitTraceFailed;
  }
  const std::string trouble = desktop.TraceTroubleMessage();
  if (trouble.empty()) return exitCode;
  std::cerr << "vendrix: " << trouble << "\n";
  return desktop.TraceTrouble() == vendrix::sim::TraceProblem::kWriteFailed ? vendrix::sim::kExitTraceFailed
                                                                             : vendrix::sim::kExitDryRunCut;
}

std::string ReadTextFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read the desktop description " + path);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

int Run(const LaunchArguments& launch) {
  vendrix::posix::PosixFiles files;
  std::unique_ptr<vendrix::sim::SimDesktop> desktop =
      launch.simDesktopFile
          ? std::make_unique<vendrix::sim::SimDesktop>(ReadTextFile(vendrix::posix::NativeName(*launch.simDesktopFile)),
                                                       vendrix::sim::FilesBeside(files, *launch.simDesktopFile))
          : std::make_unique<vendrix::sim::SimDesktop>();
  ApplyDryRunOptions(*desktop, launch.dryRun);
  std::ofstream traceFile;
  std::ostream* trace = nullptr;
  if (launch.traceFile && *launch.traceFile == "-") {
    trace = &std::cout;
  } else if (launch.traceFile) {
    traceFile.open(vendrix::posix::NativeName(*launch.traceFile), std::ios::binary | std::ios::trunc);
    if (!traceFile) throw std::runtime_error("cannot write the trace file " + *launch.traceFile);
    trace = &traceFile;
  }
  desktop->SetTraceStream(trace);
  vendrix::posix::PosixHost host(launch.home);
  vendrix::platform::Platform platform{desktop->PlatformWith(files, host)};
  int exitCode;
  try {
    exitCode = vendrix::shell::RunProgram(platform, launch.programArgs);
  } catch (const vendrix::sim::DryRunEnd& end) {
    std::cerr << end.what() << "\n";
    exitCode = end.ExitCode();
  }
  exitCode = CheckedTraceEnd(*desktop, trace, exitCode);
  std::cout.flush();
  return exitCode;
}

std::string Utf8Text(const std::string& sjis) {
  // Text that is not Shift-JIS is written as the bytes it is.
  return vendrix::posix::SjisToUtf8(sjis).value_or(sjis);
}

int Check(const LaunchArguments& launch) {
  vendrix::posix::PosixFiles files;
  vendrix::posix::PosixHost host(launch.home);
  const vendrix::checker::CheckResult result = vendrix::checker::CheckProgram(files, host, launch.programArgs);
  for (const vendrix::checker::Finding& finding : result.findings) {
    std::cout << Utf8Text(vendrix::checker::FormatFinding(finding)) << "\n";
  }
  std::cout.flush();
  if (!result.failure.empty()) std::cerr << "vendrix: cannot check: " << Utf8Text(result.failure) << "\n";
  return result.exitCode;
}

}  // namespace

int main(int argc, char** argv) {
  LaunchArguments launch = vendrix::shell::SplitLaunchArguments(ShiftJisArguments(argc, argv));
  if (launch.help) {
    std::cout << vendrix::shell::UsageText();
    return 0;
  }
  if (launch.version) {
    std::cout << vendrix::shell::VersionText();
    return 0;
  }
  for (const std::string& unknown : launch.errors) {
    std::cerr << "vendrix: ignoring unknown option " << unknown << "\n";
  }
  for (const std::string& bad : launch.badValues) {
    std::cerr << "vendrix: " << bad << " needs a whole number (0 for no bound)\n";
  }
  if (!launch.badValues.empty()) return 1;
  try {
    if (launch.check) return Check(launch);
    return Run(launch);
  } catch (const std::exception& error) {
    std::cerr << "vendrix: " << error.what() << "\n";
    return 1;
  }
}
