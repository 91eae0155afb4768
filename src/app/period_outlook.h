// The outlook's two lines, shown in the Main view and the Usage window of
// the current period: "at this pace: 38 hr 10 min by 31 Dec, 21.40 EUR" and
// "1 hr 20 min a day keeps you within 50 hr" (or "over budget").
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "analysis/forecast.h"

namespace tallix {

struct OutlookLines {
  std::string forecast;   // empty before a day of the period has passed
  std::string allowance;  // empty without a budget
};

// `cents` is the cost so far, nothing without a tariff; `lastDay` the
// period's last day.
OutlookLines outlookLines(const Outlook& outlook, std::optional<std::int64_t> cents, const std::string& currency,
                          const DateTime& lastDay, int budgetHours);

}  // namespace tallix
