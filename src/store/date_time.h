// A local calendar date and time to the second, as the clock gives it, with
// the little calendar arithmetic the program and its tests need.
#pragma once

namespace tallix {

struct DateTime {
  int year = 2000;
  int month = 1;  // 1..12
  int day = 1;    // 1..31
  int hour = 0;   // 0..23
  int minute = 0;
  int second = 0;

  friend bool operator==(const DateTime&, const DateTime&) = default;
};

bool isLeapYear(int year);
int daysInMonth(int year, int month);
// A real calendar day and a time of day within range.
bool isValid(const DateTime& when);

// Seconds since 0001-01-01 00:00:00 of the proleptic calendar, and back.
long long toSerialSeconds(const DateTime& when);
DateTime fromSerialSeconds(long long seconds);
DateTime addSeconds(const DateTime& when, long long seconds);

}  // namespace tallix
