#include "values/variables.h"

#include <algorithm>

#include "values/integer.h"
#include "values/sjis.h"

namespace vendrix {
namespace {

constexpr const char* kNamedSystemVariables[] = {
    "%breakkey",  "%joybutton", "%joybuttonex", "%joybutton2", "%joybuttonex2",
    "%joystick",  "%joystick2", "%joyxpos",     "%joyypos",    "%joyzpos",
    "%joybit",    "%joyxpos2",  "%joyypos2",    "%joyzpos2",   "%joybit2",
    "%capturejpg"};

}  // namespace

VariableTable::VariableTable() : VariableTable(Starting()) {}

const VariableTable& VariableTable::Starting() {
  static const VariableTable starting{StartingTag{}};
  return starting;
}

VariableTable::VariableTable(StartingTag) {
  for (int i = 0; i < 64; ++i) Append(std::string("%").append(std::to_string(i)), "");
  for (const char* name : kNamedSystemVariables) Append(name, "");
  Store(kCaptureJpgVariable, "80");
}

void VariableTable::WriteOwedText(int index) {
  Number& number = numbers_[static_cast<size_t>(index)];
  AssignIntegerText(values_[static_cast<size_t>(index)], number.value);
  number.known = NumberKnown::kNumber;
}

void VariableTable::Parse(int index) {
  const std::optional<int32_t> parsed = ParseInteger(values_[static_cast<size_t>(index)]);
  numbers_[static_cast<size_t>(index)] = {parsed.value_or(0), parsed ? NumberKnown::kNumber : NumberKnown::kNoNumber};
}

int VariableTable::Find(std::string_view upperName) const {
  auto it = byUpperName_.find(upperName);
  return it == byUpperName_.end() ? -1 : it->second;
}

int VariableTable::Declare(std::string_view name) {
  std::string upper = sjis::AnsiUpper(name);
  if (int existing = Find(upper); existing >= 0) return existing;
  if (names_.size() >= kMaxVariables) return -1;
  return Append(std::move(upper), "");
}

int VariableTable::Append(std::string name, std::string value) {
  int index = static_cast<int>(names_.size());
  byUpperName_.emplace(sjis::AnsiUpper(name), index);  // the first of a name wins
  maxNameLength_ = std::max(maxNameLength_, name.size());
  names_.push_back(std::move(name));
  values_.push_back(std::move(value));
  numbers_.push_back({});
  origins_.push_back(TextOrigin::kMacro);
  return index;
}

}  // namespace vendrix
