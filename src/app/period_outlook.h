// The outlook's lines, shown in the Main view and the Usage window of the
// current period: for the time "at this pace: 38 hr 10 min by 31 Dec,
// 21.40 EUR" and "1 hr 20 min a day keeps you within 50 hr" (or "over
// budget"); for the data "at this pace: 12.3 GB by 31 Dec" and "340.2 MB a
// day keeps you within 10 GB" (or "over your data allowance").
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "analysis/forecast.h"

namespace tallix {

struct OutlookLines {
  std::string forecast;   // empty before a day of the period has passed
  std::string allowance;  // empty without a budget (an allowance)
};

// `cents` is the cost so far, nothing without a tariff; `lastDay` the
// period's last day.
OutlookLines outlookLines(const Outlook& outlook, std::optional<std::int64_t> cents, const std::string& currency,
                          const DateTime& lastDay, int budgetHours);

// The period's data so far: the bytes known, and whether some connections'
// are unknown, so that the bytes are the least it can be. Nothing at all
// where no connection's bytes are known and some are not.
struct VolumeSoFar {
  std::uint64_t bytes = 0;
  bool atLeast = false;
};

// "10 GB", "1.5 GB": a data allowance in tenths of a GB; "10" and "1.5"
// without the unit, as the Settings box shows it.
std::string allowanceNumberText(int tenths);
std::string allowanceText(int tenths);

// "data: 3.4 GB of 10 GB", "data: at least 3.4 GB", ... ; empty where nothing
// is known and there is no allowance. `allowanceTenths` 0 for none.
std::string periodVolumeLine(const std::optional<VolumeSoFar>& volume, int allowanceTenths);

// The data's two outlook lines, from the same outlook as the time's (made
// with the period's time so far); both empty where nothing is known.
OutlookLines volumeOutlookLines(const Outlook& outlook, const std::optional<VolumeSoFar>& volume,
                                const DateTime& lastDay, int allowanceTenths);

}  // namespace tallix
