// The variable table: every variable of the program, by index.
//
// Entries are only ever appended, so an index stays valid for the life of
// the program.  Names compare without regard to letter case; the table
// keeps an index by upper-cased name so a lookup is one hash probe.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace vendrix {

// Lets unordered maps keyed by std::string be probed with a string_view.
struct TextHash {
  using is_transparent = void;
  size_t operator()(std::string_view text) const { return std::hash<std::string_view>{}(text); }
};

inline constexpr int kSystemVariableCount = 80;
inline constexpr int kCaptureJpgVariable = 79;
// Bounds that keep a macro from exhausting memory through declarations.
inline constexpr int kMaxDimBound = 65535;
inline constexpr size_t kMaxVariables = 1000000;

class VariableTable {
 public:
  // Creates the table with its 80 system variables.
  VariableTable();

  size_t size() const { return names_.size(); }
  // The longest name: a longer simple reference names no variable.
  size_t MaxNameLength() const { return maxNameLength_; }
  // -1 when no variable has that (upper-cased) name.
  int Find(std::string_view upperName) const;
  // Declares a name (upper-cased here); an existing variable keeps its
  // value.  Returns the variable's index, or -1 when the table is full.
  int Declare(std::string_view name);

  const std::string& Name(int index) const { return names_[static_cast<size_t>(index)]; }
  const std::string& Value(int index) const { return values_[static_cast<size_t>(index)]; }
  std::string& MutableValue(int index) { return values_[static_cast<size_t>(index)]; }
  void Store(int index, std::string_view value) { values_[static_cast<size_t>(index)].assign(value); }

 private:
  int Append(std::string name, std::string value);

  std::vector<std::string> names_;
  std::vector<std::string> values_;
  std::unordered_map<std::string, int, TextHash, std::equal_to<>> byUpperName_;
  size_t maxNameLength_ = 0;
};

}  // namespace vendrix
