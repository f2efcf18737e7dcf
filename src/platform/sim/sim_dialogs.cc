#include "platform/sim/sim_dialogs.h"

#include <algorithm>
#include <span>
#include <string>
#include <utility>

#include "platform/sim/sjis_utf8.h"

namespace vendrix::sim {
namespace {

constexpr uint32_t kButtonSetMask = 0xF;

// The buttons of a box, first button first.  Sets Vendrix never asks for
// are shown with an OK button alone.
std::span<const Button> ButtonsOf(uint32_t flags) {
  static constexpr Button kOk[] = {Button::kOk};
  static constexpr Button kOkCancel[] = {Button::kOk, Button::kCancel};
  static constexpr Button kYesNoCancel[] = {Button::kYes, Button::kNo, Button::kCancel};
  static constexpr Button kYesNo[] = {Button::kYes, Button::kNo};
  switch (flags & kButtonSetMask) {
    case platform::kMbOkCancel: return kOkCancel;
    case platform::kMbYesNoCancel: return kYesNoCancel;
    case platform::kMbYesNo: return kYesNo;
    default: return kOk;
  }
}

int ButtonId(Button button) {
  switch (button) {
    case Button::kOk: return platform::kIdOk;
    case Button::kCancel: return platform::kIdCancel;
    case Button::kYes: return platform::kIdYes;
    case Button::kNo: return platform::kIdNo;
  }
  return platform::kIdOk;
}

}  // namespace

Answer SimDialogs::NextAnswer() {
  if (nextAnswer_ >= answers_.size()) return Answer{};
  return answers_[nextAnswer_++];
}

int SimDialogs::MessageBox(std::string_view text, std::string_view caption, uint32_t flags) {
  const bool errorReport = std::exchange(errorBoxNext_, false);
  world_.CheckBounds();
  const bool answered = AnswersLeft() > 0;
  const Answer answer = NextAnswer();
  const auto buttons = ButtonsOf(flags);
  const bool onTheBox = std::find(buttons.begin(), buttons.end(), answer.button) != buttons.end();
  const Button pressed = onTheBox ? answer.button : buttons.front();
  if (world_.Tracing()) {
    world_.Record("MessageBoxA", {{"text", SjisToUtf8(text)},
                           {"caption", SjisToUtf8(caption)},
                           {"flags", flags},
                           {"answer", ButtonName(pressed)}});
  }
  if (world_.LoggingDialogs()) {
    std::string line = errorReport ? std::string() : "message box: ";
    line += OneLine(SjisToUtf8(text));
    world_.LogDialog(line + " [" + std::string(ButtonName(pressed)) + "]");
  }
  if (errorReport && world_.Rules().stopOnError && !world_.DryRunEnded()) {
    world_.EndDryRun(kExitStoppedOnError, "stopped at the first error report (--stop-on-error)");
  }
  if (!answered) world_.NoteUnansweredQuestion("box " + std::to_string(flags) + " " + std::string(caption) + "\n" + std::string(text));
  // A box answered at once has no time to run the timers.
  if (answer.afterMs > 0) messages_.RunModalLoopUntil(world_.NowMs() + answer.afterMs);
  return ButtonId(pressed);
}

InputAnswer SimDialogs::NextInput() {
  if (nextInput_ >= inputs_.size()) return InputAnswer{};
  return inputs_[nextInput_++];
}

std::optional<std::string> SimDialogs::InputBox(std::string_view caption, std::string_view prompt,
                                                std::string_view initial) {
  world_.CheckBounds();
  const bool answered = InputsLeft() > 0;
  const InputAnswer answer = NextInput();
  if (world_.Tracing()) {
    nlohmann::ordered_json fields = {{"caption", SjisToUtf8(caption)},
                                     {"prompt", SjisToUtf8(prompt)},
                                     {"initial", SjisToUtf8(initial)},
                                     {"answer", answer.text ? "OK" : "CANCEL"}};
    fields["text"] = answer.text ? nlohmann::ordered_json(SjisToUtf8(*answer.text)) : nullptr;
    world_.Record("InputBox", std::move(fields));
  }
  if (world_.LoggingDialogs()) {
    const std::string typed = answer.text ? "OK: " + OneLine(SjisToUtf8(*answer.text)) : "CANCEL";
    world_.LogDialog("input box: " + OneLine(SjisToUtf8(prompt)) + " [" + typed + "]");
  }
  if (!answered) {
    world_.NoteUnansweredQuestion("input " + std::string(caption) + "\n" + std::string(prompt) + "\n" + std::string(initial));
  }
  if (answer.afterMs > 0) messages_.RunModalLoopUntil(world_.NowMs() + answer.afterMs);
  return answer.text;
}

// An error report's box is a message box whose line in the dialog log
// carries no "message box: ", and which --stop-on-error ends the run at.
int SimDialogs::ErrorBox(std::string_view text, std::string_view caption, uint32_t flags) {
  errorBoxNext_ = true;
  return MessageBox(text, caption, flags);
}

}  // namespace vendrix::sim
