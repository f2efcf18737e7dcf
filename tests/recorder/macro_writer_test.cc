// The macro the recorder writes for hand-made recordings: what a person
// would have written, and the escapes that keep it meaning the same.
#include "recorder/macro_writer.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/sim/sim_desktop.h"
#include "recorder/events.h"
#include "support/test_world.h"

namespace vendrix::recorder {
namespace {

using testing::Sjis;
using testing::Utf8;

constexpr int kShift = 16, kControl = 17, kLeftControl = 0xA2, kLeftShift = 0xA0, kEnter = 13;

using make::ButtonEvent;
using make::ImeEvent;
using make::KeyEvent;
using make::WheelEvent;

RecordedEvent Down(int vk, uint32_t at = 0) { return KeyEvent(EventKind::kKeyDown, vk, at); }
RecordedEvent Up(int vk, uint32_t at = 0) { return KeyEvent(EventKind::kKeyUp, vk, at); }

// A key pressed and released.
std::vector<RecordedEvent> Tap(int vk, uint32_t at = 0) { return {Down(vk, at), Up(vk, at)}; }

// Letters and digits as the keys that type them.
std::vector<RecordedEvent> Type(std::string_view keys, uint32_t at = 0) {
  std::vector<RecordedEvent> events;
  for (char key : keys) {
    int vk = key == ' ' ? 0x20 : (key >= 'a' && key <= 'z' ? key - 'a' + 'A' : key);
    for (const RecordedEvent& event : Tap(vk, at)) events.push_back(event);
  }
  return events;
}

RecordedEvent Button(EventKind kind, int x, int y, MouseButton button = MouseButton::kLeft, uint32_t at = 0) {
  return ButtonEvent(kind, x, y, button, at);
}

RecordedEvent Window(std::string_view utf8Title, int left, int top) {
  return make::WindowEvent(Sjis(utf8Title), left, top);
}

Recording Join(std::initializer_list<std::vector<RecordedEvent>> parts) {
  Recording all;
  for (const auto& part : parts) all.insert(all.end(), part.begin(), part.end());
  return all;
}

class MacroWriterTest : public ::testing::Test {
 protected:
  // The macro as UTF-8 lines.
  std::vector<std::string> Lines(const Recording& recording, WriterOptions options = {}) {
    std::string text = WriteMacro(recording, layout_, options);
    EXPECT_TRUE(text.empty() || text.ends_with("\r\n"));
    std::vector<std::string> lines;
    for (size_t start = 0; start < text.size();) {
      size_t end = text.find("\r\n", start);
      lines.push_back(Utf8(text.substr(start, end - start)));
      start = end + 2;
    }
    return lines;
  }

  sim::SimDesktop desktop_{"{}"};
  KeyLayout layout_ = KeyLayout::FromInput(desktop_.input());
};

TEST_F(MacroWriterTest, TypingIsOneKeyLineOfWordsAndNamedKeys) {
  Recording recording = Join({Type("hello world"), Tap(kEnter), Tap(0x70), Tap(0x1C)});
  EXPECT_EQ(Lines(recording), (std::vector<std::string>{"KEY hello [SPACE] world [ENTER] [F1] [HENKAN]"}));
}

TEST_F(MacroWriterTest, ModifiersAreHeldAndReleasedAroundTheirKeys) {
  Recording recording = Join({{Down(kLeftShift)}, Type("v"), {Up(kLeftShift)}, Type("endrix"),
                              {Down(kLeftControl), Down(kLeftControl)}, Type("s"), {Up(kLeftControl)}});
  EXPECT_EQ(Lines(recording),
            (std::vector<std::string>{"KEY [SHIFT]++ v [SHIFT]-- endrix [CTRL]++ s [CTRL]--"}));
}

TEST_F(MacroWriterTest, OverlappingPressesAndAutoRepeatBecomeSeparatePresses) {
  // "ab" typed fast: b goes down before a comes up; then x auto-repeats.
  Recording recording = {Down('A'), Down('B'), Up('A'), Up('B'), Down('X'), Down('X'), Down('X'), Up('X')};
  EXPECT_EQ(Lines(recording), (std::vector<std::string>{"KEY abxxx"}));
}

TEST_F(MacroWriterTest, CharactersThatMeanSomethingElseInAKeyTextAreWrittenSafely) {
  constexpr int kSemicolon = 0xBB, kMinus = 0xBD, kBracket = 0xDB, kOem102 = 0xE2;
  Recording recording = Join({Type("a"), Tap(kMinus), Tap(kMinus), Tap(kSemicolon), Tap(kBracket), Type("x"),
                              Tap(kOem102)});
  // "a--" would release a; ";" would start a comment; a word starting
  // with "[" would be read as a key name; a key with no unshifted
  // character goes by its code.
  EXPECT_EQ(Lines(recording), (std::vector<std::string>{"KEY a- - [SEMICOLON] [OEM-219] x [OEM-226]"}));
}

TEST_F(MacroWriterTest, PausesLongerThanTheThresholdBecomeRoundedDelays) {
  Recording recording = Join({Type("a", 1000), Type("b", 1250), Type("c", 2484), Type("d", 2485)});
  EXPECT_EQ(Lines(recording), (std::vector<std::string>{"KEY ab", "DELAY 1200", "KEY cd"}));
  WriterOptions slow;
  slow.pauseThresholdMs = 2000;
  EXPECT_EQ(Lines(recording, slow), (std::vector<std::string>{"KEY abcd"}));
}

TEST_F(MacroWriterTest, AWindowChangeActivatesItAndMovesTheOrigin) {
  Recording recording = {Window("無題 - メモ帳", 100, 50),
                         Button(EventKind::kButtonDown, 140, 130), Button(EventKind::kButtonUp, 140, 130),
                         Button(EventKind::kButtonDown, 90, 40, MouseButton::kRight),
                         Button(EventKind::kButtonUp, 90, 40, MouseButton::kRight),
                         Window("電卓", 100, 50)};
  EXPECT_EQ(Lines(recording),
            (std::vector<std::string>{"ACTIVATE-WINDOW \"無題 - メモ帳\"", "SETORIGIN (getwindowpos)",
                                      "LCLICK 40,80", "RCLICK -10,-10", "ACTIVATE-WINDOW \"電卓\"",
                                      "SETORIGIN (getwindowpos)"}));
}

TEST_F(MacroWriterTest, AClickThatBringsItsWindowForwardIsWrittenBeforeTheChange) {
  Recording recording = {Window("A", 0, 0), Button(EventKind::kButtonDown, 300, 200), Window("B", 250, 150),
                         Button(EventKind::kButtonUp, 300, 200), Type("x")[0], Type("x")[1]};
  EXPECT_EQ(Lines(recording), (std::vector<std::string>{"ACTIVATE-WINDOW \"A\"", "SETORIGIN (getwindowpos)",
                                                        "LCLICK 300,200", "ACTIVATE-WINDOW \"B\"",
                                                        "SETORIGIN (getwindowpos)", "KEY x"}));
}

TEST_F(MacroWriterTest, DragsAndLongPressesHoldTheButton) {
  Recording recording = {Button(EventKind::kButtonDown, 10, 10), Button(EventKind::kButtonUp, 60, 15),
                         Button(EventKind::kButtonDown, 60, 15, MouseButton::kLeft, 100),
                         Button(EventKind::kButtonUp, 60, 15, MouseButton::kLeft, 900)};
  EXPECT_EQ(Lines(recording),
            (std::vector<std::string>{"MOVETO 10,10", "KEY [LCLICK]++", "MOVETO 60,15", "KEY [LCLICK]--",
                                      "KEY [LCLICK]++", "DELAY 800", "KEY [LCLICK]--"}));
}

TEST_F(MacroWriterTest, ModifiersHeldAcrossAClickStayHeld) {
  Recording recording = {Down(kControl), Button(EventKind::kButtonDown, 5, 6), Button(EventKind::kButtonUp, 5, 6),
                         Up(kControl)};
  EXPECT_EQ(Lines(recording), (std::vector<std::string>{"KEY [CTRL]++", "LCLICK 5,6", "KEY [CTRL]--"}));
}

TEST_F(MacroWriterTest, WheelTurnsInARowAreOneLineWhereThePointerWas) {
  Recording recording = {WheelEvent(7, 8, 1), WheelEvent(7, 8, 2), WheelEvent(9, 8, -1)};
  EXPECT_EQ(Lines(recording), (std::vector<std::string>{"MOVETO 7,8", "WHEEL 3", "MOVETO 9,8", "WHEEL -1"}));
}

TEST_F(MacroWriterTest, TheInputMethodAndMiddleClicks) {
  Recording recording = {ImeEvent(true), ImeEvent(false),
                         Button(EventKind::kButtonDown, 1, 1, MouseButton::kMiddle),
                         Button(EventKind::kButtonUp, 1, 1, MouseButton::kMiddle)};
  std::vector<std::string> lines = Lines(recording);
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0], "SET-IME TRUE");
  EXPECT_EQ(lines[1], "SET-IME FALSE");
  EXPECT_TRUE(lines[2].starts_with("; A middle click"));
}

TEST_F(MacroWriterTest, PasswordKeysLeaveOneCommentAndNoTrace) {
  auto secret = [](int vk) {
    return std::vector<RecordedEvent>{KeyEvent(EventKind::kKeyDown, vk, 0, true), KeyEvent(EventKind::kKeyUp, vk, 0, true)};
  };
  Recording recording = Join({Type("id"), Tap(0x09), secret('S'), {Down(kShift)}, secret('E'), {Up(kShift)},
                              secret('C'), Tap(kEnter)});
  std::vector<std::string> lines = Lines(recording);
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0], "KEY id [TAB]");
  EXPECT_TRUE(lines[1].starts_with("; Keys typed into a password field"));
  // The modifier is no secret; what it modified is.
  EXPECT_EQ(lines[2], "KEY [SHIFT]++ [SHIFT]-- [ENTER]");
}

TEST_F(MacroWriterTest, WhatIsStillHeldAtTheEndIsReleased) {
  Recording recording = {Down(kLeftShift), Down(kControl), Button(EventKind::kButtonDown, 3, 4)};
  EXPECT_EQ(Lines(recording), (std::vector<std::string>{"KEY [SHIFT]++ [CTRL]++", "MOVETO 3,4",
                                                        "KEY [LCLICK]++", "KEY [LCLICK]-- [SHIFT]-- [CTRL]--"}));
}

TEST_F(MacroWriterTest, LongTypingGoesOnInAnotherKeyLine) {
  WriterOptions narrow;
  narrow.keyLineBytes = 12;
  Recording recording = Join({Type("abc"), Tap(kEnter), Type("defgh"), Tap(kEnter)});
  EXPECT_EQ(Lines(recording, narrow), (std::vector<std::string>{"KEY abc [ENTER]", "KEY defgh", "KEY [ENTER]"}));
}

TEST_F(MacroWriterTest, TheHeaderComesFirstAsComments) {
  WriterOptions options;
  options.header = {Sjis("Zemlo で記録"), "2026/12/08 09:30"};
  EXPECT_EQ(Lines(Type("a"), options),
            (std::vector<std::string>{"; Zemlo で記録", "; 2026/12/08 09:30", "KEY a"}));
}

// Titles reach ACTIVATE-WINDOW through the loader and the evaluator: the
// quoted operand must come out as exactly the title, whatever it holds.
TEST(QuotedOperandTest, TheLoaderAndTheEvaluatorGiveBackTheText) {
  const std::vector<std::string> titles = {
      Sjis("無題 - メモ帳"), "a;b;;c", "say \"hi\"", "C:\\new\\file.txt - Editor", "ends with \\",
      Sjis("表示\\n"),  // 表's second byte is a backslash
      "\\n", "(deletefile x)", "%0", ""};
  for (const std::string& title : titles) {
    testing::TestWorld world;
    world.files.Add(testing::kMacroName, "SET %0 " + QuotedOperand(title) + "\r\n");
    ASSERT_EQ(world.Run(), 0) << title;
    EXPECT_EQ(world.engine->variables.Value(world.engine->variables.Find("%0")), title) << QuotedOperand(title);
  }
}

}  // namespace
}  // namespace vendrix::recorder
