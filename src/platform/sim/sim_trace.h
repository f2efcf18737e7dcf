// The simulated desktop's record of every system call a macro makes.
//
// One JSON object per call, written as one line to a stream and, for tests,
// optionally kept in memory.  Both are off until asked for, so a long macro
// costs nothing when nobody reads the trace.
#pragma once

#include <cstdint>
#include <ostream>
#include <string_view>
#include <vector>

#include <nlohmann/json.hpp>

namespace vendrix::sim {

class TraceWriter {
 public:
  void SetStream(std::ostream* out) { out_ = out; }
  void Keep(bool keep) { keep_ = keep; }
  // Callers check this before building an entry.
  bool Enabled() const { return out_ != nullptr || keep_; }

  // Writes {"t": t, "call": call, ...fields}; `fields` must be an object
  // (or null for none).  Texts in it must already be UTF-8.
  void Write(uint64_t t, std::string_view call, nlohmann::ordered_json fields);

  const std::vector<nlohmann::json>& Kept() const { return kept_; }

 private:
  std::ostream* out_ = nullptr;
  bool keep_ = false;
  std::vector<nlohmann::json> kept_;
};

}  // namespace vendrix::sim
