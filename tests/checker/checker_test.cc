// --check: each finding with a macro that triggers it and one that must not,
// the language's odd but intended forms, and the three modes.
#include "checker/program_check.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "platform/sim/memory_files.h"
#include "platform/sim/memory_host.h"

namespace vendrix::checker {
namespace {

constexpr char kFolder[] = "C:\\prog\\";

struct World {
  sim::MemoryFiles files;
  sim::MemoryHost host;
  World() { host.SetProgramPath(std::string(kFolder) + "Vendrix.exe"); }
  void Add(const std::string& name, const std::string& text) { files.Add(std::string(kFolder) + name, text); }
  CheckResult Check(const std::vector<std::string>& args) { return CheckProgram(files, host, args); }
};

// "LINE:E001" or "LINE:W031" for each finding, in order; the file is given
// when it is not the checked macro.
std::vector<std::string> Brief(const CheckResult& result, const std::string& mainFile) {
  std::vector<std::string> out;
  for (const Finding& f : result.findings) {
    char code[16];
    std::snprintf(code, sizeof code, "%c%03d", f.severity == Severity::kError ? 'E' : 'W', static_cast<int>(f.code));
    std::string place = f.file == mainFile ? "" : f.file.substr(f.file.rfind('\\') + 1) + ":";
    out.push_back(place + std::to_string(f.line) + ":" + code);
  }
  return out;
}

std::string Lines(std::initializer_list<const char*> lines) {
  std::string text;
  for (const char* line : lines) text += std::string(line) + "\r\n";
  return text;
}

struct MacroCase {
  const char* name;
  std::string macro;
  std::vector<std::string> expected;
};

void RunCases(const std::vector<MacroCase>& cases, const std::string& options = "") {
  for (const MacroCase& c : cases) {
    World world;
    if (!options.empty()) world.Add("Vendrix.INI", options);
    world.Add("t.mac", c.macro);
    const std::string file = std::string(kFolder) + "t.mac";
    const CheckResult result = world.Check({"-FILE=" + file});
    EXPECT_EQ(Brief(result, file), c.expected) << c.name;
    EXPECT_EQ(result.exitCode, c.expected.empty() ? 0 : 2) << c.name;
  }
}

TEST(CheckerTest, StatementsAndFunctions) {
  RunCases({
      {"misspelled keyword", Lines({"BEEP", "MESAGE %a hi"}), {"2:E001"}},
      {"THEN alone is no statement", Lines({"THEN"}), {"1:E001"}},
      {"lower case and __ keywords", Lines({"beep", "__beep 440 10"}), {}},
      {"auto-paste pastes unknown lines", Lines({"AUTOPASTE ON", "Hello world"}), {}},
      {"(name) trap", Lines({"(getcaret)"}), {"1:E002"}},
      {"no function at all", Lines({"(nosuch 1)"}), {"1:E002"}},
      {"a called function", Lines({"(inputbox \"a\" \"b\")"}), {}},
      {"unknown function in an operand", Lines({"DIM %a", "SET %a (lenght \"x\")"}), {"2:W003"}},
      {"nested unknown function", Lines({"DIM %a", "SET %a (& \"x\" (frmat %a))"}), {"2:W003"}},
      {"blank after the parenthesis", Lines({"DIM %a", "SET %a ( + 1 2)"}), {"2:W003"}},
      {"known functions", Lines({"DIM %a", "SET %a (& \"x\" (len %a))"}), {}},
      {"unclosed quote", Lines({"DIM %a", "MESSAGE %a \"abc"}), {"2:E005"}},
      {"semicolon in a string written twice", Lines({"DIM %a", "MESSAGE %a \"a;;b\""}), {}},
      {"semicolon in a string cuts it", Lines({"DIM %a", "MESSAGE %a \"a;b\""}), {"2:E005"}},
  });
}

TEST(CheckerTest, Variables) {
  RunCases({
      {"read but never declared", Lines({"DIM %r", "MESSAGE %r %name"}), {"2:W004"}},
      {"declared", Lines({"DIM %r %name", "MESSAGE %r %name"}), {}},
      {"array element", Lines({"DIM %a[3] %i", "SET %i 1", "PASTE %a[%i]"}), {}},
      {"system variable", Lines({"PASTE %0"}), {}},
      {"stored into, never declared", Lines({"SET %a 1"}), {"1:E019"}},
      {"INC of a word", Lines({"INC count"}), {"1:E019"}},
      {"GETCLIPBRD and GETTITLE without a variable store into %0", Lines({"GETCLIPBRD x", "GETTITLE title"}), {}},
      {"GETCLIPBRD into an undeclared name", Lines({"GETCLIPBRD %clip"}), {"1:W004"}},
      {"FOR control variable", Lines({"FOR %j=1 TO 2", "NEXT"}), {"1:E019"}},
  });
  RunCases({{"var_error makes it an error", Lines({"DIM %r", "MESSAGE %r %name"}), {"2:E004"}}},
           "[Options]\r\nvar_error=1\r\n");
  RunCases({{"func_error makes it an error", Lines({"DIM %a", "SET %a (nope)"}), {"2:E003"}}},
           "[Options]\r\nfunc_error=1\r\n");
}

TEST(CheckerTest, Blocks) {
  RunCases({
      {"ENDIF without IF", Lines({"BEEP", "ENDIF"}), {"2:W010"}},
      {"ELSE without IF", Lines({"ELSE"}), {"1:W010"}},
      {"IF never closed", Lines({"IF (= 1 1) THEN", "BEEP"}), {"1:W011"}},
      {"ELSE IF opens another block", Lines({"IF (= 1 1) THEN", "BEEP", "ELSE IF (= 1 2) THEN", "BEEP", "ENDIF"}),
       {"1:W011"}},
      {"closes the inner IF, not the one indented alike",
       Lines({"IF (= 1 1) THEN", "  IF (= 2 2) THEN", "  BEEP", "ENDIF"}), {"1:W011", "4:W012"}},
      {"nested and indented", Lines({"IF (= 1 1) THEN", "\tIF (= 2 2) THEN", "\t\tBEEP", "\tENDIF", "ENDIF"}), {}},
      {"tabs and spaces to the same column", Lines({"    IF (= 1 1) THEN", "      BEEP", "\tENDIF"}), {}},
      {"the three ELSE and ENDIF forms",
       Lines({"IF (= 1 1) THEN", "BEEP", "ELSEIF (= 1 2) THEN", "BEEP", "ELSEIF (= 1 3)", "else BEEP",
              "ENDIF ; done"}),
       {}},
      {"UNLESS block", Lines({"UNLESS (= 1 2) THEN", "BEEP", "ENDIF"}), {}},
      {"one-line IF and UNLESS", Lines({":top", "IF (= 1 1) BEEP", "UNLESS (= 1 2) GOTO :top"}), {}},
      {"one-line IF with nothing to run", Lines({"IF (= 1 1)"}), {"1:E036"}},
      {"words after THEN", Lines({"IF (= 1 1) THEN BEEP", "ENDIF"}), {"1:W031"}},
  });
}

TEST(CheckerTest, Loops) {
  RunCases({
      {"a loop", Lines({"DIM %i", "FOR %i=1 TO 3", "BEEP", "NEXT"}), {}},
      {"blanks around =", Lines({"DIM %i %n", "FOR %i = 1 TO %n STEP 2", "NEXT %i"}), {}},
      {"NEXT without FOR", Lines({"NEXT"}), {"1:E014"}},
      {"FOR without NEXT", Lines({"DIM %i", "FOR %i=1 TO 3", "BEEP"}), {"2:W015"}},
      {"same header nested", Lines({"DIM %i", "FOR %i=1 TO 2", "FOR %i=1 TO 2", "NEXT", "NEXT"}), {"5:W016"}},
      {"different headers nested", Lines({"DIM %i %j", "FOR %i=1 TO 2", "FOR %j=1 TO 2", "NEXT", "NEXT"}), {}},
      {"EXITFOR with NEXT %i", Lines({"DIM %i", "FOR %i=1 TO 3", "EXITFOR", "NEXT %i"}), {"3:E017"}},
      {"EXITFOR", Lines({"DIM %i", "FOR %i=1 TO 3", "EXITFOR", "NEXT"}), {}},
      {"FOR without =", Lines({"DIM %i", "FOR %i 1 TO 3", "NEXT"}), {"2:E018"}},
      {"undeclared bound", Lines({"DIM %i", "FOR %i=1 TO %n", "NEXT"}), {"2:W004"}},
  });
}

TEST(CheckerTest, Jumps) {
  RunCases({
      {"GOTO nowhere", Lines({"GOTO :nowhere"}), {"1:E020"}},
      {"labels with spaces, any case", Lines({"GOTO :my label", ":My Label   ; here"}), {}},
      {"GOTONEXT looks below only", Lines({":up", "GOTONEXT :up"}), {"2:E020"}},
      {"GOTOBEFORE looks above only", Lines({"GOTOBEFORE :down", ":down"}), {"1:E020"}},
      {"GOTOBEFORE", Lines({":up", "GOTOBEFORE :up"}), {}},
      {"evaluated target", Lines({"DIM %t", "GOTO (& \":\" %t)"}), {}},
      {"CALL and GOSUB", Lines({"CALL :sub", "GOSUB :sub", "END", ":sub", "RETURN"}), {}},
      {"CALL nowhere", Lines({"CALL :sbu", "END", ":sub", "RETURN"}), {"1:E020"}},
      {"jump in a one-line IF", Lines({"IF (= 1 1) GOTO :gone"}), {"1:E020"}},
      {"any line is a target", Lines({"GOTO BEEP 1", "BEEP 1"}), {}},
  });
}

TEST(CheckerTest, KeyTexts) {
  RunCases({
      {"key names", Lines({"KEY [enter] abc [SHIFT]++ x [SHIFT]-- [OEM-65] [Semicolon]"}), {}},
      {"bad key name", Lines({"KEY abc [ENTR]"}), {"1:E030"}},
      {"bad held key name", Lines({"KEY [CTL]++ c [CTL]--"}), {"1:E030", "1:E030"}},
      {"expression given to KEY", Lines({"KEY (date \"yyyy\")"}), {"1:W032"}},
      {"variable in KEY", Lines({"DIM %k", "KEY %k [ENTER]"}), {}},
      {"semicolon glued to the text", Lines({"KEY abc;def"}), {"1:W034"}},
      {"comment after a space, semicolon written twice", Lines({"KEY a;;b ; comment"}), {}},
      {"PASTEKEY key text", Lines({"PASTEKEY \"[CTRL]++ V [CTRL]--\"", "PASTEKEY API-CARET", "PASTEKEY"}), {}},
      {"PASTEKEY bad name", Lines({"PASTEKEY \"[CONTROL]++ V\""}), {"1:E030"}},
      {"PASTEKEY word", Lines({"PASTEKEY ctrl-v"}), {"1:W030"}},
      {"SETBREAKKEY and PAUSE", Lines({"SETBREAKKEY [F12]", "SETBREAKKEY q", "PAUSE [ENTER]", "PAUSE"}), {}},
      {"SETBREAKKEY bad", Lines({"SETBREAKKEY [F13]"}), {"1:E030"}},
      {"PAUSE bad", Lines({"PAUSE \"[ENTRE]\" \"press\""}), {"1:E030"}},
      {"SEND with a key name", Lines({"SEND \"abc[ENTER]\""}), {"1:W033"}},
      {"SEND", Lines({"SEND \"abc\" CHAR"}), {}},
  });
}

TEST(CheckerTest, Operands) {
  RunCases({
      {"point with variables", Lines({"DIM %x %y", "LCLICK %x,%y"}), {"2:E035"}},
      {"point built", Lines({"DIM %x %y", "LCLICK (& %x \",\" %y)", "MOVETO 10,20", "RCLICK"}), {}},
      {"point with a space", Lines({"LCLICK 100 200"}), {"1:W031"}},
      {"SET with extra words", Lines({"DIM %a", "SET %a 1 2 3"}), {"2:W031"}},
      {"title not quoted", Lines({"ACTIVATE-WINDOW Untitled - Notepad"}), {"1:W031"}},
      {"title quoted", Lines({"ACTIVATE-WINDOW \"Untitled - Notepad\""}), {}},
      {"ELSEIF THEN is fine", Lines({"IF (= 1 1) THEN", "ELSEIF (= 1 2) THEN", "ENDIF"}), {}},
  });
}

TEST(CheckerTest, Includes) {
  World world;
  world.Add("a.mac", Lines({"INCLUDE \"C:\\prog\\b.mac\" extra words", "INCLUDE C:\\prog\\no such.mac", "GOTO :inb"}));
  world.Add("b.mac", Lines({":inb", "DIM %x", "SET %x 1", "MESAGE"}));
  const std::string a = std::string(kFolder) + "a.mac";
  const CheckResult result = world.Check({"-FILE=" + a});
  EXPECT_EQ(Brief(result, a), (std::vector<std::string>{"2:E040", "b.mac:4:E001"}));

  // The main file and four levels below it load; a fifth is refused.
  World deep;
  for (int level = 1; level <= 6; ++level) {
    deep.Add("m" + std::to_string(level) + ".mac",
             level < 6 ? "INCLUDE C:\\prog\\m" + std::to_string(level + 1) + ".mac\r\n" : "BEEP\r\n");
  }
  const std::string first = std::string(kFolder) + "m1.mac";
  EXPECT_EQ(Brief(deep.Check({"-FILE=" + first}), first), (std::vector<std::string>{"m5.mac:1:E041"}));
  deep.Add("m5.mac", "BEEP\r\n");
  EXPECT_EQ(deep.Check({"-FILE=" + first}).exitCode, 0);
}

TEST(CheckerTest, ExitCodesAndOutput) {
  World world;
  world.Add("t.mac", "MESAGE\r\n");
  const std::string file = std::string(kFolder) + "t.mac";
  CheckResult found = world.Check({"-FILE=" + file});
  ASSERT_EQ(found.findings.size(), 1u);
  EXPECT_EQ(FormatFinding(found.findings[0]), file + ":1: error V001: unknown statement `MESAGE`");
  EXPECT_EQ(found.exitCode, 2);
  CheckResult missing = world.Check({"-FILE=" + std::string(kFolder) + "none.mac"});
  EXPECT_EQ(missing.exitCode, 1);
  EXPECT_NE(missing.failure.find("none.mac"), std::string::npos);
  EXPECT_EQ(world.Check({}).exitCode, 1) << "menu mode without a menu file";
  // Where names ignore case the file is found, and named as it was given.
  CheckResult upper = world.Check({"-file=" + std::string(kFolder) + "T.MAC"});
  ASSERT_EQ(upper.findings.size(), 1u);
  EXPECT_EQ(upper.findings[0].file, std::string(kFolder) + "T.MAC");
}

TEST(CheckerTest, HotkeyFile) {
  World world;
  world.Add("Vendrix.INI", "[Options]\r\nTSR_hotkey=[F12] CTRL+ALT\r\n");
  world.Add("Vendrix.hot", Lines({"; hotkeys", "hotkey=[F5] CTRL ALT date", "PASTE (date \"yyyy/mm/dd\")",
                                  "hotkey=[f5] alt ctrl again", "DIM %n", "INC %n", "hotkey=[F99] CTRL",
                                  "BEEP", "hotkey=F5 SHIFT", "GOTO :top", "hotkey=[F12] CTRL ALT",
                                  "hotkey=[JOYBUTTON]", "INC %n", "MESAGE"}));
  const std::string hot = std::string(kFolder) + "Vendrix.hot";
  EXPECT_EQ(Brief(world.Check({"-TSR"}), hot),
            (std::vector<std::string>{"4:E051", "7:E050", "9:W050", "10:E020", "11:E051", "14:E001"}));

  std::string many;
  for (int i = 1; i <= 66; ++i) many += "hotkey=[F" + std::to_string(i % 12 + 1) + "] " + std::string(i % 2 ? "SHIFT" : "CTRL") + std::string(i / 24 ? " ALT" : "") + "\r\nBEEP\r\n";
  world.Add("many.hot", many);
  const std::string manyFile = std::string(kFolder) + "many.hot";
  const CheckResult limited = world.Check({"-TSR", "-FILE=" + manyFile});
  EXPECT_EQ(Brief(limited, manyFile).back(), "129:W053");
}

TEST(CheckerTest, MenuMode) {
  World world;
  world.Add("Vendrix.MNU", Lines({"; menu", ":Hello", "hello.mac", ":Gone", "gone.mac", ":Beep", "__BEEP 880 100",
                                  ":Bad", "__MESAGE"}));
  world.Add("hello.mac", Lines({"GOTO :end"}));
  world.Add("Vendrix.LST", Lines({":Notepad", "memo.mnu", ":Paint", "paint.mnu"}));
  world.Add("memo.mnu", Lines({":Hello again", "hello.mac", ":Other", "C:\\else\\x.mac"}));
  const CheckResult result = world.Check({});
  // Each file's findings by line, the files in the order they were read.
  EXPECT_EQ(Brief(result, ""), (std::vector<std::string>{"Vendrix.MNU:5:E052", "Vendrix.MNU:9:E001", "hello.mac:1:E020",
                                                         "Vendrix.LST:4:E052", "memo.mnu:4:E052"}));

  std::string full;
  for (int i = 1; i <= 65; ++i) full += ":item" + std::to_string(i) + "\r\n__BEEP\r\n";
  world.Add("Vendrix.MNU", full);
  world.Add("Vendrix.LST", "");
  EXPECT_EQ(Brief(world.Check({}), ""), (std::vector<std::string>{"Vendrix.MNU:129:W053"}));
}

}  // namespace
}  // namespace vendrix::checker
