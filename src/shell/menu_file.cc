#include "shell/menu_file.h"

#include "values/text_lines.h"
#include "values/sjis.h"

namespace vendrix::shell {
namespace {

constexpr size_t npos = std::string_view::npos;

// Collects caption / macro text pairs line by line.
class EntryBuilder {
 public:
  // Takes one prepared line, the file's line `number`; false once the list
  // is full.
  bool Take(std::string_view line, int number) {
    if (line.empty()) return true;
    // Neither half is ever empty: a caption line has a character after its
    // ":", and empty lines are skipped.
    if (line.size() > 1 && line[0] == ':') {
      caption_ = line.substr(1);
    } else {
      macroText_ = line;
      macroLine_ = number;
    }
    if (!caption_.empty() && !macroText_.empty()) {
      entries_.push_back({std::move(caption_), std::move(macroText_), macroLine_, number});
      caption_.clear();
      macroText_.clear();
    }
    return entries_.size() < static_cast<size_t>(kMaxMenuEntries);
  }

  std::vector<MenuEntry> Finish() && { return std::move(entries_); }

 private:
  std::vector<MenuEntry> entries_;
  std::string caption_;
  std::string macroText_;
  int macroLine_ = 0;
};

std::string_view WithoutComment(std::string_view line) {
  const size_t semicolon = sjis::FindAtCharBoundary(line, ";");
  return semicolon == npos ? line : line.substr(0, semicolon);
}

// The second character is ":", judged by characters.
bool SecondCharIsColon(std::string_view text) {
  const size_t second = sjis::NextChar(text, 0);
  return second < text.size() && text[second] == ':';
}

bool IsFolderSeparator(char c) { return c == '\\' || c == '/' || c == ':'; }

}  // namespace

std::vector<MenuEntry> ParseMenuFile(std::string_view bytes) {
  EntryBuilder builder;
  TextLines lines(bytes);
  int number = 0;
  while (auto line = lines.Next()) {
    if (!builder.Take(sjis::JTrim(WithoutComment(*line)), ++number)) break;
  }
  return std::move(builder).Finish();
}

std::vector<MenuEntry> ParseListFile(std::string_view bytes) {
  EntryBuilder builder;
  TextLines lines(bytes);
  int number = 0;
  while (auto line = lines.Next()) {
    if (!builder.Take(*line, ++number)) break;
  }
  return std::move(builder).Finish();
}

MenuAction MenuActionOf(std::string_view macroText, std::string_view programFolder) {
  const std::string_view text = sjis::UpToNul(macroText);
  if (text.starts_with("__")) return {MenuAction::Kind::kStatement, std::string(text.substr(2))};
  if (sjis::FindAtCharBoundary(text, ":\\") != npos || SecondCharIsColon(text)) {
    return {MenuAction::Kind::kFile, std::string(text)};
  }
  std::string path(programFolder);
  path += text;
  return {MenuAction::Kind::kFile, std::move(path)};
}

const MenuEntry* FindMenuEntry(const std::vector<MenuEntry>& entries, std::string_view caption) {
  for (const MenuEntry& entry : entries) {
    if (entry.caption == caption) return &entry;
  }
  return nullptr;
}

std::string ChooseMenuFile(std::string_view givenName, bool menuChange, const std::vector<MenuEntry>& switchList,
                           std::string_view foregroundTitle) {
  const std::string_view name = sjis::UpToNul(givenName);
  if (!name.empty()) {
    size_t fileStart = 0;
    for (size_t pos = 0; pos < name.size(); pos = sjis::NextChar(name, pos)) {
      if (!sjis::IsLeadByteAt(name, pos) && IsFolderSeparator(name[pos])) fileStart = pos + 1;
    }
    return std::string(name.substr(fileStart));
  }
  if (menuChange) {
    for (const MenuEntry& pair : switchList) {
      if (sjis::JPos(pair.caption, foregroundTitle) > 0) return pair.macroText;
    }
  }
  return std::string(kDefaultMenuFileName);
}

}  // namespace vendrix::shell
