#include "analysis/forecast.h"

#include <gtest/gtest.h>

#include <limits>

#include "analysis/cost.h"

namespace tallix {
namespace {

constexpr long long kH = 3600;

TEST(Forecast, PaceAndAllowanceOverPeriodsOf28To31Days) {
  const struct {
    const char* what;
    const char *from, *to;
    DateTime now;
    long long used;
    int budget;
    std::optional<long long> forecast, allowance;
  } cases[] = {
      {"the first day: no forecast yet, the whole period left", "2026/12/01", "2026/12/31", {2026, 12, 1, 23, 0, 0},
       2 * kH, 64, std::nullopt, 2 * kH},
      {"a day passed", "2026/12/01", "2026/12/31", {2026, 12, 2, 0, 0, 0}, 2 * kH, 0, 62 * kH, std::nullopt},
      {"mid-period, 10 of 31 days", "2026/12/01", "2026/12/31", {2026, 12, 11, 0, 0, 0}, 10 * kH, 31, 31 * kH, kH},
      {"the last day: today alone is left", "2026/12/01", "2026/12/31", {2026, 12, 31, 12, 0, 0}, 49 * kH, 50,
       (49 * kH * 31 * 24) / (30 * 24 + 12), kH},
      {"over budget", "2026/12/01", "2026/12/31", {2026, 12, 11, 0, 0, 0}, 50 * kH, 50, 155 * kH, 0},
      {"28 days of February, half gone", "2026/02/01", "2026/02/28", {2026, 2, 15, 0, 0, 0}, 7 * kH, 21, 14 * kH,
       kH},
      {"29 days of a leap February", "2028/02/01", "2028/02/29", {2028, 2, 2, 0, 0, 0}, kH, 0, 29 * kH, std::nullopt},
      {"30 days across a month end", "2026/04/15", "2026/05/14", {2026, 4, 25, 0, 0, 0},
       10 * kH, 40, 30 * kH, kH * 30 / 20},
      {"after the period's end: the time as it stands", "2026/04/01", "2026/04/31", {2026, 5, 3, 0, 0, 0}, 9 * kH, 10,
       9 * kH, kH},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const auto period = periodDays(c.from, c.to);
    ASSERT_TRUE(period);
    const Outlook o = periodOutlook(c.used, *period, c.now, c.budget);
    EXPECT_EQ(o.forecastSeconds, c.forecast);
    EXPECT_EQ(o.allowanceSecondsPerDay, c.allowance);
    EXPECT_EQ(o.overBudget, c.allowance == 0);
  }
  // The dearest accepted tariff (unit 1 s, price 999999.9999): an amount whose
  // product with a period's seconds needs more than 64 bits is paced exactly,
  // and sums and paces beyond 63 bits stop at the most an amount holds.
  const auto december = periodDays("2026/12/01", "2026/12/31");
  const Outlook tenDays = periodOutlook(0, *december, {2026, 12, 11, 0, 0, 0}, 0);
  const std::int64_t tenHours = 36000LL * 99999999;  // cents
  EXPECT_EQ(atPace(tenHours, tenDays), tenHours / 10 * 31);
  EXPECT_EQ(atPace(kMostCents / 2, tenDays), kMostCents);
  EXPECT_EQ(addCents(kMostCents - 5, 10), kMostCents);
  EXPECT_EQ(addCents(5, 10), 15);
  const struct { std::int64_t cents; const char* text; } amounts[] = {
      {0, "0.00"}, {5, "0.05"}, {-5, "-0.05"}, {-123456, "-1234.56"}, {720, "7.20"},
      {std::numeric_limits<std::int64_t>::min(), "-92233720368547758.08"},
  };
  for (const auto& a : amounts) EXPECT_EQ(centsText(a.cents), a.text);
  EXPECT_EQ(moneyText(kMostCents, "EUR"), "at least 92233720368547758.07 EUR");
  EXPECT_FALSE(periodDays("2026/12/31", "2026/12/01"));
  EXPECT_FALSE(periodDays("2026/13/01", "2026/12/31"));
}

}  // namespace
}  // namespace tallix
