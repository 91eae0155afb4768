// The volume part of a price, against a meter that walks the period's bytes
// one by one and charges a unit whenever a charged byte finds none paid.
#include "analysis/volume_cost.h"

#include <gtest/gtest.h>

#include <limits>
#include <random>

#include "analysis/cost.h"

namespace tallix {
namespace {

Tariff volumeTariff(std::int64_t unitBytes, std::int64_t price, std::int64_t allowance) {
  return {.currency = "", .unitBytes = unitBytes, .volumePrice = price, .allowanceBytes = allowance};
}

std::uint64_t walkedUnits(const Tariff& t, std::uint64_t usedBefore, std::uint64_t bytes) {
  std::uint64_t units = 0;
  std::uint64_t paidLeft = 0;  // bytes of the current unit not yet used
  for (std::uint64_t b = usedBefore; b < usedBefore + bytes; ++b) {
    if (b < static_cast<std::uint64_t>(t.allowanceBytes)) continue;
    if (paidLeft == 0) {
      ++units;
      paidLeft = static_cast<std::uint64_t>(t.unitBytes);
    }
    --paidLeft;
  }
  return units;
}

TEST(VolumeCost, AgreesWithAUnitByUnitWalk) {
  std::mt19937_64 rng(29);
  // No bytes, all within the allowance, crossing it, whole units, units past the bytes.
  for (int i = 0; i < 2000; ++i) {
    const Tariff t = volumeTariff(1 + static_cast<std::int64_t>(rng() % (i % 10 ? 40 : 1200)),
                                  1 + static_cast<std::int64_t>(rng() % 999), static_cast<std::int64_t>(rng() % 300));
    const std::uint64_t before = rng() % 400;
    const std::uint64_t bytes = rng() % (i % 20 ? 500 : 2500);
    ASSERT_EQ(volumeUnits(t, before, bytes), walkedUnits(t, before, bytes));
    ASSERT_EQ(volumeAmount(t, before, bytes), static_cast<std::int64_t>(walkedUnits(t, before, bytes)) * t.volumePrice);
  }
}

TEST(VolumeCost, TimeOnlyWithoutVolumeAndNoWrapRound) {
  EXPECT_EQ(volumeAmount(Tariff{}, 0, 5'000'000'000), 0) << "no [Volume]: time only";
  constexpr std::uint64_t kTop = std::numeric_limits<std::uint64_t>::max();
  EXPECT_EQ(volumeUnits(volumeTariff(1, 1, 0), 0, kTop), kTop);
  EXPECT_EQ(volumeAmount(volumeTariff(1, kMostAmount, 0), 0, kTop), std::numeric_limits<std::int64_t>::max());
  EXPECT_EQ(volumeAmount(volumeTariff(1'000'000, 100, 1'000'000'000), 999'000'000, 3'500'000), 300);
  // Counts of a forged volume file stop at the largest, in a connection and in the period.
  PeriodVolumePricer forged(volumeTariff(1, 1, 0));
  EXPECT_EQ(forged.next(Volume{kTop, kTop}).cents, kMostCents);
  EXPECT_EQ(forged.next(Volume{kTop, 1}).cents, kMostCents);
}

}  // namespace
}  // namespace tallix
