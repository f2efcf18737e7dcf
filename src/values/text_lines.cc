#include "values/text_lines.h"

#include "values/sjis.h"

namespace vendrix {

namespace {
constexpr size_t npos = std::string_view::npos;

std::string_view UpToCtrlZ(std::string_view bytes) { return bytes.substr(0, bytes.find('\x1A')); }
}  // namespace

TextLines::TextLines(std::string_view bytes)
    : bytes_(UpToCtrlZ(bytes)), separator_(bytes_.find('\r') == npos ? '\n' : '\r') {}

std::optional<std::string_view> TextLines::Next() {
  if (start_ >= bytes_.size()) return std::nullopt;
  size_t end = bytes_.find(separator_, start_);
  if (end == npos) end = bytes_.size();
  const std::string_view line = bytes_.substr(start_, end - start_);
  start_ = end + 1;
  if (separator_ == '\r' && start_ < bytes_.size() && bytes_[start_] == '\n') ++start_;
  return sjis::UpToNul(line);
}

}  // namespace vendrix
