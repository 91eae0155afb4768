// The text forms of dates and times that the program writes and shows.
// Stored forms have fixed widths and are read by position.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "store/date_time.h"
#include "store/digit_groups.h"

namespace tallix {

std::string stampText(const DateTime& when);      // "yyyy/mm/dd hh:mm:ss"
std::string dateText(const DateTime& when);       // "yyyy/mm/dd"
std::string longStampText(const DateTime& when);  // "dd mmm yyyy - hh:mm:ss AM/PM"
std::string titleStampText(const DateTime& when); // "dd mmm yyyy / hh:mm AM/PM"
std::string shortDateText(const DateTime& when);  // "dd mmm yyyy"

// The month's abbreviated name in the locale for time ("Apr" under C).
std::string monthAbbreviation(int month);

// Reads "yyyy/mm/dd hh:mm:ss" or its two-digit-year form "yy/mm/dd hh:mm:ss"
// (a year of the 2000s) by position; nothing when a field is not digits or
// the date or time does not exist.
std::optional<DateTime> parseStamp(std::string_view text);

// The same for the stamps of one log in turn: a date that repeats the one
// before, as most do, is not read again. `when` holds something undefined
// when read() gives false.
class StampReader {
 public:
  bool read(std::string_view text, DateTime& when);
  // The same as serial seconds (toSerialSeconds), the date's share worked
  // out once per date.
  bool readSeconds(std::string_view text, long long& seconds);
  // The same, with the stamp's time of day already read by the caller (its
  // digits and range checked); the rest of the stamp is checked here.
  bool readSeconds(std::string_view text, int timeOfDay, long long& seconds);

  // Whether the date at `date` ("yy/mm/dd", a year of the 2000s) is the
  // last one read and a real date: then its day number and day of the week
  // below hold for it without reading it again.
  bool holdsDate(const char* date) const { return dateValid_ && century_ == 20 && eightBytes(date) == dateBytes_; }
  // The last real date read as a day number (serial seconds / a day) and
  // its day of the week (0 Monday).
  long long dayNumber() {
    dateSeconds();
    return dayNumber_;
  }
  int weekday() {
    dateSeconds();
    return weekday_;
  }

 private:
  // The stamp's date, its fields kept in the members, and the characters
  // around its time of day checked: where the date begins, or null.
  const char* readDate(std::string_view text);
  // The time of day of the stamp, the date's fields kept in the members.
  bool readTime(std::string_view text, DigitGroup& time);
  // The date's serial seconds, day number and day of the week, worked out
  // once per date.
  long long dateSeconds() {
    if (!dateSecondsKnown_) learnDate();
    return dateSeconds_;
  }
  void learnDate();

  // The last date as it stood ("yy/mm/dd" and the century), and what was read from it.
  std::uint64_t dateBytes_ = 0;
  int century_ = 0;
  bool dateValid_ = false;
  int year_ = 0;
  int month_ = 0;
  int day_ = 0;
  bool dateSecondsKnown_ = false;  // the three below are the last date's
  long long dateSeconds_ = 0;
  long long dayNumber_ = 0;
  int weekday_ = 0;
};
// Reads "yyyy/mm/dd" by position; the day must exist in the calendar.
std::optional<DateTime> parseDate(std::string_view text);

// A stored stamp in the long shown form; a text that is not a real date and
// time is shown unchanged.
std::string showStamp(std::string_view stored);
// A stored "yyyy/mm/dd" in the form "dd mmm yyyy"; unchanged when not a real day.
std::string showDate(std::string_view stored);

}  // namespace tallix
