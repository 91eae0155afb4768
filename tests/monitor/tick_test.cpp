#include "monitor/tick.h"

#include <gtest/gtest.h>

#include "monitor_fixture.h"
#include "store/text_forms.h"

namespace tallix::testing {
namespace {

using TickTest = MonitorTest;

TEST_F(TickTest, TwoConnectionsMakeTheCompleteLog) {
  beginPeriod();
  tickAt(at(2002, 4, 16, 9, 12, 30));
  tickUntil(at(2002, 4, 16, 9, 12, 39));
  services.line = true;
  tickUntil(at(2002, 4, 16, 10, 1, 1));
  services.line = false;
  tickUntil(at(2002, 4, 16, 10, 1, 2));

  tickAt(at(2002, 4, 17, 22, 29, 59));
  services.line = true;
  tickUntil(at(2002, 4, 18, 23, 5, 30));
  services.line = false;
  tickUntil(at(2002, 4, 18, 23, 5, 31));

  EXPECT_EQ(records(), (Records{"From : 15_2002/04/15", "1_To : 14", "start: 0002/04/16 09:12:40",
                                "_end : 2002/04/16 10:01:02", "start: 0102/04/17 22:30:00",
                                "_end : 2002/04/18 23:05:31"}));
  EXPECT_FALSE(form.Recording);
  EXPECT_EQ(form.DaysSpanned, 0);
  EXPECT_EQ(form["lblStartTime"].caption, "start : 17 Apr 2002 - 10:30:00 PM");
  EXPECT_EQ(form["lblEndTime"].caption, "_end : 18 Apr 2002 - 11:05:31 PM");
  EXPECT_EQ(form["lblDetect"].caption, " disconnect");
  EXPECT_EQ(form.Caption, "Vossberry Tallix.....18 Apr 2002 / 11:05 PM");
  // 48 minutes, then 24 hours 35 minutes: the hour gauge starts from 0 with
  // each connection, so the 48 and the 35 minutes never make an hour.
  EXPECT_EQ(form["lblF1HourSpent"].caption, "24 hrs");
  EXPECT_EQ(services.trayPictures.back(), kPictureDisconnect);
  EXPECT_TRUE(services.messages.empty());
}

TEST_F(TickTest, TouchesTheFileOnlyToStartRefreshAndClose) {
  beginPeriod();
  tickAt(at(2002, 4, 16, 9, 12, 30));
  Records fileTicks;
  while (services.clock.minute < 18) {
    services.advance(1);
    services.line = services.clock.minute < 17 && toSerialSeconds(services.clock) >=
                                                      toSerialSeconds(at(2002, 4, 16, 9, 12, 40));
    const long before = fileOperationCount();
    Timer1_Timer(form);
    if (fileOperationCount() != before) fileTicks.push_back(stampText(services.clock).substr(11));
  }
  // Started at an even minute that differs from the last refresh (none yet),
  // so the next second refreshes too; then once in each even minute.
  EXPECT_EQ(fileTicks, (Records{"09:12:40", "09:12:41", "09:14:00", "09:16:00", "09:17:00"}));
  EXPECT_EQ(records().back(), "_end : 2002/04/16 09:17:00");
}

TEST_F(TickTest, ShowsOnlyTheFirstTwoWriteFailures) {
  beginPeriod();
  services.line = true;
  tickAt(at(2002, 4, 16, 9, 12, 40));
  breakRecordFile();
  tickUntil(at(2002, 4, 16, 9, 30, 0));
  services.line = false;
  tickUntil(at(2002, 4, 16, 9, 30, 1));
  EXPECT_TRUE(onlyReports(kWritingDataToFile, 2));
  EXPECT_EQ(form.WriteErrors, 3);
  EXPECT_FALSE(form.Recording);
}

// A rollover that cannot archive is retried on every tick of the first two
// minutes after midnight; each distinct message opens one window a night.
TEST_F(TickTest, AMidnightRetryShowsEachMessageOnceANight) {
  beginPeriod();
  for (int n = 1; n <= 99; ++n) writeLog(dir.file(std::to_string(n) + ".log"), {"closed period"});
  writeLog(dir.file("Oldlog"), {"a file where the folder must go"});
  tickAt(at(2002, 5, 14, 23, 59, 59));
  tickUntil(at(2002, 5, 15, 0, 1, 59));  // 120 ticks that retry the rollover
  ASSERT_EQ(services.messages.size(), 1u);
  tickUntil(at(2002, 5, 15, 0, 2, 0));
  tickAt(at(2002, 5, 16, 0, 0, 0));  // the next night tells it again
  EXPECT_EQ(services.messages.size(), 2u);
  EXPECT_EQ(services.messages[1], services.messages[0]);
}

TEST_F(TickTest, RefusedRecordingCyclesTheDotsAndWritesNothing) {
  beginPeriod();
  form.PeriodActive = false;
  services.line = true;
  tickAt(at(2002, 4, 16, 9, 0, 0));
  for (const char* dots : {" connected", " connected .", " connected ..", " connected ...", " connected"}) {
    EXPECT_EQ(form["lblDetect"].caption, dots);
    EXPECT_EQ(form["lblF1NoRecord"].caption, "Record is not progressing");
    tickUntil(addSeconds(services.clock, 1));
  }
  EXPECT_EQ(records().size(), 2U);
  EXPECT_TRUE(services.trayActions.empty());
}

TEST_F(TickTest, PeriodEndingWhileRecordingClosesQuietly) {
  for (bool writeFails : {false, true}) {
    SCOPED_TRACE(writeFails);
    services.trayPictures.clear();
    beginPeriod();
    services.line = true;
    tickAt(at(2002, 4, 16, 9, 12, 40));
    tickUntil(at(2002, 4, 16, 9, 13, 0));
    if (writeFails) breakRecordFile();
    form.PeriodActive = false;
    tickUntil(at(2002, 4, 16, 9, 13, 1));

    EXPECT_FALSE(form.Recording);
    EXPECT_EQ(form["lblEndTime"].caption, "_end : 16 Apr 2002 - 09:13:01 AM");
    EXPECT_EQ(services.trayPictures, std::vector<int>{0});  // the online picture stays
    EXPECT_TRUE(services.messages.empty());
    EXPECT_EQ(form.WriteErrors, 0);
    if (!writeFails) {
      EXPECT_EQ(records().back(), "_end : 2002/04/16 09:13:01");
    }
    std::filesystem::remove_all(zvt());
  }
}

TEST_F(TickTest, MissingRecordFileRecordsNothingUntilItExists) {
  form.PeriodActive = true;
  services.line = true;
  tickAt(at(2002, 4, 16, 9, 0, 0));
  tickUntil(at(2002, 4, 16, 9, 0, 5));
  EXPECT_FALSE(std::filesystem::exists(zvt()));
  EXPECT_FALSE(form.Recording);
  EXPECT_EQ(services.trayPictures, std::vector<int>(6, 0));
  EXPECT_EQ(form["lblF1HourSpent"].caption, "0 hr");
  EXPECT_TRUE(services.messages.empty());

  writeLog(zvt(), {"From : 15_2002/04/15", "1_To : 14"});
  tickUntil(at(2002, 4, 16, 9, 0, 6));
  EXPECT_EQ(records(), (Records{"From : 15_2002/04/15", "1_To : 14", "start: 0002/04/16 09:00:06",
                                "_end : 2002/04/16 09:00:06"}));
  EXPECT_EQ(form.EndRecNo, 4);
}

TEST_F(TickTest, ProbeFailureCodeGoesToTheStatusLabel) {
  services.probeFailure = "633";
  EXPECT_FALSE(IsConnected(form));
  EXPECT_EQ(form["lblDetect"].caption, "633");
  tickAt(at(2002, 4, 16, 9, 0, 0));
  EXPECT_EQ(form["lblDetect"].caption, " disconnect");
}

}  // namespace
}  // namespace tallix::testing
