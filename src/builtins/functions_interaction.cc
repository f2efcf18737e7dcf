// Functions that ask the user: an input dialog, a Yes/No/Cancel box and the
// next key pressed.  While they wait, a macro's input block is lifted.
#include <array>
#include <optional>
#include <string>
#include <utility>

#include "builtins/answers.h"
#include "builtins/functions.h"
#include "engine/interpreter.h"
#include "values/integer.h"

namespace vendrix {
namespace {

struct KeyRange {
  int first;
  int last;
};

// The virtual-key codes "readkey" watches, mouse buttons included.
constexpr std::array<KeyRange, 14> kReadKeySet = {{
    {1, 4}, {8, 9}, {12, 13}, {16, 25}, {27, 29}, {32, 41}, {43, 57},
    {65, 90}, {96, 123}, {144, 145}, {186, 192}, {219, 228}, {230, 230}, {233, 239},
}};

constexpr uint32_t kPollMs = 10;
constexpr uint64_t kMsPerSecond = 1000;

bool IsDown(platform::Input& input, int vk) {
  return (static_cast<uint16_t>(input.PollKey(vk)) & 0x8000) != 0;
}

// The highest watched code that is down now, or 0.
int HeldKey(platform::Input& input) {
  int held = 0;
  for (const KeyRange& range : kReadKeySet) {
    for (int vk = range.first; vk <= range.last; ++vk) {
      if (IsDown(input, vk)) held = vk;
    }
  }
  return held;
}

// One pass over the watched codes: the first one down other than `held`,
// or 0.  `held` is forgotten once it is up, so its next press counts.
int PressedKey(platform::Input& input, int& held) {
  for (const KeyRange& range : kReadKeySet) {
    for (int vk = range.first; vk <= range.last; ++vk) {
      if (vk == held) {
        if (!IsDown(input, vk)) held = 0;
        continue;
      }
      if (IsDown(input, vk)) return vk;
    }
  }
  return 0;
}

}  // namespace

// Cancel, or closing the dialog, leaves the initial text.
std::string FnInputBox(Interpreter& interp, const CallArgs& args) {
  InputReleased released(interp.Desktop());
  std::optional<std::string> entered = interp.Platform().dialogs.InputBox(args[0], args[1], args[2]);
  return entered ? std::move(*entered) : args[2];
}

std::string FnMessage(Interpreter& interp, ArgWalker& walker) {
  // The arguments are read first: one of them may ask the user itself, and
  // its own release and block must not leave input blocked under this box.
  std::string text;
  for (std::string value; walker.Next(value);) text += value;
  return AnswerText(interp.ShowMessageBox(text, platform::kMbYesNoCancel | platform::kMbSetForeground));
}

// Polls the key state every 10 ms without handling window messages; a key
// already down at the start counts only after it has been released.
std::string FnReadKey(Interpreter& interp, const CallArgs& args) {
  InputReleased released(interp.Desktop());
  platform::Input& input = interp.Platform().input;
  platform::Clock& clock = interp.Platform().clock;
  const int32_t seconds = IntegerValue(args[0], 0);
  const bool hasDeadline = seconds >= 1;
  const uint64_t limitMs = hasDeadline ? static_cast<uint64_t>(seconds) * kMsPerSecond : 0;
  const uint32_t start = clock.TickCount();
  int held = HeldKey(input);
  for (;;) {
    if (const int vk = PressedKey(input, held); vk != 0) return std::string(interp.KeyName(vk));
    if (!hasDeadline) {
      clock.SleepAwaitingUser(kPollMs);
      continue;
    }
    // The tick count wraps; the difference does not mind.
    if (static_cast<uint32_t>(clock.TickCount() - start) > limitMs) return {};
    clock.Sleep(kPollMs);
  }
}

}  // namespace vendrix
