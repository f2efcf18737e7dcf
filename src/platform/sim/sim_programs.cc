#include "platform/sim/sim_programs.h"

#include <algorithm>

#include "platform/sim/sjis_utf8.h"

namespace vendrix::sim {
namespace {

constexpr uint32_t kInfinite = 0xFFFFFFFF;
// Windows hands out process handles in steps of four.
constexpr platform::ProcessId kProcessStep = 4;

const ProgramEntry* Match(const std::vector<ProgramEntry>& entries, std::string_view name) {
  for (const ProgramEntry& entry : entries) {
    if (entry.prefix ? name.starts_with(entry.name) : name == entry.name) return &entry;
  }
  return nullptr;
}

}  // namespace

SimProcess* SimPrograms::FindProcess(platform::ProcessId id) {
  const auto found = std::find_if(processes_.begin(), processes_.end(),
                                  [id](const SimProcess& p) { return p.id == id && p.handleOpen; });
  return found == processes_.end() ? nullptr : &*found;
}

std::vector<std::string> SimPrograms::RunningPrograms() const {
  std::vector<std::string> names;
  for (const SimProcess& process : processes_) {
    if (world_.NowMs() < process.endMs) names.push_back(process.name);
  }
  return names;
}

size_t SimPrograms::OpenProgramHandles() const {
  return static_cast<size_t>(
      std::count_if(processes_.begin(), processes_.end(), [](const SimProcess& p) { return p.handleOpen; }));
}

// 0 when the simulated system has too many programs going.
platform::ProcessId SimPrograms::Launch(std::string_view name, uint32_t runsMs) {
  std::erase_if(processes_, [this](const SimProcess& p) { return !p.handleOpen && world_.NowMs() >= p.endMs; });
  if (processes_.size() >= kMaxProcesses) return 0;
  const platform::ProcessId id = nextProcess_;
  nextProcess_ += kProcessStep;
  processes_.push_back({id, std::string(name), world_.NowMs() + runsMs, true});
  return id;
}

// A command the description does not list cannot start, as a missing
// program cannot.
platform::ProcessId SimPrograms::StartProgram(std::string_view commandLine) {
  const ProgramEntry* entry = Match(programEntries_, commandLine);
  const platform::ProcessId result = entry != nullptr && !entry->fails ? Launch(commandLine, entry->runsMs) : 0;
  if (world_.Tracing()) world_.Record("CreateProcessA", {{"command", SjisToUtf8(commandLine)}, {"result", result}});
  return result;
}

bool SimPrograms::OpenDocument(std::string_view file, platform::WindowId owner, platform::ProcessId* process) {
  const ProgramEntry* entry = Match(documentEntries_, file);
  bool result = entry != nullptr && !entry->fails;
  platform::ProcessId started = 0;
  if (result && entry->reportsProcess) {
    started = Launch(file, entry->runsMs);
    result = started != 0;
  }
  if (process != nullptr) *process = started;
  if (world_.Tracing()) {
    world_.Record("ShellExecuteExA", {{"file", SjisToUtf8(file)}, {"owner", owner}, {"result", result}, {"process", started}});
  }
  return result;
}

bool SimPrograms::ProgramRunning(platform::ProcessId process) {
  const SimProcess* state = FindProcess(process);
  const bool running = state != nullptr && world_.NowMs() < state->endMs;
  if (world_.Tracing()) {
    const char* result = state == nullptr ? "WAIT_FAILED" : running ? "WAIT_TIMEOUT" : "WAIT_OBJECT_0";
    world_.Record("WaitForSingleObject", {{"process", process}, {"timeout", 0}, {"result", result}});
  }
  return running;
}

// A blocking wait: the clock jumps to the program's end and no timer ticks.
void SimPrograms::WaitForProgram(platform::ProcessId process) {
  const SimProcess* state = FindProcess(process);
  if (world_.Tracing()) {
    world_.Record("WaitForSingleObject", {{"process", process}, {"timeout", kInfinite},
                                   {"result", state == nullptr ? "WAIT_FAILED" : "WAIT_OBJECT_0"}});
  }
  if (state != nullptr) world_.MoveTimeTo(state->endMs);
}

// The program runs on; only the handle goes.
void SimPrograms::CloseProgram(platform::ProcessId process) {
  SimProcess* state = FindProcess(process);
  if (world_.Tracing()) world_.Record("CloseHandle", {{"process", process}, {"result", state != nullptr}});
  if (state != nullptr) state->handleOpen = false;
}

}  // namespace vendrix::sim
