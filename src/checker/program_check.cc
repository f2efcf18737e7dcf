#include "checker/program_check.h"

#include <algorithm>
#include <map>
#include <set>

#include "checker/macro_rules.h"
#include "checker/macro_source.h"
#include "checker/no_keyboard.h"
#include "desktop/keys.h"
#include "engine/engine.h"
#include "engine/loader.h"
#include "engine/tokenizer.h"
#include "shell/command_line.h"
#include "shell/hotkey_file.h"
#include "shell/menu_file.h"
#include "shell/options.h"
#include "shell/program.h"
#include "shell/program_files.h"
#include "values/sjis.h"
#include "values/text_lines.h"

namespace vendrix::checker {
namespace {


using NumberedLines = std::vector<std::pair<int, std::string_view>>;


NumberedLines NumberLines(std::string_view bytes) {
  NumberedLines numbered;
  TextLines lines(bytes);
  int number = 0;
  while (std::optional<std::string_view> line = lines.Next()) numbered.emplace_back(++number, *line);
  return numbered;
}

// Files in the order they were read (others after them), each file's
// findings by line.
void SortByPlace(Findings& findings, const std::vector<std::string>& fileOrder) {
  std::map<std::string, size_t, std::less<>> rank;
  for (const std::string& file : fileOrder) rank.emplace(file, rank.size());
  for (const Finding& finding : findings) rank.emplace(finding.file, rank.size());
  std::stable_sort(findings.begin(), findings.end(), [&rank](const Finding& a, const Finding& b) {
    const size_t rankA = rank.at(a.file);
    const size_t rankB = rank.at(b.file);
    return rankA != rankB ? rankA < rankB : a.line < b.line;
  });
}

class ProgramChecker {
 public:
  ProgramChecker(platform::Files& files, platform::Host& host) : files_(files), host_(host) {}

  CheckResult Check(const std::vector<std::string>& args) {
    programFolder_ = shell::FolderOf(host_.ProgramPath(), files_.PathSeparator());
    ReadSettings();
    // The file name keeps the case it was given, so findings name the file
    // as the user wrote it; where names ignore case, it is the same file a
    // run opens under its upper-cased name.
    const shell::CommandLine line = shell::ScanCommandLine(args, true);
    if (line.resident) {
      CheckHotkeyFile(line.fileName.empty() ? ProgramFile(shell::kHotkeyFileName) : line.fileName);
    } else if (!line.fileName.empty()) {
      CheckTopMacro(line.fileName);
    } else {
      CheckMenuMode();
    }
    if (!result_.failure.empty()) {
      result_.exitCode = 1;
      return std::move(result_);
    }
    SortByPlace(result_.findings, fileOrder_);
    result_.exitCode = result_.findings.empty() ? 0 : 2;
    return std::move(result_);
  }

 private:
  void NoteRead(const std::string& file) {
    if (std::find(fileOrder_.begin(), fileOrder_.end(), file) == fileOrder_.end()) fileOrder_.push_back(file);
  }
  void NoteRead(const LoadedMacro& macro) {
    for (const std::string& file : macro.fileNames) NoteRead(file);
  }

  std::string ProgramFile(std::string_view name) { return files_.ProgramFile(programFolder_, name); }

  void Report(const std::string& file, int line, Severity severity, Code code, std::string message) {
    result_.findings.push_back({file, line, severity, code, std::move(message)});
  }

  // The options a run would read; without the file, the defaults (a run
  // would refuse to start, which is no fault of the macro).
  void ReadSettings() {
    const std::string options = ProgramFile(shell::kOptionsFileName);
    platform::ReadResult read = files_.ReadFile(options, kMaxTextFileBytes);
    if (read.status == platform::ReadStatus::kOk) settings_ = shell::ReadOptions(read.bytes, [] {});
  }

  std::optional<std::string> ReadWhole(const std::string& fileName) {
    platform::ReadResult read = files_.ReadFile(fileName, kMaxTextFileBytes);
    if (read.status != platform::ReadStatus::kOk) {
      result_.failure = fileName + (read.status == platform::ReadStatus::kNotFound ? " does not exist"
                                                                                    : " cannot be read");
      return std::nullopt;
    }
    return std::move(read.bytes);
  }

  void CheckLoaded(const LoadedMacro& macro, const Declarations& declarations) {
    NoteRead(macro);
    CheckMacro(macro, RuleContext{settings_, declarations}, result_.findings);
  }

  // ---- file mode -------------------------------------------------------

  void CheckMacroFile(const std::string& fileName) {
    if (!checkedFiles_.insert(fileName).second) return;
    Declarations declarations;
    LoadedMacro macro;
    MacroReader(files_, declarations, result_.findings).ReadFile(macro, fileName);
    CheckLoaded(macro, declarations);
  }

  void CheckTopMacro(const std::string& fileName) {
    if (!files_.FileExists(fileName)) {
      result_.failure = fileName + " does not exist";
      return;
    }
    CheckMacroFile(fileName);
  }

  // ---- resident mode ---------------------------------------------------

  static bool IsHotkeyLine(std::string_view line) {
    return line.size() >= 7 && sjis::AnsiUpper(line.substr(0, 7)) == "HOTKEY=";
  }

  void CheckHotkeyFile(const std::string& fileName) {
    NoteRead(fileName);
    std::optional<std::string> bytes = ReadWhole(fileName);
    if (!bytes) return;
    const shell::HotkeyFile parsed = shell::ParseHotkeyFile(*bytes);
    const NumberedLines lines = NumberLines(*bytes);
    // Where each entry's "hotkey=" line is, and each macro line's number.
    std::vector<int> entryLines;
    std::vector<int> macroLineNumbers;
    for (const auto& [number, text] : lines) {
      if (IsHotkeyLine(text)) {
        entryLines.push_back(number);
        if (entryLines.size() == static_cast<size_t>(shell::kMaxHotkeyEntries) + 1) {
          Report(fileName, number, Severity::kWarning, Code::kPastLimit,
                 "the hotkey file holds at most " + std::to_string(shell::kMaxHotkeyEntries) +
                     " hotkeys: this one and everything after it are ignored");
        }
      } else {
        macroLineNumbers.push_back(number);
      }
    }
    CheckHotkeyKeys(fileName, parsed, entryLines);
    CheckHotkeyMacros(fileName, parsed, macroLineNumbers);
  }

  void CheckHotkeyKeys(const std::string& fileName, const shell::HotkeyFile& parsed,
                       const std::vector<int>& entryLines) {
    std::map<std::pair<int, uint32_t>, int> taken;  // (key, modifiers) -> line
    if (std::optional<shell::HotkeyDefinition> callUp = shell::MenuCallUpHotkey(settings_.tsrHotkey)) {
      const int code = ParseKeyToken(keyboard_, sjis::AnsiUpper(callUp->keyName));
      if (code >= 0) taken[{KeyIdentity(callUp->keyName, code), shell::HotkeyModifiers(*callUp)}] = 0;
    }
    for (size_t i = 0; i < parsed.entries.size(); ++i) {
      const shell::HotkeyDefinition& entry = parsed.entries[i];
      const int line = entryLines[i];
      if (entry.keyName.rfind(shell::kJoyButtonKey, 0) == 0) continue;
      if (entry.keyName.empty()) {
        Report(fileName, line, Severity::kWarning, Code::kBadHotkey, "hotkey= names no key: this macro never runs");
        continue;
      }
      const int code = ParseKeyToken(keyboard_, entry.keyName);
      if (code < 0) {
        Report(fileName, line, Severity::kError, Code::kBadHotkey,
               "hotkey=" + entry.keyName + ": the key name names no key; the hotkey is not registered");
        continue;
      }
      if (entry.keyName.front() != '[' && sjis::NextChar(entry.keyName, 0) < entry.keyName.size()) {
        Report(fileName, line, Severity::kWarning, Code::kBadHotkey,
               "hotkey=" + entry.keyName + " is read as the key " + entry.keyName.substr(0, sjis::NextChar(entry.keyName, 0)) +
                   "; bracket key names, as in [F5]");
      }
      const auto key = std::make_pair(KeyIdentity(entry.keyName, code), shell::HotkeyModifiers(entry));
      auto [earlier, inserted] = taken.emplace(key, line);
      if (!inserted) {
        Report(fileName, line, Severity::kError, Code::kDuplicateHotkey,
               "hotkey=" + entry.definitionText + ": the same key and modifiers as " +
                   (earlier->second == 0 ? std::string("the options' TSR_hotkey")
                                         : "line " + std::to_string(earlier->second)) +
                   "; its registration fails");
      }
    }
  }

  // Bracketed names of one key share its code; a single character is
  // itself (its code depends on the keyboard layout).
  static int KeyIdentity(std::string_view keyName, int code) {
    if (!keyName.empty() && keyName.front() == '[') return code;
    return 0x10000 + static_cast<unsigned char>(sjis::AnsiUpper(keyName.substr(0, 1)).front());
  }

  // Each hotkey's macro is loaded on its own, as a press loads it;
  // variables outlive a run in resident mode, so a declaration anywhere in
  // the file counts for all.
  void CheckHotkeyMacros(const std::string& fileName, const shell::HotkeyFile& parsed,
                         const std::vector<int>& macroLineNumbers) {
    Declarations declarations;
    std::vector<LoadedMacro> macros(parsed.entries.size());
    for (size_t i = 0; i < parsed.entries.size(); ++i) {
      const auto [first, last] = shell::EntryLineRange(parsed, static_cast<int>(i) + 1);
      NumberedLines lines;
      for (int k = std::max(first, 0); k <= last && k < static_cast<int>(parsed.lines.size()); ++k) {
        lines.emplace_back(macroLineNumbers[static_cast<size_t>(k)], parsed.lines[static_cast<size_t>(k)]);
      }
      MacroReader(files_, declarations, result_.findings).ReadLines(macros[i], fileName, lines);
    }
    for (const LoadedMacro& macro : macros) CheckLoaded(macro, declarations);
  }

  // ---- menu mode -------------------------------------------------------

  void CheckMenuMode() {
    const std::string menuFile = ProgramFile(shell::kDefaultMenuFileName);
    if (!files_.FileExists(menuFile)) {
      result_.failure = menuFile + " does not exist";
      return;
    }
    CheckMenuFile(menuFile, menuFile, 0);
    const std::string listFile = ProgramFile(shell::kListFileName);
    if (files_.FileExists(listFile)) CheckListFile(listFile);
  }

  void CheckListFile(const std::string& listFile) {
    NoteRead(listFile);
    std::optional<std::string> bytes = ReadWhole(listFile);
    if (!bytes) return;
    const std::vector<shell::MenuEntry> pairs = shell::ParseListFile(*bytes);
    for (const shell::MenuEntry& pair : pairs) {
      const int number = pair.macroLine;
      const std::string chosen = shell::ChooseMenuFile("", true, {pair}, pair.caption);
      const std::string path = ProgramFile(chosen);
      if (chosen.empty() || !files_.FileExists(path)) {
        Report(listFile, number, Severity::kError, Code::kMissingMacroFile,
               "the menu file " + path + " does not exist");
      } else {
        CheckMenuFile(path, listFile, number);
      }
    }
    ReportRest(listFile, *bytes, pairs, shell::ParseListFile, "the list file holds at most ",
               " pairs: this one and everything after it are ignored");
  }

  // What a full file leaves unread: another entry parsed from the lines
  // after the last one read is past the limit.
  template <typename Parse>
  void ReportRest(const std::string& fileName, std::string_view bytes, const std::vector<shell::MenuEntry>& read,
                  Parse parse, std::string_view before, std::string_view after) {
    if (read.size() < static_cast<size_t>(shell::kMaxMenuEntries)) return;
    const NumberedLines lines = NumberLines(bytes);
    const size_t at = static_cast<size_t>(read.back().lastLine);  // the index of the line after it
    if (at >= lines.size()) return;
    const size_t offset = static_cast<size_t>(lines[at].second.data() - bytes.data());
    if (parse(bytes.substr(offset)).empty()) return;
    Report(fileName, lines[at].first, Severity::kWarning, Code::kPastLimit,
           std::string(before) + std::to_string(shell::kMaxMenuEntries) + std::string(after));
  }

  void CheckMenuFile(const std::string& menuFile, const std::string& namedIn, int namedAt) {
    if (!checkedFiles_.insert(menuFile).second) return;
    NoteRead(menuFile);
    platform::ReadResult read = files_.ReadFile(menuFile, kMaxTextFileBytes);
    if (read.status != platform::ReadStatus::kOk) {
      Report(namedIn, namedAt, Severity::kError, Code::kMissingMacroFile, "the menu file " + menuFile + " cannot be read");
      return;
    }
    const std::vector<shell::MenuEntry> items = shell::ParseMenuFile(read.bytes);
    for (const shell::MenuEntry& item : items) CheckMenuItem(menuFile, item.macroLine, item);
    ReportRest(menuFile, read.bytes, items, shell::ParseMenuFile, "a menu holds at most ",
               " items: this one and everything after it are ignored");
  }

  void CheckMenuItem(const std::string& menuFile, int line, const shell::MenuEntry& item) {
    const shell::MenuAction action = shell::MenuActionOf(item.macroText, programFolder_);
    if (action.kind == shell::MenuAction::Kind::kStatement) {
      Declarations declarations;
      LoadedMacro macro;
      MacroReader(files_, declarations, result_.findings).ReadLines(macro, menuFile, {{line, action.text}});
      CheckLoaded(macro, declarations);
      return;
    }
    if (!files_.FileExists(action.text)) {
      Report(menuFile, line, Severity::kError, Code::kMissingMacroFile,
             "the menu item " + item.caption + " runs " + action.text + ", which does not exist");
      return;
    }
    CheckMacroFile(action.text);
  }

  platform::Files& files_;
  platform::Host& host_;
  std::string programFolder_;
  Settings settings_;
  NoKeyboard keyboard_;
  std::set<std::string> checkedFiles_;
  std::vector<std::string> fileOrder_;
  CheckResult result_;
};

}  // namespace

CheckResult CheckProgram(platform::Files& files, platform::Host& host, const std::vector<std::string>& args) {
  return ProgramChecker(files, host).Check(args);
}

}  // namespace vendrix::checker
