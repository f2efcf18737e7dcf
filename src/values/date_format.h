// Dates and times as text, with the Japanese locale's names, the same on
// every platform: the pattern language of "date" (see docs/language.md).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "values/local_time.h"

namespace vendrix {

// Formats `time` by a date pattern.  An empty pattern means "c".  Letters
// are case-insensitive; two-byte characters are always copied whole.
std::string FormatDateTime(std::string_view pattern, const LocalTime& time);

// ---- the Gregorian calendar, for clocks that count milliseconds

// Days from 1970-01-01 to the given date (negative before it).
int64_t DaysFromCivil(int year, int month, int day);
// 0 = Sunday.
int DayOfWeek(int year, int month, int day);
// True for a real calendar date.
bool IsValidDate(int year, int month, int day);
// `origin` moved on by `ms` milliseconds, the day of the week included.
LocalTime LocalTimeAfter(const LocalTime& origin, uint64_t ms);

}  // namespace vendrix
