// Pricing under a tariff: each charged unit at the rate in force when it
// begins, per_call on top, the minimum below, rounded to cents. Money stays
// in whole numbers throughout.
#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

#include "store/date_time.h"
#include "store/tariff_file.h"

namespace tallix {

// What a log's connections cost.
struct LogCost {
  // One per connection: its time part and, under a tariff that prices
  // volume, its volume part (each rounded to cents).
  std::vector<std::int64_t> cents;
  std::int64_t totalCents = 0;  // the sum of the rounded costs
  // Under a tariff that prices volume, one per connection: its volume part
  // is not known in full, so its cost is the least it can be. Empty under
  // a tariff of time alone.
  std::vector<bool> atLeast;
  bool totalAtLeast = false;  // some connection's cost is the least it can be

  bool costAtLeast(size_t i) const { return i < atLeast.size() && atLeast[i]; }
};

// The off-peak stretches of one week from Monday 00:00 (the calendar's day
// 0 is a Monday) in seconds, in order and merged, so that a listed day and
// the hours never count a unit twice. At most two a day.
struct OffPeakWeek {
  std::array<std::pair<long long, long long>, 14> parts{};
  size_t count = 0;
  // For each day of the week the first stretch that ends after its start:
  // a connection's stretches are looked for from there.
  std::array<size_t, 7> firstOfDay{};
};

// Prices connections under one tariff, its off-peak week worked out once.
class Pricer {
 public:
  static constexpr long long kWeek = 7 * kDay;

  explicit Pricer(const Tariff& t);

  // Cents, halves away from zero, of a connection of `seconds` beginning at
  // `start` (serial seconds, toSerialSeconds). Without a known date
  // (`dayKnown` false) `start` is only a time of day and the off-peak days
  // do not apply.
  std::int64_t cents(long long start, bool dayKnown, long long seconds) const {
    const long long n = units(seconds);
    return centsOf(n, offPeakUnits(week(dayKnown), weekOffset(start), n));
  }

  // The tariff's unit in seconds.
  long long unit() const { return unit_; }
  // The off-peak stretches of the week with the dates known or not.
  const OffPeakWeek& week(bool dayKnown) const { return dayKnown ? dated_ : undated_; }

  // Units begun in `seconds`.
  long long units(long long seconds) const {
    // Seconds below 0 make n larger than any real one.
    const std::uint64_t n = static_cast<std::uint64_t>(seconds) + static_cast<std::uint64_t>(unit_) - 1;
    if (n < kQuickDivided) [[likely]] {
      // n / unit as n * unitInverse_ / 2^42: exact for any n below 2^22
      // and unit below 2^20, and a multiplication instead of a division.
      return static_cast<long long>(n * unitInverse_ >> 42);
    }
    if (seconds <= 0) return 0;
    return seconds / unit_ + (seconds % unit_ > 0 ? 1 : 0);
  }

  // `units` units, `cheap` of them off-peak, with per_call and the minimum, in cents.
  std::int64_t centsOf(long long units, long long cheap) const {
    const std::int64_t cost = std::max<std::int64_t>(perCall_ + cheap * offPeakPrice_ + (units - cheap) * price_, minimum_);
    // Never negative, so halves go up, away from zero.
    return static_cast<std::int64_t>(static_cast<std::uint64_t>(cost + 50) / 100);
  }

  // Where in its week a moment lies: 0 to a week.
  static long long weekOffset(long long start) {
    return start - (start / kWeek - (start % kWeek < 0 ? 1 : 0)) * kWeek;
  }

  // How many of the `units` unit starts offset + k * unit fall off-peak.
  long long offPeakUnits(const OffPeakWeek& week, long long offset, long long units) const;

 private:
  static constexpr std::uint64_t kQuickDivided = 1U << 22;

  // The tariff's amounts, in ten-thousandths, and its unit.
  std::int64_t perCall_;
  std::int64_t price_;
  std::int64_t offPeakPrice_;
  std::int64_t minimum_;
  long long unit_;
  // 2^42 / unit rounded up.
  std::uint64_t unitInverse_ = 0;
  OffPeakWeek dated_;
  OffPeakWeek undated_;
};

// Prices the connections of a log. Nearly every connection lies within one
// stretch of one rate, or runs on into the next and ends there; where each
// stretch and the one after it end is kept for every stretch of every day
// of the week (a day has at most three), so a look-up in a small table
// tells so, where walking the stretches takes branches that random starts
// make hard to guess.
class LogPricer {
 public:
  // A stretch of one rate: where it ends and where the stretch after it
  // ends, in seconds from the start of the day it was looked up on
  // (kNoChange when the rate never changes).
  struct Stretch {
    long long end = 0;
    long long offPeak = 0;
    long long nextEnd = 0;
  };
  // One day of the week: where in it the rate changes (past the day's end
  // when it changes less often) and its stretches from midnight and from
  // each change.
  struct DayRates {
    std::array<long long, 2> changes{};
    std::array<Stretch, 3> stretches{};
  };

  explicit LogPricer(const Tariff& t);

  // The same as Pricer::cents.
  std::int64_t cents(long long start, bool dayKnown, long long seconds) const {
    if (!dayKnown) return pricer_.cents(start, false, seconds);  // a rare start
    const long long offset = Pricer::weekOffset(start);
    return centsOnDay(rates(offset / kDay), offset / kDay, offset % kDay, seconds);
  }

  // One day of the week's rates (0 Monday), looked up once for the starts
  // of one date.
  const DayRates& rates(long long weekday) const { return days_[static_cast<size_t>(weekday)]; }
  // The same as cents() for a start `at` seconds into a day of the week.
  std::int64_t centsOnDay(const DayRates& day, long long weekday, long long at, long long seconds) const {
    const long long n = pricer_.units(seconds);
    const Stretch& stretch =
        day.stretches[static_cast<size_t>((at >= day.changes[0] ? 1 : 0) + (at >= day.changes[1] ? 1 : 0))];
    // Ending within the stretch, its last unit begins there too.
    if (seconds <= stretch.end - at && n < kPriced) [[likely]]
      return priced_[static_cast<size_t>(n * 2 + stretch.offPeak)];
    return centsAcross(weekday, at, n, stretch);
  }

 private:
  static constexpr long long kNoChange = 1LL << 40;

  Pricer pricer_;  // the general rule, which the tables below shorten
  // A dated connection of many units, or one that its stretch does not hold.
  std::int64_t centsAcross(long long weekday, long long at, long long units, const Stretch& stretch) const;

  // The cents of the first units' counts at either rate (index units * 2,
  // plus 1 off-peak), worked out once: nearly every connection is one of them.
  static constexpr long long kPriced = 512;
  std::vector<std::int64_t> priced_;
  std::array<DayRates, 7> days_{};  // of the dated week
};

}  // namespace tallix
