#include "analysis/cost.h"

#include <gtest/gtest.h>

#include <random>

#include "analysis/pricer.h"
#include "store/text_forms.h"

namespace tallix {
namespace {

// 0.10 a call, 0.05 a minute, at least 0.20; off-peak 0.02 on Saturday,
// Sunday and 21:00-07:00.
Tariff plan() { return *parseTariff("[Tariff]\nper_call=0.10\nprice=0.05\nminimum=0.20\n"
                                    "[Off-peak]\ndays=Sat Sun\nhours=21:00-07:00\nprice=0.02").tariff; }

// One connection's cents, priced alone and as a log's connections are: the
// two ways must agree.
std::int64_t priced(const Tariff& t, const PairStart& start, long long seconds, bool partMinute) {
  const std::int64_t alone = connectionCents(t, start, seconds, partMinute);
  EXPECT_EQ(LogPricer(t).cents(start.counted(partMinute), start.dated, seconds), alone);
  return alone;
}

TEST(Cost, EachUnitAtTheRateWhenItBegins) {
  // 7 Dec 2026 is a Monday.
  const DateTime mon{2026, 12, 7, 12, 0, 0};
  const struct {
    const char* what;
    DateTime start;
    long long seconds;
    std::int64_t cents;
    std::int64_t unit = 60, minimum = 0;
    bool hours = true, partMinute = false, undated = false;
  } cases[] = {
      {"zero seconds: per_call alone, then the minimum", mon, 0, 20, 60, 2000},
      {"zero seconds without a minimum", mon, 0, 10},
      {"one unit", mon, 60, 15},
      {"a second into the next unit charges it whole", mon, 61, 20},
      {"ten units, above the minimum", mon, 600, 60, 60, 2000},
      {"a unit begun a second before off-peak is peak", {2026, 12, 7, 20, 59, 59}, 120, 17},
      {"on the hour it is off-peak", {2026, 12, 7, 21, 0, 0}, 120, 14},
      {"off-peak past midnight ends at 07:00", {2026, 12, 8, 6, 58, 0}, 180, 19},
      {"from Friday into a listed Saturday", {2026, 12, 4, 23, 59, 0}, 180, 19, 60, 0, false},
      {"from a listed Sunday into Monday", {2026, 12, 6, 23, 59, 0}, 120, 17, 60, 0, false},
      {"three days from Monday noon", mon, 3 * 86400, 10 + 5 * (3 * 14 * 60) + 2 * (3 * 10 * 60)},
      {"part-minute: units from the start's whole minute", {2026, 12, 7, 20, 59, 59}, 2, 20, 1, 0, true, true},
      {"without it from the start's second", {2026, 12, 7, 20, 59, 59}, 2, 17, 1, 0, true, false},
      {"no real date: the hours still apply, the days not", {2026, 12, 5, 12, 0, 0}, 60, 15, 60, 0, true, false,
       true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    Tariff t = plan();
    t.unit = c.unit;
    t.minimum = c.minimum;
    if (!c.hours) t.offPeakFrom = t.offPeakTo = 0;
    const PairStart start{c.undated ? toSerialSeconds(c.start) % 86400 : toSerialSeconds(c.start), !c.undated};
    EXPECT_EQ(priced(t, start, c.seconds, c.partMinute), c.cents);
  }
}

TEST(Cost, RoundsHalvesUpAndCountsLikeUnitByUnit) {
  for (const auto& [price, cents] : {std::pair{"0.0049", 0}, {"0.005", 1}, {"0.0149", 1}, {"0.015", 2}}) {
    const Tariff t = *parseTariff(std::string("[Tariff]\nprice=") + price).tariff;
    EXPECT_EQ(connectionCents(t, 0, true, 60), cents) << price;
  }
  // Any tariff and start: the counted off-peak units are those a walk unit by
  // unit finds (one listed day overlapping the hours counts once).
  std::mt19937 random(20021216);
  auto pick = [&random](long long most) { return std::uniform_int_distribution<long long>(0, most)(random); };
  for (int round = 0; round < 2000; ++round) {
    Tariff t;
    t.unit = 1 + pick(3) * pick(1200);
    t.price = 10000;
    t.offPeakPrice = 1;
    for (bool& day : t.offPeakDays) day = pick(3) == 0;
    t.offPeakFrom = pick(1440) * 60 % 86400;
    t.offPeakTo = pick(1440) * 60 % 86400;
    const long long start = toSerialSeconds({2026, 12, 1, 0, 0, 0}) + pick(14 * 86400);
    // Now and then over 48 days, past the reckoning for real connections.
    const bool lasting = round % 50 == 0;
    if (lasting) t.unit = 600 + pick(3000);
    const long long seconds = lasting ? 4'200'000 + pick(1'000'000)
                              : pick(2) == 0 ? pick(600) : pick(1) == 0 ? pick(7200) : pick(4 * 86400);
    long long walked = 0;
    for (long long at = start; at < start + seconds; at += t.unit) {
      const long long time = at % 86400;
      const bool hours = t.offPeakFrom < t.offPeakTo ? time >= t.offPeakFrom && time < t.offPeakTo
                                                     : time >= t.offPeakFrom || time < t.offPeakTo;
      walked += t.offPeakDays[static_cast<size_t>(at / 86400 % 7)] || (t.offPeakFrom != t.offPeakTo && hours)
                    ? 1 : 10000;
    }
    ASSERT_EQ(priced(t, {start, true}, seconds, false), (walked + 50) / 100) << round;
  }
}

}  // namespace
}  // namespace tallix
