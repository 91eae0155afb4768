// What the Usage window shows for one log, as plain texts and numbers: the
// heading, the bars of hours online per day with their scale, the table of
// connections and the total. The window only draws this.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "analysis/usage.h"
#include "form/main_form.h"

namespace tallix {

inline constexpr std::string_view kUsageTitle = " Usage";
inline constexpr std::string_view kUndatedLabel = "not on any day : ";

struct UsageBar {
  int dayOfMonth = 0;
  long long seconds = 0;
  double share = 0;  // of the scale's top, 0 to 1; a day without connections is 0 and has no bar
};

// The hours axis: from 0 to `topHours` in steps of `stepHours`; the top is
// the first step at or above the busiest day, so the tallest bar nearly
// fills the chart and the axis keeps a few round labels.
struct UsageScale {
  int topHours = 1;
  int stepHours = 1;
};
UsageScale usageScale(long long busiestDaySeconds);

// The table's columns; the cost and the volume only where the log has them.
enum class UsageColumn : unsigned char { Start, End, Duration, Cost, Volume };

struct UsageRow {
  std::string start;     // the stamps in the form the Calculation view shows them
  std::string end;
  std::string duration;  // "h : m : s"
  std::string cost;      // "0.45", empty without a tariff
  std::string volume;    // "1.2 MB / 88.1 kB" received / sent, "unknown" without a figure, empty without a volume file

  const std::string& text(UsageColumn column) const;
};

// The volume axis of the chart: its steps in a unit people read (bytes, kB,
// MB, GB ...), so that the busiest day's bar nearly fills the chart.
struct VolumeAxis {
  std::string unit = "MB";
  double unitBytes = 1e6;
  UsageScale scale;  // top and step in `unit`
};
VolumeAxis volumeAxis(std::uint64_t busiestDayBytes);

struct UsageView {
  std::string heading;                // the log's name and its period
  std::vector<std::string> messages;  // the program's messages, lines split by '\n'
  bool chart = false;                 // the headers were read, so there are days to draw
  UsageScale scale;
  std::vector<UsageBar> bars;         // one a day, in calendar order
  std::string chartText;              // the bars in words, for screen readers
  std::string undated;                // time on no day, or empty
  // The connections, one row each. A log holds thousands: a row's texts are
  // made only when it is shown.
  std::shared_ptr<const LogUsage> usage;
  size_t rowCount() const { return usage ? usage->connections.size() : 0; }
  UsageRow row(size_t index) const;
  // Rows whose texts are at least as wide as any row's, to size the columns
  // by: the stamps of every month before and after noon, the longest
  // duration and the largest cost.
  std::vector<UsageRow> widestRows() const;
  // The columns shown, in order, and their captions.
  std::vector<UsageColumn> columns() const;
  static const char* caption(UsageColumn column);
  std::string total;                  // the Calculation view's lblUseTime text
  bool costs = false;                 // a tariff prices the connections
  std::string cost;                   // the log's cost, "7.25 EUR", with a tariff
  // The current period only: the outlook's lines, and the day's time at
  // this pace as a share of the scale's top (0 for none), drawn dashed.
  std::string forecast;
  std::string allowance;
  // The data's outlook for the current period: at this pace, and a day's
  // share of the data allowance; empty where nothing is known.
  std::string volumeForecast;
  std::string volumeAllowance;
  double paceShare = 0;
  // With a volume file: each connection's bytes received and sent, the
  // log's total volume, and the day's volume as a chart to choose instead
  // of the hours (the bytes of the connections that began on the day).
  bool volumes = false;
  std::string volumeTotal;            // "Total volume =  1.2 MB received, 88.1 kB sent"
  VolumeAxis volumeAxis;
  std::vector<double> volumeShares;   // one a bar, of the axis's top
  std::string volumeChartText;        // the day's volume in words, for screen readers
};

// `tariff` prices the connections when given.
// The view keeps the usage, to make its rows from when they are shown.
UsageView usageViewOf(LogUsage usage, const std::optional<Tariff>& tariff = std::nullopt);

// The usage of log `name` of the program folder, with the part-minute
// setting of the Calculation view, so the total matches its Load.
UsageView usageView(const MainForm& form, const std::string& name);
// The usage of the current period's log, for the icon menu's Usage.
UsageView currentPeriodUsageView(const MainForm& form);

}  // namespace tallix
