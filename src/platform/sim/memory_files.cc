#include "platform/sim/memory_files.h"

#include <algorithm>
#include <utility>
#include <vector>

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

// The folded name without a final '\\', as folders are kept.
std::string FolderKey(std::string folded) {
  if (!folded.empty() && folded.back() == '\\') folded.pop_back();
  return folded;
}

// The folded name's folder, or nothing for a name without one.
std::optional<std::string> ParentOf(const std::string& folded) {
  const std::string key = FolderKey(folded);
  size_t slash = std::string::npos;
  for (size_t i = 0; i < key.size(); ++i) {
    if (IsShiftJisLeadByte(static_cast<unsigned char>(key[i]))) {
      ++i;
    } else if (key[i] == '\\') {
      slash = i;
    }
  }
  if (slash == std::string::npos) return std::nullopt;
  return key.substr(0, slash);
}

bool IsDriveRoot(const std::string& key) { return key.size() == 2 && key[1] == ':'; }

bool StartsWith(const std::string& text, const std::string& prefix) {
  return text.compare(0, prefix.size(), prefix) == 0;
}

bool Failed(std::string* reason, std::string_view words) {
  if (reason != nullptr) *reason = std::string(words);
  return false;
}

}  // namespace

// A stream over one memory file; it writes straight into the file.
class MemoryStream final : public platform::FileStream {
 public:
  MemoryStream(MemoryFiles& files, std::string folded, platform::StreamMode mode)
      : files_(files), folded_(std::move(folded)), mode_(mode) {
    ++files_.openStreams_;
  }
  ~MemoryStream() override {
    if (open_) --files_.openStreams_;
  }
  MemoryStream(const MemoryStream&) = delete;
  MemoryStream& operator=(const MemoryStream&) = delete;

  bool Read(char* buffer, size_t size, size_t* got, std::string* reason) override {
    if (mode_ != platform::StreamMode::kRead) return Failed(reason, kReasonAccessDenied);
    const auto file = files_.files_.find(folded_);
    const size_t length = file == files_.files_.end() ? 0 : file->second.size();
    *got = position_ < length ? std::min(size, length - position_) : 0;
    if (*got > 0) file->second.copy(buffer, *got, position_);
    position_ += *got;
    return true;
  }

  bool Write(std::string_view bytes, std::string* reason) override {
    if (mode_ == platform::StreamMode::kRead) return Failed(reason, kReasonAccessDenied);
    return files_.Append(folded_, bytes, reason);
  }

  bool Sync(std::string*) override { return true; }

  bool Close(std::string*) override {
    if (open_) --files_.openStreams_;
    open_ = false;
    return true;
  }

 private:
  MemoryFiles& files_;
  std::string folded_;
  platform::StreamMode mode_;
  size_t position_ = 0;
  bool open_ = true;
};

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

bool MemoryFiles::FileExists(std::string_view name) { return KindOf(name) == platform::EntryKind::kFile; }

platform::ReadResult MemoryFiles::ReadFile(std::string_view name, size_t maxBytes) {
  const std::string folded = FoldName(name);
  if (Blocked(folded)) return {platform::ReadStatus::kUnreadable, {}, std::string(kReasonInUse)};
  if (unreadable_.count(folded) != 0) return {platform::ReadStatus::kUnreadable, {}, std::string(kReasonAccessDenied)};
  const auto file = files_.find(folded);
  if (file == files_.end()) return {platform::ReadStatus::kNotFound, {}, std::string(kReasonFileNotFound)};
  if (file->second.size() > maxBytes) return {platform::ReadStatus::kTooLarge, {}, {}};
  return {platform::ReadStatus::kOk, file->second, {}};
}

bool MemoryFiles::WriteFile(std::string_view name, std::string_view bytes) {
  const std::string folded = FoldName(name);
  if (unwritable_.count(folded) != 0) return false;
  files_.insert_or_assign(folded, std::string(bytes));
  return true;
}

void MemoryFiles::Lock(std::string_view name) { locked_.insert(FoldName(name)); }

bool MemoryFiles::FolderExists(const std::string& folded) const {
  const std::string key = FolderKey(folded);
  if (key.empty()) return false;
  if (folders_.count(key) != 0) return true;
  const std::string inside = key + '\\';
  const auto file = files_.lower_bound(inside);
  if (file != files_.end() && StartsWith(file->first, inside)) return true;
  const auto folder = folders_.lower_bound(inside);
  return folder != folders_.end() && StartsWith(*folder, inside);
}

// A name without a folder lies in the current one, which always exists.
bool MemoryFiles::ParentExists(const std::string& folded) const {
  const std::optional<std::string> parent = ParentOf(folded);
  return !parent || IsDriveRoot(*parent) || FolderExists(*parent);
}

bool MemoryFiles::Blocked(const std::string& folded) const { return locked_.count(folded) != 0; }

bool MemoryFiles::TakeSpace(size_t bytes) {
  if (!freeSpace_) return true;
  if (bytes > *freeSpace_) return false;
  *freeSpace_ -= bytes;
  return true;
}

bool MemoryFiles::Append(const std::string& folded, std::string_view bytes, std::string* reason) {
  if (!TakeSpace(bytes.size())) return Failed(reason, kReasonDiskFull);
  files_[folded].append(bytes);
  return true;
}

bool MemoryFiles::SaveFile(std::string_view name, std::string_view bytes, std::string* reason) {
  const std::string folded = FoldName(name);
  if (!ParentExists(folded)) return Failed(reason, kReasonPathNotFound);
  if (Blocked(folded)) return Failed(reason, kReasonInUse);
  if (unwritable_.count(folded) != 0 || FolderExists(folded)) return Failed(reason, kReasonAccessDenied);
  if (!TakeSpace(bytes.size())) return Failed(reason, kReasonDiskFull);
  files_.insert_or_assign(folded, std::string(bytes));
  return true;
}

std::unique_ptr<platform::FileStream> MemoryFiles::OpenStream(std::string_view name, platform::StreamMode mode,
                                                               std::string* reason) {
  const std::string folded = FoldName(name);
  const bool reading = mode == platform::StreamMode::kRead;
  const bool exists = files_.count(folded) != 0 || unreadable_.count(folded) != 0;
  std::string_view failure;
  if (!ParentExists(folded)) {
    failure = kReasonPathNotFound;
  } else if (Blocked(folded)) {
    failure = kReasonInUse;
  } else if (reading && !exists) {
    failure = FolderExists(folded) ? kReasonAccessDenied : kReasonFileNotFound;
  } else if (FolderExists(folded) || (reading ? unreadable_ : unwritable_).count(folded) != 0) {
    failure = kReasonAccessDenied;
  }
  if (!failure.empty()) {
    Failed(reason, failure);
    return nullptr;
  }
  if (mode == platform::StreamMode::kWrite) files_.insert_or_assign(folded, std::string());
  if (mode == platform::StreamMode::kAppend) files_.try_emplace(folded);
  return std::make_unique<MemoryStream>(*this, folded, mode);
}

platform::EntryKind MemoryFiles::KindOf(std::string_view name) {
  const std::string folded = FoldName(name);
  if (files_.count(folded) != 0 || unreadable_.count(folded) != 0) return platform::EntryKind::kFile;
  return FolderExists(folded) ? platform::EntryKind::kFolder : platform::EntryKind::kMissing;
}

std::optional<uint64_t> MemoryFiles::FileSize(std::string_view name) {
  const auto file = files_.find(FoldName(name));
  if (file == files_.end()) return std::nullopt;
  return file->second.size();
}

bool MemoryFiles::Copy(std::string_view from, std::string_view to, bool overwrite) {
  const std::string source = FoldName(from);
  const std::string target = FoldName(to);
  const auto file = files_.find(source);
  if (file == files_.end() || unreadable_.count(source) != 0 || Blocked(source) || Blocked(target)) return false;
  if (source == target || FolderExists(target) || !ParentExists(target) || unwritable_.count(target) != 0) return false;
  if (files_.count(target) != 0 && !overwrite) return false;
  if (!TakeSpace(file->second.size())) return false;
  std::string bytes = file->second;
  files_.insert_or_assign(target, std::move(bytes));
  return true;
}

bool MemoryFiles::Delete(std::string_view name) {
  const std::string folded = FoldName(name);
  if (Blocked(folded)) return false;
  unreadable_.erase(folded);
  return files_.erase(folded) != 0;
}

bool MemoryFiles::Move(std::string_view from, std::string_view to) {
  const std::string source = FolderKey(FoldName(from));
  const std::string target = FolderKey(FoldName(to));
  if (Blocked(source) || KindOf(to) != platform::EntryKind::kMissing || !ParentExists(target)) return false;
  if (const auto file = files_.find(source); file != files_.end()) {
    std::string bytes = std::move(file->second);
    files_.erase(file);
    files_.insert_or_assign(target, std::move(bytes));
    return true;
  }
  if (!FolderExists(source) || StartsWith(target, source + '\\')) return false;
  // A folder: everything below it moves along.
  const std::string inside = source + '\\';
  std::vector<std::pair<std::string, std::string>> moved;
  for (auto file = files_.lower_bound(inside); file != files_.end() && StartsWith(file->first, inside);) {
    moved.emplace_back(target + file->first.substr(source.size()), std::move(file->second));
    file = files_.erase(file);
  }
  for (auto& [name, bytes] : moved) files_.insert_or_assign(name, std::move(bytes));
  std::vector<std::string> folders;
  for (auto folder = folders_.lower_bound(source); folder != folders_.end();) {
    if (*folder != source && !StartsWith(*folder, inside)) break;
    folders.push_back(target + folder->substr(source.size()));
    folder = folders_.erase(folder);
  }
  folders_.insert(folders.begin(), folders.end());
  folders_.insert(target);
  return true;
}

bool MemoryFiles::CreateFolder(std::string_view name) {
  const std::string key = FolderKey(FoldName(name));
  if (key.empty() || KindOf(key) != platform::EntryKind::kMissing || !ParentExists(key)) return false;
  folders_.insert(key);
  return true;
}

bool MemoryFiles::RemoveFolder(std::string_view name) {
  const std::string key = FolderKey(FoldName(name));
  const std::string inside = key + '\\';
  const auto file = files_.lower_bound(inside);
  const auto folder = folders_.lower_bound(inside);
  const bool empty = (file == files_.end() || !StartsWith(file->first, inside)) &&
                     (folder == folders_.end() || !StartsWith(*folder, inside));
  return empty && folders_.erase(key) != 0;
}

}  // namespace vendrix::sim
