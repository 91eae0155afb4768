// The Calculation view's load of one log and its pair reader: dates, refusals,
// durations, day counts, bad pairs and the 16-bit limits.
#include <gtest/gtest.h>

#include <fstream>
#include <optional>
#include <random>
#include <string>
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

std::string startAt(const std::string& time, int days = 0) {
  return "start: " + std::string(days < 10 ? "0" : "") + std::to_string(days) + "02/04/16 " + time;
}
std::string endAt(const std::string& time) { return "_end : 2002/04/16 " + time; }

std::string loadReport(int number) {
  PendingError error;
  error.raise(number);
  return failureReport(kLoadingData, error);
}

// A folder with a log file to load, and what its load shows.
class LogTest : public ::testing::Test {
 protected:
  TempDir dir;
  LogLoad loaded;
  LoadLabels labels;

  void writeLog(const Strings& records, const std::string& name = "1.log") { testing::writeLog(dir.file(name), records); }
  void load(bool partMinute = false, const std::string& name = "1.log") {
    loaded = loadLog(dir.path(), name, {partMinute});
    labels = loadLabels(loaded);
  }
  static Strings withHeaders(const Strings& pairs) {
    Strings records = {"From : 15_2002/04/15", "1_To : 14"};
    records.insert(records.end(), pairs.begin(), pairs.end());
    return records;
  }
  const Strings& abandoned() const { return loaded.pairs.abandoned; }
  const Strings& messages() const { return loaded.messages; }
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
    writeLog({c.record1, c.record2, startAt("09:00:00"), endAt("09:00:30")});
    load();
    auto shown = [](const std::string& label, std::string_view prefix) {
      return label.starts_with(prefix) ? label.substr(prefix.size()) : "?" + label;
    };
    EXPECT_EQ(shown(labels.from, kFromLabel) + "|" + shown(labels.to, kToLabel) + "|" +
                  shown(labels.created, kCreatedFilled), c.shown);
    EXPECT_EQ(labels.useTime, "Total time =  0 : 0 : 30");
    EXPECT_EQ(messages(), c.badNumber ? Strings{loadReport(kTypeMismatch)} : Strings{});
  }
}

TEST_F(LogTest, RecordCountMustFitSixteenBits) {
  // 32767 records and a part record of 14 bytes still count as 32767; of 15
  // bytes they round up to 32768, which overflows: no last record, no pairs.
  std::string body = padRecord("From : 15_2002/04/15") + padRecord("1_To : 14");
  for (int i = 3; i <= 32767; ++i) body += padRecord(i % 2 == 1 ? startAt("09:00:00") : endAt("09:00:01"));
  for (size_t tail : {14, 15}) {
    std::ofstream(dir.file("big.log"), std::ios::binary) << body << std::string(tail, 'x');
    load(false, "big.log");
    const bool fits = tail == 14;
    EXPECT_EQ(labels.first, "first record : 16 Apr 2002 - 09:00:00 AM") << tail;
    EXPECT_EQ(labels.last, fits ? " last record : 16 Apr 2002 - 09:00:00 AM" : " last record : ") << tail;
    // 16382 pairs of one second each, when they are read.
    EXPECT_EQ(labels.useTime, fits ? "Total time =  4 : 33 : 2" : "Total time : ") << tail;
    EXPECT_EQ(messages(), fits ? Strings{} : Strings{loadReport(kOverflow)}) << tail;
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
        writeLog(withHeaders({startAt(c.start, days), endAt(c.end)}));
        load(partMinute);
        std::string expected = partMinute ? c.partMinute : c.exact;
        // A day count of 1 adds 24 hours on top.
        expected = std::to_string(std::stoi(expected) + 24 * days) + expected.substr(expected.find(' '));
        EXPECT_EQ(labels.useTime, std::string(kTotalTimeFilled) + expected)
            << c.start << " -> " << c.end << " days " << days << " part-minute " << partMinute;
        EXPECT_TRUE(abandoned().empty());
      }
    }
  }
  EXPECT_TRUE(messages().empty());
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
    // A good pair first, then the one under test, then one that must not be read after an overflow.
    writeLog(withHeaders({startAt("08:00:00"), endAt("08:30:00"), startAt(c.start, c.days), endAt(c.end),
                                "start : bad", "_end : bad"}));
    load();
    const bool overflows = *c.shown == '\0';
    EXPECT_EQ(labels.useTime, overflows ? "Total time =  0 : 30 : 0" : c.shown) << c.days;
    EXPECT_EQ(messages(), overflows ? Strings{loadReport(kOverflow)} : Strings{}) << c.days;
    EXPECT_EQ(abandoned().size(), overflows ? 0u : 2u) << c.days;
    // The totals agree with what is shown.
    EXPECT_TRUE(!overflows || loaded.pairs.total == (PairTotal{0, 30, 0})) << c.days;
  }
  // 62 pairs of 22 days make 32736 hours; the 63rd would pass 32767.
  Strings pairs;
  for (int i = 0; i < 63; ++i) pairs.insert(pairs.end(), {startAt("10:00:00", 22), endAt("10:00:00")});
  writeLog(withHeaders(pairs));
  load();
  EXPECT_EQ(labels.useTime, "Total time =  32736 : 0 : 0");
  EXPECT_EQ(messages(), Strings{loadReport(kOverflow)});
}

// The usual pairs are read in place and summed in seconds, every other pair
// step by step: a whole load must come to what its pairs make one at a time,
// up to the 16-bit limit of the hours.
TEST_F(LogTest, ALoadAddsUpAsItsPairsOneByOne) {
  const char* times[] = {"00:00:00", "00:00:59", "00:59:00", "00:59:59", "12:29:30", "12:30:29",
                         "12:30:30", "12:31:31", "13:30:30", "23:59:59", " 9:05:00", "24:00:00"};
  for (int days : {0, 1, 21}) {
    for (bool partMinute : {false, true}) {
      PairTotal alone;
      Strings listed;
      PendingError error;
      Strings records;
      for (const char* from : times) {
        for (const char* to : times) {
          std::string_view start = records.emplace_back(startAt(from, days));
          std::string_view end = records.emplace_back(endAt(to));
          if (error.pending()) continue;
          const PairOutcome outcome = AddConnectionTime(alone, start, end, {partMinute}, error);
          if (outcome == PairOutcome::WrongShape || outcome == PairOutcome::OutOfRange)
            listed.insert(listed.end(), {std::string(start), std::string(end)});
        }
      }
      writeLog(withHeaders(records));
      load(partMinute);
      EXPECT_EQ(loaded.pairs.total, alone) << days << " days, part-minute " << partMinute;
      EXPECT_EQ(abandoned(), listed) << days << " days, part-minute " << partMinute;
      EXPECT_EQ(messages().size(), days == 21 ? 1u : 0u);  // 144 pairs of 21 days pass 32767 hours
    }
  }
}

// parseUsualPair reads the usual pair with word-wide checks; the steps read
// every pair a field at a time. On random pairs, sound and damaged a byte
// here and there, whatever it takes as usual must be what the steps count.
TEST(ParseUsualPair, AgreesWithTheSteps) {
  std::mt19937 random(28);
  auto two = [](unsigned n) { return std::string(n < 10 ? "0" : "") + std::to_string(n); };
  auto time = [&] { return two(random() % 24) + ":" + two(random() % 60) + ":" + two(random() % 60); };
  const std::string damage = " 0123456789:-+x/";
  int usual = 0;
  for (int n = 0; n < 40000; ++n) {
    const int days = static_cast<int>(random() % 4 == 0 ? random() % 22 : 0);
    std::string start = padRecord("start: " + two(static_cast<unsigned>(days)) + "02/04/16 " + time());
    std::string end = padRecord("_end : 2002/04/16 " + time());
    const bool damaged = random() % 2 == 0;
    if (damaged) (random() % 2 ? start : end)[random() % 29] = damage[random() % damage.size()];
    for (bool partMinute : {false, true}) {
      const std::optional<UsualPair> pair = parseUsualPair(start.data(), end.data());
      PairTotal total;
      PendingError error;
      std::string_view startText = start;
      std::string_view endText = end;
      const PairOutcome outcome = AddConnectionTime(total, startText, endText, {partMinute}, error);
      SCOPED_TRACE(start + "|" + end);
      ASSERT_TRUE(pair || damaged) << "a sound pair is a usual one";
      if (!pair || pair->days >= 22) continue;  // from 22 days a pair may overflow alone
      ++usual;
      ASSERT_EQ(outcome, PairOutcome::Counted);
      ASSERT_EQ(pair->seconds(partMinute), total.inSeconds()) << "part-minute " << partMinute;
      ASSERT_EQ(pair->startTime(), std::stoi(start.substr(18, 2)) * 3600 + std::stoi(start.substr(21, 2)) * 60 +
                                       std::stoi(start.substr(24, 2)));
    }
  }
  EXPECT_GT(usual, 45000);  // the sound pairs and some damaged ones
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
    writeLog(withHeaders({goodStart, goodEnd, "  " + c.start, c.end, goodStart, goodEnd}));
    load();
    EXPECT_EQ(abandoned(), c.listed) << c.start << " / " << c.end;
    EXPECT_EQ(labels.useTime, "Total time =  0 : 20 : 0") << c.start << " / " << c.end;
  }
  EXPECT_TRUE(messages().empty());
}

TEST_F(LogTest, AnUnpairedLastStartIsIgnored) {
  const struct { Strings pairs; const char* total; const char* last; } cases[] = {
      {{startAt("09:00:00")}, "Total time : ", " last record : "},  // N = 3
      {{startAt("09:00:00"), endAt("09:01:00"), startAt("11:00:00")}, "Total time =  0 : 1 : 0",
       " last record : 16 Apr 2002 - 11:00:00 AM"},  // N = 5
  };
  for (const auto& c : cases) {
    writeLog(withHeaders(c.pairs));
    load();
    EXPECT_EQ(labels.useTime, c.total);
    EXPECT_EQ(labels.last, c.last);
    EXPECT_TRUE(abandoned().empty());
  }
}

}  // namespace
}  // namespace tallix::testing
