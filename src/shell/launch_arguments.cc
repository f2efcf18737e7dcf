#include "shell/launch_arguments.h"

#include <charconv>
#include <string_view>

#include "build_info.h"

namespace vendrix::shell {
namespace {

// "--name=value" → value, "--name" → "", otherwise nullopt.
std::optional<std::string> OptionValue(std::string_view arg, std::string_view name) {
  if (arg.substr(0, name.size()) != name) return std::nullopt;
  std::string_view rest = arg.substr(name.size());
  if (rest.empty()) return std::string();
  if (rest.front() != '=') return std::nullopt;
  return std::string(rest.substr(1));
}

// A whole number 0 .. 2^64 - 1 in decimal digits only.
std::optional<uint64_t> WholeNumber(std::string_view text) {
  uint64_t value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return value;
}

// "--name=N" sets `bound`; false when `arg` is no such option.
bool ReadBound(const std::string& arg, std::string_view name, uint64_t& bound, std::vector<std::string>& bad) {
  const std::optional<std::string> value = OptionValue(arg, name);
  if (!value) return false;
  if (const std::optional<uint64_t> number = WholeNumber(*value)) {
    bound = *number;
  } else {
    bad.push_back(arg);
  }
  return true;
}

std::string CompilerName() {
#if defined(__clang__)
  return "Clang " __clang_version__;
#elif defined(__GNUC__)
  return "GCC " __VERSION__;
#else
  return "an unknown compiler";
#endif
}

}  // namespace

LaunchArguments SplitLaunchArguments(const std::vector<std::string>& args) {
  LaunchArguments out;
  for (const std::string& arg : args) {
    if (arg.rfind("--", 0) != 0) {
      out.programArgs.push_back(arg);
      continue;
    }
    if (arg == "--help") {
      out.help = true;
    } else if (arg == "--version") {
      out.version = true;
    } else if (arg == "--check") {
      out.check = true;
    } else if (auto sim = OptionValue(arg, "--sim")) {
      out.sim = true;
      if (!sim->empty()) out.simDesktopFile = *sim;
    } else if (auto trace = OptionValue(arg, "--trace"); trace && !trace->empty()) {
      out.traceFile = *trace;
    } else if (auto home = OptionValue(arg, "--home"); home && !home->empty()) {
      out.home = *home;
    } else if (arg == "--stop-on-error") {
      out.dryRun.stopOnError = true;
    } else if (arg == "--trace-polls") {
      out.dryRun.tracePolls = true;
    } else if (ReadBound(arg, "--max-time", out.dryRun.maxTimeMs, out.badValues) ||
               ReadBound(arg, "--max-statements", out.dryRun.maxStatements, out.badValues) ||
               ReadBound(arg, "--max-trace", out.dryRun.maxTraceBytes, out.badValues)) {
    } else {
      out.errors.push_back(arg);
    }
  }
  return out;
}

std::string UsageText() {
  return "Usage: vendrix [options] [-FILE=macro.mac] [-TSR] [/%n=text ...]\n"
         "       vendrix --check [-FILE=macro.mac | -TSR [-FILE=hotkeys]]\n"
         "\n"
         "Program switches (any letter case, '-' or '/'):\n"
         "  -FILE=NAME      run the macro file NAME and end (with -TSR: the hotkey file)\n"
         "  -TSR            stay resident and run macros from hotkeys\n"
         "  /%n=TEXT        preset system variable %n (0-79) to TEXT, upper-cased\n"
         "  (no switch)     menu mode\n"
         "\n"
         "Launcher options:\n"
         "  --sim[=DESKTOP.json]  run against the simulated desktop described by the file\n"
         "                        (the only desktop of the Linux build, so implied there)\n"
         "  --trace=FILE          write every desktop action of the simulated desktop as\n"
         "                        JSON Lines to FILE ('-' for standard output)\n"
         "  --trace-polls         also trace the routine key polls (the break key between\n"
         "                        statements, waits' key checks, the start-up key tables)\n"
         "  --max-trace=BYTES     stop the run when the trace would grow past BYTES\n"
         "                        (default 1073741824; 0: no bound)\n"
         "  --stop-on-error       end at the first error report instead of answering it\n"
         "  --max-time=MS         stop the run after MS ms of virtual time\n"
         "                        (default 86400000, a day; 0: no bound)\n"
         "  --max-statements=N    stop the run after N statements (default 100000000;\n"
         "                        0: no bound)\n"
         "  --home=DIR            use DIR as the program folder (Vendrix.INI, Zemlo.INI, ...)\n"
         "  --check               check what this start would load (the macro, or the\n"
         "                        hotkey file, or the menu and list files and their\n"
         "                        macros) without running it: one line per finding,\n"
         "                        FILE:LINE: error|warning Vnnn: message (docs/checking.md);\n"
         "                        exit code 0 nothing found, 2 findings, 1 cannot check\n"
         "  --help                show this text\n"
         "  --version             show the version and the build, then end\n"
         "\n"
         "On the simulated desktop every message box and input dialog is also written to\n"
         "standard error with its answer; an error report starts with the FILE:LINE: of\n"
         "the macro line that caused it.\n"
         "\n"
         "Exit codes:\n"
         "  0  the program ended normally (an idle menu or resident program ends once the\n"
         "     desktop description has nothing more to deliver)\n"
         "  1  a fatal error, the user stopped the macro, an error report with\n"
         "     --stop-on-error, or a launcher option or description that cannot be used\n"
         "  2  --check found something\n"
         "  3  (simulated desktop) the run was cut short: the program waited for a key\n"
         "     or an answer the description never gives, or --max-time,\n"
         "     --max-statements or --max-trace was reached\n"
         "  4  (simulated desktop) the trace could not be written (a full disk)\n";
}

std::string VersionText() {
  std::string text = "Vendrix " VENDRIX_VERSION "\nBuild: " VENDRIX_BUILD_PLATFORM ", ";
  text += CompilerName();
  if (!std::string_view(VENDRIX_BUILD_TYPE).empty()) text += ", " VENDRIX_BUILD_TYPE;
  text += '\n';
  return text;
}

}  // namespace vendrix::shell
