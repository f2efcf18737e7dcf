#include "engine/function_table.h"

#include <unordered_map>

#include "values/sjis.h"
#include "values/variables.h"

namespace vendrix {
namespace {

using NameIndex = std::unordered_map<std::string, int, TextHash, std::equal_to<>>;

NameIndex BuildNameIndex() {
  NameIndex index;
  for (int i = 0; i < kFunctionCount; ++i) index.emplace(std::string(kFunctionNames[static_cast<size_t>(i)]), i);
  return index;
}

}  // namespace

int FindFunction(std::string_view name) {
  static const NameIndex index = BuildNameIndex();  // a constant table, built once
  auto it = index.find(name);
  if (it != index.end()) return it->second;
  std::string lower = sjis::AnsiLower(name);
  it = index.find(lower);
  return it == index.end() ? -1 : it->second;
}

}  // namespace vendrix
