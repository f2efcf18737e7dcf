// Text from outside the macro is data: whichever way it enters, and however
// the macro copies, cuts or joins it, used as a call argument it stands for
// itself and is never run as a call, unquoted or looked up as a variable.
#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <nlohmann/json.hpp>

#include "support/test_world.h"

namespace vendrix::testing {
namespace {

constexpr std::string_view kVictim = "C:\\m\\victim.txt";
constexpr std::string_view kIniFile = "C:\\m\\a.ini";
constexpr std::string_view kLinesFile = "C:\\m\\lines.txt";

// Characters, as the language counts them: one per code point here.
size_t CharacterCount(std::string_view utf8) {
  size_t count = 0;
  for (char byte : utf8) count += (static_cast<unsigned char>(byte) & 0xC0) != 0x80;
  return count;
}

// One way outside text enters: what the desktop description says, what the
// test puts in place, and the macro lines that bring it into %t (UTF-8).
struct Source {
  const char* name;
  std::function<nlohmann::json(const std::string& text)> desktop;
  std::function<void(TestWorld& world, const std::string& text)> prepare;
  std::vector<std::string> lines;
};

nlohmann::json NoDesktop(const std::string&) { return nlohmann::json::object(); }
nlohmann::json WindowInFront(const std::string& title) {
  return {{"windows", {{{"id", 100}, {"title", title}, {"rect", {0, 0, 100, 100}}}}}};
}
void NothingToPrepare(TestWorld&, const std::string&) {}

std::vector<Source> Sources() {
  return {
      {"READ", NoDesktop,
       [](TestWorld& world, const std::string& text) { world.files.Add(kLinesFile, Sjis(text) + "\r\n"); },
       {"OPEN C:\\m\\lines.txt INPUT 1", "READ 1 %t", "CLOSE 1"}},
      {"GETTITLE", WindowInFront, NothingToPrepare, {"GETTITLE %t"}},
      // GETTITLE without a variable writes %0.
      {"GETTITLE into %0", WindowInFront, NothingToPrepare, {"GETTITLE", "SET %t %0"}},
      {"GETCLIPBRD", [](const std::string& text) { return nlohmann::json{{"clipboard", text}}; },
       NothingToPrepare, {"GETCLIPBRD %t"}},
      {"inputbox", [](const std::string& text) { return nlohmann::json{{"inputs", {text}}}; },
       NothingToPrepare, {"SET %t (inputbox caption prompt initial)"}},
      {"readini", NoDesktop,
       [](TestWorld& world, const std::string& text) { world.files.Add(kIniFile, Sjis("[s]\r\nk=" + text + "\r\n")); },
       {"SET %t (readini C:\\m\\a.ini s k)"}},
      {"loadini", NoDesktop,
       [](TestWorld& world, const std::string& text) {
         world.files.Add("C:\\m\\test.ini", Sjis("[saveini]\r\nk=" + text + "\r\n"));
       },
       {"SET %t (loadini k)"}},
      {"getenv", NoDesktop,
       [](TestWorld& world, const std::string& text) { world.host.SetEnvironmentVariable("V", Sjis(text)); },
       {"SET %t (getenv V)"}},
      {"getcurrentdir", NoDesktop,
       [](TestWorld& world, const std::string& text) { world.host.SetCurrentFolder(Sjis(text)); },
       {"SET %t (getcurrentdir)"}},
      {"getexedir", NoDesktop,
       [](TestWorld& world, const std::string& text) { world.engine->programFolder = Sjis(text); },
       {"SET %t (getexedir)"}},
  };
}

// Texts that would act if they were evaluated: a call with an effect, a
// text that would lose its quotes, a reference to another variable, a call
// that would show a dialog, and a call that would cut another variable.
const std::vector<std::string> kHostileTexts = {
    "(deletefile \"C:\\m\\victim.txt\") - Browser",
    "(deletefile C:\\m\\victim.txt)",
    "\"quoted\" and more",
    "%secret",
    "(inputbox a b c)",
    "(token %secret e)",
    "(株)山田商事",
};

// Copies with SET, into a variable and an array element, and a piece of
// the text kept for later.
const std::vector<std::string> kPassedOn = {
    "SET %u %t", "SET %w (& \"a|\" %t)", "SET %p (right %t 1000)", "SET %i 3", "SET %e[%i] %t",
};

// Expressions over the text, in order, and what each gives (T: the text).
struct Use {
  const char* expression;
  std::function<std::string(const std::string& text)> expected;
};

std::string Same(const std::string& text) { return text; }

const std::vector<Use> kUses = {
    {"(& %u)", Same},
    {"(& \"<\" %t \">\")", [](const std::string& t) { return "<" + t + ">"; }},
    {"(substr %t 1 1000)", Same},
    {"(left %t 1000)", Same},
    {"(right %t 1000)", Same},
    {"(len %t)", [](const std::string& t) { return std::to_string(CharacterCount(t)); }},
    {"(token %w \"|\")", [](const std::string&) { return std::string("a"); }},
    {"(& %w)", Same},  // the rest token left behind
    {"(& %p %p)", [](const std::string& t) { return t + t; }},
    {"(& %e[%i])", Same},
    {"(= %t %u)", [](const std::string&) { return std::string("True"); }},
    {"(substr (& %t %u) 1 (len %t))", Same},
};

std::string ResultVariable(size_t n) { return "%R[" + std::to_string(n) + "]"; }

std::vector<std::string> MacroFor(const Source& source) {
  std::vector<std::string> lines = {"DIM %t %u %w %p %i %secret %r[20] %e[3]", "SET %secret leak"};
  lines.insert(lines.end(), source.lines.begin(), source.lines.end());
  lines.insert(lines.end(), kPassedOn.begin(), kPassedOn.end());
  for (size_t n = 0; n < kUses.size(); ++n) lines.push_back("SET " + ResultVariable(n) + " " + kUses[n].expression);
  return lines;
}

TEST(OutsideTextTest, EverySourceGivesDataThatNeverActs) {
  for (const Source& source : Sources()) {
    for (const std::string& text : kHostileTexts) {
      SCOPED_TRACE(std::string(source.name) + ": " + text);
      TestWorld world(source.desktop(text).dump());
      world.files.Add(kVictim, "keep");
      source.prepare(world, text);
      ASSERT_EQ(world.RunLines(MacroFor(source)), 0) << ::testing::PrintToString(world.Boxes());
      EXPECT_EQ(world.Var("%T"), text);
      for (size_t n = 0; n < kUses.size(); ++n) {
        EXPECT_EQ(world.Var(ResultVariable(n)), kUses[n].expected(text)) << kUses[n].expression;
      }
      EXPECT_EQ(world.files.Get(kVictim), std::optional<std::string>("keep"));
      EXPECT_EQ(world.Var("%SECRET"), "leak");
      EXPECT_TRUE(world.Boxes().empty());
      const int ownDialogs = std::string(source.name) == "inputbox" ? 1 : 0;
      EXPECT_EQ(world.CountCalls("InputBox"), ownDialogs);
    }
  }
}

// Reads lines of a file into variables, one READ each.
class ReadLinesTest : public ::testing::Test {
 protected:
  void Lines(const std::vector<std::string>& lines) {
    std::string bytes;
    for (const std::string& line : lines) bytes += Sjis(line) + "\r\n";
    world_.files.Add(kLinesFile, bytes);
    world_.files.Add(kVictim, "keep");
  }
  int Run(const std::vector<std::string>& lines) {
    std::vector<std::string> macro = {"OPEN C:\\m\\lines.txt INPUT 1"};
    macro.insert(macro.end(), lines.begin(), lines.end());
    return world_.RunLines(macro);
  }
  bool VictimKept() { return world_.files.Get(kVictim).has_value(); }

  TestWorld world_;
};

TEST_F(ReadLinesTest, ACsvRowSplitsIntoItsFields) {
  Lines({"(株)山田商事,3,至急"});
  ASSERT_EQ(Run({"DIM %row %a %b %c", "READ 1 %row", "SET %a (token %row \",\")", "SET %b (token %row \",\")",
                 "SET %c (token %row \",\")"}),
            0);
  EXPECT_EQ(world_.Var("%A"), "(株)山田商事");
  EXPECT_EQ(world_.Var("%B"), "3");
  EXPECT_EQ(world_.Var("%C"), "至急");
  EXPECT_EQ(world_.Var("%ROW"), "");
}

// The same text evaluates when the macro wrote it and stands for itself
// when it was read; a copy keeps its origin, and a store of the macro's
// own text makes the variable the macro's own again.
TEST_F(ReadLinesTest, OnlyTheMacrosOwnTextIsEvaluated) {
  Lines({"(+ 1 2)"});
  ASSERT_EQ(Run({"DIM %own %read %copy %a %b %c %d", "SET %own \"(+ 1 2)\"", "READ 1 %read", "SET %copy %read",
                 "SET %a (len %own)", "SET %b (len %read)", "SET %c (len %copy)", "SET %read \"(+ 1 2)\"",
                 "SET %d (len %read)"}),
            0);
  EXPECT_EQ(world_.Var("%A"), "1");
  EXPECT_EQ(world_.Var("%B"), "7");
  EXPECT_EQ(world_.Var("%C"), "7");
  EXPECT_EQ(world_.Var("%D"), "1");
}

// Statements that store a value made from outside text pass its origin on.
TEST_F(ReadLinesTest, StoresMadeFromDataStayData) {
  Lines({"(deletefile C:\\m\\victim.txt)", "5"});
  ASSERT_EQ(Run({"DIM %t %n %k %a %b %c %d", "READ 1 %t", "READ 1 %n",
                 // SETBREAKKEY keeps the upper-cased text in %breakkey.
                 "SETBREAKKEY %t", "SET %a (& %breakkey)",
                 // token's rest goes back into its variable.
                 "SET %k (& \"x \" %t)", "SET %b (token %k \" \")", "SET %c (& %k)",
                 // a sum with data in it.
                 "SET %d 1", "INC %d %n"}),
            0);
  EXPECT_TRUE(VictimKept());
  EXPECT_EQ(world_.Var("%A"), "(DELETEFILE C:\\M\\VICTIM.TXT)");
  EXPECT_EQ(world_.Var("%B"), "x");
  EXPECT_EQ(world_.Var("%C"), "(deletefile C:\\m\\victim.txt)");
  EXPECT_EQ(world_.Var("%D"), "6");
  VariableTable& variables = world_.engine->variables;
  for (const char* name : {"%BREAKKEY", "%K", "%D", "%N"}) {
    EXPECT_TRUE(variables.HoldsOutsideText(variables.Find(name))) << name;
  }
}

// CALL names a line: outside text is the label as it is, never a call.
TEST_F(ReadLinesTest, CallToALabelFromDataIsLiteral) {
  Lines({":sub", "(deletefile C:\\m\\victim.txt)"});
  ASSERT_EQ(Run({"DIM %label %hostile %done", "READ 1 %label", "READ 1 %hostile", "CALL %label",
                 "CALL %hostile", "END", ":SUB", "SET %done yes", "RETURN"}),
            1);
  EXPECT_TRUE(VictimKept());
  EXPECT_EQ(world_.Var("%DONE"), "yes");
  EXPECT_EQ(world_.Boxes(), (std::vector<std::string>{
                                "Err：該当行がありません : GOTO (deletefile C:\\m\\victim.txt)",
                                "マクロを中断します"}));
}

// eof evaluates the macro's own argument once more, never outside text.
TEST_F(ReadLinesTest, EofEvaluatesOnlyTheMacrosOwnSlotText) {
  Lines({"(+ 0 1)"});
  ASSERT_EQ(Run({"DIM %own %read %a", "SET %own \"(+ 0 1)\"", "READ 1 %read", "SET %a (eof %own)", "CLOSE 1"}), 0);
  EXPECT_EQ(world_.Var("%A"), "True");
  // Read as a number, the line is 0: no slot.
  ASSERT_EQ(Run({"DIM %read %b", "READ 1 %read", "SET %b (eof %read)"}), 1);
  EXPECT_EQ(world_.Var("%B"), "");
  EXPECT_EQ(world_.Boxes().at(0), "Err：ファイル番号（ 0 ）は不正です");
}

}  // namespace
}  // namespace vendrix::testing
