#include "platform/sim/desktop_json.h"

#include "platform/sim/sjis_utf8.h"

namespace vendrix::sim::desktop_json {

using nlohmann::json;

[[noreturn]] void Fail(const std::string& field, std::string_view problem) {
  throw DesktopError("desktop description: \"" + field + "\" " + std::string(problem));
}

std::string Indexed(std::string_view list, size_t index) {
  return std::string(list) + "[" + std::to_string(index) + "]";
}

std::string Member(const std::string& parent, std::string_view key) {
  return parent + "." + std::string(key);
}

uint64_t ReadInteger(const json& value, const std::string& field, uint64_t min, uint64_t max) {
  const std::string range =
      "must be an integer from " + std::to_string(min) + " to " + std::to_string(max);
  if (!value.is_number_integer()) Fail(field, range);
  if (value.is_number_unsigned()) {
    const auto number = value.get<uint64_t>();
    if (number < min || number > max) Fail(field, range);
    return number;
  }
  const auto number = value.get<int64_t>();
  if (number < 0 || static_cast<uint64_t>(number) < min || static_cast<uint64_t>(number) > max) {
    Fail(field, range);
  }
  return static_cast<uint64_t>(number);
}

void RejectUnknownKeys(const json& object, const std::string& field,
                       std::initializer_list<std::string_view> known) {
  for (const auto& [key, value] : object.items()) {
    bool isKnown = false;
    for (std::string_view name : known) isKnown = isKnown || key == name;
    if (!isKnown) Fail(field, "has an unknown key \"" + key + "\"");
  }
}

const json& RequireList(const json& root, const char* key) {
  const json& list = root.at(key);
  if (!list.is_array()) Fail(key, "must be a list");
  return list;
}

int64_t ReadSigned(const json& value, const std::string& field, int64_t min, int64_t max) {
  const std::string range =
      "must be an integer from " + std::to_string(min) + " to " + std::to_string(max);
  if (!value.is_number_integer()) Fail(field, range);
  if (value.is_number_unsigned() && value.get<uint64_t>() > static_cast<uint64_t>(max)) Fail(field, range);
  const auto number = value.get<int64_t>();
  if (number < min || number > max) Fail(field, range);
  return number;
}

bool ReadBool(const json& value, const std::string& field) {
  if (!value.is_boolean()) Fail(field, "must be true or false");
  return value.get<bool>();
}

std::string ReadText(const json& value, const std::string& field) {
  if (!value.is_string()) Fail(field, "must be a text");
  return Utf8ToSjis(value.get_ref<const std::string&>());
}

}  // namespace vendrix::sim::desktop_json
