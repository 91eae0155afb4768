// The Calculation view's load of one log and its pair reader: dates, refusals,
// durations, day counts, bad pairs and the 16-bit limits.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include "analysis/loader.h"
#include "analysis/log_image.h"
#include "form/sentences.h"
#include "store/record_file.h"
#include "support/fake_services.h"
#include "support/fault_counter.h"

namespace tallix::testing {
namespace {

using Strings = std::vector<std::string>;

// "start: " + day count + "02/04/16 " + time of day.
std::string startAt(const std::string& time, int days = 0) {
  return "start: " + std::string(days < 10 ? "0" : "") + std::to_string(days) + "02/04/16 " + time;
}
// "_end : 2002/04/16 " + time of day.
std::string endAt(const std::string& time) { return "_end : 2002/04/16 " + time; }

// The failure report of a load that met error `number`.
std::string loadReport(int number) {
  PendingError error;
  error.raise(number);
  return failureReport(kLoadingData, error);
}

// A program folder with a log file to load and the main window's form model on it.
class LogTest : public ::testing::Test {
 protected:
  FakeServices services;
  TempDir dir;
  MainForm form{services, dir.path()};

  // Writes `name` from its record texts and selects it in File1.
  void writeAndSelect(const Strings& records, const std::string& name = "1.log") {
    writeLog(dir.file(name), records);
    select(name);
  }
  void select(const std::string& name) {
    form["File1"].items = {"2.log", name};
    form["File1"].listIndex = 1;
  }
  // Loads with the part-minute box set or clear.
  void load(bool partMinute = false) {
    form["chkToBeMin"].value = partMinute ? 1 : 0;
    cmdLoad_Click(form);
  }
  static Strings withHeaders(const Strings& pairs) {
    Strings records = {"From : 15_2002/04/15", "1_To : 14"};
    records.insert(records.end(), pairs.begin(), pairs.end());
    return records;
  }
  const std::string& label(const char* name) { return form[name].caption; }
  const Strings& abandoned() { return form["List1"].items; }
};

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
  // No records: the file is not there; `fault`: the file operation of the load that fails.
  const struct { const char* what; std::optional<Strings> records; int listIndex; Strings messages; long fault = 0; }
      cases[] = {
      {"no entry selected", Strings{"From : 15_2002/04/15"}, -1, {}},
      {"selection past the list", Strings{"From : 15_2002/04/15"}, 5, {}},
      {"file vanished", std::nullopt, 1, {"1.log, file not found"}},
      {"small from", Strings{"from : 15_2002/04/15", "1_To : 14"}, 1, {"1.log, wrong format"}},
      {"empty file", Strings{}, 1, {"1.log, wrong format"}},
      {"2_To", Strings{"From : 15_2002/04/15", "2_To : 14", startAt("09:00:00"), endAt("09:30:00")}, 1,
       {"1.log, wrong format"}},
      // A start day that is no number is dropped with the refusal.
      {"bad day, bad end", Strings{"From : x5_2002/04/15", "1_to : 14"}, 1, {"1.log, wrong format"}},
      {"a read that fails", withHeaders({startAt("09:00:00"), endAt("10:00:00")}), 1, {loadReport(kDeviceIoError)}, 1},
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
    setFaultAt(c.fault);
    load();
    setFaultAt(0);
    // Every label bare, nothing listed, the totals 0.
    const std::pair<const char*, std::string_view> bare[] = {
        {"lblF2From", kFromLabel},        {"lblF2To", kToLabel},           {"lblCreated", kCreatedBare},
        {"lblFirstR", kFirstRecordLabel}, {"lblLastR", kLastRecordLabel}, {"lblUseTime", kTotalTimeBare}};
    for (const auto& [name, text] : bare) EXPECT_EQ(label(name), text) << name;
    EXPECT_TRUE(abandoned().empty());
    EXPECT_EQ(form.TotalHours + form.TotalMinutes + form.TotalSeconds, 0);
    EXPECT_EQ(services.messages, c.messages);
  }
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

// The whole-day rule: an end in the start's minute with fewer seconds, or the
// same, counts whole days only. Plain durations, borrows and part minutes are
// checked by the month simulation against its own account.
TEST_F(LogTest, OnePairAddsItsDuration) {
  const struct { const char* start; const char* end; const char* exact; const char* partMinute; } cases[] = {
      {"10:05:50", "10:05:20", "0 : 0 : 0", "0 : 1 : 0"},
      {"10:05:30", "10:05:30", "0 : 0 : 0", "0 : 1 : 0"},
      {"10:05:50", "11:05:20", "0 : 59 : 30", "1 : 1 : 0"},  // but a whole hour later, seconds are borrowed
  };
  for (const auto& c : cases) {
    for (int days : {0, 1}) {
      for (bool partMinute : {false, true}) {
        writeAndSelect(withHeaders({startAt(c.start, days), endAt(c.end)}));
        load(partMinute);
        std::string expected = partMinute ? c.partMinute : c.exact;
        // A day count of 1 adds 24 hours on top.
        expected = std::to_string(std::stoi(expected) + 24 * days) + expected.substr(expected.find(' '));
        EXPECT_EQ(label("lblUseTime"), std::string(kTotalTimeFilled) + expected)
            << c.start << " -> " << c.end << " days " << days << " part-minute " << partMinute;
        EXPECT_TRUE(abandoned().empty());
      }
    }
  }
  EXPECT_TRUE(services.messages.empty());
}

// The day step is worked in 16 bits: D * 24 * 60 minutes plus the pair's own.
TEST_F(LogTest, DayCountsAndTheirSixteenBitLimit) {
  const struct { const char* start; const char* end; int days; const char* shown; } cases[] = {
      {"10:00:00", "10:00:00", 5, "Total time =  120 : 30 : 0"},  // exactly 120 hours more
      {"10:00:00", "10:30:00", 22, "Total time =  529 : 0 : 0"},
      {"00:00:00", "23:00:00", 22, ""},  // 31680 + 1380 minutes: the pair overflows
      {"10:00:00", "10:00:00", 23, ""},
  };
  for (const auto& c : cases) {
    services.messages.clear();
    // A good pair first, then the one under test, then one that must not be read after an overflow.
    writeAndSelect(withHeaders({startAt("08:00:00"), endAt("08:30:00"), startAt(c.start, c.days), endAt(c.end),
                                "start : bad", "_end : bad"}));
    load();
    const bool overflows = *c.shown == '\0';
    EXPECT_EQ(label("lblUseTime"), overflows ? "Total time =  0 : 30 : 0" : c.shown) << c.days;
    EXPECT_EQ(services.messages, overflows ? Strings{loadReport(kOverflow)} : Strings{}) << c.days;
    EXPECT_EQ(abandoned().size(), overflows ? 0u : 2u) << c.days;
    // The totals agree with what is shown.
    EXPECT_TRUE(!overflows || (form.TotalHours == 0 && form.TotalMinutes == 30)) << c.days;
  }
  // 62 pairs of 22 days make 32736 hours; the 63rd would pass 32767.
  Strings pairs;
  for (int i = 0; i < 63; ++i) pairs.insert(pairs.end(), {startAt("10:00:00", 22), endAt("10:00:00")});
  services.messages.clear();
  writeAndSelect(withHeaders(pairs));
  load();
  EXPECT_EQ(label("lblUseTime"), "Total time =  32736 : 0 : 0");
  EXPECT_EQ(services.messages, Strings{loadReport(kOverflow)});
}

// The usual pairs are read in place and summed in seconds, every other pair
// step by step: a whole load must come to what its pairs make one at a time,
// up to the 16-bit limit of the hours.
TEST_F(LogTest, ALoadAddsUpAsItsPairsOneByOne) {
  const char* times[] = {"00:00:00", "00:00:59", "00:59:00", "00:59:59", "12:29:30", "12:30:29",
                         "12:30:30", "12:31:31", "13:30:30", "23:59:59", " 9:05:00", "24:00:00"};
  for (int days : {0, 1, 21}) {
    for (bool partMinute : {false, true}) {
      MainForm alone{services, dir.path()};
      alone["chkToBeMin"].value = partMinute ? 1 : 0;
      PendingError error;
      Strings records;
      for (const char* from : times) {
        for (const char* to : times) {
          std::string start = startAt(from, days);
          std::string end = endAt(to);
          records.insert(records.end(), {start, end});
          if (error.number == 0) AddConnectionTime(alone, start, end, error);
        }
      }
      writeAndSelect(withHeaders(records));
      load(partMinute);
      const auto total = [](const MainForm& f) { return std::tuple(f.TotalHours, f.TotalMinutes, f.TotalSeconds); };
      EXPECT_EQ(total(form), total(alone)) << days << " days, part-minute " << partMinute;
      EXPECT_EQ(abandoned(), alone["List1"].items) << days << " days, part-minute " << partMinute;
      EXPECT_EQ(services.messages.size(), days == 21 ? 1u : 0u);  // 144 pairs of 21 days pass 32767 hours
      services.messages.clear();
    }
  }
}

TEST_F(LogTest, BadPairsAreListedAndNotCounted) {
  const std::string goodStart = startAt("09:00:00");
  const std::string goodEnd = endAt("09:10:00");
  const struct { std::string start, end; Strings listed; } cases[] = {
      // Shape: blank before the start's colon, none before the end's, a 27-character text, swapped roles.
      {"start : 0002/04/16 09:12:40", goodEnd, {"start : 0002/04/16 09:12:40", goodEnd}},
      {goodStart, "_end: 2002/04/16 10:01:02", {goodStart, "_end: 2002/04/16 10:01:02"}},
      {"start: 0002/04/16 09:12:401", goodEnd, {"start: 0002/04/16 09:12:401", goodEnd}},
      {goodEnd, goodStart, {goodEnd, goodStart}},
      {"", "", {"", ""}},
      // Range: listed as the last 19 characters of each text.
      {goodStart, "_end : 2002/04/29 24:00:00", {"0002/04/16 09:00:00", "2002/04/29 24:00:00"}},
      {goodStart, "_end : 2002/04/29 23:60:00", {"0002/04/16 09:00:00", "2002/04/29 23:60:00"}},
      {"start: 0002/04/16 09:00:60", goodEnd, {"0002/04/16 09:00:60", "2002/04/16 09:10:00"}},
      // A day count that is not two digits: a sign or a blank would count negative or shifted days.
      {"start: -502/04/16 09:12:40", "_end : 2002/04/16 10:01:40", {"-502/04/16 09:12:40", "2002/04/16 10:01:40"}},
      {"start:  502/04/16 09:00:00", goodEnd, {" 502/04/16 09:00:00", "2002/04/16 09:10:00"}},
      {"start: +102/04/16 09:00:00", goodEnd, {"+102/04/16 09:00:00", "2002/04/16 09:10:00"}},
      {"start: 5 02/04/16 09:00:00", goodEnd, {"5 02/04/16 09:00:00", "2002/04/16 09:10:00"}},
  };
  for (const auto& c : cases) {
    // Between two good pairs, each 10 minutes; blanks around the bad texts are trimmed.
    writeAndSelect(withHeaders({goodStart, goodEnd, "  " + c.start, c.end, goodStart, goodEnd}));
    load();
    EXPECT_EQ(abandoned(), c.listed) << c.start << " / " << c.end;
    EXPECT_EQ(label("lblUseTime"), "Total time =  0 : 20 : 0") << c.start << " / " << c.end;
  }
  EXPECT_TRUE(services.messages.empty());
}

TEST_F(LogTest, AnUnpairedLastStartIsIgnored) {
  const struct { Strings pairs; const char* total; const char* last; } cases[] = {
      {{startAt("09:00:00")}, "Total time : ", " last record : "},  // N = 3
      {{startAt("09:00:00"), endAt("09:01:00"), startAt("11:00:00")}, "Total time =  0 : 1 : 0",
       " last record : 16 Apr 2002 - 11:00:00 AM"},  // N = 5
  };
  for (const auto& c : cases) {
    writeAndSelect(withHeaders(c.pairs));
    load();
    EXPECT_EQ(label("lblUseTime"), c.total);
    EXPECT_EQ(label("lblLastR"), c.last);
    EXPECT_TRUE(abandoned().empty());
  }
}

}  // namespace
}  // namespace tallix::testing
