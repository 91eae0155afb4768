// The price of one connection under a tariff, and amounts as shown. A log's
// connections are priced while it is read (readLogUsage).
#pragma once

#include <cstdint>
#include <limits>
#include <string>
#include <string_view>

#include "analysis/usage.h"
#include "store/date_time.h"
#include "store/tariff_file.h"

namespace tallix {

// The report's line of a log's cost, in front of the amount.
inline constexpr std::string_view kTotalCostFilled = "Total cost =  ";

// Cents, halves away from zero, of a connection of `seconds` beginning at
// `start` (serial seconds, toSerialSeconds). Without a known date
// (`dayKnown` false) `start` is only a time of day and the off-peak days do
// not apply.
std::int64_t connectionCents(const Tariff& tariff, long long start, bool dayKnown, long long seconds);

// A counted pair of a log: from its start (from the start's whole minute
// under the part-minute setting, as its seconds are dropped there) for the
// seconds the Calculation view gives it.
std::int64_t connectionCents(const Tariff& tariff, const PairStart& start, long long seconds, bool partMinute);

// The most a sum of cents holds. No single connection comes near it, but a
// log of thousands of 99-day pairs at the dearest price the tariff accepts
// would pass it: such a sum stops here instead of wrapping round.
inline constexpr std::int64_t kMostCents = std::numeric_limits<std::int64_t>::max();
// a + b for amounts of zero or more, stopping at kMostCents.
inline std::int64_t addCents(std::int64_t a, std::int64_t b) { return a > kMostCents - b ? kMostCents : a + b; }

// "7.25 EUR"; "7.25" without a currency; "at least ..." for kMostCents, or
// when `atLeast` says the amount is the least it can be.
std::string moneyText(std::int64_t cents, std::string_view currency, bool atLeast = false);
// "7.25", "-0.05"
std::string centsText(std::int64_t cents);

}  // namespace tallix
