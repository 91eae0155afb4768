// The day count and the end time of an open pair always agree on disk.
#include <gtest/gtest.h>

#include "monitor/tick.h"
#include "monitor_fixture.h"
#include "store/text_forms.h"

namespace tallix::testing {
namespace {

using DayCountTest = MonitorTest;

// One program on its own folder, for a table row.
struct OneProgram : MonitorTest {
  void TestBody() override {}
  using MonitorTest::beginPeriod;
  using MonitorTest::records;
  using MonitorTest::services;
  using MonitorTest::tickAt;
  using MonitorTest::tickUntil;
};

// A line that drops at the very first second of the start's minute on a
// later day was never seen up in that minute; the close still counts the
// day, or the pair would read a whole day short.
TEST(DayCount, LineDroppingInTheStartMinuteOfALaterDayKeepsItsDay) {
  const struct { DateTime start, drop; Records pair; } cases[] = {
      {at(2002, 4, 16, 9, 12, 0), at(2002, 4, 17, 9, 12, 0),
       {"start: 0102/04/16 09:12:00", "_end : 2002/04/17 09:12:00"}},
      {at(2002, 4, 16, 9, 12, 40), at(2002, 4, 18, 9, 12, 0),
       {"start: 0202/04/16 09:12:40", "_end : 2002/04/18 09:12:00"}},
      {at(2002, 4, 16, 9, 12, 40), at(2002, 4, 17, 9, 11, 59),
       {"start: 0002/04/16 09:12:40", "_end : 2002/04/17 09:11:59"}},
  };
  for (const auto& c : cases) {
    OneProgram run;
    run.beginPeriod();
    run.services.line = true;
    run.tickAt(c.start);
    run.tickUntil(addSeconds(c.drop, -1));
    run.services.line = false;
    run.tickUntil(c.drop);
    const Records all = run.records();
    ASSERT_EQ(all.size(), 4u);
    EXPECT_EQ((Records{all[2], all[3]}), c.pair) << stampText(c.drop);
  }
}

// When the day count grows, the start record is written together with a
// fresh end record: a stop right after leaves a pair that reads one day and
// a few seconds, never two days.
TEST_F(DayCountTest, NewDayCountIsWrittenWithAFreshEnd) {
  beginPeriod();
  services.line = true;
  tickAt(at(2002, 4, 16, 9, 13, 30));
  tickUntil(at(2002, 4, 17, 9, 13, 5));  // day counted at 09:13:00; last refresh at 09:12:00
  EXPECT_EQ(records(), (Records{"From : 15_2002/04/15", "1_To : 14", "start: 0102/04/16 09:13:30",
                                "_end : 2002/04/17 09:13:00"}));
}

// The even-minute refresh puts back a start record whose own write failed.
TEST_F(DayCountTest, RefreshWritesTheWholePairAgain) {
  beginPeriod();
  services.line = true;
  services.clock = at(2002, 4, 16, 9, 13, 30);
  setFaultAt(4);  // placing (open, length, close) succeeds; the start record's open fails
  Timer1_Timer(form);
  setFaultAt(0);
  ASSERT_TRUE(form.Recording);
  ASSERT_EQ(services.messages.size(), 1u);  // the day-spent update reports its own failure
  tickUntil(at(2002, 4, 16, 9, 14, 0));
  EXPECT_EQ(records(), (Records{"From : 15_2002/04/15", "1_To : 14", "start: 0002/04/16 09:13:30",
                                "_end : 2002/04/16 09:14:00"}));
}

}  // namespace
}  // namespace tallix::testing
