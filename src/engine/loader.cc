#include "engine/loader.h"

#include "engine/engine.h"
#include "engine/report.h"
#include "engine/tokenizer.h"
#include "values/integer.h"
#include "values/sjis.h"
#include "values/text_lines.h"

namespace vendrix {
namespace {

constexpr size_t npos = std::string_view::npos;

// Raises the include depth for the duration of one file's reading, however
// the reading ends.
class IncludeLevel {
 public:
  explicit IncludeLevel(Engine& engine) : engine_(engine) { ++engine_.run.includeDepth; }
  ~IncludeLevel() { --engine_.run.includeDepth; }
  IncludeLevel(const IncludeLevel&) = delete;
  IncludeLevel& operator=(const IncludeLevel&) = delete;

 private:
  Engine& engine_;
};

void ReportMissing(Engine& engine, const std::string& fileName) {
  AskContinue(engine, fileName + std::string(msg::kFileMissing));
}

void Declare(Engine& engine, std::string_view name) {
  if (engine.variables.Declare(name) < 0) {
    Fatal(engine, std::string(msg::kTooManyVariables) + std::string(name));
  }
}

void DeclarePiece(Engine& engine, std::string_view piece) {
  size_t open = sjis::FindAtCharBoundary(piece, "[");
  size_t close = sjis::FindAtCharBoundary(piece, "]");
  if (open == npos || close == npos || close < open) {
    Declare(engine, piece);
    return;
  }
  int32_t bound = IntegerValue(piece.substr(open + 1, close - open - 1), 9);
  if (bound < 0) return;
  if (bound > kMaxDimBound) {
    Fatal(engine, std::string(msg::kDimTooLarge) + std::string(piece));
  }
  std::string base(piece.substr(0, open));
  for (int32_t k = 0; k <= bound; ++k) Declare(engine, base + "[" + std::to_string(k) + "]");
}

void DeclareAll(Engine& engine, std::string_view rest) {
  for (std::string_view piece : DimPieces(rest)) DeclarePiece(engine, piece);
}

// Adds one entry to the loaded macro, within the bounds of a loaded macro.
void AddEntry(Engine& engine, std::string_view text) {
  RunState& run = engine.run;
  run.loadedBytes += text.size();
  if (run.statements.size() >= run.lineLimit || run.loadedBytes > kMaxLoadedBytes) {
    Fatal(engine, std::string(msg::kMacroTooLong) + run.macroFileName);
  }
  run.statements.Append(std::string(text), engine.builtins.findStatement, run.loadingPlace);
}

void Include(Engine& engine, std::string_view rest) {
  if (engine.run.includeDepth > kIncludeLimit) Fatal(engine, msg::kIncludeTooDeep);
  LoadMacroFile(engine, IncludeFileName(rest));
}

}  // namespace

std::string RemoveComment(std::string_view line) {
  // Semicolons are looked for before the first zero byte only; the line is
  // walked once, however many doubled semicolons it holds.
  const std::string_view searchable = sjis::UpToNul(line);
  std::string result;
  size_t start = 0;
  while (start < line.size()) {
    size_t semicolon = sjis::FindInClean(searchable, ";", start, false);
    if (semicolon == npos) {
      result.append(line.substr(start));
      break;
    }
    if (semicolon + 1 < line.size() && line[semicolon + 1] == ';') {
      result.append(line.substr(start, semicolon + 1 - start));
      start = semicolon + 2;
      continue;
    }
    result.append(line.substr(start, semicolon - start));
    break;
  }
  return result;
}

std::string IncludeFileName(std::string_view rest) {
  if (rest.empty() || rest.front() != '"') return std::string(rest);
  size_t close = sjis::FindAtCharBoundary(rest, "\"", 1);
  if (close == npos) return {};
  return std::string(rest.substr(1, close - 1));
}

std::vector<std::string_view> DimPieces(std::string_view rest) {
  // The line is walked once, however many names it holds.
  const std::string_view names = sjis::UpToNul(rest);
  std::vector<std::string_view> pieces;
  size_t start = 0;
  while (start < names.size()) {
    size_t space = sjis::FindInClean(names, " ", start, false);
    if (space == npos) space = names.size();
    std::string_view piece = names.substr(start, space - start);
    if (!piece.empty() && piece.front() == '%') pieces.push_back(piece);
    start = space + 1;
  }
  return pieces;
}

SourceLine ReadSourceLine(std::string_view uncommented) {
  SourceLine source;
  source.text = TrimView(uncommented);
  if (source.text.empty()) return source;
  size_t space = sjis::FindAtCharBoundary(source.text, " ");
  std::string word = sjis::AnsiUpper(source.text.substr(0, space));
  source.rest = space == npos ? std::string_view() : TrimView(source.text.substr(space + 1));
  if (word == "ELSE") {
    source.kind = SourceLine::Kind::kElse;
  } else if (word == "ENDIF") {
    source.kind = SourceLine::Kind::kEndIf;
  } else if (word == "INCLUDE") {
    source.kind = SourceLine::Kind::kInclude;
  } else if (word == "DIM") {
    source.kind = SourceLine::Kind::kDim;
  } else {
    source.kind = SourceLine::Kind::kStatement;
  }
  return source;
}

void PreprocessLine(Engine& engine, std::string_view line) {
  std::string uncommented = RemoveComment(line);
  SourceLine source = ReadSourceLine(uncommented);
  switch (source.kind) {
    case SourceLine::Kind::kNothing:
      break;
    case SourceLine::Kind::kElse:
      AddEntry(engine, "ELSE");
      if (!source.rest.empty()) AddEntry(engine, source.rest);
      break;
    case SourceLine::Kind::kEndIf:
      AddEntry(engine, "ENDIF");
      break;
    case SourceLine::Kind::kInclude:
      Include(engine, source.rest);
      break;
    case SourceLine::Kind::kDim:
      DeclareAll(engine, source.rest);
      break;
    case SourceLine::Kind::kStatement:
      AddEntry(engine, source.text);
      break;
  }
}

void LoadMacroFile(Engine& engine, const std::string& fileName) {
  platform::Files& files = engine.platform.files;
  if (!files.FileExists(fileName)) {
    ReportMissing(engine, fileName);
    return;
  }
  platform::ReadResult read = files.ReadFile(fileName, kMaxTextFileBytes);
  if (read.status == platform::ReadStatus::kTooLarge) {
    Fatal(engine, std::string(msg::kMacroTooLarge) + fileName);
  }
  if (read.status != platform::ReadStatus::kOk) {
    ReportMissing(engine, fileName);
    return;
  }
  IncludeLevel level(engine);
  const uint32_t file = engine.run.statements.AddSourceFile(fileName);
  TextLines lines(read.bytes);
  uint32_t number = 0;
  while (std::optional<std::string_view> line = lines.Next()) {
    // Set again for each line: an INCLUDE on the line before moved it.
    engine.run.loadingPlace = SourcePlace{file, ++number};
    PreprocessLine(engine, *line);
  }
}

void LoadMacroLines(Engine& engine, int first, int last) {
  const std::vector<std::string>& lines = engine.hotkeyLines;
  const uint32_t file = engine.run.statements.AddSourceFile(engine.hotkeyFileName);
  for (int i = std::max(first, 0); i <= last && i < static_cast<int>(lines.size()); ++i) {
    const auto index = static_cast<size_t>(i);
    const int number = index < engine.hotkeyLineNumbers.size() ? engine.hotkeyLineNumbers[index] : i + 1;
    engine.run.loadingPlace = SourcePlace{file, static_cast<uint32_t>(number)};
    PreprocessLine(engine, lines[static_cast<size_t>(i)]);
  }
}

}  // namespace vendrix
