// The Windows host: files by name, the program's own path and the
// single-instance mutex.
#pragma once

#include <optional>
#include <string>

#include "platform/platform.h"
#include "platform/win32/win32_api.h"

namespace vendrix::win32 {

class Win32Files final : public platform::Files {
 public:
  bool FileExists(std::string_view name) override;
  platform::ReadResult ReadFile(std::string_view name, size_t maxBytes) override;
  bool WriteFile(std::string_view name, std::string_view bytes) override;
  char PathSeparator() override { return '\\'; }
};

class Win32Host final : public platform::Host {
 public:
  // `home` (Shift-JIS) stands in for the program's folder when given.
  explicit Win32Host(std::optional<std::string> home = std::nullopt);
  ~Win32Host() override;
  Win32Host(const Win32Host&) = delete;
  Win32Host& operator=(const Win32Host&) = delete;

  std::string ProgramPath() override;
  bool ResidentInstanceRunning() override;
  void ClaimResidentInstance() override;

 private:
  std::optional<std::string> home_;
  HANDLE residentMutex_ = nullptr;
};

}  // namespace vendrix::win32
