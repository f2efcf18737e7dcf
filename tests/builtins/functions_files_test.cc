// The functions on files, folders, INI files and the environment: on files
// in memory for their rules, and on a real temporary folder (Linux) for the
// platform calls behind them.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/posix/posix_files.h"
#include "platform/posix/posix_host.h"
#include "support/test_world.h"

namespace vendrix::testing {
namespace {

namespace fs = std::filesystem;

const std::string kAbort = "マクロを中断します";

struct Expectation {
  std::string call;
  std::string value;
};

template <typename World>
void ExpectValues(World& world, const std::vector<Expectation>& cases) {
  for (const Expectation& c : cases) EXPECT_EQ(world.Eval(c.call), c.value) << c.call;
}

// ---- on files in memory ----------------------------------------------------

class MemoryFunctionsTest : public ::testing::Test {
 protected:
  MemoryFunctionsTest() {
    world_.files.Add("C:\\d\\a.txt", "alpha");
    world_.files.Add("C:\\d\\b.txt", "bravo!");
    world_.files.Add("C:\\d\\empty.txt", "");
    world_.files.CreateFolder("C:\\d\\sub");
  }
  TestWorld world_;
};

TEST_F(MemoryFunctionsTest, ExistenceOfFilesAndFolders) {
  ExpectValues(world_, {
                           {"(fileexists C:\\d\\a.txt)", "True"},
                           {"(fileexists c:\\D\\A.TXT)", "True"},
                           {"(fileexists C:\\d\\sub)", "False"},
                           {"(fileexists C:\\d)", "False"},
                           {"(fileexists C:\\d\\none.txt)", "False"},
                           {"(fileexists)", "False"},
                           {"(direxists C:\\d\\sub)", "True"},
                           {"(direxists C:\\d\\sub\\)", "True"},
                           {"(direxists C:\\d)", "True"},
                           {"(direxists C:\\d\\a.txt)", "False"},
                           {"(direxists C:\\none)", "False"},
                       });
}

TEST_F(MemoryFunctionsTest, SizesAreDecimalOrFalse) {
  ExpectValues(world_, {
                           {"(getfilesize C:\\d\\a.txt)", "5"},
                           {"(getfilesize C:\\d\\empty.txt)", "0"},
                           {"(getfilesize C:\\d\\missing.txt)", "False"},
                           {"(getfilesize C:\\d\\sub)", "False"},
                       });
}

TEST_F(MemoryFunctionsTest, CopyReplacesOnlyWhenAsked) {
  ExpectValues(world_, {
                           {"(copyfile C:\\d\\a.txt C:\\d\\b.txt)", "False"},
                           {"(copyfile C:\\d\\a.txt C:\\d\\b.txt false)", "False"},
                           {"(copyfile C:\\d\\missing.txt C:\\d\\c.txt)", "False"},
                           {"(copyfile C:\\d\\a.txt C:\\nowhere\\c.txt)", "False"},
                       });
  EXPECT_EQ(world_.files.Get("C:\\d\\b.txt"), "bravo!");
  ExpectValues(world_, {
                           {"(copyfile C:\\d\\a.txt C:\\d\\b.txt TRUE)", "True"},
                           {"(copyfile C:\\d\\a.txt C:\\d\\c.txt)", "True"},
                       });
  EXPECT_EQ(world_.files.Get("C:\\d\\b.txt"), "alpha");
  EXPECT_EQ(world_.files.Get("C:\\d\\c.txt"), "alpha");
  EXPECT_EQ(world_.files.Get("C:\\d\\a.txt"), "alpha");
}

TEST_F(MemoryFunctionsTest, MoveRenameAndDelete) {
  ExpectValues(world_, {
                           {"(movefile C:\\d\\a.txt C:\\d\\b.txt)", "False"},  // never replaces
                           {"(movefile C:\\d\\a.txt C:\\d\\sub\\a2.txt)", "True"},
                           {"(renamefile C:\\d\\sub\\a2.txt C:\\d\\a3.txt)", "True"},
                           {"(movefile C:\\d\\a.txt C:\\d\\x.txt)", "False"},
                           {"(deletefile C:\\d\\a3.txt)", "True"},
                           {"(deletefile C:\\d\\a3.txt)", "False"},
                           {"(deletefile C:\\d\\sub)", "False"},
                       });
  EXPECT_FALSE(world_.files.Get("C:\\d\\a.txt"));
  EXPECT_FALSE(world_.files.Get("C:\\d\\a3.txt"));
}

TEST_F(MemoryFunctionsTest, FoldersAreMadeAndRemovedOneLevelAtATime) {
  ExpectValues(world_, {
                           {"(createdir C:\\d\\new)", "True"},
                           {"(createdir C:\\d\\new)", "False"},
                           {"(createdir C:\\d\\x\\y)", "False"},
                           {"(direxists C:\\d\\new)", "True"},
                           {"(deletedir C:\\d)", "False"},  // not empty
                           {"(deletedir C:\\d\\new)", "True"},
                           {"(direxists C:\\d\\new)", "False"},
                           {"(deletedir C:\\d\\new)", "False"},
                       });
}

TEST_F(MemoryFunctionsTest, CompareFileLooksAtSizeThenEveryByte) {
  const std::string base(300, 'k');
  std::string early = base;
  early[10] = 'x';
  std::string late = base;
  late[290] = 'x';
  world_.files.Add("C:\\c\\base", base);
  world_.files.Add("C:\\c\\same", base);
  world_.files.Add("C:\\c\\early", early);
  world_.files.Add("C:\\c\\late", late);
  world_.files.Add("C:\\c\\short", base.substr(0, 299));
  world_.files.Add("C:\\c\\e1", "");
  world_.files.Add("C:\\c\\e2", "");
  world_.files.Add("C:\\c\\h1", std::string(100, 'a'));
  world_.files.Add("C:\\c\\h2", std::string(100, 'b'));
  // A file that cannot be read at all: equal sizes alone do not make it equal.
  world_.files.Add("C:\\c\\locked", base);
  world_.files.FailReadsOf("C:\\c\\locked");
  ExpectValues(world_, {
                           {"(comparefile C:\\c\\base C:\\c\\same)", "True"},
                           {"(comparefile C:\\c\\base C:\\c\\early)", "False"},
                           {"(comparefile C:\\c\\base C:\\c\\late)", "False"},
                           {"(comparefile C:\\c\\base C:\\c\\short)", "False"},
                           {"(comparefile C:\\c\\e1 C:\\c\\e2)", "True"},
                           {"(comparefile C:\\c\\h1 C:\\c\\h2)", "False"},
                           {"(comparefile C:\\c\\base C:\\c\\locked)", "False"},
                       });
}

TEST_F(MemoryFunctionsTest, CompareFileWithAMissingFileIsFatal) {
  struct Case {
    std::string call;
    std::string path;
  };
  const Case cases[] = {
      {"(comparefile C:\\d\\none C:\\d\\a.txt)", "C:\\d\\none"},
      {"(comparefile C:\\d\\a.txt C:\\d\\none2)", "C:\\d\\none2"},
      {"(comparefile C:\\d\\sub C:\\d\\a.txt)", "C:\\d\\sub"},
  };
  for (const Case& c : cases) {
    TestWorld world;
    world.files.Add("C:\\d\\a.txt", "x");
    world.files.CreateFolder("C:\\d\\sub");
    EXPECT_EQ(world.RunLines({"DIM %r", "SET %r " + c.call}), 1) << c.call;
    EXPECT_EQ(world.Boxes(), (std::vector<std::string>{"Err：指定したファイルがありません : comparefile" + c.path, kAbort}));
  }
}

TEST_F(MemoryFunctionsTest, EnvironmentAndFolders) {
  world_.host.SetEnvironmentVariable("HOME_DIR", Sjis("C:\\Users\\太郎"));
  world_.host.SetEnvironmentVariable("LONG", std::string(5000, 'v'));
  world_.host.SetEnvironmentVariable("EMPTY", "");
  world_.host.SetCurrentFolder("D:\\work");
  world_.engine->programFolder = "C:\\Vendrix\\";
  ExpectValues(world_, {
                           {"(getenv HOME_DIR)", "C:\\Users\\太郎"},
                           {"(getenv LONG)", std::string(5000, 'v')},  // the whole value
                           {"(getenv EMPTY)", "False"},
                           {"(getenv NO_SUCH_VARIABLE)", "False"},
                           {"(getcurrentdir)", "D:\\work"},
                           {"(getexedir)", "C:\\Vendrix\\"},
                       });
}

TEST_F(MemoryFunctionsTest, ReadIniGivesTheValueOrTheEmptyText) {
  world_.files.Add("C:\\d\\a.ini", "[Main]\r\nName = \"quoted\" \r\nLong=" + std::string(2000, 'L') + "\r\n");
  world_.files.Add("C:\\WINDOWS\\win.ini", "[w]\r\nk=windows\r\n");
  ExpectValues(world_, {
                           {"(readini C:\\d\\a.ini main name)", "quoted"},
                           {"(readini C:\\d\\a.ini main other)", ""},
                           {"(readini C:\\d\\a.ini nosection name)", ""},
                           {"(readini C:\\d\\missing.ini main name)", ""},
                           {"(readini C:\\d\\sub main name)", ""},
                           {"(readini win.ini w k)", "windows"},
                           {"(readini C:\\d\\a.ini main long)", std::string(1023, 'L')},
                       });
}

// ---- on a real temporary folder --------------------------------------------

class TempFolder {
 public:
  TempFolder() {
    std::string pattern = (fs::temp_directory_path() / "vendrix-fn-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    path_ = pattern;
  }
  ~TempFolder() {
    std::error_code ignored;
    fs::remove_all(path_, ignored);
  }
  std::string operator/(std::string_view name) const { return path_ + "/" + std::string(name); }
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

void PutFile(const std::string& path, std::string_view bytes) { std::ofstream(path, std::ios::binary) << bytes; }

std::string FileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// A world whose files and host are the real Linux ones.
class PosixWorld {
 public:
  PosixWorld()
      : platform{desktop.PlatformWith(files, host)},
        engine(NewEngine(platform)) {
    desktop.KeepTrace(true);
    engine->programFolder = folder.path() + "/";
  }

  int Run(const std::vector<std::string>& lines) {
    std::string bytes;
    for (const std::string& line : lines) bytes += Sjis(line) + "\r\n";
    PutFile(folder / "job.mac", bytes);
    try {
      RunMacro(*engine, folder / "job.mac");
      return 0;
    } catch (const ProgramEnd& end) {
      engine->run.idle = true;
      return end.exitCode;
    }
  }

  std::string Eval(std::string_view utf8) { return Utf8(EvaluateText(*engine, Sjis(utf8))); }
  std::string Var(std::string_view name) { return Utf8(engine->variables.Value(engine->variables.Find(name))); }
  std::vector<std::string> Boxes() const {
    std::vector<std::string> out;
    for (const nlohmann::json& entry : desktop.Trace()) {
      if (entry.value("call", "") == "MessageBoxA") out.push_back(entry["text"].get<std::string>());
    }
    return out;
  }

  TempFolder folder;
  sim::SimDesktop desktop;
  posix::PosixFiles files;
  posix::PosixHost host;
  platform::Platform platform;
  std::unique_ptr<Engine> engine;
};

TEST(PosixFunctionsTest, FileFunctionsOnARealFolder) {
  PosixWorld world;
  const std::string d = world.folder.path();
  PutFile(d + "/a.txt", "alpha");
  PutFile(d + "/b.txt", "bravo");
  PutFile(d + "/日本語.txt", "nihongo");
  fs::create_directory(d + "/sub");
  ExpectValues(world, {
                          {"(fileexists " + d + "/a.txt)", "True"},
                          {"(fileexists " + d + "/日本語.txt)", "True"},
                          {"(fileexists " + d + "/sub)", "False"},
                          {"(direxists " + d + "/sub)", "True"},
                          {"(direxists " + d + "/sub/)", "True"},
                          {"(direxists " + d + "/a.txt)", "False"},
                          {"(getfilesize " + d + "/日本語.txt)", "7"},
                          {"(getfilesize " + d + "/none)", "False"},
                          {"(copyfile " + d + "/a.txt " + d + "/b.txt)", "False"},
                          {"(copyfile " + d + "/a.txt " + d + "/a.txt true)", "False"},
                          {"(copyfile " + d + "/a.txt " + d + "/c.txt)", "True"},
                          {"(comparefile " + d + "/a.txt " + d + "/c.txt)", "True"},
                          {"(comparefile " + d + "/a.txt " + d + "/b.txt)", "False"},
                          {"(copyfile " + d + "/a.txt " + d + "/b.txt TRUE)", "True"},
                          {"(movefile " + d + "/b.txt " + d + "/c.txt)", "False"},
                          {"(movefile " + d + "/b.txt " + d + "/sub/b.txt)", "True"},
                          {"(renamefile " + d + "/sub " + d + "/sub2)", "True"},
                          {"(deletedir " + d + "/sub2)", "False"},
                          {"(deletefile " + d + "/sub2/b.txt)", "True"},
                          {"(deletefile " + d + "/sub2)", "False"},
                          {"(deletedir " + d + "/sub2)", "True"},
                          {"(createdir " + d + "/new)", "True"},
                          {"(createdir " + d + "/new)", "False"},
                          {"(createdir " + d + "/x/y)", "False"},
                      });
  EXPECT_EQ(FileBytes(d + "/a.txt"), "alpha");  // a copy onto itself destroys nothing
  EXPECT_EQ(FileBytes(d + "/c.txt"), "alpha");
  EXPECT_FALSE(fs::exists(d + "/b.txt"));
}

TEST(PosixFunctionsTest, EnvironmentAndCurrentFolder) {
  PosixWorld world;
  const std::string longValue(10000, 'w');
  ::setenv("VENDRIX_TEST_LONG", longValue.c_str(), 1);
  ::setenv("VENDRIX_TEST_JAPANESE", "日本語", 1);
  ::setenv("VENDRIX_TEST_EMPTY", "", 1);
  ::unsetenv("VENDRIX_TEST_UNSET");
  ExpectValues(world, {
                          {"(getenv VENDRIX_TEST_LONG)", longValue},
                          {"(getenv VENDRIX_TEST_JAPANESE)", "日本語"},
                          {"(getenv VENDRIX_TEST_EMPTY)", "False"},
                          {"(getenv VENDRIX_TEST_UNSET)", "False"},
                          {"(getcurrentdir)", fs::current_path().string()},
                          {"(getexedir)", world.folder.path() + "/"},
                      });
}

TEST(PosixFunctionsTest, StatementsOnARealFolder) {
  PosixWorld world;
  const std::string d = world.folder.path();
  PutFile(d + "/in.txt", Sjis("一行目\r\nsecond\rthird\nlast"));
  EXPECT_EQ(world.Run({"DIM %line %end", "OPEN " + d + "/in.txt INPUT 1", "OPEN " + d + "/out.txt OUTPUT 2",
                       ":loop", "IF (eof 1) GOTO :done", "READ 1 %line", "WRITE 2 %line", "GOTO :loop", ":done",
                       "CLOSE 1", "CLOSE 2", "LOG " + d + "/run.log \"ログ\"", "LOG " + d + "/run.log 二行目",
                       "WRITEINI " + d + "/a.ini 節 鍵 値", "SAVEINI saved yes"}),
            0);
  EXPECT_TRUE(world.Boxes().empty());
  EXPECT_EQ(FileBytes(d + "/out.txt"), Sjis("一行目\r\nsecond\r\nthird\r\nlast\r\n"));
  EXPECT_EQ(FileBytes(d + "/run.log"), Sjis("ログ\r\n二行目\r\n"));
  EXPECT_EQ(FileBytes(d + "/a.ini"), Sjis("[節]\r\n鍵=値\r\n"));
  EXPECT_EQ(FileBytes(d + "/job.ini"), "[saveini]\r\nsaved=yes\r\n");
  EXPECT_EQ(world.Eval("(readini " + d + "/a.ini 節 鍵)"), "値");
  EXPECT_EQ(world.Eval("(loadini SAVED)"), "yes");
}

TEST(PosixFunctionsTest, IniNamesWithoutAFolderLiveInTheProgramFolder) {
  PosixWorld world;
  EXPECT_EQ(world.Run({"WRITEINI plain.ini s k v"}), 0);
  EXPECT_EQ(FileBytes(world.folder / "plain.ini"), "[s]\r\nk=v\r\n");
  EXPECT_EQ(world.Eval("(readini plain.ini s k)"), "v");
}

TEST(PosixFunctionsTest, SystemFailuresCarryTheSystemsWords) {
  struct Case {
    std::vector<std::string> lines;
    std::string message;
  };
  PosixWorld probe;
  const std::string d = probe.folder.path();
  PutFile(d + "/in.txt", "x\r\n");
  fs::create_directory(d + "/folder");
  const Case cases[] = {
      {{"OPEN " + d + "/none/x.txt OUTPUT 1"}, "OPEN できません : " + d + "/none/x.txt (No such file or directory)"},
      {{"OPEN " + d + "/folder INPUT 1"}, "ファイル " + d + "/folder は存在しません"},  // a folder is no file
      {{"OPEN " + d + "/folder OUTPUT 1"}, "OPEN できません : " + d + "/folder (Is a directory)"},
      {{"DIM %a", "OPEN " + d + "/o.txt OUTPUT 1", "READ 1 %a"}, "READ できません : " + d + "/o.txt (Bad file descriptor)"},
      {{"OPEN " + d + "/in.txt INPUT 1", "WRITE 1 x"}, "WRITE できません : " + d + "/in.txt (Bad file descriptor)"},
      {{"OPEN /dev/full OUTPUT 1", "WRITE 1 x", "CLOSE 1"}, "CLOSE できません : /dev/full (No space left on device)"},
      {{"LOG " + d + "/folder x"}, "LOG できません : " + d + "/folder (Is a directory)"},
      {{"WRITEINI " + d + "/folder s k v"}, "WRITEINI できません : " + d + "/folder (Is a directory)"},
  };
  for (const Case& c : cases) {
    PosixWorld world;  // runs its macro from a folder of its own
    EXPECT_EQ(world.Run(c.lines), 1) << c.message;
    EXPECT_EQ(world.Boxes(), (std::vector<std::string>{"Err：" + c.message, kAbort}));
  }
}

}  // namespace
}  // namespace vendrix::testing
