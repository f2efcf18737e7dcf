// Turning a macro into the statement list.
//
// Every source line passes through PreprocessLine, which removes comments,
// trims, gives ELSE and ENDIF lines entries of their own, declares DIM
// variables at once and expands INCLUDE in place.
#pragma once

#include <string>
#include <string_view>

namespace vendrix {

class Engine;

void LoadMacroFile(Engine& engine, const std::string& fileName);
void LoadMacroLines(Engine& engine, int first, int last);
void PreprocessLine(Engine& engine, std::string_view line);

// The line without its comment: ";" starts one, ";;" stands for ";".
std::string RemoveComment(std::string_view line);

}  // namespace vendrix
