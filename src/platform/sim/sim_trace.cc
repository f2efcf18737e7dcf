#include "platform/sim/sim_trace.h"

#include <utility>

#include "platform/sim/sjis_utf8.h"

namespace vendrix::sim {

void TraceWriter::Write(uint64_t t, std::string_view call, nlohmann::ordered_json fields, TracePlace place) {
  if (!Enabled()) return;
  // Ordered, so every line starts with "t" and "call" for a human reader.
  nlohmann::ordered_json entry = nlohmann::ordered_json::object();
  auto& members = entry.get_ref<nlohmann::ordered_json::object_t&>();
  members.reserve(4 + fields.size());
  members.emplace_back("t", t);
  members.emplace_back("call", call);
  if (place.line > 0) {
    members.emplace_back("macro_line", place.line);
    if (!place.file.empty()) members.emplace_back("macro_file", SjisToUtf8(place.file));
  }
  if (fields.is_object()) {
    for (auto& member : fields.get_ref<nlohmann::ordered_json::object_t&>()) {
      members.emplace_back(member.first, std::move(member.second));
    }
  }
  if (out_ != nullptr && problem_ == TraceProblem::kNone) {
    // Replacing bad UTF-8 keeps one line per call even if a converter
    // let something through.
    WriteLine(entry.dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace) + '\n');
  }
  if (keep_) kept_.emplace_back(entry);
}

void TraceWriter::WriteLine(const std::string& line) {
  if (bytesWritten_ + line.size() > boundBytes_) {
    problem_ = TraceProblem::kBoundReached;
    return;
  }
  out_->write(line.data(), static_cast<std::streamsize>(line.size()));
  if (!*out_) {
    problem_ = TraceProblem::kWriteFailed;
    return;
  }
  bytesWritten_ += line.size();
}

}  // namespace vendrix::sim
