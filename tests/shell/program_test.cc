// Start-up, the command line and the orderly shutdown, on the simulated
// desktop with the program's files in memory.
#include "shell/program.h"

#include <gtest/gtest.h>

#include "support/test_world.h"

namespace vendrix::testing {
namespace {

constexpr std::string_view kFolder = "C:\\Vendrix\\";

class ProgramTest : public ::testing::Test {
 protected:
  explicit ProgramTest(std::string_view desktop = "{}") : world_(desktop) {
    world_.host.SetProgramPath(std::string(kFolder) + "Vendrix.exe");
    world_.engine.reset();  // the program builds its own engine
    files().Add(std::string(kFolder) + "Vendrix.INI", "[Options]\r\n");
    files().Add(std::string(kFolder) + "Zemlo.INI", "[Options]\r\n");
  }

  sim::MemoryFiles& files() { return world_.files; }

  int Start(std::vector<std::string> args) { return shell::RunProgram(world_.platform, args); }

  int RunFile(const std::vector<std::string>& lines, std::vector<std::string> extraArgs = {}) {
    world_.AddMacro(lines, "C:\\m\\job.mac");
    extraArgs.insert(extraArgs.begin(), "-FILE=C:\\m\\job.mac");
    return Start(extraArgs);
  }

  TestWorld world_;
};

TEST_F(ProgramTest, FileModeRunsTheMacroAndEndsWithZero) {
  EXPECT_EQ(RunFile({"MESSAGE %0 \"hello\""}), 0);
  EXPECT_EQ(world_.Boxes(), (std::vector<std::string>{"hello"}));
}

TEST_F(ProgramTest, FileNameIsUpperCasedAndTheLastOneWins) {
  world_.AddMacro({"MESSAGE %0 second"}, "C:\\M\\TWO.MAC");
  EXPECT_EQ(Start({"/file=c:\\m\\one.mac", "-file=c:\\m\\two.mac"}), 0);
  EXPECT_EQ(world_.Boxes(), (std::vector<std::string>{"second"}));
}

TEST_F(ProgramTest, MissingOptionsFileIsFatalEvenInFileMode) {
  for (std::string_view missing : {"Zemlo.INI", "Vendrix.INI"}) {
    ProgramTest::SetUp();
    TestWorld world;
    world.host.SetProgramPath(std::string(kFolder) + "Vendrix.exe");
    world.engine.reset();
    if (missing != "Zemlo.INI") world.files.Add(std::string(kFolder) + "Zemlo.INI", "");
    if (missing != "Vendrix.INI") world.files.Add(std::string(kFolder) + "Vendrix.INI", "");
    world.AddMacro({"MESSAGE %0 never"}, "C:\\M\\JOB.MAC");
    EXPECT_EQ(shell::RunProgram(world.platform, {"-FILE=C:\\m\\job.mac"}), 1);
    EXPECT_EQ(world.Boxes(), (std::vector<std::string>{
                                 "Err：C:\\Vendrix\\Vendrix.INI 又は Zemlo.INI が存在しません", "マクロを中断します"}));
  }
}

TEST_F(ProgramTest, PresetsFromTheCommandLine) {
  EXPECT_EQ(RunFile({"MESSAGE %1 (& %0 , %3 , %capturejpg)"}, {"/%0=hello", "/%3=abc", "/%x=1", "/%-1=1", "/%500=1",
                                                       "/%79"}),
            0);
  EXPECT_EQ(world_.Boxes(), (std::vector<std::string>{"HELLO,ABC,"}));
}

TEST_F(ProgramTest, OptionsReachTheEngine) {
  files().Add(std::string(kFolder) + "Vendrix.INI", "[options]\r\nAutoDelay=0x32\r\nvar_error=1\r\n");
  EXPECT_EQ(RunFile({"SET %0 a", "SET %undeclared 1"}), 1);
  EXPECT_EQ(world_.CallsOf("Sleep", "ms"), (std::vector<std::string>{"50"}));
  EXPECT_EQ(world_.Boxes()[0], "Err：変数が宣言されていません : %undeclared");
}

TEST_F(ProgramTest, AutopasteInTheOptionsPastesLinesThatAreNoStatement) {
  files().Add(std::string(kFolder) + "Vendrix.INI", "[Options]\r\nautopaste=1\r\n");
  EXPECT_EQ(RunFile({"Hello world"}), 0);
  EXPECT_EQ(world_.Boxes(), std::vector<std::string>{});
  EXPECT_EQ(world_.CallsOf("SetClipboardData", "text"), (std::vector<std::string>{"Hello world"}));
}

TEST_F(ProgramTest, AnOptionsFileOfManyMegabytesIsStillRead) {
  // Comment lines before the section: the file is read whole, not cut.
  std::string big;
  while (big.size() < (size_t{3} << 20)) big += "; a long note about the options of this machine\r\n";
  files().Add(std::string(kFolder) + "Vendrix.INI", big + "[Options]\r\nautodelay=7\r\n");
  EXPECT_EQ(RunFile({"SET %0 a"}), 0);
  EXPECT_EQ(world_.CallsOf("Sleep", "ms"), (std::vector<std::string>{"7"}));
}

TEST_F(ProgramTest, AboutBoxComesFirst) {
  files().Add(std::string(kFolder) + "Vendrix.INI", "[Options]\r\nabout=1\r\n");
  EXPECT_EQ(RunFile({"MESSAGE %0 after"}), 0);
  ASSERT_EQ(world_.Boxes().size(), 2u);
  EXPECT_EQ(world_.Boxes()[0].rfind("Vendrix V0.74a\r\r", 0), 0u);
  EXPECT_EQ(world_.Boxes()[1], "after");
}

TEST_F(ProgramTest, ResidentInstanceRefusesEveryStart) {
  world_.host.SetResidentRunning(true);
  EXPECT_EQ(RunFile({"MESSAGE %0 never"}), 0);
  EXPECT_EQ(world_.Boxes(), (std::vector<std::string>{"既に常駐しています"}));
  EXPECT_EQ(world_.CallsOf("MessageBoxA", "caption"), (std::vector<std::string>{"vendrix"}));
}

TEST_F(ProgramTest, OnlyAResidentStartTakesTheLockInOneStep) {
  EXPECT_EQ(RunFile({"SET %0 x"}), 0);
  EXPECT_EQ(world_.host.Claims(), 0);
  EXPECT_EQ(world_.host.Checks(), 1);
  Start({"/tsr"});
  EXPECT_EQ(world_.host.Claims(), 1);
  EXPECT_EQ(world_.host.Checks(), 1) << "a resident start claims without looking first";
}

TEST_F(ProgramTest, AResidentStartThatLosesTheClaimSaysSo) {
  world_.host.SetResidentRunning(true);
  EXPECT_EQ(Start({"-TSR"}), 0);
  EXPECT_EQ(world_.Boxes(), (std::vector<std::string>{"既に常駐しています"}));
  EXPECT_EQ(world_.CountCalls("RegisterHotKey"), 0);
}

// A lock that cannot be trusted stops every start with a message, before
// any macro runs: going on would switch the single-instance rule off.
TEST_F(ProgramTest, AnUnusableLockRefusesEveryStart) {
  using platform::InstanceStatus;
  struct Case {
    InstanceStatus problem;
    std::string reason;
    std::string why;
  };
  const Case cases[] = {
      {InstanceStatus::kSymbolicLink, "", "シンボリックリンクです"},
      {InstanceStatus::kFolder, "", "フォルダです"},
      {InstanceStatus::kNotAFile, "", "通常のファイルではありません"},
      {InstanceStatus::kOtherOwner, "", "別のユーザーのファイルです"},
      {InstanceStatus::kSystemFailure, "アクセスが拒否されました", "アクセスが拒否されました"},
  };
  for (const Case& c : cases) {
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"-FILE=C:\\m\\job.mac"}, std::vector<std::string>{"/TSR"}}) {
      TestWorld world;
      world.host.SetProgramPath(std::string(kFolder) + "Vendrix.exe");
      world.engine.reset();
      world.files.Add(std::string(kFolder) + "Vendrix.INI", "[Options]\r\n");
      world.files.Add(std::string(kFolder) + "Zemlo.INI", "[Options]\r\n");
      world.AddMacro({"MESSAGE %0 never"}, "C:\\m\\job.mac");
      world.host.SetLockProblem(c.problem, Sjis(c.reason));
      EXPECT_EQ(shell::RunProgram(world.platform, args), 1) << c.why << " " << args[0];
      EXPECT_EQ(world.Boxes(), (std::vector<std::string>{"Err：vendrix /tsr は常駐の確認に使えません（" + c.why + "）",
                                                         "マクロを中断します"}))
          << args[0];
    }
  }
}

TEST_F(ProgramTest, MenuModeNeedsTheMenuFile) {
  EXPECT_EQ(Start({}), 1);
  EXPECT_EQ(world_.Boxes()[0], "Err：C:\\Vendrix\\Vendrix.MNU が存在しません");
}

TEST_F(ProgramTest, ShutdownReleasesEverythingAfterAFatalError) {
  EXPECT_EQ(RunFile({"BLOCKINPUT 5", "GOTO :nowhere"}), 1);
  EXPECT_FALSE(world_.desktop.InputBlocked());
  EXPECT_FALSE(world_.desktop.TimerRunning(2));
}

TEST_F(ProgramTest, NoStatementsEndsWithZero) {
  EXPECT_EQ(RunFile({"; nothing"}), 0);
  EXPECT_EQ(world_.Boxes(), (std::vector<std::string>{"マクロが１行もありません。終了します"}));
}

}  // namespace
}  // namespace vendrix::testing

namespace vendrix::testing {
namespace {

// A desktop whose beep fails to allocate, standing for any allocation that
// fails in the middle of a run.
class FailingSound : public platform::Sound {
 public:
  void Beep(uint32_t, uint32_t) override { throw std::bad_alloc(); }
};

TEST_F(ProgramTest, AnAllocationFailureEndsThroughTheErrorPath) {
  FailingSound sound;
  const platform::Platform& p = world_.platform;
  platform::Platform failing{p.dialogs,   p.clock,    p.input, p.messages,  p.shellWindow, p.display, p.pointer,
                             p.windows,   p.clipboard, p.programs, sound,  p.joysticks,   p.files,   p.host};
  world_.AddMacro({"BEEP", "MESSAGE %0 never"}, "C:\\m\\job.mac");
  EXPECT_EQ(shell::RunProgram(failing, {"-FILE=C:\\m\\job.mac"}), 1);
  // The same boxes as any fatal error.
  EXPECT_EQ(world_.Boxes(), (std::vector<std::string>{"Err：メモリが足りません。マクロを終了します", "マクロを中断します"}));
}

}  // namespace
}  // namespace vendrix::testing
