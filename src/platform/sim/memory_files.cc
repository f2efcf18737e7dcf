#include "platform/sim/memory_files.h"

namespace vendrix::sim {
namespace {

bool IsShiftJisLeadByte(unsigned char byte) {
  return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

// Upper-cases ASCII letters but never the second byte of a two-byte
// character, which can look like a letter.
std::string FoldName(std::string_view name) {
  std::string folded(name);
  for (size_t i = 0; i < folded.size(); ++i) {
    const auto byte = static_cast<unsigned char>(folded[i]);
    if (IsShiftJisLeadByte(byte)) {
      ++i;
    } else if (byte >= 'a' && byte <= 'z') {
      folded[i] = static_cast<char>(byte - 'a' + 'A');
    }
  }
  return folded;
}

}  // namespace

void MemoryFiles::Add(std::string_view name, std::string_view bytes) {
  files_.insert_or_assign(FoldName(name), std::string(bytes));
}

std::optional<std::string> MemoryFiles::Get(std::string_view name) const {
  const auto file = files_.find(FoldName(name));
  if (file == files_.end()) return std::nullopt;
  return file->second;
}

void MemoryFiles::FailReadsOf(std::string_view name) { unreadable_.insert(FoldName(name)); }

void MemoryFiles::FailWritesOf(std::string_view name) { unwritable_.insert(FoldName(name)); }

// A folder exists when some file lies inside it.
bool MemoryFiles::FileExists(std::string_view name) {
  const std::string folded = FoldName(name);
  if (unreadable_.count(folded) != 0 || files_.count(folded) != 0) return true;
  if (folded.empty()) return false;
  const std::string folder = folded.back() == '\\' ? folded : folded + '\\';
  const auto next = files_.lower_bound(folder);
  return next != files_.end() && next->first.compare(0, folder.size(), folder) == 0;
}

platform::ReadResult MemoryFiles::ReadFile(std::string_view name, size_t maxBytes) {
  const std::string folded = FoldName(name);
  if (unreadable_.count(folded) != 0) return {platform::ReadStatus::kUnreadable, {}};
  const auto file = files_.find(folded);
  if (file == files_.end()) return {platform::ReadStatus::kNotFound, {}};
  if (file->second.size() > maxBytes) return {platform::ReadStatus::kTooLarge, {}};
  return {platform::ReadStatus::kOk, file->second};
}

bool MemoryFiles::WriteFile(std::string_view name, std::string_view bytes) {
  const std::string folded = FoldName(name);
  if (unwritable_.count(folded) != 0) return false;
  files_.insert_or_assign(folded, std::string(bytes));
  return true;
}

}  // namespace vendrix::sim
