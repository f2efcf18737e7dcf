// Loading macro files into the statement list.
#include "engine/loader.h"

#include <gtest/gtest.h>

#include "support/test_world.h"

namespace vendrix::testing {
namespace {

std::vector<std::string> Entries(const Engine& engine) {
  std::vector<std::string> out;
  for (size_t i = 0; i < engine.run.statements.size(); ++i) out.push_back(Utf8(engine.run.statements[i].text));
  return out;
}

std::vector<std::string> LoadBytes(TestWorld& world, std::string_view bytes) {
  world.files.Add(kMacroName, bytes);
  world.engine->run.statements.Clear();
  LoadMacroFile(*world.engine, std::string(kMacroName));
  return Entries(*world.engine);
}

struct LineCase {
  const char* line;
  std::vector<std::string> entries;
};

class PreprocessLineTest : public ::testing::TestWithParam<LineCase> {};

TEST_P(PreprocessLineTest, ProducesEntries) {
  TestWorld world;
  PreprocessLine(*world.engine, Sjis(GetParam().line));
  EXPECT_EQ(Entries(*world.engine), GetParam().entries);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, PreprocessLineTest,
    ::testing::Values(
        LineCase{"MESSAGE %a \"x;y\"", {"MESSAGE %a \"x"}},
        LineCase{"MESSAGE %a \"x;;y\"", {"MESSAGE %a \"x;y\""}},
        LineCase{"A;;;B", {"A;"}},
        LineCase{" \t　 ", {}},
        LineCase{"; only a comment", {}},
        LineCase{"  KEY abc  ; trailing", {"KEY abc"}},
        LineCase{"else   KEY [ENTER]", {"ELSE", "KEY [ENTER]"}},
        LineCase{"ELSE DIM %a", {"ELSE", "DIM %a"}},
        LineCase{"endif ; done", {"ENDIF"}},
        LineCase{"EndIf and more words", {"ENDIF"}},
        LineCase{"Else", {"ELSE"}},
        LineCase{":label", {":label"}},
        LineCase{"DIM %a", {}},
        // The trail byte of ソ is 0x5C and of 表 0x95; neither is a separator.
        LineCase{"SET %s ソ表;comment", {"SET %s ソ表"}},
        LineCase{"　SET %s x　", {"SET %s x"}}));

TEST(LoaderTest, DimDeclaresNamesAndArrays) {
  TestWorld world;
  PreprocessLine(*world.engine, "DIM %a[2] x %b");
  EXPECT_EQ(world.Var("%A[0]"), "");
  EXPECT_EQ(world.Var("%A[2]"), "");
  EXPECT_EQ(world.Var("%A[3]"), "<undeclared>");
  EXPECT_EQ(world.Var("%B"), "");
  EXPECT_EQ(world.Var("X"), "<undeclared>");
  EXPECT_TRUE(world.engine->run.statements.empty());
}

TEST(LoaderTest, DimBoundsFollowTheirRules) {
  TestWorld world;
  size_t before = world.engine->variables.size();
  PreprocessLine(*world.engine, "DIM %z[abc] %y[-1] %q]x[ %w[1]junk");
  EXPECT_EQ(world.Var("%Z[9]"), "");
  EXPECT_EQ(world.Var("%Z[10]"), "<undeclared>");
  EXPECT_EQ(world.Var("%Y[0]"), "<undeclared>");
  EXPECT_EQ(world.Var("%Q]X["), "");
  EXPECT_EQ(world.Var("%W[1]"), "");
  EXPECT_EQ(world.engine->variables.size(), before + 10 + 1 + 2);
}

TEST(LoaderTest, DimKeepsExistingValues) {
  TestWorld world;
  PreprocessLine(*world.engine, "DIM %keep");
  world.engine->variables.Store(world.engine->variables.Find("%KEEP"), "old");
  PreprocessLine(*world.engine, "DIM %Keep %capturejpg");
  EXPECT_EQ(world.Var("%KEEP"), "old");
  EXPECT_EQ(world.Var("%CAPTUREJPG"), "80");
}

TEST(LoaderTest, HugeDimBoundIsAFatalErrorNotAnAllocation) {
  TestWorld world;
  EXPECT_EQ(world.RunLines({"DIM %a[2000000000]", "END"}), 1);
  ASSERT_FALSE(world.Boxes().empty());
  EXPECT_EQ(world.Boxes()[0], "Err：DIM の添字が大きすぎます（上限 65535）: %a[2000000000]");
}

TEST(LoaderTest, LineEndsFollowTheCarriageReturn) {
  TestWorld world;
  EXPECT_EQ(LoadBytes(world, "A\r\nB\rC"), (std::vector<std::string>{"A", "B", "C"}));
  // With a CR somewhere, a lone LF is an ordinary character of its line.
  EXPECT_EQ(LoadBytes(world, "A\nB\r\nC"), (std::vector<std::string>{"A\nB", "C"}));
  // A file without any CR is split at its LFs.
  EXPECT_EQ(LoadBytes(world, "A\nB\n\nC\n"), (std::vector<std::string>{"A", "B", "C"}));
  EXPECT_EQ(LoadBytes(world, "A\r\nB\x1A\r\nC\r\n"), (std::vector<std::string>{"A", "B"}));
  EXPECT_EQ(LoadBytes(world, std::string_view("A\r\nB\0junk\r\nC", 12)), (std::vector<std::string>{"A", "B", "C"}));
}

TEST(LoaderTest, IncludeExpandsInPlace) {
  TestWorld world;
  world.AddMacro({"SET %b 2", "INCLUDE \"C:\\m\\c.mac\" ignored words"}, "C:\\m\\b.mac");
  world.AddMacro({"SET %c 3"}, "C:\\m\\c.mac");
  world.AddMacro({"SET %a 1", "include C:\\m\\b.mac", "SET %d 4"});
  world.engine->run.statements.Clear();
  LoadMacroFile(*world.engine, std::string(kMacroName));
  EXPECT_EQ(Entries(*world.engine), (std::vector<std::string>{"SET %a 1", "SET %b 2", "SET %c 3", "SET %d 4"}));
  EXPECT_EQ(world.engine->run.includeDepth, 0);
}

TEST(LoaderTest, UnquotedIncludeNameKeepsInnerSpaces) {
  TestWorld world;
  world.AddMacro({"DIM %x", "SET %x 1"}, "C:\\my macros\\x.mac");
  world.AddMacro({"INCLUDE C:\\my macros\\x.mac"});
  EXPECT_EQ(world.Run(), 0) << ::testing::PrintToString(world.Boxes());
  EXPECT_EQ(world.Var("%X"), "1");
}

// main file at depth 1 plus four levels of INCLUDE load; a fifth is refused.
TEST(LoaderTest, IncludeDepthIsLimited) {
  for (int levels : {4, 5}) {
    TestWorld world;
    for (int i = 1; i <= levels; ++i) {
      std::string next = i < levels ? "INCLUDE C:\\m\\" + std::to_string(i + 1) + ".mac" : "SET %0 deep";
      world.AddMacro({next}, "C:\\m\\" + std::to_string(i) + ".mac");
    }
    world.AddMacro({"INCLUDE C:\\m\\1.mac"});
    int exitCode = world.Run();
    if (levels == 4) {
      EXPECT_EQ(exitCode, 0);
      EXPECT_EQ(world.Var("%0"), "deep");
    } else {
      EXPECT_EQ(exitCode, 1);
      EXPECT_EQ(world.Boxes(), (std::vector<std::string>{"Err：４段階以上の INCLUDE をしようとしています",
                                                         "マクロを中断します"}));
    }
  }
}

TEST(LoaderTest, MissingIncludeAsksAndGoesOnWithoutIt) {
  TestWorld world(R"({"answers": ["OK", "YES"]})");
  EXPECT_EQ(world.RunLines({"INCLUDE \"C:\\m\\none.mac", "SET %0 after"}), 0);
  EXPECT_EQ(world.Boxes()[0], "Err： が存在しません");
  EXPECT_EQ(world.Var("%0"), "after");
}

TEST(LoaderTest, MissingMacroEndsOnNo) {
  TestWorld world(R"({"answers": ["OK", "NO"]})");
  EXPECT_EQ(world.Run("C:\\nowhere.mac"), 1);
  EXPECT_EQ(world.Boxes(), (std::vector<std::string>{"Err：C:\\nowhere.mac が存在しません", "マクロを継続しますか？"}));
}

TEST(LoaderTest, UnreadableMacroIsReportedLikeAMissingOne) {
  TestWorld world(R"({"answers": ["OK", "NO"]})");
  world.AddMacro({"SET %0 x"});
  world.files.FailReadsOf(kMacroName);
  EXPECT_EQ(world.Run(), 1);
  EXPECT_EQ(world.Boxes()[0], "Err：" + std::string(kMacroName) + " が存在しません");
}

TEST(LoaderTest, HotkeyLinesLoadByRange) {
  TestWorld world;
  world.engine->hotkeyLines = {"SET %0 a", "SET %1 b", "ELSE SET %2 c"};
  world.engine->run.statements.Clear();
  LoadMacroLines(*world.engine, 0, 0);
  EXPECT_EQ(Entries(*world.engine), (std::vector<std::string>{"SET %0 a"}));
  world.engine->run.statements.Clear();
  LoadMacroLines(*world.engine, 1, 2);
  EXPECT_EQ(Entries(*world.engine), (std::vector<std::string>{"SET %1 b", "ELSE", "SET %2 c"}));
  world.engine->run.statements.Clear();
  LoadMacroLines(*world.engine, 2, 1);
  EXPECT_TRUE(world.engine->run.statements.empty());
}

}  // namespace
}  // namespace vendrix::testing
