// The tariff: what a connection costs, kept by hand or by the Settings view
// in tariff.ini of the data folder. Amounts are whole ten-thousandths of the
// currency, so every sum is exact.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "store/pending_error.h"

namespace tallix {

inline constexpr std::string_view kTariffFile = "tariff.ini";
// The largest amount the file may give: 999999.9999.
inline constexpr std::int64_t kMostAmount = 9'999'999'999;
// The longest unit, a week: a unit is a time on the clock, not a count.
inline constexpr std::int64_t kMostUnit = 604'800;
// The largest unit and allowance of [Volume], in bytes: a terabyte, a petabyte.
inline constexpr std::int64_t kMostUnitBytes = 1'000'000'000'000;
inline constexpr std::int64_t kMostAllowanceBytes = 1'000'000'000'000'000;
// A tariff is a few lines; a file far longer is not one.
inline constexpr long long kLongestTariff = 64 * 1024;

struct Tariff {
  std::string currency;
  std::int64_t perCall = 0;  // ten-thousandths, charged once per connection
  std::int64_t unit = 60;    // seconds in a charged unit
  std::int64_t price = 0;    // ten-thousandths per unit
  std::int64_t minimum = 0;  // the least a connection costs, per_call included
  // Off-peak: whole days (0 Monday .. 6 Sunday) and a stretch of every day,
  // from second `offPeakFrom` up to second `offPeakTo` of the day, past
  // midnight when from > to; no stretch when the two are equal.
  std::array<bool, 7> offPeakDays{};
  std::int64_t offPeakFrom = 0;
  std::int64_t offPeakTo = 0;
  std::int64_t offPeakPrice = 0;
  // By volume ([Volume]): `volumePrice` for each begun unit of `unitBytes`
  // past the period's first `allowanceBytes` (those a flat fee pays for).
  // Without a [Volume] part unitBytes is 0 and only time is priced.
  std::int64_t unitBytes = 0;
  std::int64_t volumePrice = 0;
  std::int64_t allowanceBytes = 0;

  // The tariff puts a price on volume at all.
  bool pricesVolume() const { return unitBytes > 0 && volumePrice > 0; }

  friend bool operator==(const Tariff&, const Tariff&) = default;
};

// What reading a tariff came to: a tariff, or the line and the reason why
// the text cannot be one (line 0: the file as a whole).
struct TariffReading {
  std::optional<Tariff> tariff;
  int line = 0;
  std::string reason;
  bool malformed() const { return !tariff; }
};

TariffReading parseTariff(std::string_view text);

// The file's state at start-up or after an edit: none (no amount anywhere),
// a tariff, or malformed with the reason.
struct TariffFileState {
  bool present = false;
  TariffReading reading;
};
TariffFileState readTariffFile(const std::string& path);

// "tariff.ini, line 4: ..." : where the file went wrong, in the program's words.
std::string tariffProblem(std::string_view file, const TariffReading& reading);

// An amount of ten-thousandths as the file writes it: "0.05", "12", "0.0125".
std::string amountText(std::int64_t tenThousandths);

}  // namespace tallix
