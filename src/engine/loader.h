// Turning a macro into the statement list.
//
// Every source line passes through PreprocessLine, which removes comments,
// trims, gives ELSE and ENDIF lines entries of their own, declares DIM
// variables at once and expands INCLUDE in place.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace vendrix {

class Engine;

void LoadMacroFile(Engine& engine, const std::string& fileName);
void LoadMacroLines(Engine& engine, int first, int last);
void PreprocessLine(Engine& engine, std::string_view line);

// What the loader makes of one line, its comment removed: nothing (a blank
// line), one of its four words, or a statement.  `text` is the trimmed line,
// `rest` what follows its first word, trimmed.
struct SourceLine {
  enum class Kind { kNothing, kStatement, kElse, kEndIf, kInclude, kDim };
  Kind kind = Kind::kNothing;
  std::string_view text;
  std::string_view rest;
};
SourceLine ReadSourceLine(std::string_view uncommented);

// The file an INCLUDE names: a quoted name up to its closing quote (empty
// without one), or the whole rest, inner spaces included.
std::string IncludeFileName(std::string_view rest);

// The pieces of a DIM line that declare something (those beginning "%"),
// cut at single spaces.
std::vector<std::string_view> DimPieces(std::string_view rest);

// The line without its comment: ";" starts one, ";;" stands for ";".
std::string RemoveComment(std::string_view line);

}  // namespace vendrix
