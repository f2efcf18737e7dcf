#include "platform/sim/sim_trace.h"

#include <utility>

namespace vendrix::sim {

void TraceWriter::Write(uint64_t t, std::string_view call, nlohmann::ordered_json fields) {
  if (!Enabled()) return;
  // Ordered, so every line starts with "t" and "call" for a human reader.
  nlohmann::ordered_json entry = nlohmann::ordered_json::object();
  auto& members = entry.get_ref<nlohmann::ordered_json::object_t&>();
  members.reserve(2 + fields.size());
  members.emplace_back("t", t);
  members.emplace_back("call", call);
  if (fields.is_object()) {
    for (auto& member : fields.get_ref<nlohmann::ordered_json::object_t&>()) {
      members.emplace_back(member.first, std::move(member.second));
    }
  }
  if (out_ != nullptr) {
    // Replacing bad UTF-8 keeps one line per call even if a converter
    // let something through.
    *out_ << entry.dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace) << '\n';
  }
  if (keep_) kept_.emplace_back(entry);
}

}  // namespace vendrix::sim
