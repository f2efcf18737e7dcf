// How a dry run on the simulated desktop ends, and what it tells the user
// on the way: the boxes and error reports as lines, the statement behind
// each trace line, the waits nobody will end.
#include <string>
#include <utility>

#include "platform/sim/sim_world.h"
#include "platform/sim/sjis_utf8.h"

namespace vendrix::sim {
// CR LF and lone CRs or LFs are written as "\n".
std::string OneLine(std::string_view text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '\r' || c == '\n') {
      if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
      out += "\\n";
    } else {
      out += c;
    }
  }
  return out;
}

void SimWorld::StatementStarting() {
  if (BoundMayBePassed()) CheckBounds();
  if (statementHook_) statementHook_();
  AskForNextCall();
}

namespace {

uint64_t BoundOrNone(uint64_t bound) { return bound > 0 ? bound : UINT64_MAX; }

}  // namespace

void SimWorld::AskForNextCall() {
  if (statementHook_ || BoundMayBePassed()) {
    running.CallAtNext();
  } else {
    running.callAt = statementBound_ == UINT64_MAX ? UINT64_MAX : statementBound_ + 1;
  }
}

void SimWorld::SetDryRunRules(const DryRunRules& rules) {
  rules_ = rules;
  timeBoundMs_ = BoundOrNone(rules.maxTimeMs);
  statementBound_ = BoundOrNone(rules.maxStatements);
  AskForNextCall();
}

int SimWorld::CountAwaitingSleep() {
  if (awaitingSleepsIn_ != running.started) {
    awaitingSleepsIn_ = running.started;
    awaitingSleeps_ = 0;
  }
  return awaitingSleeps_++;
}

void SimWorld::CheckBounds() {
  if (dryRunEnded_) return;
  switch (trace_.Problem()) {
    case TraceProblem::kBoundReached: EndDryRun(kExitDryRunCut, TraceTroubleMessage());
    case TraceProblem::kWriteFailed: EndDryRun(kExitTraceFailed, TraceTroubleMessage());
    case TraceProblem::kNone: break;
  }
  if (rules_.maxTimeMs > 0 && nowMs_ - startMs_ > rules_.maxTimeMs) {
    EndDryRun(kExitDryRunCut, "ran past " + std::to_string(rules_.maxTimeMs) + " ms of virtual time (--max-time)");
  }
  if (rules_.maxStatements > 0 && running.started > rules_.maxStatements) {
    EndDryRun(kExitDryRunCut, "ran more than " + std::to_string(rules_.maxStatements) + " statements (--max-statements)");
  }
}

std::string SimWorld::TraceTroubleMessage() const {
  switch (trace_.Problem()) {
    case TraceProblem::kBoundReached:
      return "the trace reached its size bound of " + std::to_string(trace_.BytesWritten()) +
             " bytes written (--max-trace); the run was stopped";
    case TraceProblem::kWriteFailed:
      return "the trace could not be written (is the disk full?); the run was stopped";
    case TraceProblem::kNone: break;
  }
  return {};
}

void SimWorld::EndDryRun(int exitCode, std::string_view reason) {
  dryRunEnded_ = true;
  std::string message = WhereText();
  message += "dry run ended: ";
  message += reason;
  throw DryRunEnd(exitCode, message);
}

std::string SimWorld::WhereText() const {
  const platform::StatementPlace place = running.Place();
  if (place.line == 0) return "vendrix: ";
  return SjisToUtf8(place.file) + ":" + std::to_string(place.line) + ": ";
}

void SimWorld::LogDialog(std::string_view what) {
  if (dialogLog_ == nullptr) return;
  *dialogLog_ << WhereText() << what << '\n';
}

void SimWorld::NoteUnansweredQuestion(std::string question) {
  if (dryRunEnded_) return;
  if (questionsIn_ != running.started) {
    // A statement has run since the last question.
    questionsIn_ = running.started;
    lastQuestion_.clear();
  }
  if (question != lastQuestion_) {
    lastQuestion_ = std::move(question);
    questionRepeats_ = 1;
    return;
  }
  if (++questionRepeats_ >= kRepeatedQuestionLimit) {
    EndDryRun(kExitDryRunCut, "the same question came back " + std::to_string(questionRepeats_) +
                                  " times after the description's answers were used up");
  }
}

}  // namespace vendrix::sim
