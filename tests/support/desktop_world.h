// The desktop actions alone, over a fresh simulated desktop: their own
// state records and a MacroErrors that records what it is asked, with no
// interpreter anywhere.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include <nlohmann/json.hpp>

#include "desktop/desktop.h"
#include "platform/sim/memory_files.h"
#include "platform/sim/memory_host.h"
#include "platform/sim/sim_desktop.h"

namespace vendrix::testing {

class RecordedErrors : public MacroErrors {
 public:
  bool AskContinue(std::string_view message) override {
    asked.emplace_back(message);
    return goOn;
  }

  std::vector<std::string> asked;
  bool goOn = true;  // the answer to every question
};

class DesktopWorld {
 public:
  explicit DesktopWorld(std::string_view desktopJson = "{}")
      : desktop(desktopJson), platform{desktop.PlatformWith(files, host)} {
    desktop.KeepTrace(true);
  }

  DesktopContext Context() { return {platform, false, input, state, errors}; }

  // The trace's calls of one name, in order.
  std::vector<nlohmann::json> Calls(std::string_view name) const {
    std::vector<nlohmann::json> out;
    for (const nlohmann::json& entry : desktop.Trace()) {
      if (entry.value("call", "") == name) out.push_back(entry);
    }
    return out;
  }

  sim::SimDesktop desktop;
  sim::MemoryFiles files;
  sim::MemoryHost host;
  platform::Platform platform;
  InputState input;
  DesktopState state;
  RecordedErrors errors;
};

}  // namespace vendrix::testing
