// The simulated message boxes and input dialogs: each takes the next answer
// the description gives, and stays open for the time it says while the
// program's timers tick.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/platform.h"
#include "platform/sim/sim_messages.h"
#include "platform/sim/sim_world.h"

namespace vendrix::sim {

class SimDialogs final : public platform::Dialogs {
 public:
  // `messages` runs the timers while a box stays open.
  SimDialogs(SimWorld& world, SimMessages& messages, std::vector<Answer> answers, std::vector<InputAnswer> inputs)
      : world_(world), messages_(messages), answers_(std::move(answers)), inputs_(std::move(inputs)) {}

  int MessageBox(std::string_view text, std::string_view caption, uint32_t flags) override;
  std::optional<std::string> InputBox(std::string_view caption, std::string_view prompt,
                                      std::string_view initial) override;
  int ErrorBox(std::string_view text, std::string_view caption, uint32_t flags) override;

  size_t AnswersLeft() const { return answers_.size() - nextAnswer_; }
  size_t InputsLeft() const { return inputs_.size() - nextInput_; }

 private:
  Answer NextAnswer();
  InputAnswer NextInput();

  SimWorld& world_;
  SimMessages& messages_;
  std::vector<Answer> answers_;
  size_t nextAnswer_ = 0;
  std::vector<InputAnswer> inputs_;
  size_t nextInput_ = 0;
  bool errorBoxNext_ = false;
};

}  // namespace vendrix::sim
