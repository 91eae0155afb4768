#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "analysis/loader.h"
#include "analysis/log_image.h"
#include "form/sentences.h"
#include "log_fixture.h"
#include "store/fault.h"
#include "store/record_file.h"

namespace tallix::testing {
namespace {

std::string report(int number) {
  PendingError e;
  e.raise(number);
  return failureReport(kLoadingData, e);
}

struct Period {
  const char* record1;
  const char* record2;
  const char* from;
  const char* to;
  const char* created;
};

TEST_F(LogTest, PeriodAndCreationDates) {
  const Period cases[] = {
      // 15th to 14th, made on 10 and on 20 April 2002.
      {"From : 15_2002/03/10", "1_To : 14", "15 Mar 2002", "14 Apr 2002", "10 Apr 2002"},
      {"From : 15_2002/04/20", "1_To : 14", "15 Apr 2002", "14 May 2002", "20 Apr 2002"},
      // December into January; a file made in January keeps December in record 1.
      {"From : 15_2002/12/20", "0_To : 14", "15 Dec 2002", "14 Jan 2003", "20 Dec 2002"},
      {"From : 15_2002/12/05", "1_To : 14", "15 Dec 2002", "14 Jan 2003", "05 Jan 2003"},
      // 1st to 31st; a day the month lacks is shown as stored.
      {"From : 01_2002/04/01", "0_To : 31", "01 Apr 2002", "2002/04/31", "01 Apr 2002"},
      {"From : 01_2002/12/01", "0_To : 31", "01 Dec 2002", "31 Dec 2002", "01 Dec 2002"},
      {"From : 01_2002/02/03", "1_To : 30", "01 Feb 2002", "2002/02/30", "03 Feb 2002"},
  };
  for (const auto& c : cases) {
    writeAndSelect({c.record1, c.record2});  // headers only
    load();
    EXPECT_EQ(label("lblF2From"), std::string(kFromLabel) + c.from) << c.record1;
    EXPECT_EQ(label("lblF2To"), std::string(kToLabel) + c.to) << c.record1;
    EXPECT_EQ(label("lblCreated"), std::string(kCreatedFilled) + c.created) << c.record1;
    EXPECT_EQ(label("lblFirstR"), kFirstRecordLabel) << "no record 3";
    EXPECT_EQ(label("lblLastR"), kLastRecordLabel);
    EXPECT_EQ(label("lblUseTime"), kTotalTimeBare);
    EXPECT_TRUE(abandoned().empty());
    EXPECT_TRUE(services.messages.empty()) << services.messages.front();
  }
}

TEST(PeriodEnd, FollowsTheStart) {
  struct Case {
    const char* start;
    const char* record2;
    const char* end;
    int error;
  };
  const Case cases[] = {
      {"2002/03/15", "1_To : 14", "2002/04/14", 0},
      {"2002/12/15", "0_To : 14", "2003/01/14", 0},
      {"2002/04/01", "0_To : 31", "2002/04/31", 0},
      {"2002/12/01", "0_To : 31", "2002/12/31", 0},
      {"2002/09/15", "1_To : 14", "2002/10/14", 0},
      {"2002/ab/15", "1_To : 14", "2002/ab/15", kTypeMismatch},  // the start stays
  };
  FakeServices services;
  MainForm form(services, "/nowhere/");
  for (const auto& c : cases) {
    PendingError error;
    form.PeriodDateText = c.start;
    GetPeriodEnd(form, padRecord(c.record2), error);
    EXPECT_EQ(form.PeriodDateText, c.end) << c.start;
    EXPECT_EQ(error.number, c.error) << c.start;
  }
  GetPeriodStart(form, padRecord("From : 15_2002/03/10"));
  EXPECT_EQ(form.PeriodDateText, "2002/03/15");
}

TEST_F(LogTest, OnePairShowsBothStamps) {
  writeAndSelect(withHeaders({"start: 0002/04/16 09:12:40", "_end : 2002/04/16 13:01:02"}));
  load();
  EXPECT_EQ(label("lblFirstR"), "first record : 16 Apr 2002 - 09:12:40 AM");
  EXPECT_EQ(label("lblLastR"), " last record : 16 Apr 2002 - 01:01:02 PM");
  EXPECT_EQ(label("lblUseTime"), "Total time =  3 : 48 : 22");
}

// Whatever refuses a file, nothing of an earlier load may stay on show.
TEST_F(LogTest, RefusedFilesShowNothing) {
  struct Case {
    const char* what;
    std::vector<std::string> records;  // empty: the file is not there
    int listIndex;
    std::vector<std::string> messages;
  };
  const std::vector<Case> cases = {
      {"no entry selected", {"From : 15_2002/04/15"}, -1, {}},
      {"selection past the list", {"From : 15_2002/04/15"}, 5, {}},
      {"file vanished", {}, 1, {"1.log, file not found"}},
      {"small from", {"from : 15_2002/04/15", "1_To : 14"}, 1, {"1.log, wrong format"}},
      {"empty file", {}, 1, {"1.log, wrong format"}},
      {"2_To", {"From : 15_2002/04/15", "2_To : 14", startAt("09:00:00"), endAt("09:30:00")}, 1,
       {"1.log, wrong format"}},
      {"header cut short", {"From : 15_2002/04/15"}, 1, {"1.log, wrong format"}},
      // A start day that is no number is dropped with the refusal.
      {"bad day, bad end", {"From : x5_2002/04/15", "1_to : 14"}, 1, {"1.log, wrong format"}},
  };
  for (const auto& c : cases) {
    writeAndSelect(withHeaders({startAt("09:00:00"), endAt("10:00:00"), "bad", "bad"}), "2.log");
    form["File1"].listIndex = 0;
    load();
    ASSERT_EQ(label("lblUseTime"), "Total time =  1 : 0 : 0");

    services.messages.clear();
    std::filesystem::remove(dir.file("1.log"));
    if (!c.records.empty()) writeLog(dir.file("1.log"), c.records);
    if (std::string(c.what) == "empty file") std::ofstream(dir.file("1.log")).close();
    form["File1"].items = {"2.log", "1.log"};
    form["File1"].listIndex = c.listIndex;
    load();
    SCOPED_TRACE(c.what);
    expectBare();
    EXPECT_EQ(services.messages, c.messages);
  }
}

TEST_F(LogTest, AFailedReadShowsNothingOfAnEarlierLoad) {
  writeAndSelect(withHeaders({startAt("09:00:00"), endAt("10:00:00")}));
  load();
  ASSERT_EQ(label("lblUseTime"), "Total time =  1 : 0 : 0");
  setFaultAt(1);
  load();
  setFaultAt(0);
  expectBare();
  EXPECT_EQ(services.messages, std::vector<std::string>{report(kDeviceIoError)});
}

TEST_F(LogTest, RecordCountMustFitSixteenBits) {
  // 32767 records and a part record of 14 bytes still count as 32767; of 15
  // bytes they round up to 32768, which overflows: no last record, no pairs.
  std::string body = padRecord("From : 15_2002/04/15") + padRecord("1_To : 14");
  for (int i = 3; i <= 32767; ++i) body += padRecord(i % 2 == 1 ? startAt("09:00:00") : endAt("09:00:01"));
  struct Case {
    size_t tail;
    const char* last;
    const char* total;  // 16382 pairs of one second each, when they are read
    std::vector<std::string> messages;
  };
  const Case cases[] = {
      {0, " last record : 16 Apr 2002 - 09:00:00 AM", "Total time =  4 : 33 : 2", {}},
      {14, " last record : 16 Apr 2002 - 09:00:00 AM", "Total time =  4 : 33 : 2", {}},
      {15, " last record : ", "Total time : ", {report(kOverflow)}},
      {29, " last record : ", "Total time : ", {report(kOverflow)}},
  };
  for (const auto& c : cases) {
    services.messages.clear();
    std::ofstream(dir.file("big.log"), std::ios::binary) << body << std::string(c.tail, 'x');
    select("big.log");
    load();
    EXPECT_EQ(label("lblFirstR"), "first record : 16 Apr 2002 - 09:00:00 AM") << c.tail;
    EXPECT_EQ(label("lblLastR"), c.last) << c.tail;
    EXPECT_EQ(label("lblUseTime"), c.total) << c.tail;
    EXPECT_EQ(services.messages, c.messages) << c.tail;
  }
}

TEST_F(LogTest, NumbersThatAreNotNumbersAreReported) {
  // A creation day that is not a number: the date is shown as stored and the
  // failure is reported once the load is done.
  writeAndSelect({"From : 15_2002/03/1x", "1_To : 14", startAt("09:00:00"), endAt("09:00:30")});
  load();
  EXPECT_EQ(label("lblCreated"), std::string(kCreatedFilled) + "2002/03/1x");
  EXPECT_EQ(label("lblUseTime"), "Total time =  0 : 0 : 30");
  EXPECT_EQ(services.messages, std::vector<std::string>{report(kTypeMismatch)});
}

// Records taken from memory must be exactly what reading them one by one
// from the disk gives, part records and records past the end included.
TEST(LogImageTest, MatchesRecordByRecordReading) {
  TempDir dir;
  std::string bytes;
  for (int i = 0; i < 5 * 29; ++i) bytes += static_cast<char>('!' + i % 90);
  for (size_t length : {0, 1, 14, 15, 28, 29, 43, 44, 58, 72, 73, 87, 101, 102, 145}) {
    const std::string path = dir.file("x.log");
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes.substr(0, length);
    LogImage image;
    PendingError error;
    ASSERT_TRUE(image.load(path, error));
    PendingError diskError;
    RecordFile disk(path, kRecordLength, diskError);
    EXPECT_EQ(image.count(), disk.count()) << length;
    for (long n = 1; n <= disk.count() + 1; ++n) {
      std::string fromDisk;
      ASSERT_TRUE(disk.read(n, fromDisk));
      EXPECT_EQ(image.record(n), fromDisk) << length << " record " << n;
    }
    disk.close();
  }
}

TEST(LogImageTest, KeepsOnlyTheHeadOfAnOverlongFile) {
  TempDir dir;
  const std::string path = dir.file("x.log");
  std::ofstream(path, std::ios::binary) << std::string(200, 'a');
  LogImage image;
  PendingError error;
  ASSERT_TRUE(image.load(path, error, 100));
  EXPECT_EQ(image.length(), 200);
  EXPECT_EQ(image.count(), 7);
  EXPECT_EQ(image.bytes().size(), 100u);
  EXPECT_EQ(image.record(4), std::string(13, 'a') + std::string(16, ' '));

  EXPECT_FALSE(image.load(dir.file("missing.log"), error));
  EXPECT_EQ(error.number, kFileNotFound);
}

}  // namespace
}  // namespace tallix::testing
