#include "values/cp932_case.h"

#include <algorithm>

#include "values/cp932_case_table.h"

namespace vendrix::cp932 {
namespace {

template <size_t N>
constexpr bool IsSorted(const std::array<CasePair, N>& table) {
  for (size_t i = 1; i < N; ++i) {
    if (table[i - 1].from >= table[i].from) return false;
  }
  return true;
}

static_assert(IsSorted(kToUpper) && IsSorted(kToLower), "binary search needs sorted tables");

// Every cased character sits in a few lead-byte rows; anything outside them
// skips the search.
constexpr bool MayHaveCase(int code) {
  const int lead = code >> 8;
  return lead == 0x82 || lead == 0x83 || lead == 0x84 || lead == 0x87 || lead == 0xEE || lead == 0xFA;
}

template <size_t N>
int Lookup(const std::array<CasePair, N>& table, int code) {
  if (!MayHaveCase(code)) return code;
  auto found = std::lower_bound(table.begin(), table.end(), code,
                                [](const CasePair& pair, int key) { return pair.from < key; });
  return (found != table.end() && found->from == code) ? found->to : code;
}

template <size_t N>
constexpr bool RowsCovered(const std::array<CasePair, N>& table) {
  return std::all_of(table.begin(), table.end(), [](const CasePair& pair) { return MayHaveCase(pair.from); });
}

static_assert(RowsCovered(kToUpper) && RowsCovered(kToLower), "MayHaveCase must admit every table row");

}  // namespace

int UpperCode(int code) { return Lookup(kToUpper, code); }
int LowerCode(int code) { return Lookup(kToLower, code); }

}  // namespace vendrix::cp932
