#include "store/text_forms.h"

#include <gtest/gtest.h>

#include "store/date_time.h"

namespace tallix {
namespace {

TEST(TextForms, WritesEveryFormOfADate) {
  const struct {
    DateTime when;
    const char* forms;  // stamp | date | long | title | short
  } cases[] = {
      {{2002, 4, 29, 17, 5, 9},
       "2002/04/29 17:05:09|2002/04/29|29 Apr 2002 - 05:05:09 PM|29 Apr 2002 / 05:05 PM|29 Apr 2002"},
      {{2002, 4, 15, 0, 0, 0},
       "2002/04/15 00:00:00|2002/04/15|15 Apr 2002 - 12:00:00 AM|15 Apr 2002 / 12:00 AM|15 Apr 2002"},
      {{2003, 1, 1, 12, 30, 59},
       "2003/01/01 12:30:59|2003/01/01|01 Jan 2003 - 12:30:59 PM|01 Jan 2003 / 12:30 PM|01 Jan 2003"},
  };
  for (const auto& c : cases) {
    const DateTime& w = c.when;
    EXPECT_EQ(stampText(w) + "|" + dateText(w) + "|" + longStampText(w) + "|" + titleStampText(w) + "|" +
                  shortDateText(w),
              c.forms);
  }
}

TEST(TextForms, ReadsStoredStampsByPositionAndShowsBadOnesUnchanged) {
  const std::pair<const char*, const char*> stamps[] = {
      {"02/04/16 09:12:40", "16 Apr 2002 - 09:12:40 AM"},
      {"2002/04/18 23:05:31", "18 Apr 2002 - 11:05:31 PM"},
      {"02/02/30 10:00:00", "02/02/30 10:00:00"},  // no such day
      {"02/04/16 24:00:00", "02/04/16 24:00:00"},  // no such hour
      {"02/04/16-09:12:40", "02/04/16-09:12:40"},  // separator out of place
      {"garbage", "garbage"},
  };
  for (const auto& [stored, shown] : stamps) EXPECT_EQ(showStamp(stored), shown) << stored;
  const std::pair<const char*, const char*> dates[] = {
      {"2002/04/15", "15 Apr 2002"}, {"2002/04/31", "2002/04/31"}, {"2004/02/29", "29 Feb 2004"},
      {"2003/02/29", "2003/02/29"},  {"2002/4/15", "2002/4/15"}};
  for (const auto& [stored, shown] : dates) EXPECT_EQ(showDate(stored), shown) << stored;
}

TEST(DateTime, SerialSecondsRoundTripAcrossMonthsAndYears) {
  const struct { DateTime from; long long seconds; DateTime to; } cases[] = {
      {{2002, 12, 31, 23, 0, 0}, 3600, {2003, 1, 1, 0, 0, 0}},
      {{2004, 2, 28, 12, 0, 0}, 86400, {2004, 2, 29, 12, 0, 0}},
      {{2003, 2, 28, 12, 0, 0}, 86400, {2003, 3, 1, 12, 0, 0}},
      {{2000, 3, 1, 0, 0, 0}, -1, {2000, 2, 29, 23, 59, 59}},
      {{2002, 4, 16, 9, 12, 40}, -86400 * 400LL, {2001, 3, 12, 9, 12, 40}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(addSeconds(c.from, c.seconds), c.to);
    EXPECT_EQ(toSerialSeconds(c.to) - toSerialSeconds(c.from), c.seconds);
  }
  EXPECT_EQ(daysInMonth(1900, 2), 28);
}

}  // namespace
}  // namespace tallix
