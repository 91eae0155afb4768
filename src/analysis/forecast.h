// Where the current period is heading: the time it ends with at today's
// pace, and with a time budget the time a day that keeps within it. The
// volume's outlook is made of the same pieces (atPace, perDayWithin).
#pragma once

#include <cstdint>
#include <optional>

#include <string>

#include "store/date_time.h"

namespace tallix {

// The period's first and last day, from a log's headers; nothing when they
// are no real days in order.
struct PeriodDays {
  DateTime first;
  DateTime last;
};
std::optional<PeriodDays> periodDays(const std::string& from, const std::string& to);

struct Outlook {
  // used x period length / time elapsed; only once a day of the period has passed.
  std::optional<long long> forecastSeconds;
  // (budget - used) / days left, today included; 0 once the budget is spent;
  // nothing without a budget.
  std::optional<long long> allowanceSecondsPerDay;
  bool overBudget = false;
  long long lengthSeconds = 0;
  long long elapsedSeconds = 0;
  long long daysLeft = 1;  // from today to the last day, both whole; at least 1
};
Outlook periodOutlook(long long usedSeconds, const PeriodDays& period, const DateTime& now, int budgetHours);

// What a day may use of what is left of `limit` after `used` until the
// period ends (any amount: seconds, bytes); 0 once the limit is reached.
std::int64_t perDayWithin(std::int64_t limit, std::int64_t used, const Outlook& outlook);

// An amount so far carried on at the same pace to the period's end; the
// amount itself when there is no forecast.
std::int64_t atPace(std::int64_t soFar, const Outlook& outlook);

}  // namespace tallix
