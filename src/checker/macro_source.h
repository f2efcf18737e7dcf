// A macro as the program would load it, for checking: the loader's own
// reading of each line (comments, ELSE and ENDIF, INCLUDE, DIM), with where
// every loaded line came from.  Nothing is run and nothing is declared in a
// real variable table; the names DIM declares are collected instead.
#pragma once

#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "checker/findings.h"
#include "engine/statement_list.h"
#include "platform/platform.h"
#include "values/variables.h"

namespace vendrix::checker {

// Where a loaded line was written.
struct LineOrigin {
  size_t file = 0;  // index into LoadedMacro::fileNames
  int line = 0;     // 1-based
  // Columns of the line's indentation with tab stops of 4 and of 8: an
  // indentation differs from another only when it does under both.
  int indent4 = 0;
  int indent8 = 0;
};

struct LoadedMacro {
  StatementList statements;
  std::vector<LineOrigin> origins;  // one per statement
  std::vector<std::string> fileNames;
};

// The variables DIM declares, and the system variables.
class Declarations {
 public:
  void Declare(std::string_view piece);  // one DIM piece, "%a" or "%a[3]"
  // True when a reference "%name" or "%base[index]" names a variable.
  bool Declared(std::string_view reference) const;

 private:
  std::set<std::string, std::less<>> names_;   // upper-cased
  std::set<std::string, std::less<>> arrays_;  // upper-cased bases
  VariableTable system_;                        // holds the system variables
};

// Reads macros the way the loader does.  Findings of the reading itself
// (an INCLUDE that cannot be read or nests too deep, a ";" that cuts a key
// text) go to `findings`.
class MacroReader {
 public:
  MacroReader(platform::Files& files, Declarations& declarations, Findings& findings)
      : files_(files), declarations_(declarations), findings_(findings) {}

  // A macro file that exists (the caller has checked), read as a run reads it.
  void ReadFile(LoadedMacro& macro, const std::string& fileName);
  // Lines held elsewhere (the hotkey file's), each with its line number in
  // `fileName`; read at depth 0, as resident mode reads them.
  void ReadLines(LoadedMacro& macro, const std::string& fileName,
                 const std::vector<std::pair<int, std::string_view>>& lines);

 private:
  struct Place {
    size_t file;
    int line;
  };
  void ReadFileAt(LoadedMacro& macro, const std::string& fileName, int depth, const Place* includedFrom);
  void ReadLine(LoadedMacro& macro, std::string_view line, const Place& place, int depth);
  void Add(LoadedMacro& macro, std::string_view text, const Place& place, std::string_view rawLine);
  void Report(const LoadedMacro& macro, const Place& place, Code code, std::string message);

  platform::Files& files_;
  Declarations& declarations_;
  Findings& findings_;
};

// The indentation columns of a raw line.
void MeasureIndent(std::string_view rawLine, LineOrigin& origin);

}  // namespace vendrix::checker
