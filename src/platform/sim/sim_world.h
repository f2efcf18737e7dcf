// What the rooms of the simulated desktop share.
//
// Each topic of the desktop (windows, input, timers, dialogs, …) is a room
// of its own that implements one platform interface.  They meet here: the
// virtual clock, the trace every call is written to, the statement running
// now with the dry run's bounds, and the windows on the screen, which the
// shell's window and other programs' windows share with the window calls.
#pragma once

#include <cstdint>
#include <functional>
#include <ostream>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include <nlohmann/json.hpp>

#include "platform/platform.h"
#include "platform/sim/desktop_description.h"
#include "platform/sim/sim_dry_run.h"
#include "platform/sim/sim_trace.h"

namespace vendrix::sim {

// The windows of the desktop: the main window first, then the described
// ones, parents before their children.
class WindowModel {
 public:
  // `described` as a description lists them, top-level ones front first.
  WindowModel(std::vector<SimWindow> described, platform::WindowId foreground, platform::WindowId active);

  // Null when there is no such window.
  const SimWindow* Find(platform::WindowId id) const;
  SimWindow* Find(platform::WindowId id);
  // The top-level window a window belongs to; null for no window.
  SimWindow* TopLevelOf(platform::WindowId id);
  SimWindow& Main() { return windows_.front(); }
  const std::vector<SimWindow>& All() const { return windows_; }
  // Top-level windows, front first.
  const std::vector<platform::WindowId>& ZOrder() const { return zOrder_; }
  // Puts a top-level window in front of the others.
  void Raise(platform::WindowId topLevel);

  platform::WindowId foreground = 0;
  platform::WindowId active = 0;  // of the program's own thread

 private:
  std::vector<SimWindow> windows_;
  std::vector<platform::WindowId> zOrder_;
};

class SimWorld {
 public:
  SimWorld(uint64_t startMs, std::vector<SimWindow> windows, platform::WindowId foreground,
           platform::WindowId active)
      : windows(std::move(windows), foreground, active), nowMs_(startMs), startMs_(startMs) {}

  SimWorld(const SimWorld&) = delete;
  SimWorld& operator=(const SimWorld&) = delete;

  // Virtual time in ms; it moves only when a room lets time pass.
  uint64_t NowMs() const { return nowMs_; }
  uint64_t StartMs() const { return startMs_; }
  void PassTime(uint64_t ms) { MoveTimeTo(nowMs_ + ms); }
  // Moves time on to `ms`; never back.
  void MoveTimeTo(uint64_t ms) {
    if (ms <= nowMs_) return;
    nowMs_ = ms;
    if (nowMs_ - startMs_ > timeBoundMs_) running.CallAtNext();
  }

  // ---- the trace
  // Callers check this before building a line.
  bool Tracing() const { return trace_.Enabled(); }
  void Record(std::string_view call, nlohmann::ordered_json fields) {
    if (!heldTickLines_.empty()) WriteHeldTickLines();
    const platform::StatementPlace place = running.Place();
    trace_.Write(nowMs_, call, std::move(fields), TracePlace{place.line, place.included ? place.file : ""});
    NoteTraceTrouble();
  }
  // The lines of a timer tick outside statements: unless polls are traced,
  // written only when the tick's handler makes a call of its own, so an idle
  // program's routine ticks leave no lines.
  void RecordTick(std::string_view call, nlohmann::ordered_json fields);
  void DropHeldTickLines() { heldTickLines_.clear(); }
  TraceWriter& Trace() { return trace_; }
  const TraceWriter& Trace() const { return trace_; }

  // ---- the running statement and the dry run's bounds: see sim_dry_run.h
  // Kept up to date by the run loop.
  platform::RunningStatement running;
  // At the start of a statement that `running.callAt` asked for.
  void StatementStarting();
  // True while a statement of a loaded macro runs.
  bool InStatement() const { return running.Place().line != 0; }
  void SetDryRunRules(const DryRunRules& rules);
  const DryRunRules& Rules() const { return rules_; }
  void SetDialogLog(std::ostream* out) { dialogLog_ = out; }
  void SetStatementHook(std::function<void()> hook) {
    statementHook_ = std::move(hook);
    AskForNextCall();
  }
  // Throws DryRunEnd when a bound is passed or the trace is in trouble;
  // once the run has ended this way, never again.
  void CheckBounds();
  [[noreturn]] void EndDryRun(int exitCode, std::string_view reason);
  bool DryRunEnded() const { return dryRunEnded_; }
  // The message for a trace that could not be written whole, or empty.
  std::string TraceTroubleMessage() const;
  // Whether a dialog's line is wanted: building it costs as much as the box.
  bool LoggingDialogs() const { return dialogLog_ != nullptr; }
  void LogDialog(std::string_view what);
  // A question shown with the answers used up; ends the run when the same
  // one keeps coming back with no statement run in between.
  void NoteUnansweredQuestion(std::string question);
  // Counts a pause of a wait only the user's keys can end; the pauses
  // before this one in the running statement.
  int CountAwaitingSleep();

  WindowModel windows;

 private:
  void WriteHeldTickLines();
  // Whether CheckBounds could end the run now.
  bool BoundMayBePassed() const {
    return !dryRunEnded_ && (trace_.Problem() != TraceProblem::kNone || nowMs_ - startMs_ > timeBoundMs_ ||
                             running.started > statementBound_);
  }
  // Sets `running.callAt` for the next statement start that must be
  // checked: the one past the statement bound, or the next one while a
  // hook wants every start.  Time past its bound and trouble with the trace
  // ask for the next start as they happen.
  void AskForNextCall();
  void NoteTraceTrouble() {
    if (trace_.Problem() != TraceProblem::kNone) running.CallAtNext();
  }
  // "FILE:LINE: " of the running statement, or "vendrix: " between statements.
  std::string WhereText() const;

  uint64_t nowMs_;
  uint64_t startMs_;
  TraceWriter trace_;
  struct HeldLine {
    uint64_t t = 0;
    std::string_view call;  // one of RecordTick's literals
    nlohmann::ordered_json fields;
  };
  std::vector<HeldLine> heldTickLines_;
  DryRunRules rules_;
  // The rules' bounds, with no bound as the largest number.
  uint64_t timeBoundMs_ = UINT64_MAX;
  uint64_t statementBound_ = UINT64_MAX;
  std::ostream* dialogLog_ = nullptr;
  std::function<void()> statementHook_;
  // What is counted per statement, with the statement (`running.started`)
  // it was counted in.
  uint64_t awaitingSleepsIn_ = 0;
  int awaitingSleeps_ = 0;
  uint64_t questionsIn_ = 0;
  std::string lastQuestion_;
  int questionRepeats_ = 0;
  bool dryRunEnded_ = false;
};

}  // namespace vendrix::sim
