// The variable table: every variable of the program, by index.
//
// Entries are only ever appended, so an index stays valid for the life of
// the program.  Names compare without regard to letter case; the table
// keeps an index by upper-cased name so a lookup is one hash probe.
//
// A variable's value is always its text.  Beside it the table keeps what
// the text reads as an integer once someone has asked (or once an integer
// was stored), so counters and loop variables are not parsed again at every
// statement; any store of text forgets it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "values/text_origin.h"

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
  // A stored integer's text is written when first asked for: a counter that
  // is only counted and compared never needs it.
  const std::string& Value(int index) {
    if (numbers_[static_cast<size_t>(index)].known == NumberKnown::kTextOwed) WriteOwedText(index);
    return values_[static_cast<size_t>(index)];
  }
  TextOrigin Origin(int index) const { return origins_[static_cast<size_t>(index)]; }
  bool HoldsOutsideText(int index) const { return Origin(index) == TextOrigin::kOutside; }

  // Every writer states where the new text came from; the macro's own text
  // is the default.
  void Store(int index, std::string_view value, TextOrigin origin = TextOrigin::kMacro) {
    values_[static_cast<size_t>(index)].assign(value);
    numbers_[static_cast<size_t>(index)].known = NumberKnown::kNotYet;
    SetOrigin(index, origin);
  }
  // Takes `value` and leaves the old text in it, so its room serves again.
  void Exchange(int index, std::string& value, TextOrigin origin) {
    if (numbers_[static_cast<size_t>(index)].known == NumberKnown::kTextOwed) WriteOwedText(index);
    values_[static_cast<size_t>(index)].swap(value);
    numbers_[static_cast<size_t>(index)].known = NumberKnown::kNotYet;
    SetOrigin(index, origin);
  }
  // Stores the decimal text of `value`; the origin stays as it is unless
  // the writer sets it.
  void StoreInteger(int index, int32_t value) {
    numbers_[static_cast<size_t>(index)] = {value, NumberKnown::kTextOwed};
  }
  // What the text reads as an integer (IntegerValue), or nothing when it
  // reads as none; parsed at most once per stored text.
  std::optional<int32_t> NumberOf(int index) {
    Number& number = numbers_[static_cast<size_t>(index)];
    if (number.known == NumberKnown::kNotYet) Parse(index);
    if (number.known == NumberKnown::kNoNumber) return std::nullopt;
    return number.value;
  }
  int32_t IntegerOf(int index, int32_t defaultValue) { return NumberOf(index).value_or(defaultValue); }
  void SetOrigin(int index, TextOrigin origin) { origins_[static_cast<size_t>(index)] = origin; }

 private:
  // kTextOwed: the value is the number, and its text is not written yet.
  enum class NumberKnown : uint8_t { kNotYet, kNumber, kNoNumber, kTextOwed };
  struct Number {
    int32_t value = 0;
    NumberKnown known = NumberKnown::kNotYet;
  };

  // The 80 system variables are set up once and copied into every new
  // table, which costs an engine far less than building them again.
  struct StartingTag {};
  explicit VariableTable(StartingTag);
  static const VariableTable& Starting();

  int Append(std::string name, std::string value);
  void Parse(int index);
  void WriteOwedText(int index);

  std::vector<std::string> names_;
  std::vector<std::string> values_;
  std::vector<Number> numbers_;
  std::vector<TextOrigin> origins_;
  std::unordered_map<std::string, int, TextHash, std::equal_to<>> byUpperName_;
  size_t maxNameLength_ = 0;
};

}  // namespace vendrix
