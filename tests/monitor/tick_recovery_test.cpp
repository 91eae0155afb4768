// Files and clocks that the ordinary path does not expect: dangling start
// records, failed writes, sleeps, clock changes and new days between ticks;
// and the day count and end time of an open pair, which always agree on disk.
#include <gtest/gtest.h>

#include "monitor/tick.h"
#include "monitor_fixture.h"
#include "store/text_forms.h"

namespace tallix::testing {
namespace {

using TickRecoveryTest = MonitorTest;

const std::string kFrom = "From : 15_2002/04/15";
const std::string kTo = "1_To : 14";
const std::string kNewStart = "start: 0002/04/16 09:00:00";
const std::string kNewEnd = "_end : 2002/04/16 09:00:00";

TEST_F(TickRecoveryTest, NewConnectionKeepsPairsInStep) {
  const struct { const char* name; Records before, after; } cases[] = {
      {"empty file", {}, {"", "", kNewStart, kNewEnd}},
      {"one record", {kFrom}, {kFrom, "", kNewStart, kNewEnd}},
      {"headers only", {kFrom, kTo}, {kFrom, kTo, kNewStart, kNewEnd}},
      {"start left without its end",
       {kFrom, kTo, "start: 0302/04/12 23:59:58"},
       {kFrom, kTo, "start: 0302/04/12 23:59:58", "_end : 2002/04/12 23:59:58", kNewStart, kNewEnd}},
      {"garbage left without its end", {kFrom, kTo, "x"}, {kFrom, kTo, "x", kNewEnd, kNewStart, kNewEnd}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    beginPeriod();
    writeLog(zvt(), c.before);
    services.line = true;
    tickAt(at(2002, 4, 16, 9, 0, 0));
    EXPECT_EQ(records(), c.after);
    EXPECT_EQ(form.EndRecNo, static_cast<std::int16_t>(c.after.size()));
    EXPECT_TRUE(form.Recording);
  }
  EXPECT_TRUE(services.messages.empty());
}

TEST_F(TickRecoveryTest, ClockJumpClosesTheRecordAtTheLastTickSeen) {
  const std::string pair = "start: 0002/04/16 09:12:40|_end : 2002/04/16 09:20:30";
  const struct {
    const char* name;
    long long jump;
    bool lineUp;
    std::string tail;  // records 3 onwards afterwards, joined by '|'
  } cases[] = {
      {"clock set back an hour", -3600, true, pair + "|start: 0002/04/16 08:20:30|_end : 2002/04/16 08:20:30"},
      {"slept 121 seconds", 121, true, pair + "|start: 0002/04/16 09:22:31|_end : 2002/04/16 09:22:31"},
      {"120 seconds is still one connection", 120, true, "start: 0002/04/16 09:12:40|_end : 2002/04/16 09:22:30"},
      {"slept an hour and the line dropped", 3600, false, pair},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    beginPeriod();
    services.trayPictures.clear();
    services.line = true;
    tickAt(at(2002, 4, 16, 9, 12, 40));
    tickUntil(at(2002, 4, 16, 9, 20, 30));
    services.line = c.lineUp;
    tickAt(addSeconds(services.clock, c.jump));
    std::string tail;
    for (size_t n = 2; n < records().size(); ++n) tail += (n > 2 ? "|" : "") + records()[n];
    EXPECT_EQ(tail, c.tail);
    EXPECT_EQ(form.Recording, c.lineUp);
    if (!c.lineUp) {
      EXPECT_EQ(form["lblEndTime"].caption, "_end : 16 Apr 2002 - 09:20:30 AM");
      EXPECT_EQ(form.DaysSpanned, 0);
      EXPECT_EQ(services.trayPictures.back(), kPictureDisconnect);
    }
  }
  EXPECT_TRUE(services.messages.empty());
  // A close that cannot be written after a jump is reported.
  beginPeriod();
  services.line = true;
  tickAt(at(2002, 4, 16, 9, 12, 40));
  breakRecordFile();
  services.line = false;
  tickAt(at(2002, 4, 16, 11, 0, 0));
  EXPECT_FALSE(form.Recording);
  EXPECT_TRUE(onlyReports(kWritingDataToFile, 1));
  EXPECT_EQ(form.WriteErrors, 1);
}

TEST_F(TickRecoveryTest, PeriodIsReloadedAtMidnightAndOnANewDay) {
  // Period 05-20: the 21st lies outside it, so a reload turns recording off.
  const struct { const char* name; std::optional<DateTime> previous; DateTime now; bool reloaded; } cases[] = {
      {"midnight", at(2002, 4, 20, 23, 59, 59), at(2002, 4, 21, 0, 0, 0), true},
      {"last second of the midnight minutes", at(2002, 4, 21, 0, 1, 58), at(2002, 4, 21, 0, 1, 59), true},
      {"after the midnight minutes", at(2002, 4, 21, 0, 1, 59), at(2002, 4, 21, 0, 2, 0), false},
      {"slept past midnight", at(2002, 4, 20, 22, 0, 0), at(2002, 4, 21, 7, 0, 0), true},
      {"clock set back a day", at(2002, 4, 22, 7, 0, 0), at(2002, 4, 21, 7, 0, 0), true},
      {"first tick of the run", std::nullopt, at(2002, 4, 21, 7, 0, 0), false},
  };
  writeLog(zvt(), {"From : 05_2002/04/05", "0_To : 20"});
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    form.PeriodActive = true;
    form.lastTickTime = c.previous;
    tickAt(c.now);
    EXPECT_EQ(form.PeriodActive, !c.reloaded);
  }
}

// A line that drops at the very first second of the start's minute on a
// later day was never seen up in that minute; the close still counts the
// day, or the pair would read a whole day short.
TEST_F(TickRecoveryTest, LineDroppingInTheStartMinuteOfALaterDayKeepsItsDay) {
  const struct { DateTime start, drop; Records pair; } cases[] = {
      {at(2002, 4, 16, 9, 12, 0), at(2002, 4, 17, 9, 12, 0), {"start: 0102/04/16 09:12:00", "_end : 2002/04/17 09:12:00"}},
      {at(2002, 4, 16, 9, 12, 40), at(2002, 4, 18, 9, 12, 0), {"start: 0202/04/16 09:12:40", "_end : 2002/04/18 09:12:00"}},
      {at(2002, 4, 16, 9, 12, 40), at(2002, 4, 17, 9, 11, 59), {"start: 0002/04/16 09:12:40", "_end : 2002/04/17 09:11:59"}},
  };
  for (const auto& c : cases) {
    beginPeriod();
    services.line = true;
    tickAt(c.start);
    tickUntil(addSeconds(c.drop, -1));
    services.line = false;
    tickUntil(c.drop);
    EXPECT_EQ(records(), (Records{kFrom, kTo, c.pair[0], c.pair[1]})) << stampText(c.drop);
  }
}

// The open pair is written whole: when the day count grows, the start record
// goes with a fresh end (a stop right after reads one day, never two); and the
// even-minute refresh puts back a start record whose own write failed.
TEST_F(TickRecoveryTest, OpenPairIsWrittenWhole) {
  beginPeriod();
  services.line = true;
  tickAt(at(2002, 4, 16, 9, 13, 30));
  tickUntil(at(2002, 4, 17, 9, 13, 5));  // day counted at 09:13:00; last refresh at 09:12:00
  EXPECT_EQ(records(), (Records{kFrom, kTo, "start: 0102/04/16 09:13:30", "_end : 2002/04/17 09:13:00"}));
  services.line = false;
  tickUntil(at(2002, 4, 17, 9, 13, 6));

  beginPeriod();
  services.line = true;
  services.clock = at(2002, 4, 18, 9, 13, 30);
  setFaultAt(4);  // placing (open, length, close) succeeds; the start record's open fails
  Timer1_Timer(form);
  setFaultAt(0);
  ASSERT_TRUE(form.Recording);
  ASSERT_EQ(services.messages.size(), 1u);  // the day-spent update reports its own failure
  tickUntil(at(2002, 4, 18, 9, 14, 0));
  EXPECT_EQ(records(), (Records{kFrom, kTo, "start: 0002/04/18 09:13:30", "_end : 2002/04/18 09:14:00"}));
}

}  // namespace
}  // namespace tallix::testing
