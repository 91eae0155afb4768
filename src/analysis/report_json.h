// The report's machine forms of one log: its whole usage as a JSON object,
// and its seconds and volume per day as text, CSV or JSON.
#pragma once

#include <cstdint>
#include <ostream>
#include <string>
#include <string_view>
#include <optional>

#include "analysis/forecast.h"
#include "analysis/usage.h"
#include "store/tariff_file.h"
#include "store/volume_file.h"

namespace tallix {

// A JSON string of any bytes. Valid UTF-8 passes as it stands; every other
// byte above 127 is written as \u0080 to \u00ff (the byte read as Latin-1),
// so the output is always valid JSON and no byte is lost.
std::string jsonString(std::string_view bytes);

// A CSV field, quoted when it holds a comma, a quote or a line break.
std::string csvField(std::string_view text);

// {"file": ..., "from": ..., ..., "connections": [...]} on one line; with a
// tariff the log's currency and cost and each connection's cost (with
// cost_at_least where the tariff prices volume), with an outlook its
// forecast_seconds and allowance_seconds_per_day. With the log's volume
// file, each connection's rx_bytes and tx_bytes (null where unknown) and the
// log's sums of the known ones. `volume`, for the current period, adds its
// volume allowance and forecast.
struct VolumeOutlook {
  std::optional<std::uint64_t> allowanceBytes;  // the data allowance of the settings
  std::optional<std::uint64_t> forecastBytes;   // the known bytes carried on at today's pace
};
void writeUsageJson(std::ostream& out, const std::string& file, const LogUsage& usage,
                    const std::optional<Tariff>& tariff = std::nullopt,
                    const std::optional<Outlook>& outlook = std::nullopt,
                    const std::optional<VolumeOutlook>& volume = std::nullopt);

// One line of the text report: "Total volume =  1.2 MB received, 88.1 kB
// sent", "at least" and how many are unknown where some connection's volume
// is, "Total volume : unknown" for a damaged volume file.
std::string volumeLine(VolumeReading::State state, const VolumeSum& volume);

// Per day: "date seconds" lines, CSV rows or one JSON object. With the
// log's volume file each day adds its received and sent bytes and the number
// of its connections of unknown volume; `volumeColumns` (CSV only) keeps
// those columns, empty, for a log without one.
enum class DayForm { Text, Csv, Json };
void writePerDay(std::ostream& out, DayForm form, const std::string& file, const LogUsage& usage,
                 bool volumeColumns = false);

}  // namespace tallix
