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

void SimWorld::StatementStarting(const platform::StatementPlace& place) {
  place_.line = place.line;
  place_.included = place.included;
  // Between statements the file is never read; a run mostly stays in one
  // file, so it is copied only when it changes.
  if (place.line == 0) return;
  if (place.fileSerial == 0 || place.fileSerial != place_.fileSerial) {
    if (place_.file != place.file) place_.file.assign(place.file);
    place_.fileSerial = place.fileSerial;
  }
  ++statementsStarted_;
  awaitingSleeps_ = 0;
  questionRepeats_ = 0;
  lastQuestion_.clear();
  if (BoundMayBePassed()) CheckBounds();
  if (statementHook_) statementHook_();
}

namespace {

uint64_t BoundOrNone(uint64_t bound) { return bound > 0 ? bound : UINT64_MAX; }

}  // namespace

void SimWorld::SetDryRunRules(const DryRunRules& rules) {
  rules_ = rules;
  timeBoundMs_ = BoundOrNone(rules.maxTimeMs);
  statementBound_ = BoundOrNone(rules.maxStatements);
}

void SimWorld::CheckBounds() {
  if (dryRunEnded_) return;
  switch (trace_.Problem()) {
    case TraceProblem::kBoundReached: EndDryRun(kExitDryRunCut, TraceTroubleMessage());
    case TraceProblem::kWriteFailed: EndDryRun(kExitTraceFailed, TraceTroubleMessage());
    case TraceProblem::kNone: break;
  }
  if (rules_.maxTimeMs > 0 && nowMs - startMs_ > rules_.maxTimeMs) {
    EndDryRun(kExitDryRunCut, "ran past " + std::to_string(rules_.maxTimeMs) + " ms of virtual time (--max-time)");
  }
  if (rules_.maxStatements > 0 && statementsStarted_ > rules_.maxStatements) {
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
  if (place_.line == 0) return "vendrix: ";
  return SjisToUtf8(place_.file) + ":" + std::to_string(place_.line) + ": ";
}

void SimWorld::LogDialog(std::string_view what) {
  if (dialogLog_ == nullptr) return;
  *dialogLog_ << WhereText() << what << '\n';
}

void SimWorld::NoteUnansweredQuestion(std::string question) {
  if (dryRunEnded_) return;
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
