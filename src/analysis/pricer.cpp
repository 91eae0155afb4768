#include "analysis/pricer.h"

#include <algorithm>
#include <optional>

namespace tallix {
namespace {

constexpr long long kWeek = Pricer::kWeek;

// Rounds a quotient up, for negative numerators too.
long long ceilDiv(long long a, long long b) { return a / b + (a % b > 0 ? 1 : 0); }

void addStretch(OffPeakWeek& week, long long from, long long to) {
  if (week.count > 0 && week.parts[week.count - 1].second >= from) {
    week.parts[week.count - 1].second = std::max(week.parts[week.count - 1].second, to);
  } else {
    week.parts[week.count++] = {from, to};
  }
}

OffPeakWeek offPeakWeek(const Tariff& t, bool dayKnown) {
  OffPeakWeek week;
  const bool hours = t.offPeakFrom != t.offPeakTo;
  for (long long d = 0; d < 7; ++d) {
    const long long day = d * kDay;
    if (dayKnown && t.offPeakDays[static_cast<size_t>(d)]) {
      addStretch(week, day, day + kDay);
    } else if (hours && t.offPeakFrom < t.offPeakTo) {
      addStretch(week, day + t.offPeakFrom, day + t.offPeakTo);
    } else if (hours) {
      addStretch(week, day, day + t.offPeakTo);
      addStretch(week, day + t.offPeakFrom, day + kDay);
    }
  }
  size_t i = 0;
  for (size_t d = 0; d < week.firstOfDay.size(); ++d) {
    while (i < week.count && week.parts[i].second <= static_cast<long long>(d) * kDay) ++i;
    week.firstOfDay[d] = i;
  }
  return week;
}

// Whether the moment `at` (from the week's start) is off-peak.
bool offPeakAt(const OffPeakWeek& week, long long at) {
  for (size_t i = 0; i < week.count; ++i) {
    if (week.parts[i].first <= at && at < week.parts[i].second) return true;
  }
  return false;
}

// Where the rate in force at `at` (from the week's start) next changes,
// from the week's start; nothing when one rate holds all week. A stretch to
// Sunday midnight goes on into Monday's.
std::optional<long long> nextChange(const OffPeakWeek& week, long long at) {
  const bool off = offPeakAt(week, at);
  for (long long w = 0; w < 2 * kWeek; w += kWeek) {
    for (size_t i = 0; i < week.count; ++i) {
      const long long edge = w + (off ? week.parts[i].second : week.parts[i].first);
      if (edge > at && offPeakAt(week, edge % kWeek) != off) return edge;
    }
  }
  return std::nullopt;
}

}  // namespace

Pricer::Pricer(const Tariff& t)
    : perCall_(t.perCall),
      price_(t.price),
      offPeakPrice_(t.offPeakPrice),
      minimum_(t.minimum),
      unit_(t.unit),
      unitInverse_(((std::uint64_t{1} << 42) + static_cast<std::uint64_t>(t.unit) - 1) / static_cast<std::uint64_t>(t.unit)),
      dated_(offPeakWeek(t, true)),
      undated_(offPeakWeek(t, false)) {}

// Per stretch the connection reaches, the k whose start lies inside it,
// worked out without a loop over the units. The stretches before the
// start's day are passed over at once.
long long Pricer::offPeakUnits(const OffPeakWeek& week, long long offset, long long units) const {
  if (units == 0 || week.count == 0) return 0;
  const long long last = offset + (units - 1) * unit_;
  long long count = 0;
  size_t i = week.firstOfDay[static_cast<size_t>(offset / kDay)];
  for (long long w = 0; w <= last; w += kWeek, i = 0) {
    for (; i < week.count; ++i) {
      const long long from = w + week.parts[i].first;
      const long long to = w + week.parts[i].second;
      if (from > last) return count;  // the stretches run in order: none later is reached
      if (to <= offset) continue;
      if (from <= offset && last < to) return units;  // all in one stretch
      count += std::clamp(ceilDiv(to - offset, unit_), 0LL, units) -
               std::clamp(ceilDiv(from - offset, unit_), 0LL, units);
    }
  }
  return count;
}

LogPricer::LogPricer(const Tariff& t) : pricer_(t), priced_(2 * kPriced) {
  for (long long n = 0; n < kPriced; ++n) {
    priced_[static_cast<size_t>(2 * n)] = pricer_.centsOf(n, 0);
    priced_[static_cast<size_t>(2 * n + 1)] = pricer_.centsOf(n, n);
  }
  const OffPeakWeek& dated = pricer_.week(true);
  // Where the rate in force at `from` next changes, from `midnight`.
  auto endAfter = [&dated](long long from, long long midnight) {
    const auto change = nextChange(dated, from % kWeek);
    return change ? *change + (from - from % kWeek) - midnight : kNoChange;
  };
  for (size_t d = 0; d < days_.size(); ++d) {
    const long long midnight = static_cast<long long>(d) * kDay;
    DayRates& day = days_[d];
    day.changes = {kDay, kDay};
    long long from = midnight;
    for (size_t i = 0; i < day.stretches.size(); ++i) {
      const long long end = endAfter(from, midnight);
      const long long nextEnd = end == kNoChange ? kNoChange : endAfter(midnight + end, midnight);
      day.stretches[i] = {end, offPeakAt(dated, from) ? 1 : 0, nextEnd};
      // A day holds at most two changes: from midnight to a time of day
      // and from another to the next midnight.
      if (end >= kDay) break;
      if (i < day.changes.size()) day.changes[i] = end;
      from = midnight + end;
    }
  }
}

// Most of these run into the next stretch and end there: the units begun
// before the change are at the first rate and the rest at the other.
std::int64_t LogPricer::centsAcross(long long weekday, long long at, long long units, const Stretch& stretch) const {
  const long long last = at + (units - 1) * pricer_.unit();
  if (last < stretch.end) return pricer_.centsOf(units, stretch.offPeak != 0 ? units : 0);
  if (last < stretch.nextEnd) {
    const long long before = pricer_.units(stretch.end - at);
    return pricer_.centsOf(units, stretch.offPeak != 0 ? before : units - before);
  }
  return pricer_.centsOf(units, pricer_.offPeakUnits(pricer_.week(true), weekday * kDay + at, units));
}

}  // namespace tallix
