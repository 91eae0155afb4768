#include "store/text_forms.h"

#include <cstdio>
#include <ctime>

#include "store/digit_groups.h"

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

const char* StampReader::readDate(std::string_view text) {
  // A log holds thousands of stamps: the fields are read in place, a group
  // of three at once, "yy/mm/dd" (after the century, if any) and "hh:mm:ss".
  size_t yearDigits = 0;
  if (text.size() == 19) yearDigits = 4;
  else if (text.size() == 17) yearDigits = 2;
  else return nullptr;
  const char* date = text.data() + yearDigits - 2;  // "yy/mm/dd hh:mm:ss"
  int century = 20;
  if (yearDigits == 4 && !digitsAt(text, 0, 2, century)) return nullptr;
  const std::uint64_t dateBytes = eightBytes(date);
  if (dateBytes != dateBytes_ || century != century_) {
    dateBytes_ = dateBytes;
    century_ = century;
    DigitGroup day;
    dateValid_ = separatedBy(date, '/') && readDigitGroup(date, day);
    year_ = century * 100 + day.first;
    month_ = day.second;
    day_ = day.third;
    dateValid_ = dateValid_ && day_ >= 1 && day_ <= daysInMonth(year_, month_);
    dateSecondsKnown_ = false;
  }
  return dateValid_ && date[8] == ' ' && separatedBy(date + 9, ':') ? date : nullptr;
}

bool StampReader::readTime(std::string_view text, DigitGroup& time) {
  const char* date = readDate(text);
  return date != nullptr && readTimeOfDay(date + 9, time);
}

bool StampReader::read(std::string_view text, DateTime& when) {
  DigitGroup time;
  if (!readTime(text, time)) return false;
  when = {year_, month_, day_, time.first, time.second, time.third};
  return true;
}

void StampReader::learnDate() {
  dateSeconds_ = toSerialSeconds({year_, month_, day_});
  dayNumber_ = dateSeconds_ / kDay - (dateSeconds_ % kDay < 0 ? 1 : 0);
  weekday_ = static_cast<int>((dayNumber_ % 7 + 7) % 7);  // day 0 was a Monday
  dateSecondsKnown_ = true;
}

bool StampReader::readSeconds(std::string_view text, long long& seconds) {
  DigitGroup time;
  if (!readTime(text, time)) return false;
  seconds = dateSeconds() + time.first * 3600LL + time.second * 60LL + time.third;
  return true;
}

bool StampReader::readSeconds(std::string_view text, int timeOfDay, long long& seconds) {
  if (readDate(text) == nullptr) return false;
  seconds = dateSeconds() + timeOfDay;
  return true;
}

std::optional<DateTime> parseStamp(std::string_view text) {
  DateTime when;
  if (!StampReader().read(text, when)) return std::nullopt;
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
