#include "shell/launch_arguments.h"

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
         "  --home=DIR            use DIR as the program folder (Vendrix.INI, Zemlo.INI, ...)\n"
         "  --check               check what this start would load (the macro, or the\n"
         "                        hotkey file, or the menu and list files and their\n"
         "                        macros) without running it: one line per finding,\n"
         "                        FILE:LINE: error|warning Vnnn: message (docs/checking.md);\n"
         "                        exit code 0 nothing found, 2 findings, 1 cannot check\n"
         "  --help                show this text\n"
         "  --version             show the version and the build, then end\n"
         "\n"
         "Exit code: 0 for a normal end, 1 after a fatal error or when the user stops the macro.\n";
}

std::string VersionText() {
  std::string text = "Vendrix " VENDRIX_VERSION "\nBuild: " VENDRIX_BUILD_PLATFORM ", ";
  text += CompilerName();
  if (!std::string_view(VENDRIX_BUILD_TYPE).empty()) text += ", " VENDRIX_BUILD_TYPE;
  text += '\n';
  return text;
}

}  // namespace vendrix::shell
