#include "checker/macro_source.h"

#include "builtins/dispatch.h"
#include "engine/engine.h"
#include "engine/loader.h"
#include "values/integer.h"
#include "values/sjis.h"
#include "values/text_lines.h"

namespace vendrix::checker {
namespace {

constexpr size_t npos = std::string_view::npos;

// True when the loader cut a comment off the line right after a character
// of its text: the ";" was meant as part of the text.
bool CommentGlued(std::string_view rawLine, std::string_view uncommented) {
  if (uncommented == sjis::JReplaceAll(rawLine, ";;", ";")) return false;
  if (uncommented.empty()) return false;
  const unsigned char last = static_cast<unsigned char>(uncommented.back());
  return last > ' ';
}

std::string FirstWordUpper(std::string_view text) {
  return sjis::AnsiUpper(text.substr(0, sjis::FindAtCharBoundary(text, " ")));
}

}  // namespace

void Declarations::Declare(std::string_view piece) {
  const size_t open = sjis::FindAtCharBoundary(piece, "[");
  const size_t close = sjis::FindAtCharBoundary(piece, "]");
  if (open == npos || close == npos || close < open) {
    names_.insert(sjis::AnsiUpper(piece));
    return;
  }
  if (IntegerValue(piece.substr(open + 1, close - open - 1), 9) < 0) return;
  arrays_.insert(sjis::AnsiUpper(piece.substr(0, open)));
}

bool Declarations::Declared(std::string_view reference) const {
  const std::string upper = sjis::AnsiUpper(reference);
  if (names_.count(upper) != 0 || system_.Find(upper) >= 0) return true;
  const size_t open = sjis::FindAtCharBoundary(upper, "[");
  return open != npos && arrays_.count(std::string_view(upper).substr(0, open)) != 0;
}

void MeasureIndent(std::string_view rawLine, LineOrigin& origin) {
  origin.indent4 = origin.indent8 = 0;
  for (char c : rawLine) {
    if (c == ' ') {
      ++origin.indent4;
      ++origin.indent8;
    } else if (c == '\t') {
      origin.indent4 += 4 - origin.indent4 % 4;
      origin.indent8 += 8 - origin.indent8 % 8;
    } else {
      break;
    }
  }
}

void MacroReader::ReadFile(LoadedMacro& macro, const std::string& fileName) {
  ReadFileAt(macro, fileName, 0, nullptr);
}

void MacroReader::ReadLines(LoadedMacro& macro, const std::string& fileName,
                            const std::vector<std::pair<int, std::string_view>>& lines) {
  macro.fileNames.push_back(fileName);
  const size_t file = macro.fileNames.size() - 1;
  for (const auto& [number, text] : lines) ReadLine(macro, text, Place{file, number}, 0);
}

void MacroReader::Report(const LoadedMacro& macro, const Place& place, Code code, std::string message) {
  findings_.push_back({macro.fileNames[place.file], place.line, Severity::kError, code, std::move(message)});
}

void MacroReader::ReadFileAt(LoadedMacro& macro, const std::string& fileName, int depth,
                             const Place* includedFrom) {
  platform::ReadResult read = files_.ReadFile(fileName, kMaxTextFileBytes);
  if (read.status != platform::ReadStatus::kOk) {
    if (includedFrom != nullptr) {
      const char* why = read.status == platform::ReadStatus::kNotFound ? " does not exist" : " cannot be read";
      Report(macro, *includedFrom, Code::kIncludeMissing, "INCLUDE: the file " + fileName + why);
    }
    return;
  }
  macro.fileNames.push_back(fileName);
  const size_t file = macro.fileNames.size() - 1;
  TextLines lines(read.bytes);
  int number = 0;
  while (std::optional<std::string_view> line = lines.Next()) ReadLine(macro, *line, Place{file, ++number}, depth + 1);
}

// The loader's step for one line (PreprocessLine), with the place kept.
void MacroReader::ReadLine(LoadedMacro& macro, std::string_view line, const Place& place, int depth) {
  const std::string uncommented = RemoveComment(line);
  const SourceLine source = ReadSourceLine(uncommented);
  switch (source.kind) {
    case SourceLine::Kind::kNothing:
      break;
    case SourceLine::Kind::kElse:
      Add(macro, "ELSE", place, line);
      if (!source.rest.empty()) Add(macro, source.rest, place, line);
      break;
    case SourceLine::Kind::kEndIf:
      Add(macro, "ENDIF", place, line);
      break;
    case SourceLine::Kind::kInclude:
      if (depth > kIncludeLimit) {
        Report(macro, place,  Code::kIncludeTooDeep,
               "INCLUDE nested too deep: a macro file and " + std::to_string(kIncludeLimit) +
                   " levels of INCLUDE below it are the most; the run stops here");
        break;
      }
      ReadFileAt(macro, IncludeFileName(source.rest), depth, &place);
      break;
    case SourceLine::Kind::kDim:
      for (std::string_view piece : DimPieces(source.rest)) declarations_.Declare(piece);
      break;
    case SourceLine::Kind::kStatement:
      if (FirstWordUpper(source.text) == "KEY" && CommentGlued(line, uncommented)) {
        findings_.push_back({macro.fileNames[place.file], place.line, Severity::kWarning, Code::kCommentInKeyText,
                             "the \";\" in this KEY text starts a comment and cuts the text short; write \";;\" "
                             "or [Semicolon] for the key, or a space before a comment"});
      }
      Add(macro, source.text, place, line);
      break;
  }
}

void MacroReader::Add(LoadedMacro& macro, std::string_view text, const Place& place, std::string_view rawLine) {
  macro.statements.Append(std::string(text), FindStatementHandler);
  LineOrigin origin{place.file, place.line};
  MeasureIndent(rawLine, origin);
  macro.origins.push_back(origin);
}

}  // namespace vendrix::checker
