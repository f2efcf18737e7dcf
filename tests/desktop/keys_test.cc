// Key tokens and the table of key names, over the simulated Japanese
// keyboard layout.
#include "desktop/keys.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/sim/sim_desktop.h"

namespace vendrix {
namespace {

// Virtual-key codes of the punctuation keys of the Japanese 106/109-key
// keyboard.
constexpr int kColonKey = 0xBA;      // ":" and "*"
constexpr int kSemicolonKey = 0xBB;  // ";" and "+"
constexpr int kCommaKey = 0xBC;
constexpr int kMinusKey = 0xBD;      // "-" and "="
constexpr int kPeriodKey = 0xBE;
constexpr int kSlashKey = 0xBF;
constexpr int kAtKey = 0xC0;         // "@" and "`"
constexpr int kOpenBracketKey = 0xDB;
constexpr int kYenKey = 0xDC;        // "\" and "|"
constexpr int kCloseBracketKey = 0xDD;
constexpr int kCaretKey = 0xDE;      // "^" and "~"
constexpr int kBackslashKey = 0xE2;  // "\" and "_" next to the right Shift

class KeysTest : public ::testing::Test {
 protected:
  int Parse(std::string_view token) { return ParseKeyToken(desktop_.input(), token); }
  int LayoutCode(char c) { return desktop_.input().VkKeyScan(c) & 0xFF; }

  sim::SimDesktop desktop_;
};

TEST_F(KeysTest, NamedKeysInAnyLetterCase) {
  struct Case {
    const char* token;
    int code;
  };
  const Case cases[] = {
      {"[LCLICK]", 1},     {"[RCLICK]", 2},       {"[BREAK]", 3},       {"[MCLICK]", 4},
      {"[BS]", 8},         {"[TAB]", 9},          {"[CLEAR]", 12},      {"[RET]", 13},
      {"[ENTER]", 13},     {"[enter]", 13},       {"[Ret]", 13},        {"[SHIFT]", 16},
      {"[CTRL]", 17},      {"[ALT]", 18},         {"[PAUSE]", 19},      {"[CAPS]", 20},
      {"[KANA]", 21},      {"[ROMAJI]", 22},      {"[ZENKAKU]", 23},    {"[HIRAGANA]", 24},
      {"[KANJI]", 25},     {"[ESC]", 27},         {"[esc]", 27},        {"[EsC]", 27},
      {"[HENKAN]", 28},    {"[MUHENKAN]", 29},    {"[SPACE]", 32},      {"[PAGEUP]", 33},
      {"[PAGEDOWN]", 34},  {"[END]", 35},         {"[HOME]", 36},       {"[LEFT]", 37},
      {"[UP]", 38},        {"[RIGHT]", 39},       {"[DOWN]", 40},       {"[SELECT]", 41},
      {"[EXECUTE]", 43},   {"[PRINTSCREEN]", 44}, {"[INS]", 45},        {"[DEL]", 46},
      {"[HELP]", 47},      {"[WINDOWS]", 91},     {"[Windows]", 91},    {"[APPLI]", 93},
      {"[NUM0]", 96},      {"[NUM5]", 101},       {"[num9]", 105},      {"[NUM*]", 106},
      {"[NUM+]", 107},     {"[SEPARATER]", 108},  {"[NUM-]", 109},      {"[NUM.]", 110},
      {"[NUM/]", 111},     {"[F1]", 112},         {"[f10]", 121},       {"[F12]", 123},
      {"[NUMLOCK]", 144},  {"[ScrollLock]", 145}, {"[SEMICOLON]", kSemicolonKey},
      {"[semicolon]", kSemicolonKey},
  };
  for (const Case& c : cases) EXPECT_EQ(Parse(c.token), c.code) << c.token;
}

TEST_F(KeysTest, NumberedAndUnknownBracketTokens) {
  struct Case {
    const char* token;
    int code;
  };
  const Case cases[] = {
      {"[OEM-186]", 186}, {"[oem-186]", 186}, {"[OEM-1]", 1},     {"[OEM-$BA]", 186},
      {"[OEM-0]", 0},     {"[OEM-]", 0},      {"[OEM-x]", 0},     {"[OEM-12]3", 0},
      {"[OEM-1 2]", 0},   {"[OEM- 7]", 7},    {"[OEM-+7]", 7},
      // Bracketed names that name no key.
      {"[ESC]x", -1},     {"[ESC] ", -1},     {"[ESCAPE]", -1},   {"[]", -1},
      {"[F13]", -1},      {"[SEPARATOR]", -1}, {"[WIN]", -1},     {"[RETURN]", -1},
      {"[OEM]", -1},      {"[OEM186]", -1},   {"[ NUM0]", -1},    {"x[ESC]", 'X'},
  };
  for (const Case& c : cases) EXPECT_EQ(Parse(c.token), c.code) << c.token;
}

TEST_F(KeysTest, SingleCharactersFollowTheLayout) {
  struct Case {
    const char* token;
    int code;
  };
  const Case cases[] = {
      {"a", 'A'},           {"A", 'A'},          {"z", 'Z'},             {"0", '0'},
      {"9", '9'},           {":", kColonKey},    {"*", kColonKey},       {";", kSemicolonKey},
      {"+", kSemicolonKey}, {",", kCommaKey},    {"-", kMinusKey},       {"=", kMinusKey},
      {".", kPeriodKey},    {"/", kSlashKey},    {"@", kAtKey},          {"[", kOpenBracketKey},
      {"]", kCloseBracketKey}, {"^", kCaretKey}, {"_", kBackslashKey},   {"!", '1'},
      {"\"", '2'},          {"(", '8'},          {" ", 32},
      // Only the first character counts when there is no closing bracket.
      {"[ESC", kOpenBracketKey}, {"ab", 'A'},  {"]x[", kCloseBracketKey},
      // A byte no key types gives 255.
      {"\x82\xa0", 255},
  };
  for (const Case& c : cases) EXPECT_EQ(Parse(c.token), c.code) << c.token;
}

TEST_F(KeysTest, KeyNameTable) {
  KeyNameTable table = BuildKeyNameTable(desktop_.input());
  struct Case {
    int code;
    const char* name;
  };
  const Case cases[] = {
      {1, "[LCLICK]"},       {4, "[MCLICK]"},      {13, "[RET]"},         {27, "[ESC]"},
      {32, "[SPACE]"},       {47, "[HELP]"},       {42, "[OEM-42]"},      {48, "0"},
      {57, "9"},             {65, "A"},            {90, "Z"},             {91, "[Windows]"},
      {92, "[Windows]"},     {93, "[Appli]"},      {94, "[OEM-94]"},      {96, "[NUM0]"},
      {105, "[NUM9]"},       {106, "[NUM*]"},      {108, "[SEPARATER]"},  {111, "[NUM/]"},
      {112, "[F1]"},         {123, "[F12]"},       {124, "[OEM-124]"},    {144, "[NUMLOCK]"},
      {145, "[SCROLLLOCK]"}, {186, ":"},           {187, "[Semicolon]"},  {188, ","},
      {189, "-"},            {190, "."},           {191, "/"},            {192, "@"},
      {219, "["},            {kYenKey, "\\"},      {221, "]"},            {222, "^"},
      {kBackslashKey, "_"},  {200, "[OEM-200]"},   {255, "[OEM-255]"},    {256, "[OEM-256]"},
  };
  for (const Case& c : cases) EXPECT_EQ(table[static_cast<size_t>(c.code)], c.name) << c.code;
  // Every other entry keeps its numbered name.
  for (int code = 1; code <= 256; ++code) {
    const std::string_view name = table[static_cast<size_t>(code)];
    EXPECT_FALSE(name.empty()) << code;
    if (name.starts_with("[OEM-")) {
      EXPECT_EQ(name, "[OEM-" + std::to_string(code) + "]");
    }
  }
}

TEST_F(KeysTest, TableNamesParseBackToTheirCodes) {
  // The display names of the table are key tokens for the same key, apart
  // from the second Windows key and entries past the last key code.
  KeyNameTable table = BuildKeyNameTable(desktop_.input());
  for (int code = 1; code <= 255; ++code) {
    if (code == 92) continue;
    EXPECT_EQ(Parse(table[static_cast<size_t>(code)]), code) << table[static_cast<size_t>(code)];
  }
}

}  // namespace
}  // namespace vendrix
