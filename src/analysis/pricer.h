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

#include "store/tariff_file.h"

namespace tallix {

// What a log's connections cost.
struct LogCost {
  std::vector<std::int64_t> cents;  // one per connection
  std::int64_t totalCents = 0;      // the sum of the rounded costs
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
  explicit Pricer(const Tariff& t);

  // Cents, halves away from zero, of a connection of `seconds` beginning at
  // `start` (serial seconds, toSerialSeconds). Without a known date
  // (`dayKnown` false) `start` is only a time of day and the off-peak days
  // do not apply.
  std::int64_t cents(long long start, bool dayKnown, long long seconds) const {
    const long long n = units(seconds);
    return centsOf(n, offPeakUnits(week(dayKnown), weekOffset(start), n));
  }

 protected:
  static constexpr long long kDay = 86400;
  static constexpr long long kWeek = 7 * kDay;

  const OffPeakWeek& week(bool dayKnown) const { return dayKnown ? dated_ : undated_; }

  // Units begun in `seconds`.
  long long units(long long seconds) const {
    const std::uint64_t n = static_cast<std::uint64_t>(seconds) + static_cast<std::uint64_t>(t_.unit) - 1;
    if (seconds > 0 && n < kQuickDivided) [[likely]] {
      // n / unit as n * unitInverse_ / 2^42: exact for any n below 2^22
      // and unit below 2^20, and a multiplication instead of a division.
      return static_cast<long long>(n * unitInverse_ >> 42);
    }
    if (seconds <= 0) return 0;
    return seconds / t_.unit + (seconds % t_.unit > 0 ? 1 : 0);
  }

  // `units` units, `cheap` of them off-peak, with per_call and the minimum, in cents.
  std::int64_t centsOf(long long units, long long cheap) const {
    const std::int64_t cost =
        std::max<std::int64_t>(t_.perCall + cheap * t_.offPeakPrice + (units - cheap) * t_.price, t_.minimum);
    // Never negative, so halves go up, away from zero.
    return static_cast<std::int64_t>(static_cast<std::uint64_t>(cost + 50) / 100);
  }

  // Where in its week a moment lies: 0 to a week.
  static long long weekOffset(long long start) {
    return start - (start / kWeek - (start % kWeek < 0 ? 1 : 0)) * kWeek;
  }

  // How many of the `units` unit starts offset + k * unit fall off-peak.
  long long offPeakUnits(const OffPeakWeek& week, long long offset, long long units) const;

  const Tariff& t_;

 private:
  static constexpr std::uint64_t kQuickDivided = 1U << 22;
  // 2^42 / unit rounded up.
  std::uint64_t unitInverse_ = 0;
  OffPeakWeek dated_;
  OffPeakWeek undated_;
};

// Prices the connections of a log. Nearly every connection lies within one
// stretch of one rate; a mark for every minute of the week says so with one
// look-up, where walking the stretches takes branches that random starts
// make hard to guess. The stretches begin and end on whole minutes, so each
// minute has one rate throughout.
class LogPricer : private Pricer {
 public:
  explicit LogPricer(const Tariff& t);

  // The same as Pricer::cents.
  std::int64_t cents(long long start, bool dayKnown, long long seconds) const {
    return centsInWeek(weekOffset(start), dayKnown, seconds);
  }
  // The same from where in its week (from Monday 00:00) the connection begins.
  std::int64_t centsInWeek(long long offset, bool dayKnown, long long seconds) const {
    const long long n = units(seconds);
    if (!dayKnown) return centsOf(n, offPeakUnits(week(false), offset, n));  // a rare start
    // The minute's rate (the lowest bit: off-peak) and the minute at which
    // that rate next changes, from the week's start.
    const std::uint16_t mark = marks_[static_cast<size_t>(offset / 60)];
    const long long last = offset + (n - 1) * t_.unit;  // the last unit's start
    if (last < (mark >> 1) * 60LL && n < kPriced) [[likely]]
      return priced_[static_cast<size_t>(n * 2 + (mark & 1))];
    return centsAcross(offset, n, mark);
  }

 private:
  // A dated connection that the first stretch of its rate does not hold.
  std::int64_t centsAcross(long long offset, long long units, std::uint16_t mark) const;

  // The cents of the first units' counts at either rate (index units * 2,
  // plus 1 off-peak), worked out once: nearly every connection is one of them.
  static constexpr long long kPriced = 512;
  std::vector<std::int64_t> priced_;
  std::vector<std::uint16_t> marks_;  // of the dated week
};

}  // namespace tallix
