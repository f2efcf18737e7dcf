// "inputbox", "message" and "readkey" on the simulated desktop.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "engine/report.h"
#include "support/test_world.h"

namespace vendrix::testing {
namespace {

// The calls that show the user something, with BlockInput as (0) or (1).
std::vector<std::string> UserCalls(const TestWorld& world, std::string_view dialogCall) {
  std::vector<std::string> calls;
  for (const nlohmann::json& entry : world.desktop.Trace()) {
    std::string call = entry["call"];
    if (call == "BlockInput") calls.push_back(entry["block"].get<bool>() ? "BlockInput(1)" : "BlockInput(0)");
    if (call == dialogCall) calls.push_back(call);
  }
  return calls;
}

// ---- inputbox

TEST(InputBox, OkGivesTheTextAndCancelTheInitialText) {
  struct Case {
    const char* inputs;
    const char* expected;
  };
  const Case cases[] = {
      {R"(["太郎"])", "太郎"},
      {R"([""])", ""},  // OK on an emptied field is not Cancel
      {R"([null])", "既定"},
      {R"([{"text": null, "after": 10}])", "既定"},
      {R"([{"text": "ソフト表示"}])", "ソフト表示"},  // trail bytes of backslash survive
      {"[]", "既定"},                                 // no answer left: Cancel
  };
  for (const Case& c : cases) {
    TestWorld world(std::string(R"({"inputs": )") + c.inputs + "}");
    EXPECT_EQ(world.Eval("(inputbox 題 \"名前は？\" 既定)"), c.expected) << c.inputs;
  }
}

TEST(InputBox, ShowsCaptionPromptAndInitialText) {
  TestWorld world(R"({"inputs": ["x", null]})");
  world.Eval("(inputbox 題 \"一行目\\n二行目\" (& a b))");
  world.Eval("(inputbox)");
  const auto& trace = world.desktop.Trace();
  std::vector<nlohmann::json> shown;
  for (const auto& entry : trace) {
    if (entry["call"] == "InputBox") shown.push_back(entry);
  }
  ASSERT_EQ(shown.size(), 2u);
  EXPECT_EQ(shown[0]["caption"], "題");
  EXPECT_EQ(shown[0]["prompt"], "一行目\r二行目");
  EXPECT_EQ(shown[0]["initial"], "ab");
  EXPECT_EQ(shown[0]["answer"], "OK");
  EXPECT_EQ(shown[0]["text"], "x");
  EXPECT_EQ(shown[1]["caption"], "");
  EXPECT_EQ(shown[1]["answer"], "CANCEL");
  EXPECT_TRUE(shown[1]["text"].is_null());
}

TEST(InputBox, StoresIntoAVariableThroughSet) {
  TestWorld world(R"({"inputs": ["42"], "answers": ["YES"]})");
  EXPECT_EQ(world.RunLines({"DIM %a %b", "SET %a (inputbox 入力 数は？ 0)", "MESSAGE %b (+ %a 1)"}), 0);
  EXPECT_EQ(world.Var("%A"), "42");
  EXPECT_EQ(world.Boxes(), (std::vector<std::string>{"43"}));
}

// ---- the three functions lift a macro's input block while they wait

struct BlockCase {
  const char* desktop;
  const char* operand;
  const char* dialogCall;
};

TEST(WaitingForTheUser, LiftsTheInputBlockAndRestoresIt) {
  const BlockCase cases[] = {
      {R"({"inputs": ["a"]})", "(inputbox c p d)", "InputBox"},
      {R"({"answers": ["YES"]})", "(message a b)", "MessageBoxA"},
      {R"({"keys": [{"vk": 65, "down": 30, "up": 40}]})", "(readkey 1)", "GetAsyncKeyState"},
  };
  for (const BlockCase& c : cases) {
    TestWorld world(c.desktop);
    BlockInputFor(DesktopOf(*world.engine), 5);
    world.Eval(c.operand);
    std::vector<std::string> calls = UserCalls(world, c.dialogCall);
    // readkey asks about many keys: keep the first and the last.
    calls.erase(std::unique(calls.begin(), calls.end()), calls.end());
    EXPECT_EQ(calls, (std::vector<std::string>{"BlockInput(1)", "BlockInput(0)", c.dialogCall, "BlockInput(1)"}))
        << c.operand;
    EXPECT_TRUE(world.desktop.InputBlocked()) << c.operand;
    EXPECT_EQ(world.engine->input.blockLevel, 5) << c.operand;
  }
}

TEST(WaitingForTheUser, WithoutABlockInputIsLeftAlone) {
  const BlockCase cases[] = {
      {R"({"inputs": ["a"]})", "(inputbox c p d)", "InputBox"},
      {R"({"answers": ["YES"]})", "(message a b)", "MessageBoxA"},
      {"{}", "(readkey 1)", "GetAsyncKeyState"},
  };
  for (const BlockCase& c : cases) {
    TestWorld world(c.desktop);
    world.Eval(c.operand);
    EXPECT_EQ(world.CountCalls("BlockInput"), 0) << c.operand;
    EXPECT_EQ(world.CountCalls("SetTimer"), 0) << c.operand;
  }
}

TEST(WaitingForTheUser, AMessageWhoseArgumentAsksTooIsShownUnblocked) {
  TestWorld world(R"({"inputs": ["x"], "answers": ["NO"]})");
  BlockInputFor(DesktopOf(*world.engine), 5);
  EXPECT_EQ(world.Eval("(message (inputbox c p d))"), "NO");
  EXPECT_EQ(UserCalls(world, "MessageBoxA"),
            (std::vector<std::string>{"BlockInput(1)", "BlockInput(0)", "BlockInput(1)", "BlockInput(0)",
                                      "MessageBoxA", "BlockInput(1)"}));
}

// ---- message

TEST(Message, ConcatenatesAllArgumentsAndNamesTheButton) {
  struct Case {
    const char* answer;
    const char* operand;
    const char* text;
    const char* value;
  };
  const Case cases[] = {
      {"YES", "(message a b)", "ab", "YES"},
      {"NO", "(message \"x y\" (+ 1 2) z)", "x y3z", "NO"},
      {"CANCEL", "(message 1 2 3 4 5 6 7)", "1234567", "CANCEL"},
      {"OK", "(message)", "", "YES"},  // no OK on the box: its first button
  };
  for (const Case& c : cases) {
    TestWorld world(std::string(R"({"answers": [")") + c.answer + "\"]}");
    EXPECT_EQ(world.Eval(c.operand), c.value) << c.operand;
    EXPECT_EQ(world.Boxes(), (std::vector<std::string>{c.text})) << c.operand;
    EXPECT_EQ(world.CallsOf("MessageBoxA", "flags"), (std::vector<std::string>{"65539"}));  // Yes/No/Cancel, foreground
    EXPECT_EQ(world.CallsOf("MessageBoxA", "caption"), (std::vector<std::string>{"Vendrix V0.74a"}));
  }
}

// ---- readkey

struct ReadKeyCase {
  const char* keys;
  const char* operand;
  const char* expected;
  uint64_t minMs;  // when the call returned, in virtual time
  uint64_t maxMs;
};

void PrintTo(const ReadKeyCase& c, std::ostream* out) { *out << c.operand << " " << c.keys; }

class ReadKey : public ::testing::TestWithParam<ReadKeyCase> {};

TEST_P(ReadKey, ReturnsTheKeyOrNothing) {
  const ReadKeyCase& c = GetParam();
  TestWorld world(std::string(R"({"keys": )") + c.keys + "}");
  EXPECT_EQ(world.Eval(c.operand), c.expected);
  EXPECT_GE(world.desktop.NowMs(), c.minMs);
  EXPECT_LE(world.desktop.NowMs(), c.maxMs);
}

INSTANTIATE_TEST_SUITE_P(
    Keys, ReadKey,
    ::testing::Values(
        ReadKeyCase{"[]", "(readkey 2)", "", 2000, 2020},
        ReadKeyCase{"[]", "(readkey 1)", "", 1000, 1020},
        ReadKeyCase{R"([{"vk": 65, "down": 500, "up": 600}])", "(readkey)", "A", 500, 510},
        ReadKeyCase{R"([{"vk": 27, "down": 50, "up": 60}])", "(readkey 5)", "[ESC]", 50, 60},
        ReadKeyCase{R"([{"vk": 112, "down": 3000}])", "(readkey 0)", "[F1]", 3000, 3010},
        ReadKeyCase{R"([{"vk": 13, "down": 3000}])", "(readkey -4)", "[RET]", 3000, 3010},
        // A key after the deadline is not seen.
        ReadKeyCase{R"([{"vk": 65, "down": 1500}])", "(readkey 1)", "", 1000, 1020},
        // Codes outside the watched set do not count.
        ReadKeyCase{R"([{"vk": 5, "down": 0}, {"vk": 42, "down": 0}, {"vk": 255, "down": 0}])", "(readkey 1)", "",
                    1000, 1020},
        // Two keys going down together: the lower code wins.
        ReadKeyCase{R"([{"vk": 66, "down": 100}, {"vk": 65, "down": 100}])", "(readkey)", "A", 100, 110},
        // A key held at the start counts only after release and a new press.
        ReadKeyCase{R"([{"vk": 65, "down": 0, "up": 300}, {"vk": 65, "down": 800, "up": 900}])", "(readkey)", "A",
                    800, 810},
        ReadKeyCase{R"([{"vk": 65, "down": 0}])", "(readkey 1)", "", 1000, 1020},
        // Other keys count while it is held.
        ReadKeyCase{R"([{"vk": 65, "down": 0}, {"vk": 66, "down": 100, "up": 200}])", "(readkey)", "B", 100, 110},
        // Only the highest held code is remembered; a lower one held too is
        // reported at once.
        ReadKeyCase{R"([{"vk": 65, "down": 0}, {"vk": 66, "down": 0}])", "(readkey 1)", "A", 0, 0}));

TEST(ReadKeyNames, MouseButtonsAndLettersUseTheKeyNameTable) {
  for (int vk : {1, 2, 4, 32, 48, 90, 96, 123, 186, 239}) {
    TestWorld world(R"({"keys": [{"vk": )" + std::to_string(vk) + R"(, "down": 10}]})");
    EXPECT_EQ(world.Eval("(readkey 1)"), Utf8(world.engine->keyNames[static_cast<size_t>(vk)])) << vk;
    EXPECT_EQ(world.desktop.NowMs(), 10u) << vk;
  }
}

TEST(ReadKeyPolling, WaitsTenMillisecondsBetweenPasses) {
  TestWorld world(R"({"keys": [{"vk": 65, "down": 35}]})");
  EXPECT_EQ(world.Eval("(readkey)"), "A");
  EXPECT_EQ(world.CallsOf("Sleep", "ms"), (std::vector<std::string>{"10", "10", "10", "10"}));
}

}  // namespace
}  // namespace vendrix::testing
