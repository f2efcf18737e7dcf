// The simulated desktop's record of every system call a macro makes.
//
// One JSON object per call, written as one line to a stream and, for tests,
// optionally kept in memory.  Both are off until asked for, so a long macro
// costs nothing when nobody reads the trace.  The stream has a size bound;
// past it, or once a write fails (a full disk), nothing more is written and
// Problem() says why, for the desktop to end the run.
#pragma once

#include <cstdint>
#include <ostream>
#include <string_view>
#include <vector>

#include <nlohmann/json.hpp>

namespace vendrix::sim {

// The macro line a call was made from: `line` 0 for none; `file` empty
// for the macro itself.
struct TracePlace {
  int line = 0;
  std::string_view file;
};

enum class TraceProblem { kNone, kBoundReached, kWriteFailed };

class TraceWriter {
 public:
  static constexpr uint64_t kDefaultBoundBytes = uint64_t{1} << 30;

  void SetStream(std::ostream* out) { out_ = out; }
  void SetBound(uint64_t bytes) { boundBytes_ = bytes; }
  void Keep(bool keep) { keep_ = keep; }
  // Callers check this before building an entry.
  bool Enabled() const { return (out_ != nullptr && problem_ == TraceProblem::kNone) || keep_; }

  // Writes {"t": t, "call": call, "macro_line": …, "macro_file": …,
  // ...fields}; `fields` must be an object (or null for none).  Texts in it
  // must already be UTF-8.
  void Write(uint64_t t, std::string_view call, nlohmann::ordered_json fields, TracePlace place = {});

  TraceProblem Problem() const { return problem_; }
  uint64_t BytesWritten() const { return bytesWritten_; }
  const std::vector<nlohmann::json>& Kept() const { return kept_; }

 private:
  void WriteLine(const std::string& line);

  std::ostream* out_ = nullptr;
  uint64_t boundBytes_ = kDefaultBoundBytes;
  uint64_t bytesWritten_ = 0;
  TraceProblem problem_ = TraceProblem::kNone;
  bool keep_ = false;
  std::vector<nlohmann::json> kept_;
};

}  // namespace vendrix::sim
