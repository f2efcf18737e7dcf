// The simulated clipboard: one text, or none.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "platform/platform.h"
#include "platform/sim/sim_world.h"

namespace vendrix::sim {

class SimClipboard final : public platform::Clipboard {
 public:
  SimClipboard(SimWorld& world, std::optional<std::string> text) : world_(world), text_(std::move(text)) {}

  void Clear() override;
  void SetText(std::string_view text) override;
  std::string GetText() override;

  // Shift-JIS, untraced; none: the clipboard holds no text.
  const std::optional<std::string>& Text() const { return text_; }

 private:
  SimWorld& world_;
  std::optional<std::string> text_;
};

}  // namespace vendrix::sim
