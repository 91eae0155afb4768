#include "analysis/cost.h"

#include <algorithm>
#include <array>
#include <utility>

namespace tallix {
namespace {

constexpr long long kDay = 86400;
constexpr long long kWeek = 7 * kDay;

// Rounds a quotient up, for negative numerators too.
long long ceilDiv(long long a, long long b) { return a / b + (a % b > 0 ? 1 : 0); }

// The off-peak stretches of one week from Monday 00:00 (the calendar's day
// 0 is a Monday), in order and merged, so that a listed day and the hours
// never count a unit twice. At most two a day; kept in place, as a log
// prices thousands of connections.
struct OffPeakWeek {
  std::array<std::pair<long long, long long>, 14> parts{};
  size_t count = 0;
  // For each day of the week the first stretch that ends after its start:
  // a connection's stretches are looked for from there.
  std::array<size_t, 7> firstOfDay{};
  void add(long long from, long long to) {
    if (count > 0 && parts[count - 1].second >= from) {
      parts[count - 1].second = std::max(parts[count - 1].second, to);
    } else {
      parts[count++] = {from, to};
    }
  }
  void index() {
    size_t i = 0;
    for (size_t d = 0; d < firstOfDay.size(); ++d) {
      while (i < count && parts[i].second <= static_cast<long long>(d) * kDay) ++i;
      firstOfDay[d] = i;
    }
  }
};

OffPeakWeek offPeakWeek(const Tariff& t, bool dayKnown) {
  OffPeakWeek week;
  const bool hours = t.offPeakFrom != t.offPeakTo;
  for (long long d = 0; d < 7; ++d) {
    const long long day = d * kDay;
    if (dayKnown && t.offPeakDays[static_cast<size_t>(d)]) {
      week.add(day, day + kDay);
    } else if (hours && t.offPeakFrom < t.offPeakTo) {
      week.add(day + t.offPeakFrom, day + t.offPeakTo);
    } else if (hours) {
      week.add(day, day + t.offPeakTo);
      week.add(day + t.offPeakFrom, day + kDay);
    }
  }
  week.index();
  return week;
}

// Prices connections under one tariff, its off-peak week worked out once.
class Pricer {
 public:
  explicit Pricer(const Tariff& t) : t_(t), dated_(offPeakWeek(t, true)), undated_(offPeakWeek(t, false)) {}

  std::int64_t cents(long long start, bool dayKnown, long long seconds) const {
    // In 32 bits where it fits (every real connection): a far cheaper division.
    const long long units = seconds <= 0                ? 0
                            : seconds < (1LL << 31) ? (static_cast<std::uint32_t>(seconds) + static_cast<std::uint32_t>(t_.unit) - 1) /
                                                             static_cast<std::uint32_t>(t_.unit)
                                                       : ceilDiv(seconds, t_.unit);
    const long long cheap = offPeakUnits(dayKnown ? dated_ : undated_, start, units);
    const std::int64_t cost =
        std::max<std::int64_t>(t_.perCall + cheap * t_.offPeakPrice + (units - cheap) * t_.price, t_.minimum);
    return (cost + 50) / 100;  // never negative: halves go up, away from zero
  }

  std::int64_t cents(const UsageConnection& c, bool partMinute) const {
    return cents(c.countedStart(partMinute), c.dated, c.seconds);
  }

 private:
  // How many of the `units` unit starts start + k * unit fall off-peak: per
  // stretch the connection reaches, the k whose start lies inside it, worked
  // out without a loop over the units. Counted from the start's week, whose
  // stretches before the start's day are passed over at once.
  long long offPeakUnits(const OffPeakWeek& week, long long start, long long units) const {
    if (units == 0 || week.count == 0) return 0;
    const long long offset = start - (start / kWeek - (start % kWeek < 0 ? 1 : 0)) * kWeek;  // 0 to a week
    const long long last = offset + (units - 1) * t_.unit;
    long long count = 0;
    size_t i = week.firstOfDay[static_cast<size_t>(offset / kDay)];
    for (long long w = 0; w <= last; w += kWeek, i = 0) {
      for (; i < week.count; ++i) {
        const long long from = w + week.parts[i].first;
        const long long to = w + week.parts[i].second;
        if (from > last) return count;  // the stretches run in order: none later is reached
        if (to <= offset) continue;
        if (from <= offset && last < to) return units;  // the usual case: all in one stretch
        count += std::clamp(ceilDiv(to - offset, t_.unit), 0LL, units) -
                 std::clamp(ceilDiv(from - offset, t_.unit), 0LL, units);
      }
    }
    return count;
  }

  const Tariff& t_;
  OffPeakWeek dated_;
  OffPeakWeek undated_;
};

}  // namespace

std::int64_t connectionCents(const Tariff& t, long long start, bool dayKnown, long long seconds) {
  return Pricer(t).cents(start, dayKnown, seconds);
}

std::int64_t connectionCents(const Tariff& t, const UsageConnection& c, bool partMinute) {
  return Pricer(t).cents(c, partMinute);
}

LogCost priceLog(const Tariff& tariff, const LogUsage& usage) {
  const Pricer pricer(tariff);
  LogCost cost;
  cost.cents.reserve(usage.connections.size());
  for (const UsageConnection& c : usage.connections) {
    cost.cents.push_back(pricer.cents(c, usage.partMinute));
    cost.totalCents += cost.cents.back();
  }
  return cost;
}

std::string centsText(std::int64_t cents) {
  const std::int64_t part = cents % 100;
  return std::to_string(cents / 100) + (part < 10 ? ".0" : ".") + std::to_string(part);
}

std::string moneyText(std::int64_t cents, std::string_view currency) {
  std::string text = centsText(cents);
  if (!currency.empty()) {
    text += ' ';
    text.append(currency);
  }
  return text;
}

}  // namespace tallix
