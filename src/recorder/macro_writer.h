// Turns a recording into the macro a person would have written by hand.
//
//   ACTIVATE-WINDOW "無題 - メモ帳"       a window came to the front,
//   SETORIGIN (getwindowpos)            and clicks count from its corner
//   LCLICK 40,80
//   KEY hello [SPACE] world [ENTER]      a run of typing is one KEY line
//   DELAY 1200                           the user paused
//   KEY [CTRL]++ s [CTRL]--              modifiers are held and released
//
// Played back by Vendrix, the macro presses the same keys in the same
// order, each with the same modifiers down, clicks the same buttons at the
// same places, and does so with the same window in front.  Within that it
// writes what reads best: overlapping presses of ordinary keys (fast typing
// lets a key go only after the next went down) and a key's auto-repeat are
// written as separate presses, a modifier's auto-repeat is left out, wheel
// turns in a row become one WHEEL line, a click that brought its window to
// the front is written before the window change, and only pauses longer
// than the threshold become DELAY lines.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "recorder/key_tokens.h"
#include "recorder/recording.h"

namespace vendrix::recorder {

struct WriterOptions {
  // A pause longer than this becomes a DELAY, rounded to `delayRoundingMs`.
  uint32_t pauseThresholdMs = 300;
  uint32_t delayRoundingMs = 100;
  // A KEY text longer than this goes on in another KEY line.
  size_t keyLineBytes = 72;
  // Comment lines at the top, without their ";".
  std::vector<std::string> header;
};

// The macro: Shift-JIS lines, each ending in CR LF.
std::string WriteMacro(const Recording& recording, const KeyLayout& layout, const WriterOptions& options);

// A text as a macro operand that evaluates to exactly that text: quoted,
// with the loader's and the evaluator's escapes.
std::string QuotedOperand(const std::string& text);

}  // namespace vendrix::recorder
