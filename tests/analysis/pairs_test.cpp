#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "analysis/pairs.h"
#include "log_fixture.h"

namespace tallix::testing {
namespace {

using Strings = std::vector<std::string>;

// One pair, both settings of the part-minute box, with day counts 0 and 1.
TEST_F(LogTest, OnePairAddsItsDuration) {
  const struct {
    const char* start;
    const char* end;
    const char* exact;       // total with the part-minute box clear
    const char* partMinute;  // total with it set
  } cases[] = {
      {"10:05:10", "11:20:40", "1 : 15 : 30", "1 : 16 : 0"},
      {"23:50:40", "00:10:20", "0 : 19 : 40", "0 : 21 : 0"},
      {"10:59:50", "11:00:10", "0 : 0 : 20", "0 : 2 : 0"},
      {"10:50:00", "10:20:00", "23 : 30 : 0", "23 : 30 : 0"},
      {"10:05:50", "10:05:20", "0 : 0 : 0", "0 : 1 : 0"},
      {"10:05:30", "10:05:30", "0 : 0 : 0", "0 : 1 : 0"},
      // Seconds borrowed across a whole hour, and across midnight.
      {"10:05:50", "11:05:20", "0 : 59 : 30", "1 : 1 : 0"},
      {"10:05:50", "09:05:20", "22 : 59 : 30", "23 : 1 : 0"},
      // An end on the minute adds no part-minute.
      {"10:05:30", "10:07:00", "0 : 1 : 30", "0 : 2 : 0"},
      {"00:00:00", "23:59:59", "23 : 59 : 59", "24 : 0 : 0"},
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
  const struct {
    const char* start;
    const char* end;
    int days;
    const char* shown;  // lblUseTime after the load; "" when the pair overflows
  } cases[] = {
      {"10:00:00", "10:00:00", 5, "Total time =  120 : 30 : 0"},  // exactly 120 hours more
      {"10:00:00", "10:30:00", 22, "Total time =  529 : 0 : 0"},
      {"00:00:00", "23:00:00", 22, ""},  // 31680 + 1380 minutes
      {"10:00:00", "10:00:00", 23, ""},
      {"10:00:00", "10:00:00", 99, ""},
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
    if (overflows) {  // the totals agree with what is shown
      EXPECT_EQ(form.TotalHours, 0);
      EXPECT_EQ(form.TotalMinutes, 30);
    }
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

TEST_F(LogTest, LongLogsPairUpAllTheWay) {
  // Every pair lasts 1 min 1 s, so seconds and minutes carry from pair to
  // pair; in the 150-pair log the pair at records 241 and 242 is out of range
  // and must be the only one left out.
  for (int count : {98, 150}) {
    Strings pairs;
    for (int i = 0; i < count; ++i)
      pairs.insert(pairs.end(), {startAt("12:00:00"), endAt(count == 150 && i == 119 ? "12:01:61" : "12:01:01")});
    writeAndSelect(withHeaders(pairs));
    load();
    EXPECT_EQ(label("lblUseTime"), count == 98 ? "Total time =  1 : 39 : 38" : "Total time =  2 : 31 : 29");
    const Strings outOfRange = {"0002/04/16 12:00:00", "2002/04/16 12:01:61"};
    EXPECT_EQ(abandoned(), count == 98 ? Strings{} : outOfRange);
  }
}

}  // namespace
}  // namespace tallix::testing
