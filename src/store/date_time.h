// A local calendar date and time to the second, as the clock gives it, with
// the little calendar arithmetic the program and its tests need.
#pragma once

namespace tallix {

// Seconds in a day, the one unit every sum by days is made in.
inline constexpr long long kDay = 86400;

struct DateTime {
  int year = 2000;
  int month = 1;  // 1..12
  int day = 1;    // 1..31
  int hour = 0;   // 0..23
  int minute = 0;
  int second = 0;

  friend bool operator==(const DateTime&, const DateTime&) = default;
};

// Inline, as every stamp of a log is checked with them.
inline bool isLeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }
inline int daysInMonth(int year, int month) {
  static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (month < 1 || month > 12) return 0;
  return month == 2 && isLeapYear(year) ? 29 : kDays[month - 1];
}
// A real calendar day and a time of day within range.
inline bool isValid(const DateTime& when) {
  return static_cast<unsigned>(when.hour) <= 23 && static_cast<unsigned>(when.minute) <= 59 &&
         static_cast<unsigned>(when.second) <= 59 && when.day >= 1 && when.day <= daysInMonth(when.year, when.month);
}

// Seconds since 0001-01-01 00:00:00 of the proleptic calendar, and back.
long long toSerialSeconds(const DateTime& when);
DateTime fromSerialSeconds(long long seconds);
DateTime addSeconds(const DateTime& when, long long seconds);

}  // namespace tallix
