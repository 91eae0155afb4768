#include "analysis/pricer.h"

#include <algorithm>

namespace tallix {
namespace {

constexpr long long kDay = 86400;
constexpr long long kWeek = 7 * kDay;
constexpr long long kWeekMinutes = kWeek / 60;

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

// Every minute of the week marked with its rate (the lowest bit: off-peak)
// and the minute at which that rate next changes, at most two weeks on.
std::vector<std::uint16_t> minuteMarks(const OffPeakWeek& week) {
  // The stretches of this week and the next, in minutes.
  std::vector<std::pair<long long, long long>> parts;
  for (long long w = 0; w < 2 * kWeekMinutes; w += kWeekMinutes) {
    for (size_t i = 0; i < week.count; ++i) parts.emplace_back(w + week.parts[i].first / 60, w + week.parts[i].second / 60);
  }
  std::vector<std::uint16_t> marks(static_cast<size_t>(kWeekMinutes));
  size_t i = 0;
  for (long long at = 0; at < kWeekMinutes;) {
    while (i < parts.size() && parts[i].second <= at) ++i;
    const bool off = i < parts.size() && parts[i].first <= at;
    long long end = 2 * kWeekMinutes;
    if (off) {
      end = parts[i].second;
      // A stretch to Sunday midnight goes on into Monday's.
      while (i + 1 < parts.size() && parts[i + 1].first == end) end = parts[++i].second;
    } else if (i < parts.size()) {
      end = parts[i].first;
    }
    const auto mark = static_cast<std::uint16_t>(end << 1 | (off ? 1 : 0));
    std::fill(marks.begin() + at, marks.begin() + std::min(end, kWeekMinutes), mark);
    at = end;
  }
  return marks;
}

}  // namespace

Pricer::Pricer(const Tariff& t)
    : t_(t),
      unitInverse_(((std::uint64_t{1} << 42) + static_cast<std::uint64_t>(t.unit) - 1) / static_cast<std::uint64_t>(t.unit)),
      dated_(offPeakWeek(t, true)),
      undated_(offPeakWeek(t, false)) {}

// Per stretch the connection reaches, the k whose start lies inside it,
// worked out without a loop over the units. The stretches before the
// start's day are passed over at once.
long long Pricer::offPeakUnits(const OffPeakWeek& week, long long offset, long long units) const {
  if (units == 0 || week.count == 0) return 0;
  const long long last = offset + (units - 1) * t_.unit;
  long long count = 0;
  size_t i = week.firstOfDay[static_cast<size_t>(offset / kDay)];
  for (long long w = 0; w <= last; w += kWeek, i = 0) {
    for (; i < week.count; ++i) {
      const long long from = w + week.parts[i].first;
      const long long to = w + week.parts[i].second;
      if (from > last) return count;  // the stretches run in order: none later is reached
      if (to <= offset) continue;
      if (from <= offset && last < to) return units;  // all in one stretch
      count += std::clamp(ceilDiv(to - offset, t_.unit), 0LL, units) -
               std::clamp(ceilDiv(from - offset, t_.unit), 0LL, units);
    }
  }
  return count;
}

LogPricer::LogPricer(const Tariff& t) : Pricer(t), priced_(2 * kPriced), marks_(minuteMarks(week(true))) {
  for (long long n = 0; n < kPriced; ++n) {
    priced_[static_cast<size_t>(2 * n)] = centsOf(n, 0);
    priced_[static_cast<size_t>(2 * n + 1)] = centsOf(n, n);
  }
}

// A connection of many units within its stretch, or one that runs on into
// the next stretch, mostly to end there: then the units begun before the
// change are at the first rate and the rest at the other.
std::int64_t LogPricer::centsAcross(long long offset, long long units, std::uint16_t mark) const {
  const long long last = offset + (units - 1) * t_.unit;
  const long long change = (mark >> 1) * 60LL;
  if (last < change) return centsOf(units, (mark & 1) != 0 ? units : 0);
  if (change < kWeek + kWeek) {
    const long long minute = change / 60 % kWeekMinutes;
    const long long after = (marks_[static_cast<size_t>(minute)] >> 1) * 60LL + (change - minute * 60);
    if (last < after) {
      const long long before = this->units(change - offset);
      return centsOf(units, (mark & 1) != 0 ? before : units - before);
    }
  }
  return centsOf(units, offPeakUnits(week(true), offset, units));
}

}  // namespace tallix
