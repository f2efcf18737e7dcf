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

// The lines of a macro file's bytes: up to a Ctrl-Z; split at CR (an LF
// right after it belongs to the line end), or at LF in a file without any
// CR.  A zero byte ends its line's text.
std::vector<std::string_view> SplitMacroLines(std::string_view bytes);

// The line without its comment: ";" starts one, ";;" stands for ";".
std::string RemoveComment(std::string_view line);

}  // namespace vendrix
