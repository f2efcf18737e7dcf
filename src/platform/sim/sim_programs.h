// Other programs on the simulated desktop: the commands and documents the
// description lists start, run for their time and end.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/platform.h"
#include "platform/sim/sim_world.h"

namespace vendrix::sim {

// A program started on the simulated desktop.
struct SimProcess {
  platform::ProcessId id = 0;
  std::string name;  // command line or document, Shift-JIS
  uint64_t endMs = 0;
  bool handleOpen = true;
};

class SimPrograms final : public platform::Programs {
 public:
  // Programs started and not yet both ended and closed.
  static constexpr size_t kMaxProcesses = 10000;

  SimPrograms(SimWorld& world, std::vector<ProgramEntry> programs, std::vector<ProgramEntry> documents)
      : world_(world), programEntries_(std::move(programs)), documentEntries_(std::move(documents)) {}

  platform::ProcessId StartProgram(std::string_view commandLine) override;
  bool OpenDocument(std::string_view file, platform::WindowId owner, platform::ProcessId* process) override;
  bool ProgramRunning(platform::ProcessId process) override;
  void WaitForProgram(platform::ProcessId process) override;
  void CloseProgram(platform::ProcessId process) override;

  // Names of the started programs still running now.
  std::vector<std::string> RunningPrograms() const;
  size_t OpenProgramHandles() const;

 private:
  SimProcess* FindProcess(platform::ProcessId id);
  platform::ProcessId Launch(std::string_view name, uint32_t runsMs);

  SimWorld& world_;
  std::vector<ProgramEntry> programEntries_;
  std::vector<ProgramEntry> documentEntries_;
  std::vector<SimProcess> processes_;
  platform::ProcessId nextProcess_ = 0x100;
};

}  // namespace vendrix::sim
