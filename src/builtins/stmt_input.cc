// LCLICK, RCLICK, MOVETO, MOVERE, WHEEL, KEY, PASTEKEY, SEND, SETORIGIN,
// HOTKEY, ACTIVATE-WINDOW, BEEP, SETBREAKKEY and SET-IME.
#include <algorithm>
#include <cstdint>
#include <string>

#include "builtins/dispatch.h"
#include "desktop/input.h"
#include "desktop/keys.h"
#include "desktop/windows.h"
#include "engine/interpreter.h"
#include "engine/expression.h"
#include "engine/program_end.h"
#include "engine/tokenizer.h"
#include "values/integer.h"
#include "values/sjis.h"

namespace vendrix {
namespace {

constexpr char kCr = '\r';
constexpr int32_t kWheelDelta = 120;
constexpr int32_t kLowestTone = 37;
constexpr int32_t kHighestTone = 0x7FFF;

// Operand 1 as "x,y"; parts that are no number read as 0.
platform::Point OperandPoint(Interpreter& interp, const Statement& statement) {
  std::string rest = interp.Operand(statement, 0);
  std::string x = sjis::CutToken(rest, ",");
  return {IntegerValue(x, 0), IntegerValue(rest, 0)};
}

// Screen coordinates stay within 32 bits whatever the macro adds up.
int32_t AddClamped(int32_t a, int32_t b) {
  return static_cast<int32_t>(std::clamp<int64_t>(int64_t{a} + b, INT32_MIN, INT32_MAX));
}

platform::Point Offset(platform::Point at, int32_t dx, int32_t dy) {
  return {AddClamped(at.x, dx), AddClamped(at.y, dy)};
}

// LCLICK, RCLICK and MOVETO: move relative to the origin, then click.
void MoveAndClick(Interpreter& interp, const Statement& statement, uint32_t down, uint32_t up) {
  platform::Point at = OperandPoint(interp, statement);
  const platform::Point origin = interp.Origin();
  interp.Platform().pointer.SetCursorPos(Offset(at, origin.x, origin.y));
  {
    InputReleased released(interp.Desktop());
    if (down != 0) {
      MouseInput(interp.Desktop(), down, 0, 0, 0, 0);
      MouseInput(interp.Desktop(), up, 0, 0, 0, 0);
    }
  }
  AutoDelayStep(interp);
}

// A KEY token: a bracketed key and a one-character key with a suffix go
// whole; anything else is typed character by character.
void AppendKeyToken(std::string& keyText, std::string_view token) {
  auto endsWith = [token](std::string_view tail) {
    return token.size() >= tail.size() && token.substr(token.size() - tail.size()) == tail;
  };
  bool bracketed = !token.empty() && token.front() == '[' && (endsWith("]") || endsWith("]++") || endsWith("]--"));
  bool suffixed = sjis::JLength(token) == 3 && (endsWith("++") || endsWith("--"));
  if (bracketed || suffixed) {
    keyText += ' ';
    keyText += token;
    return;
  }
  for (size_t at = 0; at < token.size();) {
    size_t next = sjis::NextChar(token, at);
    keyText += ' ';
    keyText.append(token.substr(at, next - at));
    at = next;
  }
}

std::string BuildKeyText(Interpreter& interp, std::string_view words) {
  std::string keyText;
  for (TokenCursor tokens(words); !tokens.done();) {
    TokenResult next = tokens.Next();
    if (next.error) interp.Fatal(*next.error);
    int index = interp.LookupVariable(next.token);
    AppendKeyToken(keyText, index >= 0 ? std::string_view(interp.Value(index)) : next.token);
  }
  return keyText;
}

enum class SendMode { kMixed, kChar, kImeChar };

SendMode SendModeOf(std::string_view operand) {
  std::string mode = sjis::AnsiUpper(operand);
  if (mode == "1" || mode == "CHAR") return SendMode::kChar;
  if (mode == "2" || mode == "IMECHAR") return SendMode::kImeChar;
  return SendMode::kMixed;
}

void SendCharacter(Interpreter& interp, platform::WindowId target, int code, SendMode mode) {
  platform::Windows& windows = interp.Platform().windows;
  if (mode != SendMode::kMixed || code >= 255) interp.Platform().messages.ProcessMessages();
  auto code32 = static_cast<uintptr_t>(code);
  if (mode == SendMode::kImeChar || (mode == SendMode::kMixed && code >= 255)) {
    windows.SendWindowMessage(target, platform::kWmImeChar, code32, 0);
  } else if (code < 255) {
    windows.SendWindowMessage(target, platform::kWmChar, code32, 0);
  } else {
    // The lead byte is handled at once, the posted trail byte after it.
    windows.PostWindowMessage(target, platform::kWmChar, code32 & 0xFF, 0);
    windows.SendWindowMessage(target, platform::kWmChar, code32 >> 8, 0);
  }
}

std::string HotkeyListText(Interpreter& interp, std::string_view title) {
  std::string text(msg::kHotkeyListTitle);
  text += title;
  text += kCr;
  text += kCr;
  if (!interp.ResidentMode()) {
    text += kCr;
    text += msg::kNotResident;
    text += kCr;
    return text;
  }
  for (const HotkeyEntry& entry : interp.Hotkeys()) {
    if (entry.hotkeyId == 0) continue;
    text += entry.definitionText;
    text += kCr;
  }
  return text;
}

void AskToAbort(Interpreter& interp, std::string_view question) {
  int answer = interp.Platform().dialogs.MessageBox(question, interp.Caption(), platform::kMbYesNo);
  if (answer == platform::kIdYes) EndProgram(1);
}

}  // namespace

void AutoDelayStep(Interpreter& interp) {
  if (interp.Options().autoDelaySkip && interp.AutoDelay() > 0) {
    interp.Platform().clock.Sleep(static_cast<uint32_t>(interp.AutoDelay()));
  }
}

void StmtLClick(Interpreter& interp, const Statement& statement) {
  MoveAndClick(interp, statement, platform::kMouseEventLeftDown, platform::kMouseEventLeftUp);
}

void StmtRClick(Interpreter& interp, const Statement& statement) {
  MoveAndClick(interp, statement, platform::kMouseEventRightDown, platform::kMouseEventRightUp);
}

void StmtMoveTo(Interpreter& interp, const Statement& statement) { MoveAndClick(interp, statement, 0, 0); }

void StmtMoveRe(Interpreter& interp, const Statement& statement) {
  platform::Point by = OperandPoint(interp, statement);
  platform::Pointer& pointer = interp.Platform().pointer;
  platform::Point at = pointer.GetCursorPos();
  pointer.SetCursorPos(Offset(at, by.x, by.y));
  AutoDelayStep(interp);
}

void StmtWheel(Interpreter& interp, const Statement& statement) {
  int64_t count = interp.OperandInteger(statement, 0, 1);
  // Counts beyond what 32 bits hold are clamped rather than wrapped.
  int64_t data = std::clamp<int64_t>(count * kWheelDelta, INT32_MIN, INT32_MAX);
  MouseInput(interp.Desktop(), platform::kMouseEventWheel, 0, 0, static_cast<int32_t>(data), 0);
}

void StmtKey(Interpreter& interp, const Statement& statement) {
  SendKeyText(interp.Desktop(), BuildKeyText(interp, statement.After(0)));
  AutoDelayStep(interp);
}

void StmtPasteKey(Interpreter& interp, const Statement& statement) {
  interp.SetPasteKey(interp.Operand(statement, 0));
}

void StmtSend(Interpreter& interp, const Statement& statement) {
  platform::Windows& windows = interp.Platform().windows;
  platform::WindowId target = windows.WindowFromPoint(CaretScreenPos(windows, interp.Platform().messages));
  std::string text = interp.Operand(statement, 0);
  SendMode mode = SendModeOf(interp.Operand(statement, 1));
  for (size_t at = 0; at < text.size(); at = sjis::NextChar(text, at)) {
    SendCharacter(interp, target, sjis::CharCodeAt(text, at), mode);
  }
}

void StmtSetOrigin(Interpreter& interp, const Statement& statement) {
  interp.SetOrigin(OperandPoint(interp, statement));
}

void StmtHotkey(Interpreter& interp, const Statement& statement) {
  std::string text = HotkeyListText(interp, interp.Operand(statement, 0));
  InputReleased released(interp.Desktop());
  interp.Platform().dialogs.MessageBox(text, interp.Caption(), platform::kMbSetForeground);
}

void StmtActivateWindow(Interpreter& interp, const Statement& statement) {
  std::string title = interp.Operand(statement, 0);
  platform::Windows& windows = interp.Platform().windows;
  platform::WindowId window = windows.FindWindowByTitle(title);
  InputReleased released(interp.Desktop());
  if (window == 0) {
    std::string question = std::string(msg::kActivateNotFoundBefore) + title +
                           std::string(msg::kActivateNotFoundAfter) + kCr + std::string(msg::kAbortQuestion);
    AskToAbort(interp, question);
    return;
  }
  ForceForeground(windows, interp.Platform().shellWindow.MainWindow());
  if (!windows.SetForegroundWindow(window)) AskToAbort(interp, msg::kActivateFailed);
}

void StmtBeep(Interpreter& interp, const Statement& statement) {
  int32_t frequency = std::clamp(interp.OperandInteger(statement, 0, 2000), kLowestTone, kHighestTone);
  int32_t duration = interp.OperandInteger(statement, 1, 1000);
  if (duration < 0) duration = 1000;
  interp.Platform().sound.Beep(static_cast<uint32_t>(frequency), static_cast<uint32_t>(duration));
}

void StmtSetBreakKey(Interpreter& interp, const Statement& statement) {
  const OutsideTextWatch watch = interp.WatchOutsideText();
  std::string key = sjis::AnsiUpper(interp.Operand(statement, 0));
  // No key named: the break key stays as it is.
  if (key.empty()) return;
  bool bracketed = key.front() == '[' && key.back() == ']';
  int code = bracketed ? ParseKeyToken(interp.Platform().input, key)
                       : interp.Platform().input.VkKeyScan(key.front()) & 0xFF;
  if (code < 0) {
    interp.AskContinue(msg::kBadBreakKey);
    return;
  }
  interp.SetBreakKey(code);
  int index = interp.FindVariable("%BREAKKEY");
  if (index >= 0) interp.Store(index, key, watch.Origin());
}

void StmtSetIme(Interpreter& interp, const Statement& statement) {
  platform::Windows& windows = interp.Platform().windows;
  platform::WindowId window = windows.GetActiveWindow();
  std::string open = sjis::AnsiUpper(interp.Operand(statement, 0));
  SetImeOpen(windows, window, open == "TRUE");
}

}  // namespace vendrix
