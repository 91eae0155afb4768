#include "analysis/forecast.h"

#include <algorithm>
#include <limits>

#include "analysis/usage.h"
#include "store/text_forms.h"

namespace tallix {
std::optional<PeriodDays> periodDays(const std::string& from, const std::string& to) {
  const auto first = parseDate(from);
  const auto last = periodLastDay(to);
  if (!first || !last || toSerialSeconds(*last) < toSerialSeconds(*first)) return std::nullopt;
  return PeriodDays{*first, *last};
}

Outlook periodOutlook(long long used, const PeriodDays& period, const DateTime& now, int budgetHours) {
  Outlook o;
  const long long begin = toSerialSeconds(period.first);
  const long long end = toSerialSeconds(period.last) + kDay;
  const long long at = std::clamp(toSerialSeconds(now), begin, end);
  o.lengthSeconds = end - begin;
  o.elapsedSeconds = at - begin;
  // Days left from today to the last day, both whole; after the period's
  // end the last day is all that is left.
  o.daysLeft = std::max(1LL, (end - at + kDay - 1) / kDay);
  if (o.elapsedSeconds >= kDay) o.forecastSeconds = atPace(used, o);
  if (budgetHours > 0) {
    const long long limit = budgetHours * 3600LL;
    o.overBudget = used >= limit;
    o.allowanceSecondsPerDay = perDayWithin(limit, used, o);
  }
  return o;
}

std::int64_t perDayWithin(std::int64_t limit, std::int64_t used, const Outlook& o) {
  return used >= limit ? 0 : (limit - used) / std::max(1LL, o.daysLeft);
}

std::int64_t atPace(std::int64_t soFar, const Outlook& o) {
  if (o.elapsedSeconds < kDay) return soFar;
  // The product of an amount at the dearest accepted price and a period's
  // seconds needs more than 64 bits; the share of it never more than 63.
  const __int128 paced = static_cast<__int128>(soFar) * o.lengthSeconds / o.elapsedSeconds;
  return paced > std::numeric_limits<std::int64_t>::max() ? std::numeric_limits<std::int64_t>::max()
                                                           : static_cast<std::int64_t>(paced);
}

}  // namespace tallix
