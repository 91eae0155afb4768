#include "store/date_time.h"

namespace tallix {
namespace {

// Days from 0001-01-01 to the given date (days-from-civil).
long long daysFromCivil(long long y, long long m, long long d) {
  y -= m <= 2 ? 1 : 0;
  const long long era = (y >= 0 ? y : y - 399) / 400;
  const long long yoe = y - era * 400;
  const long long doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const long long doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 306;  // day 0 = 0000-03-01 shifted to 0001-01-01
}

void civilFromDays(long long z, int& year, int& month, int& day) {
  z += 306;
  const long long era = (z >= 0 ? z : z - 146096) / 146097;
  const long long doe = z - era * 146097;
  const long long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const long long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const long long mp = (5 * doy + 2) / 153;
  day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  year = static_cast<int>(yoe + era * 400 + (month <= 2 ? 1 : 0));
}

}  // namespace

long long toSerialSeconds(const DateTime& when) {
  long long days = daysFromCivil(when.year, when.month, when.day);
  return days * kDay + when.hour * 3600LL + when.minute * 60LL + when.second;
}

DateTime fromSerialSeconds(long long seconds) {
  long long days = seconds >= 0 ? seconds / kDay : -((-seconds + kDay - 1) / kDay);
  long long rest = seconds - days * kDay;
  DateTime when;
  civilFromDays(days, when.year, when.month, when.day);
  when.hour = static_cast<int>(rest / 3600);
  when.minute = static_cast<int>(rest / 60 % 60);
  when.second = static_cast<int>(rest % 60);
  return when;
}

DateTime addSeconds(const DateTime& when, long long seconds) {
  return fromSerialSeconds(toSerialSeconds(when) + seconds);
}

}  // namespace tallix
