// How a dry run on the simulated desktop ends, and what it tells the user
// on the way: the boxes and error reports as lines, the statement behind
// each trace line, the waits nobody will end.
#include <string>
#include <utility>

#include "platform/sim/sim_desktop.h"
#include "platform/sim/sjis_utf8.h"
#include "values/sjis.h"

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

void SimDesktop::StatementStarting(const platform::StatementPlace& place) {
  place_.file.assign(place.file);
  place_.line = place.line;
  place_.included = place.included;
  if (place.line == 0) return;
  ++statementsStarted_;
  awaitingSleeps_ = 0;
  questionRepeats_ = 0;
  lastQuestion_.clear();
  CheckBounds();
  if (statementHook_) statementHook_();
}

void SimDesktop::CheckBounds() {
  if (dryRunEnded_) return;
  switch (trace_.Problem()) {
    case TraceProblem::kBoundReached: EndDryRun(kExitDryRunCut, TraceTroubleMessage());
    case TraceProblem::kWriteFailed: EndDryRun(kExitTraceFailed, TraceTroubleMessage());
    case TraceProblem::kNone: break;
  }
  if (rules_.maxTimeMs > 0 && nowMs_ - startMs_ > rules_.maxTimeMs) {
    EndDryRun(kExitDryRunCut, "ran past " + std::to_string(rules_.maxTimeMs) + " ms of virtual time (--max-time)");
  }
  if (rules_.maxStatements > 0 && statementsStarted_ > rules_.maxStatements) {
    EndDryRun(kExitDryRunCut, "ran more than " + std::to_string(rules_.maxStatements) + " statements (--max-statements)");
  }
}

std::string SimDesktop::TraceTroubleMessage() const {
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

void SimDesktop::EndDryRun(int exitCode, std::string_view reason) {
  dryRunEnded_ = true;
  std::string message = WhereText();
  message += "dry run ended: ";
  message += reason;
  throw DryRunEnd(exitCode, message);
}

std::string SimDesktop::WhereText() const {
  if (place_.line == 0) return "vendrix: ";
  return SjisToUtf8(place_.file) + ":" + std::to_string(place_.line) + ": ";
}

void SimDesktop::LogDialog(std::string_view what) {
  if (dialogLog_ == nullptr) return;
  *dialogLog_ << WhereText() << what << '\n';
}

void SimDesktop::NoteUnansweredQuestion(std::string question) {
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

int SimDesktop::ErrorBox(std::string_view text, std::string_view caption, uint32_t flags) {
  errorBoxNext_ = true;
  return MessageBox(text, caption, flags);
}

// A wait that only the user's keys end has looked at them before its second
// pause; when no key the user holds goes down or up from now on, what it
// saw is what it will always see.
void SimDesktop::SleepAwaitingUser(uint32_t ms) {
  if (awaitingSleeps_++ > 0 && nowMs_ >= lastKeyChangeMs_ && !dryRunEnded_) {
    EndDryRun(kExitDryRunCut, "waits for a key that the desktop description never presses (\"keys\")");
  }
  Sleep(ms);
}

int16_t SimDesktop::PollKey(int vk) {
  const int16_t state = KeyState(vk);
  if (rules_.tracePolls && Tracing()) Record("GetAsyncKeyState", {{"vk", vk}, {"result", state}});
  return state;
}

void SimDesktop::AddCharText(nlohmann::ordered_json& fields, uint32_t message, uintptr_t wParam) {
  // A lead byte pairs only with the WM_CHAR right after it.
  const char lead = message == platform::kWmChar ? std::exchange(pendingLeadByte_, char{0}) : char{0};
  if (message != platform::kWmChar) pendingLeadByte_ = 0;
  std::string bytes;
  if (message == platform::kWmImeChar) {
    const auto code = static_cast<uint32_t>(wParam & 0xFFFF);
    if (code > 0xFF) bytes += static_cast<char>(code >> 8);
    bytes += static_cast<char>(code & 0xFF);
  } else if (message == platform::kWmChar) {
    const auto byte = static_cast<char>(wParam & 0xFF);
    // The lead byte of a double-byte character: its text comes with the
    // trail byte's line.
    if (lead == 0 && sjis::IsLeadByte(static_cast<unsigned char>(byte))) {
      pendingLeadByte_ = byte;
      return;
    }
    if (lead != 0) bytes += lead;
    bytes += byte;
  } else {
    return;
  }
  // Bytes that form no character get no text.
  constexpr std::string_view kReplacement = "\xEF\xBF\xBD";
  std::string text = SjisToUtf8(bytes);
  if (text.find(kReplacement) == std::string::npos) fields["char"] = std::move(text);
}

}  // namespace vendrix::sim
