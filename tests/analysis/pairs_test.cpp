#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "analysis/pairs.h"
#include "form/sentences.h"
#include "log_fixture.h"
#include "store/pending_error.h"

namespace tallix::testing {
namespace {

const std::string kOverflowReport = failureReport(kLoadingData, [] {
  PendingError e;
  e.raise(kOverflow);
  return e;
}());

struct Duration {
  const char* start;
  const char* end;
  const char* exact;       // total with the part-minute box clear
  const char* partMinute;  // total with it set
};
void PrintTo(const Duration& d, std::ostream* os) { *os << d.start << " -> " << d.end; }

// One pair, both settings of the part-minute box, with day counts 0 and 1.
class DurationTest : public LogTest, public ::testing::WithParamInterface<Duration> {};

TEST_P(DurationTest, OnePairAddsItsDuration) {
  const Duration& d = GetParam();
  for (int days : {0, 1}) {
    for (bool partMinute : {false, true}) {
      writeAndSelect(withHeaders({startAt(d.start, days), endAt(d.end)}));
      load(partMinute);
      std::string expected = partMinute ? d.partMinute : d.exact;
      if (days == 1) {
        // A day count of 1 adds 24 hours on top.
        int hours = std::stoi(expected);
        expected = std::to_string(hours + 24) + expected.substr(expected.find(' '));
      }
      EXPECT_EQ(label("lblUseTime"), std::string(kTotalTimeFilled) + expected)
          << d.start << " -> " << d.end << " days " << days << " part-minute " << partMinute;
      EXPECT_TRUE(abandoned().empty());
      EXPECT_TRUE(services.messages.empty());
    }
  }
}

INSTANTIATE_TEST_SUITE_P(
    TimesOfDay, DurationTest,
    ::testing::Values(Duration{"10:05:10", "11:20:40", "1 : 15 : 30", "1 : 16 : 0"},
                      Duration{"23:50:40", "00:10:20", "0 : 19 : 40", "0 : 21 : 0"},
                      Duration{"10:59:50", "11:00:10", "0 : 0 : 20", "0 : 2 : 0"},
                      Duration{"10:50:00", "10:20:00", "23 : 30 : 0", "23 : 30 : 0"},
                      Duration{"10:05:50", "10:05:20", "0 : 0 : 0", "0 : 1 : 0"},
                      Duration{"10:05:30", "10:05:30", "0 : 0 : 0", "0 : 1 : 0"},
                      // Seconds borrowed across a whole hour, and across midnight.
                      Duration{"10:05:50", "11:05:20", "0 : 59 : 30", "1 : 1 : 0"},
                      Duration{"10:05:50", "09:05:20", "22 : 59 : 30", "23 : 1 : 0"},
                      // An end on the minute adds no part-minute.
                      Duration{"10:05:30", "10:07:00", "0 : 1 : 30", "0 : 2 : 0"},
                      Duration{"00:00:00", "23:59:59", "23 : 59 : 59", "24 : 0 : 0"}));

TEST_F(LogTest, SecondsAndMinutesCarryAcrossPairs) {
  // Three pairs of 40 min 40 s: 2 h 2 min 0 s, carried through both units.
  std::vector<std::string> pairs;
  for (int i = 0; i < 3; ++i) {
    pairs.push_back(startAt("10:00:00"));
    pairs.push_back(endAt("10:40:40"));
  }
  writeAndSelect(withHeaders(pairs));
  load();
  EXPECT_EQ(label("lblUseTime"), "Total time =  2 : 2 : 0");
  EXPECT_EQ(form.TotalHours, 2);
  EXPECT_EQ(form.TotalMinutes, 2);
  EXPECT_EQ(form.TotalSeconds, 0);
}

struct DayCount {
  const char* start;
  const char* end;
  const char* shown;  // lblUseTime after the load
  int days;
  bool overflows;
};

// The day step is worked in 16 bits: D * 24 * 60 minutes plus the pair's own.
TEST_F(LogTest, DayCountsAndTheirSixteenBitLimit) {
  const DayCount cases[] = {
      {"10:00:00", "10:00:00", "Total time =  120 : 30 : 0", 5, false},  // exactly 120 hours more
      {"10:00:00", "10:30:00", "Total time =  529 : 0 : 0", 22, false},
      {"00:00:00", "23:00:00", "Total time =  0 : 30 : 0", 22, true},  // 31680 + 1380 minutes
      {"10:00:00", "10:00:00", "Total time =  0 : 30 : 0", 23, true},
      {"10:00:00", "10:00:00", "Total time =  0 : 30 : 0", 99, true},
  };
  for (const auto& c : cases) {
    services.messages.clear();
    // A good pair first, then the one under test, then one that must not be read.
    writeAndSelect(withHeaders({startAt("08:00:00"), endAt("08:30:00"), startAt(c.start, c.days), endAt(c.end),
                                "start : bad", "_end : bad"}));
    load();
    EXPECT_EQ(label("lblUseTime"), c.shown) << c.days;
    if (c.overflows) {
      EXPECT_EQ(services.messages, std::vector<std::string>{kOverflowReport}) << c.days;
      EXPECT_TRUE(abandoned().empty()) << "pairs after an overflow are not read";
      // The totals agree with what is shown.
      EXPECT_EQ(form.TotalHours, 0);
      EXPECT_EQ(form.TotalMinutes, 30);
    } else {
      EXPECT_TRUE(services.messages.empty()) << c.days;
      EXPECT_EQ(abandoned().size(), 2u);
    }
  }
}

TEST_F(LogTest, TotalHoursOverflowAfterTheLastHourThatFits) {
  // 62 pairs of 22 days make 32736 hours; the 63rd would pass 32767.
  std::vector<std::string> pairs;
  for (int i = 0; i < 63; ++i) {
    pairs.push_back(startAt("10:00:00", 22));
    pairs.push_back(endAt("10:00:00"));
  }
  writeAndSelect(withHeaders(pairs));
  load();
  EXPECT_EQ(label("lblUseTime"), "Total time =  32736 : 0 : 0");
  EXPECT_EQ(services.messages, std::vector<std::string>{kOverflowReport});
}

struct BadPair {
  std::string start;
  std::string end;
  std::vector<std::string> listed;
};

TEST_F(LogTest, BadPairsAreListedAndNotCounted) {
  const std::string goodStart = startAt("09:00:00");
  const std::string goodEnd = endAt("09:10:00");
  const BadPair cases[] = {
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
      {"start: 0002/04/16 -1:00:00", goodEnd, {"0002/04/16 -1:00:00", "2002/04/16 09:10:00"}},
  };
  for (const auto& c : cases) {
    // Between two good pairs, each 10 minutes; blanks around the bad texts are trimmed.
    writeAndSelect(withHeaders({goodStart, goodEnd, "  " + c.start, c.end, goodStart, goodEnd}));
    load();
    EXPECT_EQ(abandoned(), c.listed) << c.start << " / " << c.end;
    EXPECT_EQ(label("lblUseTime"), "Total time =  0 : 20 : 0") << c.start << " / " << c.end;
    EXPECT_TRUE(services.messages.empty());
  }
}

TEST_F(LogTest, AnUnpairedLastStartIsIgnored) {
  struct Case {
    std::vector<std::string> pairs;
    const char* total;
    const char* last;
  };
  const Case cases[] = {
      {{startAt("09:00:00")}, "Total time : ", " last record : "},  // N = 3
      {{startAt("09:00:00"), endAt("09:01:00"), startAt("11:00:00")},
       "Total time =  0 : 1 : 0",
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

TEST_F(LogTest, LongLogsPairUpAllTheWay) {
  // Every pair lasts 1 min 1 s; in the 150-pair log the pair at records 241
  // and 242 is out of range and must be the only one left out.
  for (int count : {98, 150}) {
    std::vector<std::string> pairs;
    for (int i = 0; i < count; ++i) {
      pairs.push_back(startAt("12:00:00"));
      pairs.push_back(endAt(count == 150 && i == 119 ? "12:01:61" : "12:01:01"));
    }
    writeAndSelect(withHeaders(pairs));
    load();
    const int counted = count == 150 ? 149 : 98;
    const int seconds = counted * 61;
    EXPECT_EQ(label("lblUseTime"), useTimeText(static_cast<std::int16_t>(seconds / 3600),
                                               static_cast<std::int16_t>(seconds / 60 % 60),
                                               static_cast<std::int16_t>(seconds % 60)));
    if (count == 150) {
      EXPECT_EQ(abandoned(), (std::vector<std::string>{"0002/04/16 12:00:00", "2002/04/16 12:01:61"}));
    } else {
      EXPECT_TRUE(abandoned().empty());
    }
  }
}

}  // namespace
}  // namespace tallix::testing
