// The tick of the main window on a fresh folder, driven by the fake clock and
// probe: the records of a connection, write failures, files and clocks that
// the ordinary path does not expect, the hour gauge and the day count.
#include "monitor/tick.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "form/sentences.h"
#include "monitor/hour_gauge.h"
#include "store/text_forms.h"
#include "store/volume_file.h"
#include "support/fake_services.h"
#include "support/fault_counter.h"

namespace tallix::testing {
namespace {

using Records = std::vector<std::string>;

const std::string kFrom = "From : 15_2002/04/15";
const std::string kTo = "1_To : 14";

DateTime at(int month, int day, int hour, int minute, int second) { return {2002, month, day, hour, minute, second}; }

class TickTest : public ::testing::Test {
 protected:
  TickTest() : form(services, dir.path()) {
    // The designed gauge: pointer at 1104 twips for minute 0, scale 3816 wide.
    form.PointerOrigin = 1104;
    form.TwipsPerMinute = 3816.0F / 60.0F;
    setDurableWrites(false);
  }
  ~TickTest() override {
    setFaultAt(0);
    setDurableWrites(true);
  }

  std::string zvt() const { return dir.file(std::string(kCountRecZvt)); }
  Records records() const { return readLog(zvt()); }
  // A period 15-14 begun on 15 April 2002, in force, and a run not yet ticked.
  void beginPeriod() {
    std::filesystem::remove_all(zvt());
    writeLog(zvt(), {kFrom, kTo});
    form.PeriodActive = true;
    form.Recording = false;
    form.lastTickTime.reset();
  }
  // A folder where the record file was: every write fails for real.
  void breakRecordFile() const {
    std::filesystem::remove(zvt());
    std::filesystem::create_directory(zvt());
  }
  // One tick; the clock of every tick that touched a file is kept.
  void tick() {
    const long before = fileOperationCount();
    Timer1_Timer(form);
    if (fileOperationCount() != before) fileTicks.push_back(stampText(services.clock));
  }
  void tickAt(const DateTime& when) {
    services.clock = when;
    tick();
  }
  // Ticks once a second from the clock's next second up to `until`.
  void tickUntil(const DateTime& until) {
    while (toSerialSeconds(services.clock) < toSerialSeconds(until)) {
      services.advance(1);
      tick();
    }
  }
  // A period begun and the line seen up at `start`.
  void startOnline(const DateTime& start) {
    beginPeriod();
    services.line = true;
    tickAt(start);
  }
  // The line seen up from `start`, every second, and seen down at `drop`.
  void online(const DateTime& start, const DateTime& drop) {
    services.line = true;
    tickAt(start);
    tickUntil(addSeconds(drop, -1));
    services.line = false;
    tickUntil(drop);
  }

  TempDir dir;
  FakeServices services;
  MainForm form;
  Records fileTicks;
};

TEST_F(TickTest, TwoConnectionsMakeTheCompleteLog) {
  beginPeriod();
  online(at(4, 16, 9, 12, 40), at(4, 16, 10, 1, 2));
  // The file is touched only to start, to refresh and to close: the start is
  // at an even minute that differs from the last refresh (none yet), so the
  // next second refreshes too; then once in each even minute.
  Records touched = {"2002/04/16 09:12:40", "2002/04/16 09:12:41"};
  for (int m = 14; m <= 60; m += 2) touched.push_back(stampText(at(4, 16, 9 + m / 60, m % 60, 0)));
  touched.push_back("2002/04/16 10:01:02");
  EXPECT_EQ(fileTicks, touched);
  online(at(4, 17, 22, 30, 0), at(4, 18, 23, 5, 31));

  EXPECT_EQ(records(), (Records{kFrom, kTo, "start: 0002/04/16 09:12:40", "_end : 2002/04/16 10:01:02",
                                "start: 0102/04/17 22:30:00", "_end : 2002/04/18 23:05:31"}));
  EXPECT_FALSE(form.Recording);
  EXPECT_EQ(form.DaysSpanned, 0);
  EXPECT_EQ(form[form1::lblStartTime].caption, "start : 17 Apr 2002 - 10:30:00 PM");
  EXPECT_EQ(form[form1::lblEndTime].caption, "_end : 18 Apr 2002 - 11:05:31 PM");
  EXPECT_EQ(form[form1::lblDetect].caption, " disconnect");
  EXPECT_EQ(form.Caption, "Vossberry Tallix.....18 Apr 2002 / 11:05 PM");
  // 48 minutes, then 24 hours 35 minutes: the hour gauge starts from 0 with
  // each connection, so the 48 and the 35 minutes never make an hour.
  EXPECT_EQ(form[form1::lblF1HourSpent].caption, "24 hrs");
  EXPECT_EQ(services.trayPictures.back(), kPictureDisconnect);
  EXPECT_TRUE(services.messages.empty());
}

// A failed write is reported, at most twice in a run, and the record ends.
TEST_F(TickTest, WriteFailuresAreShownAtMostTwice) {
  const struct { const char* name; DateTime lastUp, drop; size_t shown; int errors; } cases[] = {
      {"every refresh and the close fail", at(4, 16, 9, 30, 0), at(4, 16, 9, 30, 1), 2, 3},
      {"the close after a jump fails", at(4, 16, 9, 12, 40), at(4, 16, 11, 0, 0), 1, 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    services.messages.clear();
    form.WriteErrors = 0;
    startOnline(at(4, 16, 9, 12, 40));
    breakRecordFile();
    tickUntil(c.lastUp);
    services.line = false;
    tickAt(c.drop);
    EXPECT_FALSE(form.Recording);
    EXPECT_EQ(services.messages.size(), c.shown);
    for (const std::string& m : services.messages) EXPECT_TRUE(m.starts_with(kWritingDataToFile)) << m;
    EXPECT_EQ(form.WriteErrors, c.errors);
  }
}

// A rollover that cannot archive is retried on every tick of the first two
// minutes after midnight; each distinct message opens one window a night.
TEST_F(TickTest, AMidnightRetryShowsEachMessageOnceANight) {
  beginPeriod();
  for (int n = 1; n <= 99; ++n) writeLog(dir.file(std::to_string(n) + ".log"), {"closed period"});
  writeLog(dir.file("Oldlog"), {"a file where the folder must go"});
  tickAt(at(5, 14, 23, 59, 59));
  tickUntil(at(5, 15, 0, 1, 59));  // 120 ticks that retry the rollover
  ASSERT_EQ(services.messages.size(), 1u);
  tickUntil(at(5, 15, 0, 2, 0));
  tickAt(at(5, 16, 0, 0, 0));  // the next night tells it again
  EXPECT_EQ(services.messages.size(), 2u);
  EXPECT_EQ(services.messages[1], services.messages[0]);
}

TEST_F(TickTest, RefusedRecordingCyclesTheDotsAndWritesNothing) {
  beginPeriod();
  form.PeriodActive = false;
  services.line = true;
  tickAt(at(4, 16, 9, 0, 0));
  for (const char* dots : {" connected", " connected .", " connected ..", " connected ...", " connected"}) {
    EXPECT_EQ(form[form1::lblDetect].caption, dots);
    EXPECT_EQ(form[form1::lblF1NoRecord].caption, "Record is not progressing");
    tickUntil(addSeconds(services.clock, 1));
  }
  EXPECT_EQ(records().size(), 2U);
  EXPECT_TRUE(services.trayActions.empty());
  // A probe that fails shows its code until the next tick.
  services.probeFailure = "633";
  EXPECT_FALSE(IsConnected(form));
  EXPECT_EQ(form[form1::lblDetect].caption, "633");
  tickAt(at(4, 16, 9, 1, 0));
  EXPECT_EQ(form[form1::lblDetect].caption, " disconnect");
}

TEST_F(TickTest, PeriodEndingWhileRecordingClosesQuietly) {
  for (bool writeFails : {false, true}) {
    SCOPED_TRACE(writeFails);
    services.trayPictures.clear();
    startOnline(at(4, 16, 9, 12, 40));
    tickUntil(at(4, 16, 9, 13, 0));
    if (writeFails) breakRecordFile();
    form.PeriodActive = false;
    tickUntil(at(4, 16, 9, 13, 1));
    EXPECT_FALSE(form.Recording);
    EXPECT_EQ(form[form1::lblEndTime].caption, "_end : 16 Apr 2002 - 09:13:01 AM");
    EXPECT_EQ(services.trayPictures, std::vector<int>{0});  // the online picture stays
    EXPECT_TRUE(services.messages.empty());
    EXPECT_EQ(form.WriteErrors, 0);
    EXPECT_TRUE(writeFails || records().back() == "_end : 2002/04/16 09:13:01");
  }
}

TEST_F(TickTest, MissingRecordFileRecordsNothingUntilItExists) {
  form.PeriodActive = true;
  services.line = true;
  tickAt(at(4, 16, 9, 0, 0));
  tickUntil(at(4, 16, 9, 0, 5));
  EXPECT_FALSE(std::filesystem::exists(zvt()));
  EXPECT_FALSE(form.Recording);
  EXPECT_EQ(services.trayPictures, std::vector<int>(6, 0));
  EXPECT_EQ(form[form1::lblF1HourSpent].caption, "0 hr");
  EXPECT_TRUE(services.messages.empty());
  writeLog(zvt(), {kFrom, kTo});
  tickUntil(at(4, 16, 9, 0, 6));
  EXPECT_EQ(records(), (Records{kFrom, kTo, "start: 0002/04/16 09:00:06", "_end : 2002/04/16 09:00:06"}));
  EXPECT_EQ(form.EndRecNo, 4);
}

// A new connection behind whatever the file holds keeps its pairs in step: a
// start left without its end (a lost end write) is closed first, with its own
// time or, when that cannot be read, with the new connection's.
TEST_F(TickTest, NewConnectionKeepsPairsInStep) {
  const std::string start = "start: 0002/04/16 09:00:00";
  const std::string end = "_end : 2002/04/16 09:00:00";
  const struct { const char* name; Records before, after; } cases[] = {
      {"empty file", {}, {"", "", start, end}},
      {"one record", {kFrom}, {kFrom, "", start, end}},
      {"headers only", {kFrom, kTo}, {kFrom, kTo, start, end}},
      {"start left without its end",
       {kFrom, kTo, "start: 0302/04/12 23:59:58"},
       {kFrom, kTo, "start: 0302/04/12 23:59:58", "_end : 2002/04/12 23:59:58", start, end}},
      {"garbage left without its end", {kFrom, kTo, "x"}, {kFrom, kTo, "x", end, start, end}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    beginPeriod();
    writeLog(zvt(), c.before);
    services.line = true;
    tickAt(at(4, 16, 9, 0, 0));
    EXPECT_EQ(records(), c.after);
    EXPECT_EQ(form.EndRecNo, static_cast<std::int16_t>(c.after.size()));
    EXPECT_TRUE(form.Recording);
  }
  EXPECT_TRUE(services.messages.empty());
}

// A sleep or a clock change closes the open record at the last tick seen; a gap
// of 120 seconds is none (the month simulation makes larger ones, both ways).
TEST_F(TickTest, ClockJumpClosesTheRecordAtTheLastTickSeen) {
  const std::string pair = "start: 0002/04/16 09:12:40|_end : 2002/04/16 09:20:30";
  const struct { const char* name; long long jump; bool lineUp; std::string tail; } cases[] = {
      {"slept 121 seconds", 121, true, pair + "|start: 0002/04/16 09:22:31|_end : 2002/04/16 09:22:31"},
      {"120 seconds is still one connection", 120, true, "start: 0002/04/16 09:12:40|_end : 2002/04/16 09:22:30"},
      {"slept an hour and the line dropped", 3600, false, pair},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    startOnline(at(4, 16, 9, 12, 40));
    services.trayPictures.clear();
    tickUntil(at(4, 16, 9, 20, 30));
    services.line = c.lineUp;
    tickAt(addSeconds(services.clock, c.jump));
    std::string tail;
    for (size_t n = 2; n < records().size(); ++n) tail += (n > 2 ? "|" : "") + records()[n];
    EXPECT_EQ(tail, c.tail);
    EXPECT_EQ(form.Recording, c.lineUp);
    if (!c.lineUp) {
      EXPECT_EQ(form[form1::lblEndTime].caption, "_end : 16 Apr 2002 - 09:20:30 AM");
      EXPECT_EQ(form.DaysSpanned, 0);
      EXPECT_EQ(services.trayPictures.back(), kPictureDisconnect);
    }
  }
  EXPECT_TRUE(services.messages.empty());
}

TEST_F(TickTest, PeriodIsReloadedAtMidnightAndOnANewDay) {
  // Period 05-20: the 21st lies outside it, so a reload turns recording off.
  // The month simulation's periods end at midnight, and it sleeps past it.
  const struct { const char* name; std::optional<DateTime> previous; DateTime now; bool reloaded; } cases[] = {
      {"last second of the midnight minutes", at(4, 21, 0, 1, 58), at(4, 21, 0, 1, 59), true},
      {"after the midnight minutes", at(4, 21, 0, 1, 59), at(4, 21, 0, 2, 0), false},
      {"clock set back a day", at(4, 22, 7, 0, 0), at(4, 21, 7, 0, 0), true},
      {"first tick of the run", std::nullopt, at(4, 21, 7, 0, 0), false},
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

// The open pair is written whole. A line that drops at the very first second
// of the start's minute on a later day was never seen up in that minute; the
// close still counts the day, or the pair would read a whole day short. When
// the day count grows, the start record goes with a fresh end (a stop right
// after reads one day, never two); the even-minute refresh puts back a start
// record whose own write failed.
TEST_F(TickTest, OpenPairIsWrittenWhole) {
  const struct { DateTime start, drop; Records pair; } drops[] = {
      {at(4, 16, 9, 12, 0), at(4, 17, 9, 12, 0), {"start: 0102/04/16 09:12:00", "_end : 2002/04/17 09:12:00"}},
      {at(4, 16, 9, 12, 40), at(4, 18, 9, 12, 0), {"start: 0202/04/16 09:12:40", "_end : 2002/04/18 09:12:00"}},
      {at(4, 16, 9, 12, 40), at(4, 17, 9, 11, 59), {"start: 0002/04/16 09:12:40", "_end : 2002/04/17 09:11:59"}},
  };
  for (const auto& c : drops) {
    beginPeriod();
    online(c.start, c.drop);
    EXPECT_EQ(records(), (Records{kFrom, kTo, c.pair[0], c.pair[1]})) << stampText(c.drop);
  }

  startOnline(at(4, 16, 9, 13, 30));
  tickUntil(at(4, 17, 9, 13, 5));  // day counted at 09:13:00; last refresh at 09:12:00
  EXPECT_EQ(records(), (Records{kFrom, kTo, "start: 0102/04/16 09:13:30", "_end : 2002/04/17 09:13:00"}));
  services.line = false;
  tickUntil(at(4, 17, 9, 13, 6));

  beginPeriod();
  services.line = true;
  services.clock = at(4, 18, 9, 13, 30);
  setFaultAt(4);  // placing (open, length, close) succeeds; the start record's open fails
  Timer1_Timer(form);
  setFaultAt(0);
  ASSERT_TRUE(form.Recording);
  ASSERT_EQ(services.messages.size(), 1u);  // the day-spent update reports its own failure
  tickUntil(at(4, 18, 9, 14, 0));
  EXPECT_EQ(records(), (Records{kFrom, kTo, "start: 0002/04/18 09:13:30", "_end : 2002/04/18 09:14:00"}));
}

TEST_F(TickTest, HourGaugeStepsByTheMinutesPassed) {
  // Expected afterwards: an empty label must stay as it was, a pointer at 0 must not move.
  const struct { const char* name; std::int16_t lastMinute, hourMinutes, hoursSpent, minute, wantHourMinutes,
                 wantHoursSpent; const char* wantLabel; float wantPointer; std::vector<int> wantPictures; } cases[] = {
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
    form[form1::lblF1HourSpent].caption = "before";
    form[form1::imgPointer].left = 0;
    form.LastMinute = c.lastMinute;
    form.HourMinutes = c.hourMinutes;
    form.HoursSpent = c.hoursSpent;
    UpdateHourGauge(form, c.minute);
    EXPECT_EQ(form.HourMinutes, c.wantHourMinutes);
    EXPECT_EQ(form.HoursSpent, c.wantHoursSpent);
    EXPECT_EQ(form[form1::lblF1HourSpent].caption, *c.wantLabel != '\0' ? c.wantLabel : "before");
    EXPECT_NEAR(form[form1::imgPointer].left, c.wantPointer, 0.01);
    // A screen reader hears what the pointer shows.
    if (c.wantPointer != 0) {
      EXPECT_TRUE(form[form1::imgScale].description.starts_with(std::to_string(c.wantHourMinutes) + " min"));
    }
    EXPECT_EQ(form.LastMinute, c.wantPointer == 0 ? c.lastMinute : c.minute);
    EXPECT_EQ(services.trayPictures, c.wantPictures);
  }
}

// The bytes of a connection are counted from its start, read only while it is
// recorded, and written beside its end record: at the start, each even minute
// and the close. What was written stays when the counters start again.
TEST_F(TickTest, VolumeIsWrittenBesideTheEndRecord) {
  beginPeriod();
  services.counters = ByteCounters{5000, 700, "ppp0"};
  tickAt(at(4, 16, 9, 12, 58));
  EXPECT_EQ(services.counterReads, 0) << "the idle tick reads no counters";
  const auto written = [&] {
    const VolumeReading reading = readVolumeFile(zvt());
    EXPECT_EQ(reading.state, VolumeReading::State::Read) << reading.problem;
    return reading.connections;
  };
  services.line = true;
  tickAt(at(4, 16, 9, 12, 59));
  EXPECT_EQ(written(), (std::vector<ConnectionVolume>{{3, "02/04/16 09:12:59", {0, 0}}}));
  services.counters = ByteCounters{6000, 750, "ppp0"};
  tickAt(at(4, 16, 9, 13, 0));
  EXPECT_EQ(written()[0].volume, (Volume{0, 0})) << "written only with the end record";
  services.counters = ByteCounters{6500, 760, "ppp0"};
  tickAt(at(4, 16, 9, 14, 0));
  EXPECT_EQ(written()[0].volume, (Volume{1500, 60}));
  // The line drops: the interface is gone, the last reading counts. (Counters
  // that begin anew: VolumeCount in tests/store.)
  services.counters = ByteCounters{6800, 780, "ppp0"};
  tickAt(at(4, 16, 9, 14, 1));
  services.counters.reset();
  services.line = false;
  tickAt(at(4, 16, 9, 14, 3));
  EXPECT_EQ(written(), (std::vector<ConnectionVolume>{{3, "02/04/16 09:12:59", {1800, 80}}}));
  // A second connection gets its own line; the first keeps its own.
  const int readsBefore = services.counterReads;
  tickAt(at(4, 16, 9, 20, 0));
  EXPECT_EQ(services.counterReads, readsBefore);
  services.counters = ByteCounters{0, 0, "ppp1"};
  services.line = true;
  tickAt(at(4, 16, 9, 30, 0));
  services.counters = ByteCounters{42, 7, "ppp1"};
  services.line = false;
  tickAt(at(4, 16, 9, 30, 1));
  EXPECT_EQ(written(), (std::vector<ConnectionVolume>{{3, "02/04/16 09:12:59", {1800, 80}},
                                                      {5, "02/04/16 09:30:00", {0, 0}}}));
  // Where the platform cannot count, nothing is written for the connection: unknown, not zero.
  services.counters.reset();
  services.line = true;
  tickAt(at(4, 16, 9, 40, 0));
  tickAt(at(4, 16, 9, 42, 0));
  EXPECT_EQ(written().size(), 2U);
  EXPECT_TRUE(services.messages.empty());
}

TEST_F(TickTest, DaySpentRewritesTheStartRecordWithTwoDigits) {
  // A count of 100 days or more is written as 99: the record has two places.
  for (const auto& [days, start] : {std::pair<std::int16_t, const char*>{7, "start: 0702/04/17 22:30:00"},
                                    {12, "start: 1202/04/17 22:30:00"}, {100, "start: 9902/04/17 22:30:00"}}) {
    writeLog(zvt(), {kFrom, kTo, "start: 0002/04/17 22:30:00", "_end : 2002/04/18 23:05:31"});
    form.StartLine = "start: 2002/04/17 22:30:00";
    form.EndRecNo = 4;
    form.DaysSpanned = days;
    UpdateDaySpent(form);
    EXPECT_EQ(records(), (Records{kFrom, kTo, start, "_end : 2002/04/18 23:05:31"}));
    EXPECT_EQ(form.DaysSpanned, days);
  }
  EXPECT_TRUE(services.messages.empty());
}

}  // namespace
}  // namespace tallix::testing
