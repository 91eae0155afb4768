#include "monitor/tick.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>

#include "monitor_fixture.h"
#include "store/text_forms.h"

namespace tallix::testing {
namespace {

using TickTest = MonitorTest;
using Records = std::vector<std::string>;

std::string clockText(const DateTime& when) { return stampText(when).substr(11); }

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
  // 48 minutes, then 24 hours 35 minutes: the first hour of the second
  // connection starts from 0 again.
  EXPECT_EQ(form.HoursSpent, 24);
  EXPECT_EQ(form["lblF1HourSpent"].caption, "24 hrs");
  EXPECT_EQ(services.trayPictures.back(), kPictureDisconnect);
  EXPECT_TRUE(services.messages.empty());
}

TEST_F(TickTest, TouchesTheFileOnlyToStartRefreshAndClose) {
  beginPeriod();
  tickAt(at(2002, 4, 16, 9, 12, 30));
  std::vector<std::string> fileTicks;
  while (toSerialSeconds(services.clock) < toSerialSeconds(at(2002, 4, 16, 9, 18, 0))) {
    services.advance(1);
    services.line = services.clock.minute < 17 && toSerialSeconds(services.clock) >=
                                                      toSerialSeconds(at(2002, 4, 16, 9, 12, 40));
    const long before = fileOperationCount();
    Timer1_Timer(form);
    if (fileOperationCount() != before) fileTicks.push_back(clockText(services.clock));
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
  ASSERT_TRUE(form.Recording);
  // A folder where the record file was: every refresh fails for real.
  std::filesystem::remove(zvt());
  std::filesystem::create_directory(zvt());
  tickUntil(at(2002, 4, 16, 9, 30, 0));
  services.line = false;
  tickUntil(at(2002, 4, 16, 9, 30, 1));

  ASSERT_EQ(services.messages.size(), 2U);
  for (const std::string& message : services.messages)
    EXPECT_EQ(message.rfind(kWritingDataToFile, 0), 0U) << message;
  EXPECT_EQ(form.WriteErrors, 3);
  EXPECT_FALSE(form.Recording);
}

TEST_F(TickTest, RefusedRecordingCyclesTheDotsAndWritesNothing) {
  beginPeriod();
  form.PeriodActive = false;
  services.line = true;
  const Records dots = {" connected", " connected .", " connected ..", " connected ...", " connected"};
  tickAt(at(2002, 4, 16, 9, 0, 0));
  for (const std::string& want : dots) {
    EXPECT_EQ(form["lblDetect"].caption, want);
    EXPECT_EQ(form["lblF1NoRecord"].caption, "Record is not progressing");
    tickUntil(addSeconds(services.clock, 1));
  }
  EXPECT_EQ(records().size(), 2U);
  EXPECT_FALSE(form.Recording);
  EXPECT_TRUE(services.trayActions.empty());

  services.line = false;
  tickUntil(addSeconds(services.clock, 1));
  EXPECT_EQ(form["lblDetect"].caption, " disconnect");
}

TEST_F(TickTest, PeriodEndingWhileRecordingClosesQuietly) {
  for (bool writeFails : {false, true}) {
    SCOPED_TRACE(writeFails);
    std::filesystem::remove_all(zvt());
    services.messages.clear();
    services.trayPictures.clear();
    form.Recording = false;
    form.lastTickTime.reset();
    beginPeriod();
    services.line = true;
    tickAt(at(2002, 4, 16, 9, 12, 40));
    tickUntil(at(2002, 4, 16, 9, 13, 0));
    if (writeFails) {
      std::filesystem::remove(zvt());
      std::filesystem::create_directory(zvt());
    }
    form.PeriodActive = false;
    const std::int16_t writeErrors = form.WriteErrors;
    tickUntil(at(2002, 4, 16, 9, 13, 1));

    EXPECT_FALSE(form.Recording);
    EXPECT_EQ(form.DaysSpanned, 0);
    EXPECT_EQ(form["lblEndTime"].caption, "_end : 16 Apr 2002 - 09:13:01 AM");
    EXPECT_EQ(services.trayPictures, (std::vector<int>{0}));  // the online picture stays
    EXPECT_TRUE(services.messages.empty());
    EXPECT_EQ(form.WriteErrors, writeErrors);
    if (!writeFails) {
      EXPECT_EQ(records().back(), "_end : 2002/04/16 09:13:01");
    }
  }
}

TEST_F(TickTest, MissingRecordFileRecordsNothingUntilItExists) {
  form.PeriodActive = true;
  services.line = true;
  tickAt(at(2002, 4, 16, 9, 0, 0));
  tickUntil(at(2002, 4, 16, 9, 0, 5));
  EXPECT_FALSE(std::filesystem::exists(zvt()));
  EXPECT_FALSE(form.Recording);
  EXPECT_EQ(services.trayPictures, (std::vector<int>(6, 0)));
  EXPECT_TRUE(form["imgPointer"].visible);
  EXPECT_EQ(form["lblF1HourSpent"].caption, "0 hr");
  EXPECT_TRUE(services.messages.empty());

  beginPeriod();
  tickUntil(at(2002, 4, 16, 9, 0, 6));
  EXPECT_TRUE(form.Recording);
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

TEST_F(TickTest, DayCountAbove99IsWrittenAs99) {
  beginPeriod();
  services.line = true;
  tickAt(at(2002, 4, 17, 22, 30, 0));
  // As if the connection had already lasted 99 days.
  form.DaysSpanned = 99;
  form.DayText = "16";
  tickUntil(at(2002, 4, 17, 22, 30, 1));
  EXPECT_EQ(form.DaysSpanned, 100);
  EXPECT_EQ(records()[2], "start: 9902/04/17 22:30:00");
}

TEST_F(TickTest, TwoConnectionsOf59MinutesCompleteNoHour) {
  beginPeriod();
  tickAt(at(2002, 4, 16, 9, 0, 0));
  const auto connect = [&](int hour, int minutes) {
    tickUntil(at(2002, 4, 16, hour - 1, 59, 59));
    services.line = true;
    tickUntil(addSeconds(at(2002, 4, 16, hour, 0, 0), 60LL * minutes));
    services.line = false;
    tickUntil(addSeconds(services.clock, 1));
  };
  connect(10, 59);
  connect(12, 59);
  EXPECT_EQ(form.HoursSpent, 0);
  connect(14, 60);
  EXPECT_EQ(form.HoursSpent, 1);
  EXPECT_EQ(form["lblF1HourSpent"].caption, "1 hr");
}

}  // namespace
}  // namespace tallix::testing
