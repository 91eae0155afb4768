#include "store/text_forms.h"

#include <cstdio>
#include <ctime>

namespace tallix {
namespace {

std::string pad(int value, int width) {
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, "%0*d", width, value);
  return buffer;
}

int hour12(int hour) {
  int h = hour % 12;
  return h == 0 ? 12 : h;
}

const char* amPm(int hour) { return hour < 12 ? "AM" : "PM"; }

inline bool digitsAt(std::string_view text, size_t at, size_t count, int& value) {
  if (at + count > text.size()) return false;
  value = 0;
  for (size_t i = at; i < at + count; ++i) {
    const unsigned digit = static_cast<unsigned char>(text[i]) - unsigned{'0'};
    if (digit > 9) return false;
    value = value * 10 + static_cast<int>(digit);
  }
  return true;
}

// Two digits at `at` as a number, or -1.
inline int twoDigitsAt(const char* at) {
  const unsigned tens = static_cast<unsigned char>(at[0]) - unsigned{'0'};
  const unsigned ones = static_cast<unsigned char>(at[1]) - unsigned{'0'};
  return tens < 10 && ones < 10 ? static_cast<int>(tens * 10 + ones) : -1;
}

}  // namespace

std::string stampText(const DateTime& w) {
  return pad(w.year, 4) + "/" + pad(w.month, 2) + "/" + pad(w.day, 2) + " " + pad(w.hour, 2) + ":" +
         pad(w.minute, 2) + ":" + pad(w.second, 2);
}

std::string dateText(const DateTime& w) { return pad(w.year, 4) + "/" + pad(w.month, 2) + "/" + pad(w.day, 2); }

std::string longStampText(const DateTime& w) {
  return shortDateText(w) + " - " + pad(hour12(w.hour), 2) + ":" + pad(w.minute, 2) + ":" + pad(w.second, 2) + " " +
         amPm(w.hour);
}

std::string titleStampText(const DateTime& w) {
  return shortDateText(w) + " / " + pad(hour12(w.hour), 2) + ":" + pad(w.minute, 2) + " " + amPm(w.hour);
}

std::string shortDateText(const DateTime& w) {
  return pad(w.day, 2) + " " + monthAbbreviation(w.month) + " " + pad(w.year, 4);
}

std::string monthAbbreviation(int month) {
  if (month < 1 || month > 12) return "";
  std::tm parts{};
  parts.tm_year = 100;
  parts.tm_mon = month - 1;
  parts.tm_mday = 1;
  char buffer[64];
  size_t n = std::strftime(buffer, sizeof buffer, "%b", &parts);
  return std::string(buffer, n);
}

std::optional<DateTime> parseStamp(std::string_view text) {
  // A log holds thousands of stamps: the fields are read in place.
  size_t yearDigits = 0;
  if (text.size() == 19) yearDigits = 4;
  else if (text.size() == 17) yearDigits = 2;
  else return std::nullopt;
  const char* rest = text.data() + yearDigits;  // "/mm/dd hh:mm:ss"
  if (rest[0] != '/' || rest[3] != '/' || rest[6] != ' ' || rest[9] != ':' || rest[12] != ':') return std::nullopt;
  DateTime when;
  if (!digitsAt(text, 0, yearDigits, when.year)) return std::nullopt;
  if (yearDigits == 2) when.year += 2000;
  when.month = twoDigitsAt(rest + 1);
  when.day = twoDigitsAt(rest + 4);
  when.hour = twoDigitsAt(rest + 7);
  when.minute = twoDigitsAt(rest + 10);
  when.second = twoDigitsAt(rest + 13);
  // A field that is no two digits reads as -1, which no valid date has.
  if (!isValid(when)) return std::nullopt;
  return when;
}

std::optional<DateTime> parseDate(std::string_view text) {
  if (text.size() != 10 || text[4] != '/' || text[7] != '/') return std::nullopt;
  DateTime when;
  if (!digitsAt(text, 0, 4, when.year) || !digitsAt(text, 5, 2, when.month) || !digitsAt(text, 8, 2, when.day))
    return std::nullopt;
  if (!isValid(when)) return std::nullopt;
  return when;
}

std::string showStamp(std::string_view stored) {
  auto when = parseStamp(stored);
  return when ? longStampText(*when) : std::string(stored);
}

std::string showDate(std::string_view stored) {
  auto when = parseDate(stored);
  return when ? shortDateText(*when) : std::string(stored);
}

}  // namespace tallix
