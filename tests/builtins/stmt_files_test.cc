// OPEN, CLOSE, READ, WRITE, LOG, WRITEINI and SAVEINI on files in memory,
// their failures, and the end of the program writing out what is waiting.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/file_slots.h"
#include "shell/program.h"
#include "support/test_world.h"

namespace vendrix::testing {
namespace {

const std::string kAbort = "マクロを中断します";

std::string Crlf(const std::vector<std::string>& utf8Lines) {
  std::string bytes;
  for (const std::string& line : utf8Lines) bytes += Sjis(line) + "\r\n";
  return bytes;
}

// ---- writing and reading back ------------------------------------------

TEST(FileStatementsTest, WrittenLinesEndInCrLfAndReadBackUnchanged) {
  TestWorld world;
  EXPECT_EQ(world.RunLines({"DIM %a %b %c %end", "OPEN C:\\m\\out.txt OUTPUT 1", "WRITE 1 \"日本語ソ表\"",
                            "WRITE 1 \"\"", "WRITE 1 abc", "CLOSE 1", "OPEN C:\\m\\out.txt input 3", "READ 3 %a",
                            "READ 3 %b", "READ 3 %c", "SET %end (eof 3)", "CLOSE 3"}),
            0);
  EXPECT_EQ(world.files.Get("C:\\m\\out.txt"), Crlf({"日本語ソ表", "", "abc"}));
  EXPECT_EQ(world.Var("%A"), "日本語ソ表");
  EXPECT_EQ(world.Var("%B"), "");
  EXPECT_EQ(world.Var("%C"), "abc");
  EXPECT_EQ(world.Var("%END"), "True");
  EXPECT_TRUE(world.Boxes().empty());
  EXPECT_EQ(world.files.OpenStreams(), 0);
}

TEST(FileStatementsTest, LinesEndAtCrLfCrOrLf) {
  struct Case {
    std::string bytes;
    std::vector<std::string> lines;
  };
  const std::string longLine(100000, 'x');
  // The CR ends one 64 KiB block and its LF starts the next.
  const std::string blockEnd(kFileBufferBytes - 1, 'y');
  const Case cases[] = {
      {"", {}},
      {"a", {"a"}},
      {"a\r\nb\r\n", {"a", "b"}},
      {"a\rb\nc", {"a", "b", "c"}},
      {"a\n\nb", {"a", "", "b"}},
      {"a\r\r\nb", {"a", "", "b"}},
      {"a\n\r", {"a", ""}},
      {"\x1a" "z\r\n", {"\x1a" "z"}},  // Ctrl-Z is a byte like any other
      {longLine + "\r\nshort", {longLine, "short"}},
      {blockEnd + "\r\nnext", {blockEnd, "next"}},
  };
  for (const Case& c : cases) {
    TestWorld reader;
    reader.files.Add("C:\\m\\in.txt", c.bytes);
    // One READ past the last line: it must come back empty.
    std::vector<std::string> direct = {"DIM %end"};
    for (size_t i = 0; i <= c.lines.size(); ++i) direct.push_back("DIM %l" + std::to_string(i));
    direct.push_back("OPEN C:\\m\\in.txt INPUT 1");
    for (size_t i = 0; i <= c.lines.size(); ++i) direct.push_back("READ 1 %l" + std::to_string(i));
    direct.push_back("SET %end (eof 1)");
    ASSERT_EQ(reader.RunLines(direct), 0) << c.bytes.substr(0, 20);
    for (size_t i = 0; i < c.lines.size(); ++i) {
      EXPECT_EQ(Sjis(reader.Var("%L" + std::to_string(i))), c.lines[i]) << "line " << i << " of " << c.bytes.substr(0, 20);
    }
    EXPECT_EQ(reader.Var("%L" + std::to_string(c.lines.size())), "") << c.bytes.substr(0, 20);
    EXPECT_EQ(reader.Var("%END"), "True") << c.bytes.substr(0, 20);
  }
}

TEST(FileStatementsTest, EofIsFalseWhileALineRemains) {
  TestWorld world;
  world.files.Add("C:\\m\\in.txt", "one\r\ntwo");
  EXPECT_EQ(world.RunLines({"DIM %e0 %e1 %e2 %x", "OPEN C:\\m\\in.txt INPUT 1", "SET %e0 (eof 1)", "READ 1 %x",
                            "SET %e1 (eof 1)", "READ 1 %x", "SET %e2 (eof 1)"}),
            0);
  EXPECT_EQ(world.Var("%E0"), "False");
  EXPECT_EQ(world.Var("%E1"), "False");
  EXPECT_EQ(world.Var("%E2"), "True");
}

TEST(FileStatementsTest, OutputEmptiesAndAppendAddsOrCreates) {
  TestWorld world;
  world.files.Add("C:\\m\\old.txt", "old\r\n");
  world.files.Add("C:\\m\\log.txt", "first\r\n");
  EXPECT_EQ(world.RunLines({"OPEN C:\\m\\old.txt OUTPUT 1", "OPEN C:\\m\\log.txt APPEND 2",
                            "OPEN C:\\m\\new.txt append 3", "WRITE 2 second", "WRITE 3 created", "CLOSE 1",
                            "CLOSE 2", "CLOSE 3"}),
            0);
  EXPECT_EQ(world.files.Get("C:\\m\\old.txt"), "");
  EXPECT_EQ(world.files.Get("C:\\m\\log.txt"), "first\r\nsecond\r\n");
  EXPECT_EQ(world.files.Get("C:\\m\\new.txt"), "created\r\n");
}

TEST(FileStatementsTest, WritesWaitInMemoryUntilCloseThenReachTheFile) {
  TestWorld world;
  EXPECT_EQ(world.RunLines({"OPEN C:\\m\\out.txt OUTPUT 1", "WRITE 1 one"}), 0);
  EXPECT_EQ(world.files.Get("C:\\m\\out.txt"), "");  // buffered: no system call per line
  EXPECT_EQ(world.RunLines({"WRITE 1 two", "CLOSE 1"}), 0);
  EXPECT_EQ(world.files.Get("C:\\m\\out.txt"), "one\r\ntwo\r\n");
}

TEST(FileStatementsTest, ManyLinesGoOutInBlocksAsTheyAccumulate) {
  TestWorld world;
  const std::string line(1000, 'q');
  EXPECT_EQ(world.RunLines({"DIM %i", "OPEN C:\\m\\out.txt OUTPUT 1", "FOR %i=1 TO 100",
                            "WRITE 1 " + line, "NEXT"}),
            0);
  const size_t written = world.files.Get("C:\\m\\out.txt")->size();
  EXPECT_GE(written, kFileBufferBytes);
  EXPECT_LT(written, 100 * (line.size() + 2));
  EXPECT_EQ(world.RunLines({"CLOSE 1"}), 0);
  EXPECT_EQ(world.files.Get("C:\\m\\out.txt")->size(), 100 * (line.size() + 2));
}

TEST(FileStatementsTest, SlotsOutliveTheRun) {
  TestWorld world;
  EXPECT_EQ(world.RunLines({"OPEN C:\\m\\a.txt OUTPUT 2"}), 0);
  EXPECT_EQ(world.RunLines({"OPEN C:\\m\\b.txt OUTPUT 2"}), 1);
  EXPECT_EQ(world.Boxes(), (std::vector<std::string>{"Err：ファイル番号2 は既にオープンされています", kAbort}));
}

// ---- checks on numbers, modes and names --------------------------------

TEST(FileStatementsTest, MacroErrorsAreFatalWithTheirMessages) {
  struct Case {
    std::vector<std::string> lines;
    std::string message;
  };
  const Case cases[] = {
      {{"OPEN C:\\m\\a.txt OUTPUT 4"}, "ファイル番号（ 4 ）は不正です"},
      {{"OPEN C:\\m\\a.txt OUTPUT one"}, "ファイル番号（ 0 ）は不正です"},
      {{"OPEN C:\\m\\a.txt OUTPUT -1"}, "ファイル番号（ -1 ）は不正です"},
      {{"OPEN C:\\m\\a.txt OUTPUT 2", "OPEN C:\\m\\b.txt OUTPUT 2"}, "ファイル番号2 は既にオープンされています"},
      {{"OPEN C:\\m\\a.txt write 1"}, "WRITE は不正な動作指定です"},
      {{"OPEN C:\\m\\missing.txt INPUT 1"}, "ファイル C:\\m\\missing.txt は存在しません"},
      {{"CLOSE 1"}, "ファイル番号1 はオープンされていません"},
      {{"CLOSE 0"}, "ファイル番号（ 0 ）は不正です"},
      {{"DIM %a", "READ 3 %a"}, "ファイル番号3 はオープンされていません"},
      {{"WRITE 4 x"}, "ファイル番号（ 4 ）は不正です"},
      {{"OPEN C:\\m\\a.txt OUTPUT 1", "READ 1 abc"}, "不正な変数です：READ 1 abc"},
      {{"DIM %e", "SET %e (eof 4)"}, "ファイル番号（ 4 ）は不正です"},
      {{"DIM %e", "SET %e (eof 2)"}, "ファイル番号2 はオープンされていません"},
  };
  for (const Case& c : cases) {
    TestWorld world;
    EXPECT_EQ(world.RunLines(c.lines), 1) << c.message;
    EXPECT_EQ(world.Boxes(), (std::vector<std::string>{"Err：" + c.message, kAbort}));
  }
}

TEST(FileStatementsTest, SystemFailuresNameTheStatementTheFileAndTheReason) {
  struct Case {
    std::vector<std::string> lines;
    std::string message;
  };
  const std::string denied = " (アクセスが拒否されました)";
  const Case cases[] = {
      {{"OPEN C:\\nowhere\\a.txt OUTPUT 1"}, "OPEN できません : C:\\nowhere\\a.txt (指定されたパスが見つかりません)"},
      {{"OPEN C:\\m\\locked.txt APPEND 1"}, "OPEN できません : C:\\m\\locked.txt (別のプロセスがファイルを使用中です)"},
      {{"OPEN C:\\m\\in.txt INPUT 1", "WRITE 1 x"}, "WRITE できません : C:\\m\\in.txt" + denied},
      {{"DIM %a", "OPEN C:\\m\\o.txt OUTPUT 2", "READ 2 %a"}, "READ できません : C:\\m\\o.txt" + denied},
      {{"DIM %a", "OPEN C:\\m\\o.txt APPEND 3", "SET %a (eof 3)"}, "eof できません : C:\\m\\o.txt" + denied},
      {{"LOG C:\\m\\locked.txt line"}, "LOG できません : C:\\m\\locked.txt (別のプロセスがファイルを使用中です)"},
      {{"LOG C:\\nowhere\\log.txt line"}, "LOG できません : C:\\nowhere\\log.txt (指定されたパスが見つかりません)"},
      {{"WRITEINI C:\\m\\locked.txt s k v"}, "WRITEINI できません : C:\\m\\locked.txt (別のプロセスがファイルを使用中です)"},
      {{"WRITEINI C:\\nowhere\\x.ini s k v"}, "WRITEINI できません : C:\\nowhere\\x.ini (指定されたパスが見つかりません)"},
  };
  for (const Case& c : cases) {
    TestWorld world;
    world.files.Add("C:\\m\\in.txt", "line\r\n");
    world.files.Add("C:\\m\\locked.txt", "");
    world.files.Lock("C:\\m\\locked.txt");
    EXPECT_EQ(world.RunLines(c.lines), 1) << c.message;
    EXPECT_EQ(world.Boxes(), (std::vector<std::string>{"Err：" + c.message, kAbort}));
  }
}

TEST(FileStatementsTest, FullDiskIsReportedByTheStatementThatWritesOut) {
  TestWorld world;
  world.files.SetFreeSpace(5);
  EXPECT_EQ(world.RunLines({"OPEN C:\\m\\out.txt OUTPUT 1", "WRITE 1 abcdef", "CLOSE 1", "WRITE 1 more"}), 1);
  EXPECT_EQ(world.Boxes(), (std::vector<std::string>{
                               "Err：CLOSE できません : C:\\m\\out.txt (ディスクに十分な空き領域がありません)", kAbort}));
  // The slot is closed all the same.
  EXPECT_EQ(world.files.OpenStreams(), 0);
  EXPECT_EQ(world.RunLines({"OPEN C:\\m\\other.txt OUTPUT 1", "CLOSE 1"}), 0);
}

TEST(FileStatementsTest, AFileTooLongForOneLineIsAnErrorNotAnAllocation) {
  TestWorld world;
  world.files.Add("C:\\m\\in.txt", std::string(kMaxLineBytes + 1, 'z'));
  EXPECT_EQ(world.RunLines({"DIM %a", "OPEN C:\\m\\in.txt INPUT 1", "READ 1 %a"}), 1);
  EXPECT_EQ(world.Boxes(), (std::vector<std::string>{
                               "Err：READ できません : C:\\m\\in.txt (行が長すぎます（上限 64 MB）)", kAbort}));
}

// ---- LOG -------------------------------------------------------------------

TEST(FileStatementsTest, LogAppendsShiftJisLinesAndCreatesTheFile) {
  TestWorld world;
  EXPECT_EQ(world.RunLines({"LOG C:\\m\\run.log \"開始しました\"", "LOG C:\\m\\run.log (& \"件数 \" 3)"}), 0);
  EXPECT_EQ(world.files.Get("C:\\m\\run.log"), Crlf({"開始しました", "件数 3"}));
  EXPECT_EQ(world.files.OpenStreams(), 0);  // nothing stays open between LOG lines
}

// ---- INI files -------------------------------------------------------------

TEST(FileStatementsTest, WriteIniWithoutAFolderGoesToTheDefaultIniFolder) {
  TestWorld world;
  world.files.SetWindowsFolder("C:\\WIN\\");
  world.files.Add("C:\\WIN\\keep.txt", "");
  EXPECT_EQ(world.RunLines({"DIM %a %b", "WRITEINI app.ini 設定 名前 \"値 です\"", "WRITEINI C:\\m\\own.ini s k v",
                            "SET %a (readini app.ini 設定 名前)", "SET %b (readini C:\\m\\own.ini s k)"}),
            0);
  EXPECT_EQ(world.files.Get("C:\\WIN\\app.ini"), Crlf({"[設定]", "名前=値 です"}));
  EXPECT_EQ(world.files.Get("C:\\m\\own.ini"), Crlf({"[s]", "k=v"}));
  EXPECT_EQ(world.Var("%A"), "値 です");
  EXPECT_EQ(world.Var("%B"), "v");
}

TEST(FileStatementsTest, WriteIniChangesOneValueAndKeepsTheRest) {
  TestWorld world;
  world.files.Add("C:\\m\\a.ini", "; note\r\n[one]\r\nx=1\r\ny=2\r\n[two]\r\nx=3\r\n");
  EXPECT_EQ(world.RunLines({"WRITEINI C:\\m\\a.ini ONE Y 20", "WRITEINI C:\\m\\a.ini two z 4"}), 0);
  EXPECT_EQ(world.files.Get("C:\\m\\a.ini"), "; note\r\n[one]\r\nx=1\r\ny=20\r\n[two]\r\nx=3\r\nz=4\r\n");
}

TEST(FileStatementsTest, FailedIniWriteLeavesTheOldFileWhole) {
  TestWorld world;
  world.files.Add("C:\\m\\a.ini", "[s]\r\nk=old\r\n");
  world.files.FailWritesOf("C:\\m\\a.ini");
  EXPECT_EQ(world.RunLines({"WRITEINI C:\\m\\a.ini s k new"}), 1);
  EXPECT_EQ(world.files.Get("C:\\m\\a.ini"), "[s]\r\nk=old\r\n");
  EXPECT_EQ(world.Boxes()[0], "Err：WRITEINI できません : C:\\m\\a.ini (アクセスが拒否されました)");
}

TEST(FileStatementsTest, SaveIniWritesBesideTheMacroAndLoadIniReadsIt) {
  TestWorld world;
  EXPECT_EQ(world.RunLines({"DIM %a %b", "SAVEINI count 42", "SAVEINI 名前 太郎", "SET %a (loadini COUNT)",
                            "SET %b (loadini missing)"}),
            0);
  EXPECT_EQ(world.files.Get("C:\\m\\test.ini"), Crlf({"[saveini]", "count=42", "名前=太郎"}));
  EXPECT_EQ(world.Var("%A"), "42");
  EXPECT_EQ(world.Var("%B"), "");
}

TEST(FileStatementsTest, MacroIniNameReplacesOnlyTheLastExtension) {
  struct Case {
    std::string macro;
    std::string ini;
  };
  const Case cases[] = {
      {"C:\\m\\job.mac", "C:\\m\\job.ini"},
      {"C:\\m\\job", "C:\\m\\job.ini"},
      {"C:\\m.d\\job", "C:\\m.d\\job.ini"},
      {"C:\\m\\a.b.mac", "C:\\m\\a.b.ini"},
      {"job.mac", "C:\\WINDOWS\\job.ini"},
  };
  for (const Case& c : cases) {
    TestWorld world;
    EXPECT_EQ(MacroIniPath(*world.engine, c.macro), c.ini) << c.macro;
  }
}

// Where a statement needs a file, a folder of that name is no file: the
// message and the outcome of a missing file apply.
TEST(FolderForAFileTest, StatementsThatNeedAFile) {
  struct Case {
    std::string line;
    std::vector<std::string> boxes;
    int exitCode;
  };
  const Case cases[] = {
      {"OPEN C:\\m\\dir INPUT 1", {"Err：ファイル C:\\m\\dir は存在しません", kAbort}, 1},
      {"OPENGRAPH 1 C:\\m\\dir.bmp", {"Err：指定した画像ファイルがありません : OPENGRAPH C:\\m\\dir.bmp", kAbort}, 1},
      {"INCLUDE C:\\m\\dir", {"Err：C:\\m\\dir が存在しません", "マクロを継続しますか？"}, 1},
  };
  for (const Case& c : cases) {
    TestWorld world(R"({"answers": ["OK", "NO"]})");
    world.files.Add("C:\\m\\dir\\inside.txt", "");
    world.files.Add("C:\\m\\dir.bmp\\inside.txt", "");
    EXPECT_EQ(world.RunLines({c.line, "SET %0 after"}), c.exitCode) << c.line;
    EXPECT_EQ(world.Boxes(), c.boxes) << c.line;
    EXPECT_EQ(world.Var("%0"), "") << c.line;
  }
  TestWorld world;
  world.files.Add("C:\\m\\dir\\inside.txt", "");
  EXPECT_EQ(world.Run("C:\\m\\dir"), 0);  // the macro file itself: missing, go on, nothing to run
  EXPECT_EQ(world.Boxes(), (std::vector<std::string>{"Err：C:\\m\\dir が存在しません", "マクロを継続しますか？",
                                                     "マクロが１行もありません。終了します"}));
}

// ---- the end of the program ------------------------------------------------

class FileShutdownTest : public ::testing::Test {
 protected:
  FileShutdownTest() {
    world_.host.SetProgramPath("C:\\Vendrix\\Vendrix.exe");
    world_.engine.reset();  // the program builds its own engine
    world_.files.Add("C:\\Vendrix\\Vendrix.INI", "[Options]\r\n");
    world_.files.Add("C:\\Vendrix\\Zemlo.INI", "[Options]\r\n");
  }

  int RunProgram(const std::vector<std::string>& lines) {
    world_.AddMacro(lines, "C:\\m\\job.mac");
    return shell::RunProgram(world_.platform, {"-FILE=C:\\m\\job.mac"});
  }

  TestWorld world_;
};

TEST_F(FileShutdownTest, AfterAFatalFileErrorEarlierLinesAreInTheFileAndInputIsFree) {
  EXPECT_EQ(RunProgram({"BLOCKINPUT 30", "OPEN C:\\m\\out.txt OUTPUT 1", "WRITE 1 \"一行目\"", "WRITE 1 second",
                        "OPEN C:\\m\\log.txt APPEND 3", "WRITE 3 logged", "OPEN C:\\nowhere\\x.txt OUTPUT 2",
                        "WRITE 1 never"}),
            1);
  EXPECT_EQ(world_.Boxes(), (std::vector<std::string>{
                                "Err：OPEN できません : C:\\nowhere\\x.txt (指定されたパスが見つかりません)", kAbort}));
  EXPECT_EQ(world_.files.Get("C:\\m\\out.txt"), Crlf({"一行目", "second"}));
  EXPECT_EQ(world_.files.Get("C:\\m\\log.txt"), "logged\r\n");
  EXPECT_EQ(world_.files.OpenStreams(), 0);
  const std::vector<std::string> blocks = world_.CallsOf("BlockInput", "block");
  ASSERT_FALSE(blocks.empty());
  EXPECT_EQ(blocks.back(), "false");
}

TEST_F(FileShutdownTest, AReadFromAnOutputSlotStillKeepsItsWrittenLines) {
  EXPECT_EQ(RunProgram({"DIM %a", "OPEN C:\\m\\out.txt OUTPUT 1", "WRITE 1 kept", "READ 1 %a"}), 1);
  EXPECT_EQ(world_.files.Get("C:\\m\\out.txt"), "kept\r\n");
}

TEST_F(FileShutdownTest, SlotsLeftOpenAreWrittenOutAtTheNormalEnd) {
  EXPECT_EQ(RunProgram({"OPEN C:\\m\\out.txt OUTPUT 1", "WRITE 1 unclosed"}), 0);
  EXPECT_EQ(world_.files.Get("C:\\m\\out.txt"), "unclosed\r\n");
  EXPECT_TRUE(world_.Boxes().empty());
}

// However the run ends, a slot that cannot be written out is shown and the
// program ends with 1, as after an explicit CLOSE that fails; the other
// slots are still written out.
TEST(FileShutdownEndsTest, AFailureWhileWritingOutAtTheEndIsNoSuccess) {
  struct Case {
    const char* how;
    std::string desktop;
    std::vector<std::string> tail;
    std::vector<std::string> boxesBefore;
  };
  const Case cases[] = {
      {"after the last line", "{}", {"SET %0 last"}, {}},
      {"at END", "{}", {"END", "SET %0 never"}, {}},
      {"at END in a subroutine", "{}", {"CALL :sub", "SET %0 never", ":sub", "IF (= 1 1) END", "RETURN"}, {}},
      {"by the break key", R"({"keys": [{"vk": 27, "down": 100}]})", {"DELAY 200", "SET %0 never"},
       {"マクロの実行を中断します"}},
  };
  for (const Case& c : cases) {
    TestWorld world(c.desktop);
    world.host.SetProgramPath("C:\\Vendrix\\Vendrix.exe");
    world.engine.reset();
    world.files.Add("C:\\Vendrix\\Vendrix.INI", "[Options]\r\n");
    world.files.Add("C:\\Vendrix\\Zemlo.INI", "[Options]\r\n");
    world.files.SetFreeSpace(8);
    std::vector<std::string> lines = {"OPEN C:\\m\\small.txt OUTPUT 1", "OPEN C:\\m\\big.txt OUTPUT 2",
                                      "WRITE 1 fits", "WRITE 2 too-long-for-the-disk"};
    lines.insert(lines.end(), c.tail.begin(), c.tail.end());
    world.AddMacro(lines, "C:\\m\\job.mac");
    EXPECT_EQ(shell::RunProgram(world.platform, {"-FILE=C:\\m\\job.mac"}), 1) << c.how;
    std::vector<std::string> boxes = c.boxesBefore;
    boxes.push_back("Err：CLOSE できません : C:\\m\\big.txt (ディスクに十分な空き領域がありません)");
    EXPECT_EQ(world.Boxes(), boxes) << c.how;
    EXPECT_EQ(world.files.Get("C:\\m\\small.txt"), "fits\r\n") << c.how;
    EXPECT_EQ(world.files.OpenStreams(), 0) << c.how;
  }
}

TEST_F(FileShutdownTest, AFullDiskWhileWritingIsReportedOnceByWrite) {
  world_.files.SetFreeSpace(1000);
  EXPECT_EQ(RunProgram({"DIM %i", "OPEN C:\\m\\out.txt OUTPUT 1", "FOR %i=1 TO 100",
                        "WRITE 1 " + std::string(1000, 'w'), "NEXT"}),
            1);
  EXPECT_EQ(world_.Boxes(), (std::vector<std::string>{
                                "Err：WRITE できません : C:\\m\\out.txt (ディスクに十分な空き領域がありません)", kAbort}));
  EXPECT_EQ(world_.files.OpenStreams(), 0);
}

TEST_F(FileShutdownTest, SaveIniAndLoadIniNeedAMacroFile) {
  // A macro of the hotkey file has no file name.
  for (const std::string& line : {std::string("SAVEINI k v"), std::string("SET %0 (loadini k)")}) {
    TestWorld world;
    world.engine->hotkeyLines = {Sjis(line)};
    int exitCode = 0;
    try {
      RunMacroLines(*world.engine, 0, 0);
    } catch (const ProgramEnd& end) {
      exitCode = end.exitCode;
    }
    EXPECT_EQ(exitCode, 1) << line;
    const std::string which = line.find("SAVEINI") == 0 ? "saveini" : "loadini";
    EXPECT_EQ(world.Boxes(), (std::vector<std::string>{"Err：マクロファイル名がありません : " + which, kAbort}));
  }
}

}  // namespace
}  // namespace vendrix::testing
