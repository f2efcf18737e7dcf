// What the checker finds: one record per problem, with the file and line
// it is on, and a code that stays the same from release to release so that
// people and scripts can look it up (docs/checking.md) or filter on it.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace vendrix::checker {

enum class Severity { kError, kWarning };

// Every code the checker reports.  The numbers are part of the interface:
// never renumber, only add.
enum class Code {
  kUnknownKeyword = 1,       // a line whose first word is no statement
  kNotAFunctionLine = 2,     // "(name)": a line starting "(" whose first word is no function
  kUnknownFunction = 3,      // "(name …)" inside an operand, name no function
  kUndeclaredVariable = 4,   // "%name" read but never declared
  kUnclosed = 5,             // a quote or parenthesis never closed
  kUnpairedBlock = 10,       // ELSEIF, ELSE or ENDIF with no open block
  kUnclosedBlock = 11,       // IF or UNLESS … THEN with no ENDIF
  kMisindentedBlock = 12,    // ELSEIF, ELSE or ENDIF closing an IF indented otherwise
  kNextWithoutFor = 14,      // NEXT with no open FOR
  kForWithoutNext = 15,      // FOR with no NEXT
  kNextFindsOtherFor = 16,   // NEXT goes back to another line of the same text
  kExitForWithoutNext = 17,  // EXITFOR with no later line reading NEXT
  kBadForHeader = 18,        // FOR without "=": its pieces shift
  kUndeclaredTarget = 19,    // SET, INC, DEC, READ, FOR on a variable never declared
  kNoSuchLine = 20,          // literal jump target that matches no line
  kBadKeyName = 30,          // key text: a bracketed name that is no key
  kIgnoredOperands = 31,     // operands the statement never reads
  kKeyTextNotEvaluated = 32, // KEY with a quoted or parenthesised token
  kSendKeyName = 33,         // SEND with a bracketed key name: sent as characters
  kCommentInKeyText = 34,    // ";" glued to a KEY text starts a comment
  kCoordinatesNotRead = 35,  // "x,y" operand whose parts are variables
  kMissingStatement = 36,    // one-line IF or UNLESS with nothing to run
  kIncludeMissing = 40,      // INCLUDE of a file that does not exist
  kIncludeTooDeep = 41,      // INCLUDE nested deeper than allowed
  kBadHotkey = 50,           // hotkey file: key name that names no key
  kDuplicateHotkey = 51,     // hotkey file: the same key twice
  kMissingMacroFile = 52,    // menu, list or hotkey entry naming no file
  kPastLimit = 53,           // entries past what the file may hold
};

struct Finding {
  std::string file;  // Shift-JIS, as the program names the file
  int line = 0;      // 1-based
  Severity severity = Severity::kError;
  Code code = Code::kUnknownKeyword;
  std::string message;  // Shift-JIS (it quotes the macro's own text)
};

using Findings = std::vector<Finding>;

// "FILE:LINE: error V001: message", the form compilers use.
std::string FormatFinding(const Finding& finding);

}  // namespace vendrix::checker
