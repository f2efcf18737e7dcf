// The word a Yes/No/Cancel box's answer leaves in a variable: MESSAGE and
// the "message" function both give it.
#pragma once

#include <string>

#include "platform/platform.h"

namespace vendrix {

inline std::string AnswerText(int answer) {
  switch (answer) {
    case platform::kIdYes: return "YES";
    case platform::kIdNo: return "NO";
    case platform::kIdCancel: return "CANCEL";
    default: return "";
  }
}

}  // namespace vendrix
