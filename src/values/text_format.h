// The directives of "format": literal text with "%" [index ":"] ["-"]
// [width] ["." precision] type, over one argument that is either an
// integer (types d, u, x) or a text (type s).  Written out by hand: the
// pattern is user text and never reaches a printf-family function.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace vendrix {

// Width and precision above this are refused rather than allocated.
inline constexpr int kMaxFormatWidth = 4096;
// A whole result above this many bytes is refused.
inline constexpr size_t kMaxFormatResult = 16u << 20;

struct FormatArgument {
  bool isText = false;
  int32_t number = 0;     // when !isText
  std::string_view text;  // when isText
};

enum class FormatStatus {
  kOk,
  kMismatch,  // a directive does not fit the one argument, or is malformed
  kTooLarge,  // a width or precision above kMaxFormatWidth, or too long a result
};

struct FormatResult {
  FormatStatus status = FormatStatus::kOk;
  std::string text;  // empty unless kOk
};

FormatResult FormatText(std::string_view pattern, const FormatArgument& argument);

}  // namespace vendrix
