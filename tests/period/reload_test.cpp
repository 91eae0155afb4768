#include "period/reload.h"

#include "form/sentences.h"
#include "period/period_fixture.h"
#include "store/numbers.h"

namespace tallix {
namespace {

TEST(ReloadPeriod, FollowsTheCalendarAndRollsOver) {
  struct Case {
    const char* name;
    std::string header1, header2;
    DateTime when;
    bool active;
    std::string newHeader1;  // empty: no rollover
  } cases[] = {
      {"01-31 inside", "From : 01_2002/04/05", "0_To : 31", {2002, 4, 20, 9}, true, ""},
      {"01-31 next month", "From : 01_2002/04/05", "0_To : 31", {2002, 5, 1, 0}, true, "From : 01_2002/05/01"},
      {"15-14 next start", "From : 15_2002/03/10", "0_To : 14", {2002, 4, 15, 0}, true, "From : 15_2002/04/15"},
      {"15-14 new year tail", "From : 15_2002/12/20", "0_To : 14", {2003, 1, 10, 9}, true, ""},
      {"15-14 new year start", "From : 15_2002/12/20", "0_To : 14", {2003, 1, 15, 0}, true, "From : 15_2003/01/15"},
      {"20-10 gap day", "From : 20_2002/04/20", "0_To : 10", {2002, 5, 15, 0}, false, ""},
      {"20-10 next start", "From : 20_2002/04/20", "0_To : 10", {2002, 5, 20, 0}, true, "From : 20_2002/05/20"},
      {"10-25 before start", "From : 10_2002/04/05", "0_To : 25", {2002, 4, 9, 0}, false, ""},
      {"10-25 start day", "From : 10_2002/04/05", "0_To : 25", {2002, 4, 10, 0}, true, "From : 10_2002/04/10"},
      {"01-20 months later", "From : 01_2002/04/01", "0_To : 20", {2002, 7, 25, 9}, false, ""},
      {"01-20 next window", "From : 01_2002/04/01", "0_To : 20", {2002, 8, 1, 0}, true, "From : 01_2002/08/01"},
      {"30-29 end of February", "From : 30_2002/01/30", "0_To : 29", {2002, 2, 28, 0}, true, ""},
      {"30-29 March", "From : 30_2002/01/30", "0_To : 29", {2002, 3, 1, 0}, true, "From : 30_2002/02/01"},
      {"clock set back", "From : 01_2002/04/05", "0_To : 31", {2002, 3, 10, 0}, true, "From : 01_2002/03/10"},
      {"clock set back, next-month", "From : 15_2002/04/20", "0_To : 14", {2002, 2, 20, 0}, true, "From : 15_2002/02/20"},
      {"clock set back a year", "From : 15_2003/01/20", "0_To : 14", {2002, 12, 3, 9}, true, "From : 15_2002/11/03"},
      {"days out of range", "From : 45_2002/04/05", "0_To : 31", {2002, 5, 1, 0}, false, ""},
      {"equal days", "From : 05_2002/04/05", "0_To : 05", {2002, 5, 5, 0}, false, ""},
  };
  for (const auto& c : cases) {
    Program p;
    p.services.clock = c.when;
    p.form["lblF1NoRecord"].caption = std::string(kRecordNotProgressing);
    p.writeLog("CountRec.zvt", {c.header1, c.header2});
    ReloadPeriod(p.form);
    SCOPED_TRACE(c.name);
    EXPECT_EQ(p.form.PeriodActive, c.active);
    EXPECT_EQ(p.form["lblF1NoRecord"].caption, c.active ? "" : kRecordNotProgressing);
    EXPECT_TRUE(p.services.messages.empty());
    const bool rolled = !c.newHeader1.empty();
    const Strings old = {c.header1, c.header2};
    EXPECT_EQ(p.log("CountRec.zvt"), rolled ? (Strings{c.newHeader1, "0" + c.header2.substr(1)}) : old);
    EXPECT_EQ(p.log("1.log"), rolled ? old : Strings{});
  }
}

TEST(ReloadPeriod, EmptyBoxesReceiveThePlainDaysAndTheRolloverPadsThem) {
  Program p;
  p.writeLog("CountRec.zvt", {"From : 05_2002/04/05", "1_To : 04"});
  p.today(2002, 4, 20);
  ReloadPeriod(p.form);
  EXPECT_EQ(p.shownDays(), "5-4");
  p.today(2002, 5, 5, 0);
  ReloadPeriod(p.form);
  EXPECT_EQ(p.shownDays(), "05-04");
  EXPECT_EQ(p.log("CountRec.zvt")[0], "From : 05_2002/05/05");

  // Unconfirmed bad boxes stop the rollover with their message.
  p.days("10", "10");
  p.today(2002, 6, 5, 0);
  ReloadPeriod(p.form);
  EXPECT_EQ(p.services.messages, Strings{std::string(kSameDays)});
  EXPECT_FALSE(p.exists("2.log"));
}

TEST(ReloadPeriod, OpenConnectionIsClosedIntoTheOldFileWithoutBreakingPairs) {
  const std::string start = "start: 0002/04/30 22:00:00";
  const std::string staleEnd = "_end : 2002/04/30 23:58:00";
  const std::string newEnd = "_end : 2002/05/01 00:00:30";
  const struct {
    const char* name;
    Strings body;      // records past the headers
    int days;          // whole days counted so far
    int endRecNo;      // the open pair's end record, as the tick keeps it
    Strings archived;  // the records past the headers in the archived file
  } cases[] = {
      {"open pair at the end", {start, staleEnd}, 0, 4, {start, newEnd}},
      {"first end never written", {start, staleEnd, start}, 0, 6, {start, staleEnd, start, newEnd}},
      {"start and end never written", {}, 0, 4, {start, newEnd}},
      // Started two days before in the minute after midnight: the second
      // whole day is due at this very tick and is counted before the close.
      {"a day due at the close", {"start: 0102/04/29 00:00:10", staleEnd}, 1, 4, {"start: 0202/04/29 00:00:10", newEnd}},
  };
  for (const auto& c : cases) {
    Program p;
    Strings records = {"From : 01_2002/04/05", "0_To : 31"};
    records.insert(records.end(), c.body.begin(), c.body.end());
    p.writeLog("CountRec.zvt", records);
    // The tick's memory of the open pair: its start, and the day of the start or of the last day counted.
    p.form.Recording = true;
    p.form.StartLine = c.days == 0 ? "start: 2002/04/30 22:00:00" : "start: 2002/04/29 00:00:10";
    p.form.StartHourText = mid(p.form.StartLine, 19, 2);
    p.form.StartMinuteText = mid(p.form.StartLine, 22, 2);
    p.form.DayText = "30";
    p.form.DaysSpanned = static_cast<std::int16_t>(c.days);
    p.form.EndRecNo = static_cast<std::int16_t>(c.endRecNo);
    p.today(2002, 5, 1, 0);
    ReloadPeriod(p.form);
    records.resize(2);
    records.insert(records.end(), c.archived.begin(), c.archived.end());
    EXPECT_EQ(p.log("1.log"), records) << c.name;
    EXPECT_FALSE(p.form.Recording || p.form.DaysSpanned != 0) << c.name;
    EXPECT_EQ(p.log("CountRec.zvt"), (Strings{"From : 01_2002/05/01", "0_To : 31"})) << c.name;
    EXPECT_TRUE(p.services.messages.empty()) << c.name;
  }
}

TEST(ReloadPeriod, FailedHeaderReadChangesNothing) {
  Program p;
  p.writeLog("CountRec.zvt", {"From : 01_2002/04/05", "0_To : 31"});
  p.form.Recording = true;
  p.form.LineRec = "From : 01_2002/01/01";
  p.today(2002, 5, 1, 0);  // a rollover would be due
  setFaultAt(2);           // the read of record 1
  ReloadPeriod(p.form);
  EXPECT_TRUE(p.oneReport(kLoadingBackDays));
  EXPECT_EQ(p.shownDays(), "-");
  EXPECT_TRUE(p.form.Recording && !p.form.PeriodActive && !p.exists("1.log"));
  EXPECT_EQ(p.log("CountRec.zvt"), (Strings{"From : 01_2002/04/05", "0_To : 31"}));
}

}  // namespace
}  // namespace tallix
