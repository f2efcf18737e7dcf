// The date pattern language with the Japanese locale's names, and the
// calendar arithmetic behind the simulated clock.
#include "values/date_format.h"

#include <gtest/gtest.h>

#include <string>

#include "support/test_world.h"

namespace vendrix::testing {
namespace {

using platform::LocalTime;

// Monday 14 July 2003, 09:05:03.042.
constexpr LocalTime kMorning{2003, 7, 14, 9, 5, 3, 42, 1};
// The same day at 21:40:09.
constexpr LocalTime kEvening{2003, 7, 14, 21, 40, 9, 0, 1};

LocalTime Date(int year, int month, int day) { return {year, month, day, 0, 0, 0, 0, DayOfWeek(year, month, day)}; }

std::string Format(std::string_view utf8Pattern, const LocalTime& time) {
  return Utf8(FormatDateTime(Sjis(utf8Pattern), time));
}

struct PatternCase {
  const char* pattern;
  const char* expected;
};

void PrintTo(const PatternCase& c, std::ostream* out) { *out << c.pattern; }

class MorningPattern : public ::testing::TestWithParam<PatternCase> {};

TEST_P(MorningPattern, Formats) { EXPECT_EQ(Format(GetParam().pattern, kMorning), GetParam().expected); }

INSTANTIATE_TEST_SUITE_P(
    Dates, MorningPattern,
    ::testing::Values(PatternCase{"yyyy/mm/dd", "2003/07/14"}, PatternCase{"yyyymmdd", "20030714"},
                      PatternCase{"yy", "03"}, PatternCase{"y", "03"}, PatternCase{"yyy", "2003"},
                      PatternCase{"m", "7"}, PatternCase{"mm", "07"}, PatternCase{"mmm", "7月"},
                      PatternCase{"mmmm", "7月"}, PatternCase{"d", "14"}, PatternCase{"dd", "14"},
                      PatternCase{"ddd", "月"}, PatternCase{"dddd", "月曜日"},
                      PatternCase{"ddddd", "2003/07/14"}, PatternCase{"dddddd", "2003年7月14日"},
                      PatternCase{"ddddddd", "2003年7月14日"},
                      // Letters are case-insensitive, runs too.
                      PatternCase{"YYYY/MM/DD", "2003/07/14"}, PatternCase{"Dd", "14"}));

INSTANTIATE_TEST_SUITE_P(
    Times, MorningPattern,
    ::testing::Values(PatternCase{"h", "9"}, PatternCase{"hh", "09"}, PatternCase{"hhh", "09"},
                      PatternCase{"n", "5"}, PatternCase{"nn", "05"}, PatternCase{"s", "3"},
                      PatternCase{"ss", "03"}, PatternCase{"hh:nn:ss", "09:05:03"},
                      // "m" right after an hour means minutes, across separators and quotes.
                      PatternCase{"h:m", "9:5"}, PatternCase{"HH:MM", "09:05"}, PatternCase{"h'x'm", "9x5"},
                      // Any other letter between them breaks that link.
                      PatternCase{"hxm", "9x7"}, PatternCase{"hh:mm mm", "09:05 07"},
                      PatternCase{"t", "9:05"}, PatternCase{"tt", "9:05:03"},
                      PatternCase{"c", "2003/07/14 9:05:03"}, PatternCase{"", "2003/07/14 9:05:03"},
                      PatternCase{"h am/pm", "9 am"}, PatternCase{"h AM/PM", "9 AM"}, PatternCase{"h a/p", "9 a"},
                      PatternCase{"h ampm", "9 午前"}, PatternCase{"ampm", "午前"}));

INSTANTIATE_TEST_SUITE_P(
    EraAndLiterals, MorningPattern,
    ::testing::Values(PatternCase{"g", "平"}, PatternCase{"gg", "平成"}, PatternCase{"e", "15"},
                      PatternCase{"ee", "15"}, PatternCase{"gge年", "平成15年"},
                      PatternCase{"'yyyy'", "yyyy"}, PatternCase{"\"d\"d", "d14"}, PatternCase{"'abc", "abc"},
                      PatternCase{"x-b", "x-b"}, PatternCase{"a", "a"}, PatternCase{"z", "z"},
                      // 年 ends in the byte of "N": it must not read as minutes.
                      PatternCase{"yyyy年mm月dd日", "2003年07月14日"}, PatternCase{"表", "表"},
                      PatternCase{"'年'", "年"}));

TEST(DateFormat, TwelveHourClockFollowsTheMarkerAfterTheHour) {
  struct Case {
    LocalTime time;
    const char* pattern;
    const char* expected;
  };
  const Case cases[] = {
      {kEvening, "hh", "21"},
      {kEvening, "h:nn am/pm", "9:40 pm"},
      {kEvening, "h:nn AM/PM", "9:40 PM"},
      {kEvening, "h a/p", "9 p"},
      {kEvening, "h ampm", "9 午後"},
      {{2003, 7, 14, 0, 5, 0, 0, 1}, "h am/pm", "12 am"},
      {{2003, 7, 14, 12, 5, 0, 0, 1}, "h am/pm", "12 pm"},
      // A quoted marker, or one after another hour, does not count.
      {kEvening, "h 'am/pm'", "21 am/pm"},
      {kEvening, "h h am/pm", "21 9 pm"},
      // The first "a" decides, even when it is no marker.
      {kEvening, "h ax am/pm", "21 ax pm"},
  };
  for (const Case& c : cases) EXPECT_EQ(Format(c.pattern, c.time), c.expected) << c.pattern;
}

TEST(DateFormat, DayNamesRunSundayToSaturday) {
  const char* shortNames[] = {"日", "月", "火", "水", "木", "金", "土"};
  const char* longNames[] = {"日曜日", "月曜日", "火曜日", "水曜日", "木曜日", "金曜日", "土曜日"};
  for (int day = 13; day <= 19; ++day) {  // 13 July 2003 was a Sunday
    const LocalTime time = Date(2003, 7, day);
    EXPECT_EQ(Format("ddd", time), shortNames[day - 13]);
    EXPECT_EQ(Format("dddd", time), longNames[day - 13]);
  }
}

TEST(DateFormat, MonthNamesAreTheNumberAndTsuki) {
  EXPECT_EQ(Format("mmm", Date(2003, 1, 1)), "1月");
  EXPECT_EQ(Format("mmmm", Date(2003, 12, 1)), "12月");
}

TEST(DateFormat, ErasChangeOnTheirFirstDay) {
  struct Case {
    LocalTime date;
    const char* expected;  // "gg e ee g"
  };
  const Case cases[] = {
      {Date(1867, 12, 31), " 1867 1867 "},  // before the first era: no name, the calendar year
      {Date(1868, 1, 1), "明治 1 01 明"},
      {Date(1912, 7, 29), "明治 45 45 明"},
      {Date(1912, 7, 30), "大正 1 01 大"},
      {Date(1926, 12, 24), "大正 15 15 大"},
      {Date(1926, 12, 25), "昭和 1 01 昭"},
      {Date(1989, 1, 7), "昭和 64 64 昭"},
      {Date(1989, 1, 8), "平成 1 01 平"},
      {Date(2019, 4, 30), "平成 31 31 平"},
      {Date(2019, 5, 1), "令和 1 01 令"},
      {Date(2026, 1, 1), "令和 8 08 令"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Format("gg e ee g", c.date), c.expected) << c.date.year << "-" << c.date.month << "-" << c.date.day;
  }
}

TEST(DateFormat, OutOfRangeFieldsGiveNoNameRatherThanGarbage) {
  LocalTime broken = kMorning;
  broken.month = 13;
  broken.dayOfWeek = 9;
  EXPECT_EQ(Format("mmm|ddd|dddd|mm", broken), "|||13");
}

TEST(Calendar, DaysFromCivilAndBack) {
  struct Case {
    int year, month, day;
    int64_t days;
  };
  const Case cases[] = {{1970, 1, 1, 0},        {1969, 12, 31, -1},  {2000, 3, 1, 11017},
                        {1601, 1, 1, -134774},  {9999, 12, 31, 2932896}};
  for (const Case& c : cases) {
    EXPECT_EQ(DaysFromCivil(c.year, c.month, c.day), c.days) << c.year;
    // And back, from a day before all of them.
    const LocalTime back =
        LocalTimeAfter(Date(1601, 1, 1), static_cast<uint64_t>(c.days - DaysFromCivil(1601, 1, 1)) * 86400000);
    EXPECT_EQ(back.year * 10000 + back.month * 100 + back.day, c.year * 10000 + c.month * 100 + c.day);
  }
}

TEST(Calendar, DayOfWeekAndValidity) {
  EXPECT_EQ(DayOfWeek(1970, 1, 1), 4);
  EXPECT_EQ(DayOfWeek(2000, 1, 1), 6);
  EXPECT_EQ(DayOfWeek(2003, 7, 14), 1);
  EXPECT_EQ(DayOfWeek(1601, 1, 1), 1);
  EXPECT_TRUE(IsValidDate(2000, 2, 29));
  EXPECT_TRUE(IsValidDate(2004, 2, 29));
  EXPECT_FALSE(IsValidDate(1900, 2, 29));
  EXPECT_FALSE(IsValidDate(2003, 2, 29));
  EXPECT_FALSE(IsValidDate(2003, 4, 31));
  EXPECT_FALSE(IsValidDate(2003, 13, 1));
  EXPECT_FALSE(IsValidDate(2003, 0, 1));
  EXPECT_FALSE(IsValidDate(2003, 1, 0));
}

TEST(Calendar, LocalTimeAfterCarriesIntoDaysMonthsAndYears) {
  struct Case {
    LocalTime origin;
    uint64_t ms;
    LocalTime expected;
  };
  const Case cases[] = {
      {{2003, 12, 31, 23, 59, 59, 999, 3}, 1, {2004, 1, 1, 0, 0, 0, 0, 4}},
      {{2004, 2, 28, 23, 0, 0, 0, 6}, 3600000, {2004, 2, 29, 0, 0, 0, 0, 0}},
      {{2003, 2, 28, 12, 0, 0, 0, 5}, 86400000, {2003, 3, 1, 12, 0, 0, 0, 6}},
      {kMorning, 61001, {2003, 7, 14, 9, 6, 4, 43, 1}},
      // 400 years later the calendar repeats itself, weekdays included.
      {kMorning, 146097ull * 86400000, {2403, 7, 14, 9, 5, 3, 42, 1}},
  };
  for (const Case& c : cases) {
    const LocalTime got = LocalTimeAfter(c.origin, c.ms);
    EXPECT_EQ(FormatDateTime("yyyy/mm/dd hh:nn:ss", got) + "." + std::to_string(got.millisecond),
              FormatDateTime("yyyy/mm/dd hh:nn:ss", c.expected) + "." + std::to_string(c.expected.millisecond));
    EXPECT_EQ(got.dayOfWeek, c.expected.dayOfWeek);
  }
}

}  // namespace
}  // namespace vendrix::testing
