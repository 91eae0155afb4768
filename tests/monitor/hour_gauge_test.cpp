#include "monitor/hour_gauge.h"

#include <gtest/gtest.h>

#include "monitor_fixture.h"

namespace tallix::testing {
namespace {

using HourGaugeTest = MonitorTest;

TEST_F(HourGaugeTest, StepsTheGaugeByTheMinutesPassed) {
  const struct {
    const char* name;
    std::int16_t lastMinute, hourMinutes, hoursSpent, minute;
    // Expected afterwards; an empty label must stay as it was, a pointer at 0 must not move.
    std::int16_t wantHourMinutes, wantHoursSpent;
    const char* wantLabel;
    float wantPointer;
    std::vector<int> wantPictures;
  } cases[] = {
      {"same minute changes nothing", 30, 10, 0, 30, 10, 0, "", 0, {}},
      {"minute 59 then 0 is one minute", 59, 14, 0, 0, 15, 0, "", 2058.0F, {3}},
      {"missed ticks add the whole gap", 10, 20, 0, 13, 23, 0, "", 2566.8F, {}},
      {"every fifth minute changes the picture", 40, 54, 0, 41, 55, 0, "", 4602.0F, {11}},
      {"the 60th minute completes an hour", 20, 59, 0, 21, 0, 1, "1 hr", 1104.0F, {0}},
      {"minutes beyond the hour are dropped", 10, 58, 4, 15, 0, 5, "5 hrs", 1104.0F, {0}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    services.trayPictures.clear();
    form["lblF1HourSpent"].caption = "before";
    form["imgPointer"].left = 0;
    form.LastMinute = c.lastMinute;
    form.HourMinutes = c.hourMinutes;
    form.HoursSpent = c.hoursSpent;
    UpdateHourGauge(form, c.minute);
    EXPECT_EQ(form.HourMinutes, c.wantHourMinutes);
    EXPECT_EQ(form.HoursSpent, c.wantHoursSpent);
    EXPECT_EQ(form["lblF1HourSpent"].caption, *c.wantLabel != '\0' ? c.wantLabel : "before");
    EXPECT_NEAR(form["imgPointer"].left, c.wantPointer, 0.01);
    EXPECT_EQ(form.LastMinute, c.wantPointer == 0 ? c.lastMinute : c.minute);
    EXPECT_EQ(services.trayPictures, c.wantPictures);
  }
}

TEST_F(HourGaugeTest, DaySpentRewritesTheStartRecordWithTwoDigits) {
  // A count of 100 days or more is written as 99: the record has two places.
  for (const auto& [days, start] : {std::pair<std::int16_t, const char*>{7, "start: 0702/04/17 22:30:00"},
                                    {12, "start: 1202/04/17 22:30:00"}, {100, "start: 9902/04/17 22:30:00"}}) {
    writeLog(zvt(), {"From : 15_2002/04/15", "1_To : 14", "start: 0002/04/17 22:30:00", "_end : 2002/04/18 23:05:31"});
    form.StartLine = "start: 2002/04/17 22:30:00";
    form.EndRecNo = 4;
    form.DaysSpanned = days;
    UpdateDaySpent(form);
    EXPECT_EQ(records(), (Records{"From : 15_2002/04/15", "1_To : 14", start, "_end : 2002/04/18 23:05:31"}));
    EXPECT_EQ(form.DaysSpanned, days);
  }
  EXPECT_TRUE(services.messages.empty());
}

}  // namespace
}  // namespace tallix::testing
