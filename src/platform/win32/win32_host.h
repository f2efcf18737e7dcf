// The Windows host: files by name, the program's own path and the
// single-instance mutex.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "platform/platform.h"
#include "platform/win32/win32_api.h"

namespace vendrix::win32 {

class Win32Files final : public platform::Files {
 public:
  bool FileExists(std::string_view name) override;
  platform::ReadResult ReadFile(std::string_view name, size_t maxBytes) override;
  bool WriteFile(std::string_view name, std::string_view bytes) override;
  char PathSeparator() override { return '\\'; }

  bool SaveFile(std::string_view name, std::string_view bytes, std::string* reason) override;
  std::unique_ptr<platform::FileStream> OpenStream(std::string_view name, platform::StreamMode mode,
                                                   std::string* reason) override;
  // A name with '*' or '?' is looked up as a pattern: its first match.
  platform::EntryKind KindOf(std::string_view name) override;
  std::optional<uint64_t> FileSize(std::string_view name) override;
  bool Copy(std::string_view from, std::string_view to, bool overwrite) override;
  bool Delete(std::string_view name) override;
  bool Move(std::string_view from, std::string_view to) override;
  bool CreateFolder(std::string_view name) override;
  bool RemoveFolder(std::string_view name) override;
  // The Windows folder, where the private-profile calls put such files.
  std::string DefaultIniFolder(std::string_view programFolder) override;
};

// The system's words for an error code (FormatMessageW), in Shift-JIS.
std::string SystemReason(DWORD error);

class Win32Host final : public platform::Host {
 public:
  // `home` (Shift-JIS) stands in for the program's folder when given.
  explicit Win32Host(std::optional<std::string> home = std::nullopt);
  ~Win32Host() override;
  Win32Host(const Win32Host&) = delete;
  Win32Host& operator=(const Win32Host&) = delete;

  std::string ProgramPath() override;
  platform::InstanceCheck CheckResidentInstance() override;
  platform::InstanceCheck ClaimResidentInstance() override;
  std::optional<std::string> EnvironmentVariable(std::string_view name) override;
  std::string CurrentFolder() override;

 private:
  platform::InstanceCheck Checked(platform::InstanceStatus status, DWORD error = 0) const;
  platform::InstanceCheck Failed(DWORD error) const;

  std::optional<std::string> home_;
  HANDLE residentMutex_ = nullptr;
};

}  // namespace vendrix::win32
