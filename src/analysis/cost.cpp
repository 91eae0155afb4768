#include "analysis/cost.h"

#include <algorithm>
#include <utility>

#include "store/numbers.h"

namespace tallix {
namespace {

constexpr long long kDay = 86400;
constexpr long long kWeek = 7 * kDay;

// Rounds a quotient up, for negative numerators too.
long long ceilDiv(long long a, long long b) { return a / b + (a % b > 0 ? 1 : 0); }

// The off-peak stretches of one week from Monday 00:00 (the calendar's day
// 0 is a Monday), merged so that a listed day and the hours never count a
// unit twice.
std::vector<std::pair<long long, long long>> offPeakWeek(const Tariff& t, bool dayKnown) {
  std::vector<std::pair<long long, long long>> parts;
  const bool hours = t.offPeakFrom != t.offPeakTo;
  for (long long d = 0; d < 7; ++d) {
    const long long day = d * kDay;
    if (dayKnown && t.offPeakDays[static_cast<size_t>(d)]) {
      parts.emplace_back(day, day + kDay);
    } else if (hours && t.offPeakFrom < t.offPeakTo) {
      parts.emplace_back(day + t.offPeakFrom, day + t.offPeakTo);
    } else if (hours) {
      parts.emplace_back(day, day + t.offPeakTo);
      parts.emplace_back(day + t.offPeakFrom, day + kDay);
    }
  }
  std::vector<std::pair<long long, long long>> merged;
  for (const auto& part : parts) {
    if (!merged.empty() && merged.back().second >= part.first) {
      merged.back().second = std::max(merged.back().second, part.second);
    } else {
      merged.push_back(part);
    }
  }
  return merged;
}

// How many of the `units` unit starts start + k * unit fall off-peak: per
// stretch, the k whose start lies inside it, worked out without a loop over
// the units.
long long offPeakUnits(const Tariff& t, long long start, bool dayKnown, long long units) {
  const auto week = offPeakWeek(t, dayKnown);
  if (week.empty() || units == 0) return 0;
  const long long last = start + (units - 1) * t.unit;
  long long count = 0;
  for (long long w = start / kWeek; w <= last / kWeek; ++w) {
    for (const auto& [from, to] : week) {
      const long long first = std::clamp(ceilDiv(w * kWeek + from - start, t.unit), 0LL, units);
      const long long past = std::clamp(ceilDiv(w * kWeek + to - start, t.unit), 0LL, units);
      count += past - first;
    }
  }
  return count;
}

}  // namespace

std::int64_t connectionCents(const Tariff& t, long long start, bool dayKnown, long long seconds) {
  const long long units = seconds > 0 ? ceilDiv(seconds, t.unit) : 0;
  const long long cheap = offPeakUnits(t, start, dayKnown, units);
  const std::int64_t cost =
      std::max<std::int64_t>(t.perCall + cheap * t.offPeakPrice + (units - cheap) * t.price, t.minimum);
  return (cost + 50) / 100;  // never negative: halves go up, away from zero
}

std::int64_t connectionCents(const Tariff& t, const UsageConnection& c, bool partMinute) {
  if (c.start) {
    DateTime start = *c.start;
    if (partMinute) start.second = 0;
    return connectionCents(t, toSerialSeconds(start), true, c.seconds);
  }
  // A start that is no real date still has a time of day in range (the pair
  // was counted): "yy/mm/dd hh:mm:ss".
  const std::string_view s = c.startStamp.view();
  auto two = [&s](size_t at) { return at + 2 <= s.size() ? wholeValue(s.substr(at, 2)) : 0; };
  const long long timeOfDay = two(9) * 3600LL + two(12) * 60LL + (partMinute ? 0 : two(15));
  return connectionCents(t, timeOfDay, false, c.seconds);
}

LogCost priceLog(const Tariff& tariff, const LogUsage& usage) {
  LogCost cost;
  cost.cents.reserve(usage.connections.size());
  for (const UsageConnection& c : usage.connections) {
    cost.cents.push_back(connectionCents(tariff, c, usage.partMinute));
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
  if (!currency.empty()) text += " " + std::string(currency);
  return text;
}

}  // namespace tallix
