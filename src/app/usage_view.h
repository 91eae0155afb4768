// What the Usage window shows for one log, as plain texts and numbers: the
// heading, the bars of hours online per day with their scale, the table of
// connections and the total. The window only draws this.
#pragma once

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

struct UsageRow {
  std::string start;     // the stamps in the form the Calculation view shows them
  std::string end;
  std::string duration;  // "h : m : s"
  std::string cost;      // "0.45", empty without a tariff
};

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
  std::string total;                  // the Calculation view's lblUseTime text
  bool costs = false;                 // a tariff prices the connections
  std::string cost;                   // the log's cost, "7.25 EUR", with a tariff
  // The current period only: the outlook's lines, and the day's time at
  // this pace as a share of the scale's top (0 for none), drawn dashed.
  std::string forecast;
  std::string allowance;
  double paceShare = 0;
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
