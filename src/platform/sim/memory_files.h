// Files kept in memory, named as on Windows: '\\' separates folders and
// names compare without regard to ASCII letter case.  For tests.
//
// A folder exists when it was created or when something lies inside it.
// Failures give the words a Japanese Windows gives (without the final
// period, as the Windows backend shows them), so that tests see the
// program's messages as a user would.  Wildcards are not expanded.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <string_view>

#include "platform/platform.h"

namespace vendrix::sim {

// The system's words for the failures the memory files imitate.
inline constexpr std::string_view kReasonFileNotFound =
    "\x8E\x77\x92\xE8\x82\xB3\x82\xEA\x82\xBD\x83\x74\x83\x40\x83\x43\x83\x8B\x82\xAA\x8C\xA9\x82\xC2\x82\xA9\x82\xE8"
    "\x82\xDC\x82\xB9\x82\xF1";  // 指定されたファイルが見つかりません
inline constexpr std::string_view kReasonPathNotFound =
    "\x8E\x77\x92\xE8\x82\xB3\x82\xEA\x82\xBD\x83\x70\x83\x58\x82\xAA\x8C\xA9\x82\xC2\x82\xA9\x82\xE8\x82\xDC\x82\xB9"
    "\x82\xF1";  // 指定されたパスが見つかりません
inline constexpr std::string_view kReasonAccessDenied =
    "\x83\x41\x83\x4E\x83\x5A\x83\x58\x82\xAA\x8B\x91\x94\xDB\x82\xB3\x82\xEA\x82\xDC\x82\xB5\x82\xBD";
// アクセスが拒否されました
inline constexpr std::string_view kReasonDiskFull =
    "\x83\x66\x83\x42\x83\x58\x83\x4E\x82\xC9\x8F\x5C\x95\xAA\x82\xC8\x8B\xF3\x82\xAB\x97\xCC\x88\xE6\x82\xAA\x82\xA0"
    "\x82\xE8\x82\xDC\x82\xB9\x82\xF1";  // ディスクに十分な空き領域がありません
inline constexpr std::string_view kReasonInUse =
    "\x95\xCA\x82\xCC\x83\x76\x83\x8D\x83\x5A\x83\x58\x82\xAA\x83\x74\x83\x40\x83\x43\x83\x8B\x82\xF0\x8E\x67\x97\x70"
    "\x92\x86\x82\xC5\x82\xB7";  // 別のプロセスがファイルを使用中です

class MemoryFiles final : public platform::Files {
 public:
  // Creates or replaces a file.
  void Add(std::string_view name, std::string_view bytes);
  std::optional<std::string> Get(std::string_view name) const;
  // From now on the file exists but cannot be read.
  void FailReadsOf(std::string_view name);
  // From now on writing the file fails and leaves it as it was.
  void FailWritesOf(std::string_view name);
  // From now on every opening, copy, move or deletion of the file fails as
  // for a file another program holds open.
  void Lock(std::string_view name);
  // From now on only this many more bytes can be written (a full disk).
  void SetFreeSpace(size_t bytes) { freeSpace_ = bytes; }
  void SetWindowsFolder(std::string_view folder) { windowsFolder_ = folder; }
  // Streams not yet closed.
  int OpenStreams() const { return openStreams_; }

  bool FileExists(std::string_view name) override;
  platform::ReadResult ReadFile(std::string_view name, size_t maxBytes) override;
  bool WriteFile(std::string_view name, std::string_view bytes) override;
  char PathSeparator() override { return '\\'; }

  // Unlike WriteFile, the target's folder must exist.
  bool SaveFile(std::string_view name, std::string_view bytes, std::string* reason) override;
  std::unique_ptr<platform::FileStream> OpenStream(std::string_view name, platform::StreamMode mode,
                                                   std::string* reason) override;
  platform::EntryKind KindOf(std::string_view name) override;
  std::optional<uint64_t> FileSize(std::string_view name) override;
  bool Copy(std::string_view from, std::string_view to, bool overwrite) override;
  bool Delete(std::string_view name) override;
  bool Move(std::string_view from, std::string_view to) override;
  bool CreateFolder(std::string_view name) override;
  bool RemoveFolder(std::string_view name) override;
  std::string DefaultIniFolder(std::string_view) override { return windowsFolder_; }

 private:
  friend class MemoryStream;

  bool FolderExists(const std::string& folded) const;
  bool ParentExists(const std::string& folded) const;
  bool Blocked(const std::string& folded) const;
  // Appends bytes to a stream's file within the free space.
  bool Append(const std::string& folded, std::string_view bytes, std::string* reason);
  bool TakeSpace(size_t bytes);

  std::map<std::string, std::string> files_;  // bytes by folded name
  std::set<std::string> folders_;  // folded names, no final '\\'
  std::set<std::string> unreadable_;   // folded names
  std::set<std::string> unwritable_;   // folded names
  std::set<std::string> locked_;       // folded names
  std::optional<size_t> freeSpace_;
  std::string windowsFolder_ = "C:\\WINDOWS\\";
  int openStreams_ = 0;
};

}  // namespace vendrix::sim
