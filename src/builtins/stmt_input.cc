// LCLICK, RCLICK, MOVETO, MOVERE, WHEEL, KEY, PASTEKEY, SEND, SETORIGIN,
// HOTKEY, ACTIVATE-WINDOW, BEEP, SETBREAKKEY and SET-IME.
#include <algorithm>
#include <cstdint>
#include <string>

#include "builtins/dispatch.h"
#include "desktop/input.h"
#include "desktop/keys.h"
#include "desktop/windows.h"
#include "engine/engine.h"
#include "engine/expression.h"
#include "engine/operands.h"
#include "engine/program_end.h"
#include "engine/report.h"
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
platform::Point OperandPoint(Engine& engine, const Statement& statement) {
  std::string rest = EvaluateOperand(engine, statement, 0);
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
void MoveAndClick(Engine& engine, const Statement& statement, uint32_t down, uint32_t up) {
  platform::Point at = OperandPoint(engine, statement);
  engine.platform.pointer.SetCursorPos(Offset(at, engine.desktop.originX, engine.desktop.originY));
  {
    InputReleased released(DesktopOf(engine));
    if (down != 0) {
      MouseInput(DesktopOf(engine), down, 0, 0, 0, 0);
      MouseInput(DesktopOf(engine), up, 0, 0, 0, 0);
    }
  }
  AutoDelayStep(engine);
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

std::string BuildKeyText(Engine& engine, std::string_view words) {
  std::string keyText;
  for (TokenCursor tokens(words); !tokens.done();) {
    TokenResult next = tokens.Next();
    if (next.error) Fatal(engine, *next.error);
    int index = LookupVariable(engine, next.token);
    AppendKeyToken(keyText, index >= 0 ? std::string_view(engine.variables.Value(index)) : next.token);
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

void SendCharacter(Engine& engine, platform::WindowId target, int code, SendMode mode) {
  platform::Windows& windows = engine.platform.windows;
  if (mode != SendMode::kMixed || code >= 255) engine.platform.messages.ProcessMessages();
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

std::string HotkeyListText(Engine& engine, std::string_view title) {
  std::string text(msg::kHotkeyListTitle);
  text += title;
  text += kCr;
  text += kCr;
  if (!engine.residentMode) {
    text += kCr;
    text += msg::kNotResident;
    text += kCr;
    return text;
  }
  for (const HotkeyEntry& entry : engine.hotkeys) {
    if (entry.hotkeyId == 0) continue;
    text += entry.definitionText;
    text += kCr;
  }
  return text;
}

void AskToAbort(Engine& engine, std::string_view question) {
  int answer = engine.platform.dialogs.MessageBox(question, engine.caption, platform::kMbYesNo);
  if (answer == platform::kIdYes) throw ProgramEnd{1};
}

}  // namespace

void AutoDelayStep(Engine& engine) {
  if (engine.settings.autoDelaySkip && engine.pacing.autoDelay > 0) {
    engine.platform.clock.Sleep(static_cast<uint32_t>(engine.pacing.autoDelay));
  }
}

void StmtLClick(Engine& engine, const Statement& statement) {
  MoveAndClick(engine, statement, platform::kMouseEventLeftDown, platform::kMouseEventLeftUp);
}

void StmtRClick(Engine& engine, const Statement& statement) {
  MoveAndClick(engine, statement, platform::kMouseEventRightDown, platform::kMouseEventRightUp);
}

void StmtMoveTo(Engine& engine, const Statement& statement) { MoveAndClick(engine, statement, 0, 0); }

void StmtMoveRe(Engine& engine, const Statement& statement) {
  platform::Point by = OperandPoint(engine, statement);
  platform::Pointer& pointer = engine.platform.pointer;
  platform::Point at = pointer.GetCursorPos();
  pointer.SetCursorPos(Offset(at, by.x, by.y));
  AutoDelayStep(engine);
}

void StmtWheel(Engine& engine, const Statement& statement) {
  int64_t count = OperandInteger(engine, statement, 0, 1);
  // Counts beyond what 32 bits hold are clamped rather than wrapped.
  int64_t data = std::clamp<int64_t>(count * kWheelDelta, INT32_MIN, INT32_MAX);
  MouseInput(DesktopOf(engine), platform::kMouseEventWheel, 0, 0, static_cast<int32_t>(data), 0);
}

void StmtKey(Engine& engine, const Statement& statement) {
  SendKeyText(DesktopOf(engine), BuildKeyText(engine, statement.After(0)));
  AutoDelayStep(engine);
}

void StmtPasteKey(Engine& engine, const Statement& statement) {
  engine.desktop.pasteKey = EvaluateOperand(engine, statement, 0);
}

void StmtSend(Engine& engine, const Statement& statement) {
  platform::Windows& windows = engine.platform.windows;
  platform::WindowId target = windows.WindowFromPoint(CaretScreenPos(windows, engine.platform.messages));
  std::string text = EvaluateOperand(engine, statement, 0);
  SendMode mode = SendModeOf(EvaluateOperand(engine, statement, 1));
  for (size_t at = 0; at < text.size(); at = sjis::NextChar(text, at)) {
    SendCharacter(engine, target, sjis::CharCodeAt(text, at), mode);
  }
}

void StmtSetOrigin(Engine& engine, const Statement& statement) {
  platform::Point origin = OperandPoint(engine, statement);
  engine.desktop.originX = origin.x;
  engine.desktop.originY = origin.y;
}

void StmtHotkey(Engine& engine, const Statement& statement) {
  std::string text = HotkeyListText(engine, EvaluateOperand(engine, statement, 0));
  InputReleased released(DesktopOf(engine));
  engine.platform.dialogs.MessageBox(text, engine.caption, platform::kMbSetForeground);
}

void StmtActivateWindow(Engine& engine, const Statement& statement) {
  std::string title = EvaluateOperand(engine, statement, 0);
  platform::Windows& windows = engine.platform.windows;
  platform::WindowId window = windows.FindWindowByTitle(title);
  InputReleased released(DesktopOf(engine));
  if (window == 0) {
    std::string question = std::string(msg::kActivateNotFoundBefore) + title +
                           std::string(msg::kActivateNotFoundAfter) + kCr + std::string(msg::kAbortQuestion);
    AskToAbort(engine, question);
    return;
  }
  ForceForeground(windows, engine.platform.shellWindow.MainWindow());
  if (!windows.SetForegroundWindow(window)) AskToAbort(engine, msg::kActivateFailed);
}

void StmtBeep(Engine& engine, const Statement& statement) {
  int32_t frequency = std::clamp(OperandInteger(engine, statement, 0, 2000), kLowestTone, kHighestTone);
  int32_t duration = OperandInteger(engine, statement, 1, 1000);
  if (duration < 0) duration = 1000;
  engine.platform.sound.Beep(static_cast<uint32_t>(frequency), static_cast<uint32_t>(duration));
}

void StmtSetBreakKey(Engine& engine, const Statement& statement) {
  OutsideTextWatch watch(engine);
  std::string key = sjis::AnsiUpper(EvaluateOperand(engine, statement, 0));
  // No key named: the break key stays as it is.
  if (key.empty()) return;
  bool bracketed = key.front() == '[' && key.back() == ']';
  int code = bracketed ? ParseKeyToken(engine.platform.input, key)
                       : engine.platform.input.VkKeyScan(key.front()) & 0xFF;
  if (code < 0) {
    AskContinue(engine, msg::kBadBreakKey);
    return;
  }
  engine.input.breakKey = code;
  int index = engine.variables.Find("%BREAKKEY");
  if (index >= 0) engine.variables.Store(index, key, watch.Origin());
}

void StmtSetIme(Engine& engine, const Statement& statement) {
  platform::Windows& windows = engine.platform.windows;
  platform::WindowId window = windows.GetActiveWindow();
  std::string open = sjis::AnsiUpper(EvaluateOperand(engine, statement, 0));
  SetImeOpen(windows, window, open == "TRUE");
}

}  // namespace vendrix
