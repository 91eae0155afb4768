// The settings file tallix.ini: 51-byte records of a 17-byte blank-padded
// label, two little-endian signed 16-bit values and 30 spare zero bytes.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "store/pending_error.h"

namespace tallix {

inline constexpr long kSettingsRecordLength = 51;
inline constexpr size_t kSettingsLabelLength = 17;
// Record 3: the time budget's hours and the warnings given.
inline constexpr std::string_view kTimeBudgetLabel = "[TimeBudget]";
// Record 4: the data allowance in tenths of a gigabyte (10^9 bytes) and the
// warnings given, as for the time budget.
inline constexpr long kDataAllowanceRecord = 4;
inline constexpr std::string_view kDataAllowanceLabel = "[DataAllowance]";
inline constexpr std::int16_t kMostAllowanceTenths = 30000;  // 3000 GB
inline constexpr std::int64_t kAllowanceTenthBytes = 100'000'000;
// The bytes of an allowance of `tenths`; 0 (none) for a value the Settings
// view never stores.
constexpr std::uint64_t allowanceBytesOf(std::int64_t tenths) {
  return tenths > 0 && tenths <= kMostAllowanceTenths ? static_cast<std::uint64_t>(tenths * kAllowanceTenthBytes) : 0;
}

struct SettingsRecord {
  std::string label;  // as stored: 17 characters, blank-padded
  std::int16_t value1 = 0;
  std::int16_t value2 = 0;
};

std::string encodeSettingsRecord(const SettingsRecord& record);
SettingsRecord decodeSettingsRecord(const std::string& bytes);

// Open, read or write record n, close. A record past the end reads as an
// empty label and zeros.
bool readSettingsRecord(const std::string& path, long n, SettingsRecord& record, PendingError& error);
bool writeSettingsRecord(const std::string& path, long n, const SettingsRecord& record, PendingError& error);

}  // namespace tallix
