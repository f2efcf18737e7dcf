// Files by Shift-JIS name on Linux.  Names are turned into UTF-8 before
// they reach the system; a name that does not convert is used as it is.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "platform/platform.h"

namespace vendrix::posix {

class PosixFiles final : public platform::Files {
 public:
  bool FileExists(std::string_view name) override;
  platform::ReadResult ReadFile(std::string_view name, size_t maxBytes) override;
  // Writes a temporary file beside the target and renames it over the
  // target, so a failed write leaves the old contents in place.
  bool WriteFile(std::string_view name, std::string_view bytes) override;
  char PathSeparator() override { return '/'; }
  bool CaseSensitiveNames() override { return true; }
  std::string ProgramFile(std::string_view folder, std::string_view name) override;

  bool SaveFile(std::string_view name, std::string_view bytes, std::string* reason) override;
  std::unique_ptr<platform::FileStream> OpenStream(std::string_view name, platform::StreamMode mode,
                                                   std::string* reason) override;
  // Names are taken as they are: '*' and '?' are ordinary characters here.
  platform::EntryKind KindOf(std::string_view name) override;
  std::optional<uint64_t> FileSize(std::string_view name) override;
  bool Copy(std::string_view from, std::string_view to, bool overwrite) override;
  bool Delete(std::string_view name) override;
  // Across file systems a file is copied and the original removed.
  bool Move(std::string_view from, std::string_view to) override;
  bool CreateFolder(std::string_view name) override;
  bool RemoveFolder(std::string_view name) override;
  // The program's folder: Linux has no Windows folder.
  std::string DefaultIniFolder(std::string_view programFolder) override { return std::string(programFolder); }
};

// The system's words for an error number (strerror), in Shift-JIS.
std::string SystemReason(int error);

// The UTF-8 form of a Shift-JIS name, for the system calls.
std::string NativeName(std::string_view sjisName);

// The path (Shift-JIS) of the file in `folder` whose name equals `name`
// ignoring ASCII letter case, an exact match first; `folder` joined with
// `name` when there is none.  Lets the program find Vendrix.INI and its
// other files on a case-sensitive file system whatever their case.
std::string FindFileIgnoringCase(std::string_view folder, std::string_view name);

}  // namespace vendrix::posix
