#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "analysis/loader.h"
#include "analysis/log_image.h"
#include "log_fixture.h"
#include "store/fault.h"
#include "store/record_file.h"

namespace tallix::testing {
namespace {

using Strings = std::vector<std::string>;

TEST_F(LogTest, PeriodAndCreationDates) {
  const struct { const char* record1; const char* record2; const char* shown; bool badNumber; } cases[] = {
      // 15th to 14th, made on 10 and on 20 April 2002.
      {"From : 15_2002/03/10", "1_To : 14", "15 Mar 2002|14 Apr 2002|10 Apr 2002", false},
      {"From : 15_2002/04/20", "1_To : 14", "15 Apr 2002|14 May 2002|20 Apr 2002", false},
      // December into January; a file made in January keeps December in record 1.
      {"From : 15_2002/12/20", "0_To : 14", "15 Dec 2002|14 Jan 2003|20 Dec 2002", false},
      {"From : 15_2002/12/05", "1_To : 14", "15 Dec 2002|14 Jan 2003|05 Jan 2003", false},
      // 1st to 31st; a day the month lacks is shown as stored.
      {"From : 01_2002/04/01", "0_To : 31", "01 Apr 2002|2002/04/31|01 Apr 2002", false},
      {"From : 15_2002/09/03", "1_To : 30", "15 Sep 2002|30 Sep 2002|03 Sep 2002", false},
      // Numbers that are no numbers are reported after the load: a creation
      // day is shown as stored; with no start month the end shows the start.
      {"From : 15_2002/03/1x", "1_To : 14", "15 Mar 2002|14 Apr 2002|2002/03/1x", true},
      {"From : 15_2002/ab/10", "1_To : 14", "2002/ab/15|2002/ab/15|2002/ab/10", true},
  };
  for (const auto& c : cases) {
    services.messages.clear();
    writeAndSelect({c.record1, c.record2, startAt("09:00:00"), endAt("09:00:30")});
    load();
    auto shown = [this](const char* name, std::string_view prefix) {
      return label(name).starts_with(prefix) ? label(name).substr(prefix.size()) : "?" + label(name);
    };
    EXPECT_EQ(shown("lblF2From", kFromLabel) + "|" + shown("lblF2To", kToLabel) + "|" +
                  shown("lblCreated", kCreatedFilled), c.shown);
    EXPECT_EQ(label("lblUseTime"), "Total time =  0 : 0 : 30");
    EXPECT_EQ(services.messages, c.badNumber ? Strings{loadReport(kTypeMismatch)} : Strings{});
  }
}

// Whatever refuses a file, nothing of an earlier load may stay on show.
TEST_F(LogTest, RefusedFilesShowNothing) {
  const struct {
    const char* what;
    std::optional<Strings> records;  // none: the file is not there
    int listIndex;
    Strings messages;
  } cases[] = {
      {"no entry selected", Strings{"From : 15_2002/04/15"}, -1, {}},
      {"selection past the list", Strings{"From : 15_2002/04/15"}, 5, {}},
      {"file vanished", std::nullopt, 1, {"1.log, file not found"}},
      {"small from", Strings{"from : 15_2002/04/15", "1_To : 14"}, 1, {"1.log, wrong format"}},
      {"empty file", Strings{}, 1, {"1.log, wrong format"}},
      {"2_To", Strings{"From : 15_2002/04/15", "2_To : 14", startAt("09:00:00"), endAt("09:30:00")}, 1,
       {"1.log, wrong format"}},
      // A start day that is no number is dropped with the refusal.
      {"bad day, bad end", Strings{"From : x5_2002/04/15", "1_to : 14"}, 1, {"1.log, wrong format"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    writeAndSelect(withHeaders({startAt("09:00:00"), endAt("10:00:00"), "bad", "bad"}), "2.log");
    form["File1"].listIndex = 0;
    load();
    ASSERT_EQ(label("lblUseTime"), "Total time =  1 : 0 : 0");

    services.messages.clear();
    std::filesystem::remove(dir.file("1.log"));
    if (c.records) writeLog(dir.file("1.log"), *c.records);
    form["File1"].items = {"2.log", "1.log"};
    form["File1"].listIndex = c.listIndex;
    load();
    expectBare();
    EXPECT_EQ(services.messages, c.messages);
  }

  // A read that fails shows nothing of the earlier load either.
  writeAndSelect(withHeaders({startAt("09:00:00"), endAt("10:00:00")}));
  setFaultAt(1);
  load();
  setFaultAt(0);
  expectBare();
  EXPECT_EQ(services.messages.back(), loadReport(kDeviceIoError));
}

TEST_F(LogTest, RecordCountMustFitSixteenBits) {
  // 32767 records and a part record of 14 bytes still count as 32767; of 15
  // bytes they round up to 32768, which overflows: no last record, no pairs.
  std::string body = padRecord("From : 15_2002/04/15") + padRecord("1_To : 14");
  for (int i = 3; i <= 32767; ++i) body += padRecord(i % 2 == 1 ? startAt("09:00:00") : endAt("09:00:01"));
  for (size_t tail : {14, 15}) {
    services.messages.clear();
    std::ofstream(dir.file("big.log"), std::ios::binary) << body << std::string(tail, 'x');
    select("big.log");
    load();
    const bool fits = tail == 14;
    EXPECT_EQ(label("lblFirstR"), "first record : 16 Apr 2002 - 09:00:00 AM") << tail;
    EXPECT_EQ(label("lblLastR"), fits ? " last record : 16 Apr 2002 - 09:00:00 AM" : " last record : ") << tail;
    // 16382 pairs of one second each, when they are read.
    EXPECT_EQ(label("lblUseTime"), fits ? "Total time =  4 : 33 : 2" : "Total time : ") << tail;
    EXPECT_EQ(services.messages, fits ? Strings{} : Strings{loadReport(kOverflow)}) << tail;
  }
}

// Memory stays bounded for a huge file: only its head is read, and the
// count still follows its length.
TEST(LogImageTest, ReadsOnlyTheHeadOfAnOverlongFile) {
  TempDir dir;
  std::ofstream(dir.file("x.log"), std::ios::binary | std::ios::trunc) << std::string(200, 'a');
  LogImage image;
  PendingError error;
  ASSERT_TRUE(image.load(dir.file("x.log"), error, 100));
  EXPECT_EQ(image.count(), 7);
  EXPECT_EQ(image.bytes().size(), 100u);
  EXPECT_EQ(image.record(4), std::string(13, 'a') + std::string(16, ' '));
  EXPECT_FALSE(image.load(dir.file("missing.log"), error));
  EXPECT_EQ(error.number, kFileNotFound);
}

}  // namespace
}  // namespace tallix::testing
