// How every text file of the program is cut into lines.
#include "values/text_lines.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace vendrix {
namespace {

std::vector<std::string> Walk(std::string_view bytes) {
  std::vector<std::string> lines;
  TextLines walk(bytes);
  while (std::optional<std::string_view> line = walk.Next()) lines.emplace_back(*line);
  return lines;
}

TEST(TextLinesTest, CutsAtCrOrAtLfWhenThereIsNoCr) {
  using namespace std::string_literals;
  using Lines = std::vector<std::string>;
  const struct {
    std::string bytes;
    Lines lines;
  } cases[] = {
      {"", {}},
      {"a", {"a"}},
      {"a\r\nb", {"a", "b"}},
      {"a\rb\r\n", {"a", "b"}},
      {"a\nb\n\n", {"a", "b", ""}},
      {"a\nb\rc\r\n", {"a\nb", "c"}},  // with a CR in the file, a lone LF is text
      {"a\r\r\nb\n", {"a", "", "b\n"}},
      {"\r\n\r\n", {"", ""}},
      {"a\x1A\r\nb", {"a"}},          // Ctrl-Z ends the file
      {"a\0b\r\nc"s, {"a", "c"}},     // a zero byte ends its line's text
      {"\n", {""}},
      {"a\r\n\r\nb", {"a", "", "b"}},  // empty lines stay, for the line step
      {"\x1A" "abc", {}},
  };
  for (const auto& c : cases) EXPECT_EQ(Walk(c.bytes), c.lines) << c.bytes;
}

TEST(TextLinesTest, AMillionEmptyLinesAreAMillionLines) {
  const std::string bytes(1 << 20, '\n');
  TextLines walk(bytes);
  size_t count = 0;
  while (walk.Next()) ++count;
  EXPECT_EQ(count, size_t{1} << 20);
}

}  // namespace
}  // namespace vendrix
