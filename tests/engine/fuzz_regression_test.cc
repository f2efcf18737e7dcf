// Inputs that the fuzz targets (fuzz/) found faults with, replayed through
// the same path: the macro bytes are loaded from memory and run on the
// simulated desktop that the fuzz target uses, where Escape goes down at 5
// virtual seconds.  The faults show under the sanitizer build (preset
// linux-asan); each test also checks what the macro must do.
#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "support/test_world.h"
#include "values/sjis.h"

namespace vendrix::testing {
namespace {

constexpr std::string_view kFuzzDesktop = R"({"keys":[{"vk":27,"down":5000}]})";

int RunBytes(TestWorld& world, std::string_view bytes) {
  world.files.Add(kMacroName, bytes);
  return world.Run();
}

// An empty view may carry no data pointer; memchr must not be handed one
// (undefined behaviour, reported by UBSan).  Splitting any statement of
// fewer than six tokens reached it, so every seed macro tripped it.
TEST(FuzzRegression, EmptyTextWithoutDataHasNoCharacters) {
  const std::string_view none;
  EXPECT_EQ(sjis::UpToNul(none).size(), 0u);
  EXPECT_EQ(sjis::JLength(none), 0);
  EXPECT_EQ(sjis::FindAtCharBoundary(none, "x"), std::string_view::npos);
  EXPECT_EQ(sjis::FindAtCharBoundary("abc", none), std::string_view::npos);
}

TEST(FuzzRegression, ShortStatementsSplitAndRun) {
  TestWorld world(kFuzzDesktop);
  EXPECT_EQ(RunBytes(world, "DIM %a %b\r\nSET %a 1\r\nIF (= %a 1) SET %b 2\r\nINC %b\r\n"), 0);
  EXPECT_EQ(world.Var("%A"), "1");
  EXPECT_EQ(world.Var("%B"), "3");
  EXPECT_TRUE(world.Boxes().empty());
}

}  // namespace
}  // namespace vendrix::testing
