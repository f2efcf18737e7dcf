#include "recorder/saving.h"

#include <array>
#include <cstdio>

#include "values/messages.h"
#include "values/sjis.h"

namespace vendrix::recorder {
namespace {

// Menu files are small; anything larger is not one of ours.
constexpr size_t kMaxMenuFileBytes = 4u << 20;

std::string TwoDigits(int value) {
  std::array<char, 8> text{};
  std::snprintf(text.data(), text.size(), "%02d", value);
  return text.data();
}

bool IsReservedDeviceName(std::string_view name) {
  std::string stem = sjis::AnsiUpper(name.substr(0, name.find('.')));
  for (std::string_view reserved : {"CON", "PRN", "AUX", "NUL"}) {
    if (stem == reserved) return true;
  }
  return stem.size() == 4 && (stem.starts_with("COM") || stem.starts_with("LPT")) && stem[3] >= '1' &&
         stem[3] <= '9';
}

// The first character (one or two bytes) that no file name may hold, or
// that the menu file would read differently.
std::optional<std::string> ForbiddenCharacter(std::string_view name) {
  constexpr std::string_view kForbidden = "\\/:*?\"<>|;";
  for (size_t at = 0; at < name.size(); at = sjis::NextChar(name, at)) {
    unsigned char byte = static_cast<unsigned char>(name[at]);
    if (sjis::IsLeadByteAt(name, at)) continue;
    if (byte < 0x20 || kForbidden.find(static_cast<char>(byte)) != std::string_view::npos) {
      return std::string(name.substr(at, 1));
    }
  }
  return std::nullopt;
}

SaveResult Failed(std::string_view path, std::string_view reason) {
  std::string message(path);
  message += msg::kRecorderCannotWrite;
  message += reason;
  message += msg::kRecorderCannotWriteEnd;
  return SaveResult{SaveOutcome::kFailed, std::move(message)};
}

}  // namespace

// Texts are built by appending: GCC 12 warns falsely (-Wrestrict) about
// "literal" + std::string chains in optimised builds.
std::string DefaultMacroName(const LocalTime& now) {
  std::string name = "rec-";
  name += std::to_string(now.year);
  name += TwoDigits(now.month);
  name += TwoDigits(now.day);
  name += '-';
  name += TwoDigits(now.hour);
  name += TwoDigits(now.minute);
  name += TwoDigits(now.second);
  name += ".mac";
  return name;
}

std::string RecordedAt(const LocalTime& now) {
  std::string text = std::to_string(now.year);
  text += '/';
  text += TwoDigits(now.month);
  text += '/';
  text += TwoDigits(now.day);
  text += ' ';
  text += TwoDigits(now.hour);
  text += ':';
  text += TwoDigits(now.minute);
  return text;
}

std::string DefaultCaption(const LocalTime& now) {
  std::string caption(msg::kRecorderDefaultCaption);
  caption += RecordedAt(now);
  return caption;
}

std::optional<std::string> MacroFileName(std::string_view typed, std::string* problem) {
  std::string name = sjis::JTrim(typed);
  if (name.empty()) {
    *problem = std::string(msg::kRecorderNameEmpty);
    return std::nullopt;
  }
  if (std::optional<std::string> bad = ForbiddenCharacter(name)) {
    *problem = std::string(msg::kRecorderNameBadCharacter) + *bad;
    return std::nullopt;
  }
  if (name.find('.') == std::string::npos) name += ".mac";
  if (name.starts_with("__") || name.back() == '.' || name.front() == '.' || IsReservedDeviceName(name)) {
    *problem = std::string(msg::kRecorderNameReserved) + name;
    return std::nullopt;
  }
  return name;
}

std::optional<std::string> MenuCaption(std::string_view typed, std::string* problem) {
  std::string caption = sjis::JTrim(typed);
  if (caption.empty()) {
    *problem = std::string(msg::kRecorderCaptionEmpty);
    return std::nullopt;
  }
  for (size_t at = 0; at < caption.size(); at = sjis::NextChar(caption, at)) {
    char c = caption[at];
    if (!sjis::IsLeadByteAt(caption, at) && (c == ';' || c == '\r' || c == '\n')) {
      *problem = std::string(msg::kRecorderCaptionBad);
      return std::nullopt;
    }
  }
  return caption;
}

std::string WithMenuItem(std::string_view menuBytes, std::string_view caption, std::string_view macroFile) {
  std::string bytes(menuBytes);
  if (!bytes.empty() && bytes.back() != '\n') bytes += "\r\n";
  bytes += ':';
  bytes += caption;
  bytes += "\r\n";
  bytes += macroFile;
  bytes += "\r\n";
  return bytes;
}

SaveResult SaveMacro(platform::Files& files, std::string_view folder, std::string_view name,
                     std::string_view macroText, bool overwrite) {
  std::string path = std::string(folder) + std::string(name);
  platform::EntryKind kind = files.KindOf(path);
  if (kind == platform::EntryKind::kFolder) return Failed(path, msg::kLockFolder);
  if (kind == platform::EntryKind::kFile && !overwrite) return SaveResult{SaveOutcome::kExists, {}};
  std::string reason;
  if (!files.SaveFile(path, macroText, &reason)) return Failed(path, reason);
  return {};
}

SaveResult AddMenuItem(platform::Files& files, std::string_view folder, std::string_view menuFile,
                       std::string_view caption, std::string_view macroName) {
  std::string path = files.ProgramFile(folder, menuFile);
  std::string current;
  switch (files.KindOf(path)) {
    case platform::EntryKind::kFolder:
      return Failed(path, msg::kLockFolder);
    case platform::EntryKind::kFile: {
      platform::ReadResult read = files.ReadFile(path, kMaxMenuFileBytes);
      if (read.status != platform::ReadStatus::kOk) return Failed(path, read.reason);
      current = std::move(read.bytes);
      break;
    }
    case platform::EntryKind::kMissing:
      break;
  }
  std::string reason;
  if (!files.SaveFile(path, WithMenuItem(current, caption, macroName), &reason)) return Failed(path, reason);
  return {};
}

}  // namespace vendrix::recorder
