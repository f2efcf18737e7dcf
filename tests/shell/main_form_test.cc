// Menu mode and resident mode end to end on the simulated desktop: the
// description scripts menu picks, hotkeys, joystick buttons and icon
// clicks; the program's files are in memory.
#include "shell/main_form.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "shell/program.h"
#include "support/test_world.h"

namespace vendrix::testing {
namespace {

constexpr std::string_view kFolder = "C:\\Vendrix\\";

std::string InFolder(std::string_view name) { return std::string(kFolder) + std::string(name); }

// A program folder with its options files, over a scripted desktop.
class Shell {
 public:
  explicit Shell(std::string_view desktop, std::string_view options = "[Options]\r\n") : world(desktop) {
    world.host.SetProgramPath(InFolder("Vendrix.exe"));
    world.engine.reset();  // the program builds its own engine
    world.files.Add(InFolder("Vendrix.INI"), Sjis(options));
    world.files.Add(InFolder("Zemlo.INI"), "[Options]\r\nspeed=3\r\n");
  }
  void File(std::string_view name, const std::vector<std::string>& lines) { world.AddMacro(lines, name); }
  int Start(std::vector<std::string> args = {}) { return shell::RunProgram(world.platform, args); }
  std::vector<std::string> Calls(std::string_view call, std::string_view field) const {
    return world.CallsOf(call, field);
  }
  std::vector<std::string> Boxes() const { return world.Boxes(); }
  TestWorld world;
};

const std::vector<std::string> kFixedItems = {"^_記録", "\\_実行", "- 終了", "[ 切替", "] 編集"};

std::vector<std::string> MenuWith(std::vector<std::string> captions) {
  std::vector<std::string> items = kFixedItems;
  items.insert(items.end(), captions.begin(), captions.end());
  return items;
}

std::vector<std::string> LastMenu(const Shell& shell) {
  const auto& trace = shell.world.desktop.Trace();
  for (auto entry = trace.rbegin(); entry != trace.rend(); ++entry) {
    if ((*entry)["call"] == "SetMenuItems") return (*entry)["items"].get<std::vector<std::string>>();
  }
  return {};
}

// ---- menu mode --------------------------------------------------------------

TEST(MenuModeTest, APickRunsItsMacroAndTheProgramEnds) {
  Shell shell(R"({"pointer": [300, 200], "shell_events": [{"at_ms": 100, "menu": "Mail"}]})");
  shell.File(InFolder("Vendrix.MNU"), {"; my menu", "abc.mac ; old", ":Mail", "　:Twice　", "__BEEP", ":Mail",
                                       "other.mac"});
  shell.File(InFolder("abc.mac"), {"MESSAGE %0 \"from abc\""});
  EXPECT_EQ(shell.Start(), 0);
  EXPECT_EQ(shell.Boxes(), (std::vector<std::string>{"from abc"}));
  EXPECT_EQ(LastMenu(shell), MenuWith({"Mail", "Twice", "Mail"}));
  // Placed 10 right of and 10 below the pointer, 60 x 16.
  // Shown there, then placed again by its first paint.
  EXPECT_EQ(shell.Calls("ShowMenuWindow", "left"), (std::vector<std::string>{"310", "310"}));
  EXPECT_EQ(shell.Calls("ShowMenuWindow", "top"), (std::vector<std::string>{"210", "210"}));
  EXPECT_EQ(shell.Calls("ShowMenuWindow", "width"), (std::vector<std::string>{"60", "60"}));
  // The menu drops open by Alt, V.
  EXPECT_EQ(shell.Calls("keybd_event", "vk"), (std::vector<std::string>{"18", "86", "86", "18"}));
  // The recorder learns the menu file; its other keys stay.
  EXPECT_EQ(Utf8(shell.world.files.Get(InFolder("Zemlo.INI")).value_or("")),
            "[Options]\r\nspeed=3\r\nmenufile=Vendrix.MNU\r\n");
  EXPECT_EQ(shell.world.desktop.ShellWindowNow().trayIconShown, false);  // deleted at shutdown
}

TEST(MenuModeTest, AStatementEntryRunsWithoutAFile) {
  Shell shell(R"({"shell_events": [{"at_ms": 100, "menu": "Beep"}]})");
  shell.File(InFolder("Vendrix.MNU"), {":Beep", "__BEEP 440 10"});
  EXPECT_EQ(shell.Start(), 0);
  EXPECT_EQ(shell.Calls("Beep", "frequency"), (std::vector<std::string>{"440"}));
}

TEST(MenuModeTest, MacroTextFormsNameTheirFiles) {
  const struct {
    std::string text;
    std::string file;
  } cases[] = {{"x.mac", "C:\\Vendrix\\x.mac"}, {"d:\\m\\x.mac", "d:\\m\\x.mac"}, {"d:x.mac", "d:x.mac"}};
  for (const auto& c : cases) {
    Shell shell(R"({"shell_events": [{"at_ms": 100, "menu": "Go"}]})");
    shell.File(InFolder("Vendrix.MNU"), {":Go", c.text});
    shell.File(c.file, {"MESSAGE %0 ran"});
    EXPECT_EQ(shell.Start(), 0) << c.text;
    EXPECT_EQ(shell.Boxes(), (std::vector<std::string>{"ran"})) << c.text;
  }
}

TEST(MenuModeTest, TheBreakKeyClosesTheMenuAndEndsWithZero) {
  Shell shell(R"({"keys": [{"vk": 27, "down": 400, "up": 450}]})");
  shell.File(InFolder("Vendrix.MNU"), {":A", "a.mac"});
  EXPECT_EQ(shell.Start(), 0);
  EXPECT_EQ(shell.world.desktop.ShellWindowNow().menuClosings, 1);
  EXPECT_TRUE(shell.Boxes().empty());
}

TEST(MenuModeTest, LimitsHoldTheWindowAndThePointerKeepsItsOffset) {
  Shell shell(R"({"pointer": [100, 700], "shell_events": [{"at_ms": 100, "menu": "- 終了"}]})",
              "[Options]\r\ntop_max=-100\r\n");
  shell.File(InFolder("Vendrix.MNU"), {":A", "a.mac"});
  EXPECT_EQ(shell.Start(), 0);
  EXPECT_EQ(shell.Calls("ShowMenuWindow", "top").front(), "668");
  EXPECT_EQ(shell.Calls("SetCursorPos", "y").front(), "658");
}

TEST(MenuModeTest, TheListFilePicksTheMenuByTheWindowInFront) {
  const std::string desktop = R"({"windows": [{"id": 7, "title": "TITLE"}], "foreground": 7,
                                  "shell_events": [{"at_ms": 100, "menu": "- 終了"}]})";
  for (const auto& [title, menu] : {std::pair<std::string, std::string>{"Monthly Report", "report.mnu"},
                                    {"MONTHLY REPORT", "Vendrix.MNU"}}) {
    std::string json = desktop;
    json.replace(json.find("TITLE"), 5, title);
    Shell shell(json, "[Options]\r\nmenuchange=1\r\n");
    shell.File(InFolder("Vendrix.LST"), {":Report", "report.mnu"});
    shell.File(InFolder("Vendrix.MNU"), {":Default", "a.mac"});
    shell.File(InFolder("report.mnu"), {":Monthly", "m.mac"});
    EXPECT_EQ(shell.Start(), 0) << title;
    EXPECT_EQ(LastMenu(shell), MenuWith({menu == "report.mnu" ? "Monthly" : "Default"})) << title;
    EXPECT_NE(Utf8(shell.world.files.Get(InFolder("Zemlo.INI")).value_or("")).find("menufile=" + menu),
              std::string::npos);
  }
}

TEST(MenuModeTest, SwitchReadsTheChosenMenuFromTheProgramFolder) {
  Shell shell(R"({"file_dialog": [null, "D:\\elsewhere\\work.mnu"],
                  "shell_events": [{"at_ms": 100, "menu": "[ 切替"}, {"at_ms": 200, "menu": "[ 切替"},
                                   {"at_ms": 300, "menu": "Work"}]})");
  shell.File(InFolder("Vendrix.MNU"), {":A", "a.mac"});
  shell.File(InFolder("work.mnu"), {":Work", "__MESSAGE %0 work"});
  EXPECT_EQ(shell.Start(), 0);
  EXPECT_EQ(shell.Boxes(), (std::vector<std::string>{"work"}));
  EXPECT_EQ(shell.Calls("GetOpenFileNameA", "filter").front(),
            "メニューorマクロファイル (*.MNU,*.MAC)|*.MNU;*.MAC");
  EXPECT_EQ(LastMenu(shell), MenuWith({"Work"}));
}

TEST(MenuModeTest, SwitchToAMacroRunsIt) {
  Shell shell(R"({"file_dialog": ["D:\\m\\job.mac"], "shell_events": [{"at_ms": 100, "menu": "[ 切替"}]})");
  shell.File(InFolder("Vendrix.MNU"), {":A", "a.mac"});
  shell.File("D:\\m\\job.mac", {"MESSAGE %0 job"});
  EXPECT_EQ(shell.Start(), 0);
  EXPECT_EQ(shell.Boxes(), (std::vector<std::string>{"job"}));
}

TEST(MenuModeTest, FixedCommandsStartProgramsAndEnd) {
  const struct {
    std::string desktop;
    std::string options;
    int exitCode;
    std::vector<std::string> started;
    std::vector<std::string> boxes;
  } cases[] = {
      // Edit: the configured editor with the chosen file, unquoted.
      {R"({"file_dialog": ["C:\\m\\a b.mac"], "programs": [{"command": "ed.exe", "match": "prefix"}],
           "shell_events": [{"at_ms": 100, "menu": "] 編集"}]})",
       "[Options]\r\neditor=ed.exe\r\n", 0, {"ed.exe C:\\m\\a b.mac"}, {}},
      // Edit without an editor: Notepad; failing says so and still ends with 0.
      {R"({"file_dialog": ["C:\\x.mnu"], "shell_events": [{"at_ms": 100, "menu": "] 編集"}]})", "[Options]\r\n", 0,
       {}, {"Err:実行できません：c:\\windows\\Notepad.exe"}},
      // Edit cancelled: nothing starts.
      {R"({"file_dialog": [null], "shell_events": [{"at_ms": 100, "menu": "] 編集"}]})", "[Options]\r\n", 0, {}, {}},
      // Record: the recorder beside the program.
      {R"({"programs": [{"command": "C:\\Vendrix\\Zemlo.exe", "runs_ms": 100000}],
           "shell_events": [{"at_ms": 100, "menu": "^_記録"}]})",
       "[Options]\r\n", 0, {"C:\\Vendrix\\Zemlo.exe"}, {}},
      {R"({"shell_events": [{"at_ms": 100, "menu": "^_記録"}]})", "[Options]\r\n", 1, {},
       {"Err：実行できません：C:\\Vendrix\\Zemlo.exe", "マクロを中断します"}},
  };
  for (const auto& c : cases) {
    Shell shell(c.desktop, c.options);
    shell.File(InFolder("Vendrix.MNU"), {":A", "a.mac"});
    EXPECT_EQ(shell.Start(), c.exitCode) << c.desktop;
    std::vector<std::string> started;
    for (const auto& entry : shell.world.desktop.Trace()) {
      if (entry["call"] == "CreateProcessA" && entry["result"] != 0) started.push_back(entry["command"].get<std::string>());
    }
    EXPECT_EQ(started, c.started) << c.desktop;
    EXPECT_EQ(shell.Boxes(), c.boxes) << c.desktop;
  }
}

TEST(MenuModeTest, AnIconFileAndHideTaskbarApply) {
  for (const bool withIcon : {false, true}) {
    Shell shell(R"({"shell_events": [{"at_ms": 100, "menu": "- 終了"}]})",
                withIcon ? "[Options]\r\nhidetaskbar=1\r\n" : "[Options]\r\n");
    shell.File(InFolder("Vendrix.MNU"), {":A", "a.mac"});
    if (withIcon) shell.world.files.Add(InFolder("Vendrix.ICO"), "icon");
    EXPECT_EQ(shell.Start(), 0);
    EXPECT_EQ(shell.world.desktop.ShellWindowNow().iconFile, withIcon ? InFolder("Vendrix.ICO") : "");
    EXPECT_EQ(shell.world.desktop.ShellWindowNow().taskbarButtonHidden, withIcon);
  }
}

TEST(MenuModeTest, RunRunsTheDefaultMacro) {
  Shell shell(R"({"shell_events": [{"at_ms": 100, "menu": "\\_実行"}]})");
  shell.File(InFolder("Vendrix.MNU"), {":A", "a.mac"});
  shell.File(InFolder("Vendrix.MAC"), {"MESSAGE %0 default"});
  EXPECT_EQ(shell.Start(), 0);
  EXPECT_EQ(shell.Boxes(), (std::vector<std::string>{"default"}));
}

// ---- resident mode ----------------------------------------------------------

constexpr std::string_view kHotkeys = R"(hotkey=[F5] CTRL ALT insert date
INC %0
MESSAGE %1 (& "count " %0)
HotKey=[F6]
MESSAGE %1 six
)";

std::vector<std::string> Lines(std::string_view text) {
  std::vector<std::string> lines;
  size_t start = 0;
  for (size_t end; (end = text.find('\n', start)) != std::string_view::npos; start = end + 1) {
    lines.emplace_back(text.substr(start, end - start));
  }
  return lines;
}

TEST(ResidentModeTest, HotkeysRunTheirMacrosAndTheIconEndsTheProgram) {
  Shell shell(R"({"answers": ["OK", "OK", "OK", "YES"],
                  "shell_events": [{"at_ms": 100, "hotkey": {"vk": 116, "modifiers": 3}},
                                   {"at_ms": 300, "hotkey": {"vk": 116, "modifiers": 3}},
                                   {"at_ms": 400, "hotkey": {"vk": 116, "modifiers": 0}},
                                   {"at_ms": 500, "hotkey": {"vk": 117, "modifiers": 0}},
                                   {"at_ms": 900, "tray": "right_click"}]})");
  shell.File(InFolder("Vendrix.MNU"), {":A", "a.mac"});
  shell.File(InFolder("Vendrix.hot"), Lines(kHotkeys));
  EXPECT_EQ(shell.Start({"/tsr"}), 0);
  // Variables live from run to run; an unregistered combination does nothing.
  EXPECT_EQ(shell.Boxes(), (std::vector<std::string>{"count 1", "count 2", "six", "終了します"}));
  EXPECT_EQ(shell.Calls("RegisterHotKey", "id"), (std::vector<std::string>{"123", "124"}));
  EXPECT_EQ(shell.Calls("RegisterHotKey", "modifiers"), (std::vector<std::string>{"3", "0"}));
  // Ctrl, Shift and Alt go up before every hotkey run, and the window stays down.
  const std::vector<std::string> ups = shell.Calls("keybd_event", "vk");
  EXPECT_EQ(std::vector<std::string>(ups.begin(), ups.begin() + 3), (std::vector<std::string>{"17", "16", "18"}));
  EXPECT_EQ(ups.size(), 9u);
  EXPECT_TRUE(shell.world.desktop.ShellWindowNow().hotkeys.empty());  // unregistered at the end
  EXPECT_EQ(shell.Calls("ShowMenuWindow", "left").size(), 0u);
  EXPECT_TRUE(shell.world.desktop.ShellWindowNow().taskbarButtonHidden);
}

TEST(ResidentModeTest, NoToTheIconQuestionKeepsWaiting) {
  Shell shell(R"({"answers": ["NO", "OK"], "shell_events": [{"at_ms": 100, "tray": "right_click"},
                                                             {"at_ms": 200, "hotkey": {"vk": 117, "modifiers": 0}}]})",
              "[Options]\r\nTSR_release=0\r\n");
  shell.File(InFolder("Vendrix.MNU"), {":A", "a.mac"});
  shell.File(InFolder("Vendrix.hot"), Lines(kHotkeys));
  EXPECT_EQ(shell.Start({"-TSR"}), 0);  // the script's end ends the session
  EXPECT_EQ(shell.Boxes(), (std::vector<std::string>{"終了します", "six"}));
  EXPECT_EQ(shell.Calls("keybd_event", "vk").size(), 0u);
}

TEST(ResidentModeTest, RegistrationProblemsAskTheUser) {
  Shell shell(R"({"taken_hotkeys": [{"vk": 116, "modifiers": 3}], "answers": ["OK", "YES", "YES", "CANCEL"]})");
  shell.File(InFolder("Vendrix.MNU"), {":A", "a.mac"});
  shell.File(InFolder("Vendrix.hot"), {"hotkey=[NOPE] x", "BEEP", "hotkey=[F5] CTRL ALT", "BEEP", "hotkey=[F6]",
                                       "BEEP"});
  EXPECT_EQ(shell.Start({"/TSR"}), 0);
  const std::vector<std::string> boxes = shell.Boxes();
  ASSERT_EQ(boxes.size(), 4u);
  EXPECT_EQ(boxes[0], "ホットキー [NOPE] x はキーの指定が不正です。次の処理に移行します");
  EXPECT_EQ(boxes[1],
            "　ホットキー\r\r[F5] CTRL ALT\r\rの登録に失敗しました。再試行しますか？\r\r"
            "はい → 再試行 ／ キャンセル→次のキー登録へ ／ いいえ → キー登録を終了");
  // Every attempt uses up an id.
  EXPECT_EQ(shell.Calls("RegisterHotKey", "id"), (std::vector<std::string>{"123", "124", "125", "126"}));
  EXPECT_EQ(shell.Calls("RegisterHotKey", "result"), (std::vector<std::string>{"false", "false", "false", "true"}));
}

TEST(ResidentModeTest, NothingRegisteredEndsTheProgram) {
  const struct {
    std::vector<std::string> hotkeys;
    std::string answers;
  } cases[] = {
      {{"hotkey=[JOYBUTTON]", "BEEP"}, "[]"},
      {{"hotkey=[F5]", "BEEP", "hotkey=[F6]", "BEEP"}, R"(["NO"])"},  // No stops registering
  };
  for (const auto& c : cases) {
    Shell shell(R"({"taken_hotkeys": [{"vk": 116}], "answers": )" + c.answers + "}");
    shell.File(InFolder("Vendrix.MNU"), {":A", "a.mac"});
    shell.File(InFolder("Vendrix.hot"), c.hotkeys);
    EXPECT_EQ(shell.Start({"/TSR"}), 1);
    EXPECT_EQ(shell.Boxes().at(shell.Boxes().size() - 2), "Err：ホットキー指定がないか、登録が行われませんでした");
  }
}

TEST(ResidentModeTest, ACommandLineFileIsTheHotkeyFile) {
  Shell shell(R"({"shell_events": [{"at_ms": 100, "hotkey": {"vk": 65, "modifiers": 4}}]})");
  shell.File(InFolder("Vendrix.MNU"), {":A", "a.mac"});
  shell.File("C:\\KEYS.HOT", {"hotkey=a shift", "MESSAGE %0 mine"});
  EXPECT_EQ(shell.Start({"/TSR", "-file=c:\\keys.hot"}), 0);
  EXPECT_EQ(shell.Boxes(), (std::vector<std::string>{"mine"}));
  Shell missing("{}");
  missing.File(InFolder("Vendrix.MNU"), {":A", "a.mac"});
  EXPECT_EQ(missing.Start({"/TSR"}), 1);
  EXPECT_EQ(missing.Boxes().front(), "Err：C:\\Vendrix\\Vendrix.hot が存在しません");
}

TEST(ResidentModeTest, TheCallUpHotkeyLeavesResidentModeForTheMenu) {
  Shell shell(R"({"pointer": [500, 500],
                  "shell_events": [{"at_ms": 100, "hotkey": {"vk": 123, "modifiers": 2}},
                                   {"at_ms": 400, "hotkey": {"vk": 117, "modifiers": 0}},
                                   {"at_ms": 600, "menu": "Go"}]})",
              "[Options]\r\nTSR_hotkey=[F12] CTRL\r\n");
  shell.File(InFolder("Vendrix.MNU"), {":Go", "__MESSAGE %0 picked"});
  shell.File(InFolder("Vendrix.hot"), Lines(kHotkeys));
  EXPECT_EQ(shell.Start({"/TSR"}), 0);
  EXPECT_EQ(shell.Calls("RegisterHotKey", "id"), (std::vector<std::string>{"123", "124", "125"}));
  // F6 after the call-up does nothing; the pick runs and ends the program.
  EXPECT_EQ(shell.Boxes(), (std::vector<std::string>{"picked"}));
  EXPECT_EQ(shell.Calls("UnregisterHotKey", "id"), (std::vector<std::string>{"123", "124", "125"}));
  EXPECT_EQ(shell.Calls("Shell_NotifyIconA", "message"), (std::vector<std::string>{"NIM_ADD", "NIM_DELETE"}));
  EXPECT_EQ(shell.Calls("ShowMenuWindow", "left").front(), "510");
}

TEST(ResidentModeTest, TheJoystickButtonRunsItsEntryWithTheJoystickRead) {
  Shell shell(R"({"joysticks": [{"id": 0, "states": [{"at": 0, "x": 100, "buttons": 1}]}],
                  "shell_events": [{"at_ms": 100, "joystick_button": 1}, {"at_ms": 200, "joystick_button": 2}]})");
  shell.File(InFolder("Vendrix.MNU"), {":A", "a.mac"});
  shell.File(InFolder("Vendrix.hot"), {"hotkey=[F6]", "BEEP", "hotkey=[JOYBUTTON]", "MESSAGE %0 %joyxpos"});
  EXPECT_EQ(shell.Start({"/TSR"}), 0);
  EXPECT_EQ(shell.Boxes(), (std::vector<std::string>{"100"}));  // joystick 2 is absent: not captured
  EXPECT_EQ(shell.Calls("joySetCapture", "result"), (std::vector<std::string>{"true", "false"}));
}

TEST(ResidentModeTest, RunsNeverNest) {
  Shell shell(R"({"shell_events": [{"at_ms": 100, "hotkey": {"vk": 116, "modifiers": 0}},
                                   {"at_ms": 500, "hotkey": {"vk": 116, "modifiers": 0}},
                                   {"at_ms": 3000, "hotkey": {"vk": 116, "modifiers": 0}}]})");
  shell.File(InFolder("Vendrix.MNU"), {":A", "a.mac"});
  shell.File(InFolder("Vendrix.hot"), {"hotkey=[F5]", "INC %0", "DELAY 1000", "LOG C:\\log.txt %0"});
  EXPECT_EQ(shell.Start({"/TSR"}), 0);
  // The press during the first run is dropped, the later one runs.
  EXPECT_EQ(shell.world.files.Get("C:\\log.txt"), std::optional<std::string>("1\r\n2\r\n"));
}

TEST(ResidentModeTest, StepReRegistersTheHotkeysUnderNewIds) {
  Shell shell(R"({"shell_events": [{"at_ms": 100, "hotkey": {"vk": 116, "modifiers": 0}}]})");
  shell.File(InFolder("Vendrix.MNU"), {":A", "a.mac"});
  shell.File(InFolder("Vendrix.hot"), {"hotkey=[F5]", "STEP ON 0 0", "STEP OFF", "hotkey=[F6]", "BEEP"});
  EXPECT_EQ(shell.Start({"/TSR"}), 0);
  EXPECT_EQ(shell.Calls("RegisterHotKey", "id"),
            (std::vector<std::string>{"123", "124", "123", "124", "123", "124"}));
  EXPECT_EQ(shell.world.desktop.ShellWindowNow().hotkeys.size(), 0u);
}

TEST(ResidentModeTest, TheIconQuestionDuringABlockedRunLetsTheUserAnswer) {
  // Input comes back for the question and is blocked again after No; Yes
  // ends the program, and the shutdown unblocks for good.
  for (const char* answer : {"NO", "YES"}) {
    Shell shell(std::string(R"({"answers": [")") + answer + R"("], "shell_events": [
                  {"at_ms": 100, "hotkey": {"vk": 116, "modifiers": 0}},
                  {"at_ms": 600, "tray": "right_click"}]})");
    shell.File(InFolder("Vendrix.MNU"), {":A", "a.mac"});
    shell.File(InFolder("Vendrix.hot"), {"hotkey=[F5]", "BLOCKINPUT 60", "DELAY 2000", "LOG C:\\log.txt done"});
    EXPECT_EQ(shell.Start({"/TSR"}), 0);
    std::vector<std::string> blocks;
    for (const auto& entry : shell.world.desktop.Trace()) {
      if (entry["call"] == "BlockInput") blocks.push_back(entry["block"].dump());
    }
    const bool no = std::string_view(answer) == "NO";
    // BLOCKINPUT, the question, the answer; then the run's end (No only)
    // and the shutdown.
    const std::vector<std::string> expected =
        no ? std::vector<std::string>{"true", "false", "true", "false", "false"}
           : std::vector<std::string>{"true", "false", "true", "false"};
    EXPECT_EQ(blocks, expected) << answer;
    EXPECT_EQ(shell.world.files.Get("C:\\log.txt").has_value(), no) << answer;
    EXPECT_FALSE(shell.world.desktop.InputBlocked()) << answer;
  }
}

TEST(ResidentModeTest, AnInputBlockEndsWithItsRun) {
  // The icon's question after the run neither unblocks nor blocks again.
  Shell shell(R"({"answers": ["NO"], "shell_events": [{"at_ms": 100, "hotkey": {"vk": 116, "modifiers": 0}},
                                                       {"at_ms": 2000, "tray": "right_click"}]})");
  shell.File(InFolder("Vendrix.MNU"), {":A", "a.mac"});
  shell.File(InFolder("Vendrix.hot"), {"hotkey=[F5]", "BLOCKINPUT 60", "BEEP"});
  EXPECT_EQ(shell.Start({"/TSR"}), 0);
  std::vector<std::string> blocks;
  for (const auto& entry : shell.world.desktop.Trace()) {
    if (entry["call"] == "BlockInput") blocks.push_back(entry["block"].dump());
  }
  EXPECT_EQ(blocks, (std::vector<std::string>{"true", "false", "false"}));  // BLOCKINPUT, run end, shutdown
  EXPECT_FALSE(shell.world.desktop.TimerRunning(2));
  EXPECT_FALSE(shell.world.desktop.InputBlocked());
}

// ---- the end of the program ------------------------------------------------

// A slot that cannot be written out when the program ends makes the end no
// success, in menu mode and resident mode as in file mode.
TEST(ProgramEndTest, AFileThatCannotBeWrittenOutEndsWithOne) {
  struct Case {
    const char* how;
    std::string desktop;
    std::vector<std::string> args;
    std::vector<std::string> boxesBefore;
  };
  const Case cases[] = {
      {"a menu pick", R"({"shell_events": [{"at_ms": 100, "menu": "Write"}]})", {}, {}},
      {"the icon's Yes", R"({"answers": ["YES"], "shell_events": [{"at_ms": 100, "hotkey": {"vk": 116, "modifiers": 0}},
                                                                   {"at_ms": 200, "tray": "right_click"}]})",
       {"/TSR"},
       {"終了します"}},
  };
  // Room for Zemlo.INI's menu key, not for the line.
  const std::string tooLong = "WRITE 1 " + std::string(300, 'w');
  for (const Case& c : cases) {
    Shell shell(c.desktop);
    shell.File(InFolder("Vendrix.MNU"), {":Write", "w.mac"});
    shell.File(InFolder("w.mac"), {"OPEN C:\\Vendrix\\out.txt OUTPUT 1", tooLong});
    shell.File(InFolder("Vendrix.hot"), {"hotkey=[F5]", "OPEN C:\\Vendrix\\out.txt OUTPUT 1", tooLong});
    shell.world.files.SetFreeSpace(200);
    EXPECT_EQ(shell.Start(c.args), 1) << c.how;
    std::vector<std::string> boxes = c.boxesBefore;
    boxes.push_back("Err：CLOSE できません : C:\\Vendrix\\out.txt (ディスクに十分な空き領域がありません)");
    EXPECT_EQ(shell.Boxes(), boxes) << c.how;
  }
}

// ---- a folder where a file belongs -------------------------------------------

// Where the program needs one of its files, a folder of that name is no file:
// the missing-file message applies, and an optional file is simply absent.
TEST(FolderForAFileTest, TheProgramsOwnFiles) {
  struct Case {
    const char* folder;
    std::vector<std::string> args;
    int exitCode;
    std::string firstBox;
  };
  const Case cases[] = {
      {"Vendrix.INI", {"-FILE=C:\\m\\job.mac"}, 1, "Err：C:\\Vendrix\\Vendrix.INI 又は Zemlo.INI が存在しません"},
      {"Zemlo.INI", {"-FILE=C:\\m\\job.mac"}, 1, "Err：C:\\Vendrix\\Vendrix.INI 又は Zemlo.INI が存在しません"},
      {"Vendrix.MNU", {}, 1, "Err：C:\\Vendrix\\Vendrix.MNU が存在しません"},
      {"Vendrix.hot", {"/TSR"}, 1, "Err：C:\\Vendrix\\Vendrix.hot が存在しません"},
      {"Vendrix.LST", {}, 0, "from the menu"},  // optional: the menu comes up as without it
  };
  for (const Case& c : cases) {
    Shell shell(R"({"shell_events": [{"at_ms": 100, "menu": "Pick"}]})", "[Options]\r\nmenuchange=1\r\n");
    shell.File(InFolder("Vendrix.MNU"), {":Pick", "__MESSAGE %0 \"from the menu\""});
    shell.File(InFolder("Vendrix.hot"), {"hotkey=[F5]", "BEEP"});
    shell.File("C:\\m\\job.mac", {"MESSAGE %0 never"});
    shell.world.files.Delete(InFolder(c.folder));
    shell.world.files.Add(InFolder(c.folder) + "\\inside.txt", "");
    ASSERT_EQ(shell.world.files.KindOf(InFolder(c.folder)), platform::EntryKind::kFolder);
    EXPECT_EQ(shell.Start(c.args), c.exitCode) << c.folder;
    ASSERT_FALSE(shell.Boxes().empty()) << c.folder;
    EXPECT_EQ(shell.Boxes().front(), c.firstBox) << c.folder;
  }
}

}  // namespace
}  // namespace vendrix::testing
