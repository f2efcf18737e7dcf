#include "platform/sim/keyboard_layout.h"

#include <array>
#include <string_view>

namespace vendrix::sim {
namespace {

// Virtual-key codes of the keys that carry punctuation on this layout.
constexpr uint8_t kVkOem1 = 0xBA;       // :  *
constexpr uint8_t kVkOemPlus = 0xBB;    // ;  +
constexpr uint8_t kVkOemComma = 0xBC;   // ,  <
constexpr uint8_t kVkOemMinus = 0xBD;   // -  =
constexpr uint8_t kVkOemPeriod = 0xBE;  // .  >
constexpr uint8_t kVkOem2 = 0xBF;       // /  ?
constexpr uint8_t kVkOem3 = 0xC0;       // @  `
constexpr uint8_t kVkOem4 = 0xDB;       // [  {
constexpr uint8_t kVkOem5 = 0xDC;       // yen (\)  |
constexpr uint8_t kVkOem6 = 0xDD;       // ]  }
constexpr uint8_t kVkOem7 = 0xDE;       // ^  ~
constexpr uint8_t kVkOem102 = 0xE2;     // \  _

struct CharKey {
  char character;
  uint8_t vk;
  bool shift;
};

constexpr CharKey kPunctuation[] = {
    {' ', 0x20, false},        {'!', '1', true},          {'"', '2', true},
    {'#', '3', true},          {'$', '4', true},          {'%', '5', true},
    {'&', '6', true},          {'\'', '7', true},         {'(', '8', true},
    {')', '9', true},          {';', kVkOemPlus, false},  {'+', kVkOemPlus, true},
    {':', kVkOem1, false},     {'*', kVkOem1, true},      {',', kVkOemComma, false},
    {'<', kVkOemComma, true},  {'-', kVkOemMinus, false}, {'=', kVkOemMinus, true},
    {'.', kVkOemPeriod, false}, {'>', kVkOemPeriod, true}, {'/', kVkOem2, false},
    {'?', kVkOem2, true},      {'@', kVkOem3, false},     {'`', kVkOem3, true},
    {'[', kVkOem4, false},     {'{', kVkOem4, true},      {'\\', kVkOem5, false},
    {'|', kVkOem5, true},      {']', kVkOem6, false},     {'}', kVkOem6, true},
    {'^', kVkOem7, false},     {'~', kVkOem7, true},      {'_', kVkOem102, true},
};

constexpr std::array<int16_t, 128> BuildCharTable() {
  std::array<int16_t, 128> table{};
  table.fill(-1);
  for (int c = 'A'; c <= 'Z'; ++c) {
    table[c] = static_cast<int16_t>(c | kVkScanShift);
    table[c - 'A' + 'a'] = static_cast<int16_t>(c);
  }
  for (int c = '0'; c <= '9'; ++c) table[c] = static_cast<int16_t>(c);
  for (const CharKey& key : kPunctuation) {
    table[static_cast<unsigned char>(key.character)] =
        static_cast<int16_t>(key.vk | (key.shift ? kVkScanShift : 0));
  }
  return table;
}

constexpr std::array<int16_t, 128> kCharTable = BuildCharTable();

struct VkScan {
  uint8_t vk;
  uint8_t scan;
};

constexpr VkScan kScanCodes[] = {
    {0x08, 0x0E}, {0x09, 0x0F}, {0x0D, 0x1C}, {0x10, 0x2A}, {0x11, 0x1D}, {0x12, 0x38},
    {0x14, 0x3A}, {0x19, 0x29}, {0x1B, 0x01}, {0x1C, 0x79}, {0x1D, 0x7B}, {0x20, 0x39},
    {0x21, 0x49}, {0x22, 0x51}, {0x23, 0x4F}, {0x24, 0x47}, {0x25, 0x4B}, {0x26, 0x48},
    {0x27, 0x4D}, {0x28, 0x50}, {0x2D, 0x52}, {0x2E, 0x53}, {0x5B, 0x5B}, {0x5C, 0x5C},
    {0x5D, 0x5D}, {0x6A, 0x37}, {0x6B, 0x4E}, {0x6D, 0x4A}, {0x6E, 0x53}, {0x6F, 0x35},
    {0x7A, 0x57}, {0x7B, 0x58}, {0x90, 0x45}, {0x91, 0x46}, {0xA0, 0x2A}, {0xA1, 0x36},
    {0xA2, 0x1D}, {0xA3, 0x1D}, {0xA4, 0x38}, {0xA5, 0x38},
    {kVkOem1, 0x28}, {kVkOemPlus, 0x27}, {kVkOemComma, 0x33}, {kVkOemMinus, 0x0C},
    {kVkOemPeriod, 0x34}, {kVkOem2, 0x35}, {kVkOem3, 0x1A}, {kVkOem4, 0x1B},
    {kVkOem5, 0x7D}, {kVkOem6, 0x2B}, {kVkOem7, 0x0D}, {kVkOem102, 0x73},
};

// Letter keys in scan-code order, row by row.
constexpr std::string_view kLetterRows[] = {"QWERTYUIOP", "ASDFGHJKL", "ZXCVBNM"};
constexpr uint8_t kLetterRowStarts[] = {0x10, 0x1E, 0x2C};
// Numeric pad 0 to 9.
constexpr uint8_t kNumPadScans[] = {0x52, 0x4F, 0x50, 0x51, 0x4B, 0x4C, 0x4D, 0x47, 0x48, 0x49};

constexpr std::array<uint8_t, 256> BuildScanTable() {
  std::array<uint8_t, 256> table{};
  for (const VkScan& entry : kScanCodes) table[entry.vk] = entry.scan;
  for (int row = 0; row < 3; ++row) {
    for (size_t i = 0; i < kLetterRows[row].size(); ++i) {
      table[static_cast<uint8_t>(kLetterRows[row][i])] =
          static_cast<uint8_t>(kLetterRowStarts[row] + i);
    }
  }
  for (int digit = 1; digit <= 9; ++digit) table['0' + digit] = static_cast<uint8_t>(0x01 + digit);
  table['0'] = 0x0B;
  for (int f = 0; f < 10; ++f) table[0x70 + f] = static_cast<uint8_t>(0x3B + f);  // F1-F10
  for (int n = 0; n < 10; ++n) table[0x60 + n] = kNumPadScans[n];
  return table;
}

constexpr std::array<uint8_t, 256> kScanTable = BuildScanTable();

}  // namespace

int16_t JisVkKeyScan(unsigned char character) {
  return character < kCharTable.size() ? kCharTable[character] : int16_t{-1};
}

uint32_t ScanCodeOfVk(uint32_t vk) {
  return vk < kScanTable.size() ? kScanTable[vk] : 0;
}

}  // namespace vendrix::sim
