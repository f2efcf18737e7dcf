#include "values/date_format.h"

#include <array>

#include "values/sjis.h"

namespace vendrix {
namespace {

// The Japanese locale's words, in Shift-JIS.
constexpr std::array<std::string_view, 7> kShortDayNames = {
    "\x93\xFA", "\x8C\x8E", "\x89\xCE", "\x90\x85", "\x96\xD8", "\x8B\xE0", "\x93y"};  // 日 月 火 水 木 金 土
constexpr std::array<std::string_view, 7> kLongDayNames = {
    "\x93\xFA\x97j\x93\xFA",  // 日曜日
    "\x8C\x8E\x97j\x93\xFA",  // 月曜日
    "\x89\xCE\x97j\x93\xFA",  // 火曜日
    "\x90\x85\x97j\x93\xFA",  // 水曜日
    "\x96\xD8\x97j\x93\xFA",  // 木曜日
    "\x8B\xE0\x97j\x93\xFA",  // 金曜日
    "\x93y\x97j\x93\xFA",     // 土曜日
};
constexpr std::string_view kMonthSuffix = "\x8C\x8E";  // 月: month names are "1月" to "12月"
constexpr std::string_view kAm = "\x8C\xDF\x91O";      // 午前
constexpr std::string_view kPm = "\x8C\xDF\x8C\xE3";   // 午後

// The eras of the Japanese calendar with the dates the locale starts them
// on; the short name is the first kanji.
struct Era {
  int year;
  int month;
  int day;
  std::string_view longName;
  std::string_view shortName;
};
constexpr std::array<Era, 5> kEras = {{
    {1868, 1, 1, "\x96\xBE\x8E\xA1", "\x96\xBE"},      // 明治
    {1912, 7, 30, "\x91\xE5\x90\xB3", "\x91\xE5"},     // 大正
    {1926, 12, 25, "\x8F\xBA\x98""a", "\x8F\xBA"},     // 昭和
    {1989, 1, 8, "\x95\xBD\x90\xAC", "\x95\xBD"},      // 平成
    {2019, 5, 1, "\x97\xDF\x98""a", "\x97\xDF"},       // 令和
}};

// The locale's date and time pictures, written in this pattern language.
constexpr std::string_view kShortDate = "yyyy/mm/dd";
constexpr std::string_view kLongDate = "yyyy\x94N" "m\x8C\x8E" "d\x93\xFA";  // yyyy年m月d日
constexpr std::string_view kShortTime = "h:nn";
constexpr std::string_view kLongTime = "h:nn:ss";

constexpr char kDateSeparator = '/';
constexpr char kTimeSeparator = ':';

char UpperAscii(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }
bool IsAsciiLetter(char c) { return UpperAscii(c) >= 'A' && UpperAscii(c) <= 'Z'; }

bool StartsWithNoCase(std::string_view text, size_t pos, std::string_view word) {
  if (text.size() - pos < word.size()) return false;
  for (size_t i = 0; i < word.size(); ++i) {
    if (UpperAscii(text[pos + i]) != UpperAscii(word[i])) return false;
  }
  return true;
}

void AppendNumber(std::string& out, int64_t value, int minDigits) {
  if (value < 0) out += '-';
  const std::string digits = std::to_string(value < 0 ? -value : value);
  if (static_cast<int>(digits.size()) < minDigits) out.append(minDigits - digits.size(), '0');
  out += digits;
}

// The era a date belongs to, or null before the first one.
const Era* EraOf(const LocalTime& time) {
  const Era* found = nullptr;
  for (const Era& era : kEras) {
    const bool started = time.year != era.year
                             ? time.year > era.year
                             : (time.month != era.month ? time.month > era.month : time.day >= era.day);
    if (started) found = &era;
  }
  return found;
}

// One pass over a pattern.  `lastLetter` follows the letters seen so far,
// as "m" right after an hour means minutes.
class DateWriter {
 public:
  DateWriter(const LocalTime& time, std::string& out) : time_(time), out_(out) {}

  void Write(std::string_view pattern) {
    pattern_ = pattern;
    for (pos_ = 0; pos_ < pattern_.size();) Step();
  }

 private:
  void Step() {
    if (sjis::IsLeadByteAt(pattern_, pos_)) {
      const size_t next = sjis::NextChar(pattern_, pos_);
      out_.append(pattern_.substr(pos_, next - pos_));
      pos_ = next;
      return;
    }
    const char c = pattern_[pos_];
    if (c == '\'' || c == '"') return Quoted(c);
    if (c == '/' || c == ':') {
      out_ += c == '/' ? kDateSeparator : kTimeSeparator;
      ++pos_;
      return;
    }
    if (!IsAsciiLetter(c)) {
      out_ += c;
      ++pos_;
      return;
    }
    char token = UpperAscii(c);
    if (token == 'M' && lastLetter_ == 'H') token = 'N';
    lastLetter_ = token;
    if (token == 'A') return AmPm();
    const size_t count = RunLength(c);
    const size_t start = pos_;
    pos_ += count;
    if (!Specifier(token, count)) out_.append(pattern_.substr(start, count));
  }

  // Letters of the same kind in a row, in any case.
  size_t RunLength(char c) const {
    size_t end = pos_;
    while (end < pattern_.size() && UpperAscii(pattern_[end]) == UpperAscii(c)) ++end;
    return end - pos_;
  }

  bool Specifier(char token, size_t count) {
    switch (token) {
      case 'Y': return Year(count);
      case 'M': return Month(count);
      case 'D': return Day(count);
      case 'H': return Hour(count);
      case 'N': return Number(time_.minute, count);
      case 'S': return Number(time_.second, count);
      case 'T': return Nested(count == 1 ? kShortTime : kLongTime);
      case 'C': return DateAndTime();
      case 'E': return EraYear(count);
      case 'G': return EraName(count);
      default: return false;
    }
  }

  bool Number(int value, size_t count) {
    AppendNumber(out_, value, count == 1 ? 1 : 2);
    return true;
  }

  bool Year(size_t count) {
    if (count <= 2) AppendNumber(out_, ((time_.year % 100) + 100) % 100, 2);
    else AppendNumber(out_, time_.year, 4);
    return true;
  }

  bool Month(size_t count) {
    if (count <= 2) return Number(time_.month, count);
    // Short and long month names are the same in this locale.
    if (time_.month >= 1 && time_.month <= 12) {
      AppendNumber(out_, time_.month, 1);
      out_ += kMonthSuffix;
    }
    return true;
  }

  bool Day(size_t count) {
    if (count <= 2) return Number(time_.day, count);
    if (count >= 5) return Nested(count == 5 ? kShortDate : kLongDate);
    if (time_.dayOfWeek >= 0 && time_.dayOfWeek <= 6) {
      const auto names = count == 3 ? kShortDayNames : kLongDayNames;
      out_ += names[static_cast<size_t>(time_.dayOfWeek)];
    }
    return true;
  }

  bool Hour(size_t count) {
    int hour = time_.hour;
    if (TwelveHourClockAhead()) {
      if (hour == 0) hour = 12;
      else if (hour > 12) hour -= 12;
    }
    return Number(hour, count);
  }

  // A 12-hour clock when the next "a" outside quotes, before any other
  // hour, starts an AM/PM marker.
  bool TwelveHourClockAhead() const {
    char quote = 0;
    for (size_t i = pos_; i < pattern_.size(); i = sjis::NextChar(pattern_, i)) {
      const char c = pattern_[i];
      if (sjis::IsLeadByteAt(pattern_, i)) continue;
      if (quote != 0) {
        if (c == quote) quote = 0;
        continue;
      }
      if (c == '\'' || c == '"') quote = c;
      else if (UpperAscii(c) == 'H') return false;
      else if (UpperAscii(c) == 'A') return IsAmPmAt(i);
    }
    return false;
  }

  bool IsAmPmAt(size_t i) const {
    return StartsWithNoCase(pattern_, i, "am/pm") || StartsWithNoCase(pattern_, i, "a/p") ||
           StartsWithNoCase(pattern_, i, "ampm");
  }

  // "am/pm" and "a/p" copy the pattern's own letters for the half of the
  // day; "ampm" gives the locale's 午前 or 午後.  Any other "a" is copied.
  void AmPm() {
    const bool afternoon = time_.hour >= 12;
    if (StartsWithNoCase(pattern_, pos_, "am/pm")) {
      out_.append(pattern_.substr(pos_ + (afternoon ? 3 : 0), 2));
      pos_ += 5;
    } else if (StartsWithNoCase(pattern_, pos_, "a/p")) {
      out_ += pattern_[pos_ + (afternoon ? 2 : 0)];
      pos_ += 3;
    } else if (StartsWithNoCase(pattern_, pos_, "ampm")) {
      out_ += afternoon ? kPm : kAm;
      pos_ += 4;
    } else {
      out_ += pattern_[pos_++];
    }
  }

  // Text between quotes is copied as it is; an unclosed quote runs to the end.
  void Quoted(char quote) {
    // Stepping by characters: a quote byte is never part of a two-byte one.
    size_t i = pos_ + 1;
    while (i < pattern_.size() && pattern_[i] != quote) i = sjis::NextChar(pattern_, i);
    out_.append(pattern_.substr(pos_ + 1, i - pos_ - 1));
    pos_ = i < pattern_.size() ? i + 1 : i;
  }

  bool EraYear(size_t count) {
    const Era* era = EraOf(time_);
    // Before the first era there is no era year: the calendar year stands.
    const int year = era == nullptr ? time_.year : time_.year - era->year + 1;
    return Number(year, count);
  }

  bool EraName(size_t count) {
    if (const Era* era = EraOf(time_)) out_ += count == 1 ? era->shortName : era->longName;
    return true;
  }

  // The locale's pictures hold no nested picture, so this goes one level deep.
  bool Nested(std::string_view picture) {
    DateWriter(time_, out_).Write(picture);
    return true;
  }

  bool DateAndTime() {
    Nested(kShortDate);
    out_ += ' ';
    return Nested(kLongTime);
  }

  const LocalTime& time_;
  std::string& out_;
  std::string_view pattern_;
  size_t pos_ = 0;
  char lastLetter_ = 0;
};

int64_t FloorDiv(int64_t a, int64_t b) { return a / b - ((a % b != 0) && ((a < 0) != (b < 0))); }

struct CivilDate {
  int year;
  int month;
  int day;
};

// The inverse of DaysFromCivil (proleptic Gregorian calendar).
CivilDate CivilFromDays(int64_t days) {
  days += 719468;
  const int64_t era = FloorDiv(days, 146097);
  const int64_t dayOfEra = days - era * 146097;
  const int64_t yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
  const int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
  const int64_t monthIndex = (5 * dayOfYear + 2) / 153;
  const int day = static_cast<int>(dayOfYear - (153 * monthIndex + 2) / 5 + 1);
  const int month = static_cast<int>(monthIndex < 10 ? monthIndex + 3 : monthIndex - 9);
  const int64_t year = yearOfEra + era * 400 + (month <= 2 ? 1 : 0);
  return {static_cast<int>(year), month, day};
}

constexpr int64_t kMsPerDay = 86400000;

}  // namespace

std::string FormatDateTime(std::string_view pattern, const LocalTime& time) {
  std::string out;
  DateWriter writer(time, out);
  writer.Write(pattern.empty() ? std::string_view("c") : pattern);
  return out;
}

int64_t DaysFromCivil(int year, int month, int day) {
  const int64_t y = static_cast<int64_t>(year) - (month <= 2 ? 1 : 0);
  const int64_t era = FloorDiv(y, 400);
  const int64_t yearOfEra = y - era * 400;
  const int64_t monthIndex = month > 2 ? month - 3 : month + 9;
  const int64_t dayOfYear = (153 * monthIndex + 2) / 5 + day - 1;
  const int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  return era * 146097 + dayOfEra - 719468;
}

int DayOfWeek(int year, int month, int day) {
  // 1970-01-01 was a Thursday.
  return static_cast<int>(((DaysFromCivil(year, month, day) + 4) % 7 + 7) % 7);
}

bool IsValidDate(int year, int month, int day) {
  if (month < 1 || month > 12 || day < 1) return false;
  const CivilDate back = CivilFromDays(DaysFromCivil(year, month, day));
  return back.year == year && back.month == month && back.day == day;
}

LocalTime LocalTimeAfter(const LocalTime& origin, uint64_t ms) {
  const int64_t msOfDay =
      ((origin.hour * 60LL + origin.minute) * 60 + origin.second) * 1000 + origin.millisecond;
  const int64_t total = msOfDay + static_cast<int64_t>(ms % (static_cast<uint64_t>(kMsPerDay) * 146097));
  // Whole 400-year cycles (146097 days) change nothing but the year.
  const int64_t cycles = static_cast<int64_t>(ms / (static_cast<uint64_t>(kMsPerDay) * 146097));
  const int64_t days = DaysFromCivil(origin.year, origin.month, origin.day) + total / kMsPerDay;
  const CivilDate date = CivilFromDays(days);
  const int64_t rest = total % kMsPerDay;
  LocalTime result;
  result.year = static_cast<int>(date.year + cycles * 400);
  result.month = date.month;
  result.day = date.day;
  result.hour = static_cast<int>(rest / 3600000);
  result.minute = static_cast<int>(rest / 60000 % 60);
  result.second = static_cast<int>(rest / 1000 % 60);
  result.millisecond = static_cast<int>(rest % 1000);
  result.dayOfWeek = DayOfWeek(result.year, result.month, result.day);
  return result;
}

}  // namespace vendrix
