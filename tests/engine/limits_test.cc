// The bounds on what one macro may cost: loaded lines, text sizes,
// evaluation work and the caches of texts parsed at run time.  Passing a
// bound ends the program with its own message, never by running out of
// memory or time.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/engine.h"
#include "engine/expression.h"
#include "engine/run.h"
#include "images/image.h"
#include "support/test_world.h"

namespace vendrix::testing {
namespace {

std::string Repeated(std::string_view line, int times) {
  std::string out;
  for (int i = 0; i < times; ++i) out.append(line).append("\r\n");
  return out;
}

std::string FirstBox(const TestWorld& world) {
  const std::vector<std::string> boxes = world.Boxes();
  return boxes.empty() ? "<no box>" : boxes.front();
}

// ---- loaded lines

TEST(LoadedMacroTest, IncludesThatMultiplyStopAtTheLineBound) {
  TestWorld world;
  world.engine->run.lineLimit = 1000;
  // 100 * 100 lines, far past the bound; without it, a few more levels
  // would reach billions.
  world.files.Add(kMacroName, Repeated("INCLUDE C:\\m\\b.mac", 100));
  world.files.Add("C:\\m\\b.mac", Repeated("INCLUDE C:\\m\\c.mac", 100));
  world.files.Add("C:\\m\\c.mac", "KEY a\r\n");
  EXPECT_EQ(world.Run(), 1);
  EXPECT_EQ(FirstBox(world), "Err：マクロが大きすぎます（INCLUDE を含めて 1000000 行、64 MB まで）: C:\\m\\test.mac");
  EXPECT_LE(world.engine->run.statements.size(), 1000u);
}

TEST(LoadedMacroTest, AMacroOfExactlyTheBoundLoads) {
  TestWorld world;
  world.engine->run.lineLimit = 1000;
  world.files.Add(kMacroName, Repeated("INCLUDE C:\\m\\b.mac", 10));
  world.files.Add("C:\\m\\b.mac", Repeated(":label", 98) + "ELSE :x\r\n");
  EXPECT_EQ(world.Run(), 0);
  EXPECT_EQ(world.engine->run.statements.size(), 1000u);
  EXPECT_TRUE(world.Boxes().empty());
}

// ---- text sizes

TEST(TextSizeTest, GrowingTextsStopAtTheBoundWithTheirMessage) {
  struct Case {
    std::vector<std::string> lines;
    std::string message;
  };
  const std::vector<Case> cases = {
      // Doubling: 2^27 bytes would pass 64 MB.
      {{"DIM %a %i", "SET %a x", "FOR %i = 1 TO 40", "SET %a (& %a %a)", "NEXT"},
       "Err：文字列が大きすぎます（上限 64 MB）: &"},
      // One megabyte of "a", each replaced by a hundred bytes.
      {{"DIM %a %b %i", "SET %a a", "FOR %i = 1 TO 20", "SET %a (& %a %a)", "NEXT",
        "SET %b 0123456789012345678901234567890123456789012345678901234567890123456789012345678901234567890123456789",
        "SET %a (retext %a a %b)"},
       "Err：文字列が大きすぎます（上限 64 MB）: retext"},
      // A function whose result grows its argument: 64 MB of characters
      // made full-width.
      {{"DIM %a %i", "SET %a a", "FOR %i = 1 TO 26", "SET %a (& %a %a)", "NEXT", "SET %a (zenkaku %a)"},
       "Err：文字列が大きすぎます（上限 64 MB）: zenkaku"},
  };
  for (const Case& c : cases) {
    TestWorld world;
    EXPECT_EQ(world.RunLines(c.lines), 1) << c.message;
    EXPECT_EQ(FirstBox(world), c.message);
  }
}

TEST(TextSizeTest, TextsUpToTheBoundAreBuilt) {
  TestWorld world;
  // 2^26 bytes is exactly 64 MB.
  ASSERT_EQ(world.RunLines({"DIM %a %i %n", "SET %a x", "FOR %i = 1 TO 26", "SET %a (& %a %a)", "NEXT",
                            "SET %n (len %a)"}),
            0);
  EXPECT_EQ(world.Var("%N"), "67108864");
  EXPECT_TRUE(world.Boxes().empty());
}

// ---- evaluation work

// Forty values, each adding the one before to itself: 2^40 calls.
std::vector<std::string> ChainedValues() {
  std::vector<std::string> lines = {"DIM %v[40] %r %done", "SET %v[0] 1"};
  for (int k = 1; k <= 40; ++k) {
    lines.push_back("SET %v[" + std::to_string(k) + "] \"(+ %v[" + std::to_string(k - 1) + "] %v[" +
                    std::to_string(k - 1) + "])\"");
  }
  return lines;
}

TEST(EvaluationWorkTest, ChainedValuesStopAtTheBoundOfOneStatement) {
  TestWorld world;
  std::vector<std::string> lines = ChainedValues();
  lines.push_back("SET %r (+ %v[40] 0)");
  EXPECT_EQ(world.RunLines(lines), 1);
  EXPECT_EQ(FirstBox(world).rfind("Err：一つの文の計算が多すぎます（上限 100 万回）: (+ ", 0), 0u) << FirstBox(world);
}

TEST(EvaluationWorkTest, TheBoundIsPerStatement) {
  TestWorld world;
  // 2^15 calls a statement, forty statements: far more in total than one
  // statement may do, and no error.
  std::vector<std::string> lines = ChainedValues();
  lines.push_back("DIM %i");
  lines.push_back("FOR %i = 1 TO 40");
  lines.push_back("SET %r (+ %v[14] 0)");
  lines.push_back("NEXT");
  EXPECT_EQ(world.RunLines(lines), 0) << FirstBox(world);
  EXPECT_EQ(world.Var("%R"), "16384");
}

TEST(EvaluationWorkTest, TheBreakKeyStopsALongEvaluation) {
  // The break key goes down while the auto-delay after AUTODELAY's own line
  // passes, so the first look at it is inside the long evaluation.
  TestWorld world(R"({"keys": [{"vk": 27, "down": 500}]})");
  std::vector<std::string> lines = ChainedValues();
  lines.push_back("AUTODELAY 1000");
  lines.push_back("SET %r (+ %v[40] 0)");
  lines.push_back("SET %done yes");
  // A break ends the run as a break between statements does.
  EXPECT_EQ(world.RunLines(lines), 0);
  EXPECT_EQ(world.Boxes(), (std::vector<std::string>{"マクロの実行を中断します"}));
  EXPECT_EQ(world.Var("%DONE"), "");
}

// ---- caches of texts parsed at run time

std::string Padded(int n, size_t bytes) {
  std::string text = std::to_string(n);
  text.resize(bytes, 'x');
  return text;
}

TEST(RunTimeCacheTest, BoundedByTheBytesTheyHold) {
  TestWorld world;
  Engine& engine = *world.engine;
  // 50 MB of distinct texts in all.
  constexpr size_t kValueBytes = 512 << 10;
  for (int n = 0; n < 100; ++n) {
    const std::string value = Padded(n, kValueBytes);
    ASSERT_EQ(EvaluateText(engine, "(len \"" + value + "\")"), std::to_string(kValueBytes));
    BuiltStatement(engine, "KEY " + value);
  }
  EXPECT_LE(engine.dynamicExprBytes, kRunTimeCacheBytes);
  EXPECT_LE(engine.builtStatementBytes, kRunTimeCacheBytes);
  // Every entry keeps its text at least.
  EXPECT_LE(engine.dynamicExprs.size() * kValueBytes, kRunTimeCacheBytes);
  EXPECT_LE(engine.builtStatements.size() * kValueBytes, kRunTimeCacheBytes);
  EXPECT_FALSE(engine.dynamicExprs.empty());
}

TEST(RunTimeCacheTest, ATextTooLargeForTheCacheIsParsedEachTime) {
  TestWorld world;
  Engine& engine = *world.engine;
  const std::string value = Padded(1, kRunTimeCacheBytes / 2);
  EXPECT_EQ(EvaluateText(engine, "(len \"" + value + "\")"), std::to_string(value.size()));
  EXPECT_EQ(BuiltStatement(engine, "KEY " + value)->Operand(0), value);
  EXPECT_TRUE(engine.dynamicExprs.empty());
  EXPECT_TRUE(engine.builtStatements.empty());
}

// ---- pixel counts

TEST(PixelCountTest, ACountTooLargeForTheAddressSpaceFailsAsAnAllocation) {
  EXPECT_EQ(images::Image::PixelCount(3, 5), 15u);
  EXPECT_EQ(images::Image::PixelCount(-3, 5), 0u);
  EXPECT_EQ(images::Image::PixelCount(0, 5), 0u);
  if constexpr (sizeof(size_t) == 4) {
    EXPECT_THROW(images::Image::PixelCount(65536, 65537), std::bad_alloc);
  } else {
    EXPECT_EQ(images::Image::PixelCount(65536, 65537), size_t{65536} * 65537);
  }
}

}  // namespace
}  // namespace vendrix::testing
