#include "app/usage_view.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "app/budget.h"
#include "analysis/cost.h"
#include "analysis/forecast.h"
#include "analysis/report_json.h"
#include "app/period_outlook.h"
#include "form/sentences.h"
#include "store/text_forms.h"

namespace tallix {
namespace {

constexpr long long kHour = 3600;
// More grid lines than this crowd the axis labels.
constexpr long long kMostSteps = 6;

// The program's messages join lines with a carriage return.
std::string asLines(std::string text) {
  std::replace(text.begin(), text.end(), '\r', '\n');
  return text;
}

}  // namespace

UsageScale usageScale(long long busiestDaySeconds) {
  const long long busiest = std::max(busiestDaySeconds, 0LL);
  auto stepsOf = [busiest](long long step) { return (busiest + step * kHour - 1) / (step * kHour); };
  // Round steps of a day: 1, 2, 3, 6, 12, 24 hours, then doubling (overlapping
  // pairs of a broken log can make a day longer than 24 hours).
  long long step = 1;
  for (long long next : {2LL, 3LL, 6LL, 12LL, 24LL}) {
    if (stepsOf(step) <= kMostSteps) break;
    step = next;
  }
  while (stepsOf(step) > kMostSteps) step *= 2;
  const long long steps = std::max(1LL, stepsOf(step));
  return {static_cast<int>(steps * step), static_cast<int>(step)};
}

VolumeAxis volumeAxis(std::uint64_t busiestDayBytes) {
  VolumeAxis axis;
  if (busiestDayBytes == 0) return axis;
  constexpr std::array<const char*, 6> kUnits = {"bytes", "kB", "MB", "GB", "TB", "PB"};
  const double busiest = static_cast<double>(busiestDayBytes);
  size_t unit = 0;
  double unitBytes = 1;
  while (unit + 1 < kUnits.size() && busiest >= unitBytes * 1000) {
    unitBytes *= 1000;
    ++unit;
  }
  const double inUnits = busiest / unitBytes;
  // Round steps: 1, 2, 5 times a power of ten, as few as keep six or fewer.
  long long step = 1;
  for (long long power = 1;; power *= 10) {
    const long long fits = [&] {
      for (long long times : {1LL, 2LL, 5LL})
        if (std::ceil(inUnits / static_cast<double>(times * power)) <= static_cast<double>(kMostSteps))
          return times * power;
      return 0LL;
    }();
    if (fits != 0) {
      step = fits;
      break;
    }
  }
  const long long steps = std::max(1LL, static_cast<long long>(std::ceil(inUnits / static_cast<double>(step))));
  axis.unit = kUnits[unit];
  axis.unitBytes = unitBytes;
  axis.scale = {static_cast<int>(steps * step), static_cast<int>(step)};
  return axis;
}

const std::string& UsageRow::text(UsageColumn column) const {
  switch (column) {
    case UsageColumn::Start: return start;
    case UsageColumn::End: return end;
    case UsageColumn::Duration: return duration;
    case UsageColumn::Cost: return cost;
    case UsageColumn::Volume: break;
  }
  return volume;
}

std::vector<UsageColumn> UsageView::columns() const {
  std::vector<UsageColumn> shown{UsageColumn::Start, UsageColumn::End, UsageColumn::Duration};
  if (costs) shown.push_back(UsageColumn::Cost);
  if (volumes) shown.push_back(UsageColumn::Volume);
  return shown;
}

const char* UsageView::caption(UsageColumn column) {
  switch (column) {
    case UsageColumn::Start: return "start";
    case UsageColumn::End: return "end";
    case UsageColumn::Duration: return "duration";
    case UsageColumn::Cost: return "cost";
    case UsageColumn::Volume: break;
  }
  return "received / sent";
}

namespace {

std::string volumeOfRow(const std::optional<Volume>& volume) {
  return volume ? bytesText(volume->received) + " / " + bytesText(volume->sent) : std::string("unknown");
}

// The day's volume as bars on their own axis.
void addVolumes(UsageView& view, const LogUsage& usage) {
  view.volumes = true;
  view.volumeTotal = volumeLine(usage.volumeState, usage.volume);
  if (usage.volumeState == VolumeReading::State::Damaged) view.messages.push_back(asLines(usage.volumeProblem));
  std::uint64_t busiest = 0;
  for (const DayUsage& day : usage.days.days) busiest = std::max(busiest, day.volume.known.total());
  view.volumeAxis = volumeAxis(busiest);
  const double top = view.volumeAxis.scale.topHours * view.volumeAxis.unitBytes;
  for (const DayUsage& day : usage.days.days) {
    const std::uint64_t bytes = day.volume.known.total();
    view.volumeShares.push_back(static_cast<double>(bytes) / top);
    if (bytes > 0)
      view.volumeChartText += (view.volumeChartText.empty() ? "" : ", ") +
                              ("day " + std::to_string(day.day.day) + ": " + bytesText(bytes));
  }
  if (view.volumeChartText.empty()) view.volumeChartText = "no volume known";
}

// The view with the hours axis reaching at least `paceSeconds` a day;
// with costs when the log was read with a tariff.
UsageView makeView(std::shared_ptr<const LogUsage> kept, const std::optional<Tariff>& tariff, long long paceSeconds) {
  const LogUsage& usage = *kept;
  UsageView view;
  view.heading = usage.name;
  for (const std::string& message : usage.load.messages) view.messages.push_back(asLines(message));
  if (!usage.shown()) return view;

  // The period's end as stored may be a day its month lacks (the 31st of
  // November): the heading names the real last day, in the same form.
  const std::optional<DateTime> lastDay = periodLastDay(usage.load.to);
  view.heading += " : " + showDate(usage.load.from) + " to " +
                  (lastDay ? shortDateText(*lastDay) : showDate(usage.load.to));
  view.chart = true;
  const DaySplit& split = usage.days;
  long long busiest = paceSeconds;
  for (const DayUsage& day : split.days) busiest = std::max(busiest, day.seconds);
  view.scale = usageScale(busiest);
  const double top = static_cast<double>(view.scale.topHours) * kHour;
  for (const DayUsage& day : split.days) {
    view.bars.push_back({day.day.day, day.seconds, static_cast<double>(day.seconds) / top});
    if (day.seconds > 0)
      view.chartText += (view.chartText.empty() ? "" : ", ") + ("day " + std::to_string(day.day.day) + ": " +
                                                                hoursMinutesText(day.seconds));
  }
  if (view.chartText.empty()) view.chartText = "no time online";
  if (split.undatedSeconds != 0) view.undated = std::string(kUndatedLabel) + durationText(split.undatedSeconds);

  view.paceShare = static_cast<double>(paceSeconds) / top;

  const bool costs = tariff && usage.cost;
  view.total = usage.totalShown();
  view.costs = costs;
  if (costs) view.cost = moneyText(usage.cost->totalCents, tariff->currency, usage.cost->totalAtLeast);
  if (usage.hasVolumeFile()) addVolumes(view, usage);
  view.usage = std::move(kept);
  return view;
}

}  // namespace

UsageRow UsageView::row(size_t index) const {
  const UsageConnection& c = usage->connections[index];
  return {showStamp(usage->startStamp(c)), showStamp(usage->endStamp(c)), durationText(c.seconds),
          costs ? (usage->cost->costAtLeast(index) ? "at least " : "") + centsText(usage->cost->cents[index])
                : std::string(),
          volumes ? volumeOfRow(index < usage->volumes.size() ? usage->volumes[index] : std::nullopt) : std::string()};
}

std::vector<UsageRow> UsageView::widestRows() const {
  std::vector<UsageRow> rows;
  if (rowCount() == 0) return rows;
  long long longest = 0;
  std::int64_t dearest = 0;
  for (const UsageConnection& c : usage->connections) longest = std::max<long long>(longest, c.seconds);
  if (costs)
    for (std::int64_t cents : usage->cost->cents) dearest = std::max(dearest, cents);
  // Every digit of the minutes and seconds at its widest: "h : 59 : 59".
  const std::string duration = durationText(longest / 3600 * 3600 + 59 * 60 + 59);
  const std::string widestCost =
      costs ? (usage->cost->totalAtLeast ? "at least " : "") + centsText(dearest) : std::string();
  // The stamps of every month, before and after noon: the same for every
  // view, made once a run.
  static const std::vector<std::string> stamps = [] {
    std::vector<std::string> made;
    for (int month = 1; month <= 12; ++month)
      for (int hour : {0, 12}) made.push_back(longStampText(DateTime{2000, month, 28, hour, 0, 0}));
    return made;
  }();
  for (const std::string& stamp : stamps) rows.push_back({stamp, stamp, duration, widestCost, {}});
  if (volumes) {
    // Each side at its widest: whole bytes, or four digits of the largest unit in use.
    std::uint64_t received = 0;
    std::uint64_t sent = 0;
    for (const std::optional<Volume>& v : usage->volumes) {
      if (!v) continue;
      received = std::max(received, v->received);
      sent = std::max(sent, v->sent);
    }
    auto widest = [](std::uint64_t largest) {
      std::vector<std::string> forms{"999 bytes"};
      if (largest >= 1000) {
        const std::string shown = bytesText(largest);
        forms.push_back("999.9" + shown.substr(shown.find(' ')));
      }
      return forms;
    };
    size_t at = 0;
    for (const std::string& r : widest(received))
      for (const std::string& s : widest(sent)) rows[at++].volume = r + " / " + s;
    rows[at].volume = volumeOfRow(std::nullopt);
  }
  // A stamp that is no real date is shown as it stands.
  rows.push_back(row(0));
  rows.push_back(row(rowCount() - 1));
  return rows;
}

UsageView usageViewOf(LogUsage usage, const std::optional<Tariff>& tariff) {
  return makeView(std::make_shared<const LogUsage>(std::move(usage)), tariff, 0);
}

UsageView usageView(const MainForm& form, const std::string& name) {
  return usageViewOf(readLogUsage(form.AppPath, name, form.partMinute(), form.tariff), form.tariff);
}

UsageView currentPeriodUsageView(const MainForm& form) {
  auto kept = std::make_shared<const LogUsage>(
      readLogUsage(form.AppPath, std::string(kCountRecZvt), form.partMinute(), form.tariff));
  const LogUsage& usage = *kept;
  const auto period = periodDays(usage.load.from, usage.load.to);
  if (!usage.shown() || !period) return makeView(std::move(kept), form.tariff, 0);
  const DateTime now = form.services->now();
  const auto cents = usage.cost ? std::optional(usage.cost->totalCents) : std::nullopt;
  const Outlook outlook = periodOutlook(usage.totalSeconds(), *period, now, form.budget.hours);
  const long long pace = outlook.forecastSeconds ? *outlook.forecastSeconds * kDay / outlook.lengthSeconds : 0;
  UsageView view = makeView(std::move(kept), form.tariff, pace);
  const OutlookLines lines =
      outlookLines(outlook, cents, form.tariff ? form.tariff->currency : "", period->last, form.budget.hours);
  view.forecast = lines.forecast;
  view.allowance = lines.allowance;
  if (usage.hasVolumeFile() || form.budget.allowanceTenths > 0) {
    // Only the known bytes are carried on, "at least" where some are
    // unknown, nothing where none is known: as the Main view's data lines.
    const size_t unknown = usage.hasVolumeFile() ? static_cast<size_t>(usage.volume.unknown) : usage.connections.size();
    const std::optional<VolumeSoFar> volume =
        unknown > 0 && unknown == usage.connections.size()
            ? std::nullopt
            : std::optional(VolumeSoFar{usage.volume.known.total(), unknown > 0});
    const OutlookLines data = volumeOutlookLines(outlook, volume, period->last, form.budget.allowanceTenths);
    view.volumeForecast = data.forecast;
    view.volumeAllowance = data.allowance;
  }
  return view;
}

}  // namespace tallix
