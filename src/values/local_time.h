// A local date and time as plain numbers: what the clock reads and what the
// date patterns format.
#pragma once

namespace vendrix {

struct LocalTime {
  int year = 2000;
  int month = 1;  // 1..12
  int day = 1;    // 1..31
  int hour = 0;
  int minute = 0;
  int second = 0;
  int millisecond = 0;
  int dayOfWeek = 6;  // 0 = Sunday
};

}  // namespace vendrix
