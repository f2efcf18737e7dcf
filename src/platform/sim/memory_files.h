// Files kept in memory, named as on Windows: '\\' separates folders and
// names compare without regard to ASCII letter case.  For tests.
#pragma once

#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>

#include "platform/platform.h"

namespace vendrix::sim {

class MemoryFiles final : public platform::Files {
 public:
  // Creates or replaces a file.
  void Add(std::string_view name, std::string_view bytes);
  std::optional<std::string> Get(std::string_view name) const;
  // From now on the file exists but cannot be read.
  void FailReadsOf(std::string_view name);
  // From now on writing the file fails and leaves it as it was.
  void FailWritesOf(std::string_view name);

  bool FileExists(std::string_view name) override;
  platform::ReadResult ReadFile(std::string_view name, size_t maxBytes) override;
  bool WriteFile(std::string_view name, std::string_view bytes) override;
  char PathSeparator() override { return '\\'; }

 private:
  std::map<std::string, std::string> files_;  // bytes by folded name
  std::set<std::string> unreadable_;   // folded names
  std::set<std::string> unwritable_;   // folded names
};

}  // namespace vendrix::sim
