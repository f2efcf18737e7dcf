#include "platform/sim/desktop_description.h"

#include <algorithm>
#include <limits>
#include <utility>

#include "platform/sim/desktop_json.h"
#include "platform/sim/sjis_utf8.h"
#include "values/date_format.h"

namespace vendrix::sim {
namespace {

using nlohmann::json;
using desktop_json::Fail;
using desktop_json::Indexed;
using desktop_json::Member;
using desktop_json::ReadInteger;
using desktop_json::RejectUnknownKeys;
using desktop_json::RequireList;

Button ReadButton(const json& value, const std::string& field) {
  if (value.is_string()) {
    const auto& name = value.get_ref<const std::string&>();
    for (Button button : {Button::kOk, Button::kCancel, Button::kYes, Button::kNo}) {
      if (name == ButtonName(button)) return button;
    }
  }
  Fail(field, "must be one of \"OK\", \"YES\", \"NO\", \"CANCEL\"");
}

constexpr uint64_t kMaxAfterMs = std::numeric_limits<int32_t>::max();

Answer ReadAnswer(const json& value, const std::string& field) {
  if (!value.is_object()) return Answer{ReadButton(value, field), 0};
  RejectUnknownKeys(value, field, {"button", "after"});
  if (!value.contains("button")) Fail(field, "needs a \"button\"");
  Answer answer{ReadButton(value["button"], Member(field, "button")), 0};
  if (value.contains("after")) {
    answer.afterMs =
        static_cast<uint32_t>(ReadInteger(value["after"], Member(field, "after"), 0, kMaxAfterMs));
  }
  return answer;
}

// A text typed and OK pressed, or null for Cancel.
std::optional<std::string> ReadInputText(const json& value, const std::string& field) {
  if (value.is_null()) return std::nullopt;
  if (!value.is_string()) Fail(field, "must be a text, or null for Cancel");
  return Utf8ToSjis(value.get_ref<const std::string&>());
}

InputAnswer ReadInputAnswer(const json& value, const std::string& field) {
  if (!value.is_object()) return InputAnswer{ReadInputText(value, field), 0};
  RejectUnknownKeys(value, field, {"text", "after"});
  if (!value.contains("text")) Fail(field, "needs a \"text\" (null for Cancel)");
  InputAnswer answer{ReadInputText(value["text"], Member(field, "text")), 0};
  if (value.contains("after")) {
    answer.afterMs =
        static_cast<uint32_t>(ReadInteger(value["after"], Member(field, "after"), 0, kMaxAfterMs));
  }
  return answer;
}

constexpr uint64_t kMaxKeyTimeMs = std::numeric_limits<int64_t>::max();

KeyHold ReadKeyHold(const json& value, const std::string& field) {
  if (!value.is_object()) Fail(field, "must be an object with \"vk\", \"down\" and \"up\"");
  RejectUnknownKeys(value, field, {"vk", "down", "up"});
  if (!value.contains("vk")) Fail(field, "needs a \"vk\"");
  if (!value.contains("down")) Fail(field, "needs a \"down\"");
  KeyHold hold;
  hold.vk = static_cast<int>(ReadInteger(value["vk"], Member(field, "vk"), 1, 255));
  hold.downMs = ReadInteger(value["down"], Member(field, "down"), 0, kMaxKeyTimeMs);
  if (value.contains("up")) {
    hold.upMs = ReadInteger(value["up"], Member(field, "up"), hold.downMs, kMaxKeyTimeMs);
  }
  return hold;
}

// Windows' clock starts in 1601; four digits end in 9999.
constexpr int kMinClockYear = 1601;

// Digits at fixed places of a text; -1 when any of them is no digit.
int DigitsAt(std::string_view text, size_t pos, size_t count) {
  int value = 0;
  for (size_t i = pos; i < pos + count; ++i) {
    if (text[i] < '0' || text[i] > '9') return -1;
    value = value * 10 + (text[i] - '0');
  }
  return value;
}

// True when the text has these characters at these places.
bool PunctuationFits(std::string_view text) {
  const bool dateTimeSeparator = text[10] == 'T' || text[10] == ' ';
  return text[4] == '-' && text[7] == '-' && dateTimeSeparator && text[13] == ':' && text[16] == ':' &&
         (text.size() == 19 || text[19] == '.');
}

// "YYYY-MM-DDTHH:MM:SS" with an optional ".mmm"; a blank may stand for the T.
platform::LocalTime ReadClock(const json& value) {
  constexpr std::string_view kShape =
      "must be a local time \"YYYY-MM-DDTHH:MM:SS\" or \"YYYY-MM-DDTHH:MM:SS.mmm\"";
  if (!value.is_string()) Fail("clock", kShape);
  const std::string_view text = value.get_ref<const std::string&>();
  if ((text.size() != 19 && text.size() != 23) || !PunctuationFits(text)) Fail("clock", kShape);
  platform::LocalTime time;
  time.year = DigitsAt(text, 0, 4);
  time.month = DigitsAt(text, 5, 2);
  time.day = DigitsAt(text, 8, 2);
  time.hour = DigitsAt(text, 11, 2);
  time.minute = DigitsAt(text, 14, 2);
  time.second = DigitsAt(text, 17, 2);
  time.millisecond = text.size() == 23 ? DigitsAt(text, 20, 3) : 0;
  for (int part : {time.year, time.month, time.day, time.hour, time.minute, time.second, time.millisecond}) {
    if (part < 0) Fail("clock", kShape);
  }
  if (time.year < kMinClockYear || !IsValidDate(time.year, time.month, time.day) || time.hour > 23 ||
      time.minute > 59 || time.second > 59) {
    Fail("clock", "must be a real date from 1601-01-01 on, and a time of day");
  }
  time.dayOfWeek = DayOfWeek(time.year, time.month, time.day);
  return time;
}

json ParseJson(std::string_view text) {
  try {
    return json::parse(text);
  } catch (const json::exception& error) {  // bad syntax, and numbers past any range (1E999)
    throw DesktopError(std::string("desktop description is not valid JSON: ") + error.what());
  }
}

}  // namespace

std::string_view ButtonName(Button button) {
  switch (button) {
    case Button::kOk: return "OK";
    case Button::kCancel: return "CANCEL";
    case Button::kYes: return "YES";
    case Button::kNo: return "NO";
  }
  return "OK";
}

DesktopDescription ParseDesktopDescription(std::string_view text, const DescriptionFileReader& readFile) {
  const json root = ParseJson(text);
  if (!root.is_object()) throw DesktopError("desktop description: the top level must be an object");
  // Keys this version does not know are left for later versions.
  DesktopDescription description;
  if (root.contains("start_ms")) {
    description.startMs = static_cast<uint32_t>(
        ReadInteger(root["start_ms"], "start_ms", 0, std::numeric_limits<uint32_t>::max()));
  }
  if (root.contains("answers")) {
    const json& answers = RequireList(root, "answers");
    for (size_t i = 0; i < answers.size(); ++i) {
      description.answers.push_back(ReadAnswer(answers[i], Indexed("answers", i)));
    }
  }
  if (root.contains("inputs")) {
    const json& inputs = RequireList(root, "inputs");
    for (size_t i = 0; i < inputs.size(); ++i) {
      description.inputs.push_back(ReadInputAnswer(inputs[i], Indexed("inputs", i)));
    }
  }
  if (root.contains("clock")) description.clock = ReadClock(root["clock"]);
  if (root.contains("keys")) {
    const json& keys = RequireList(root, "keys");
    for (size_t i = 0; i < keys.size(); ++i) {
      description.keys.push_back(ReadKeyHold(keys[i], Indexed("keys", i)));
    }
  }
  if (root.contains("screen")) desktop_json::ReadScreen(root["screen"], description, readFile);
  desktop_json::ReadWorld(root, description);
  desktop_json::ReadShell(root, description);
  return description;
}

}  // namespace vendrix::sim
