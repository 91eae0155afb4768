#include "app/usage_view.h"

#include <algorithm>

#include "app/budget.h"
#include "analysis/cost.h"
#include "analysis/forecast.h"
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

namespace {

// The view with the hours axis reaching at least `paceSeconds` a day;
// with costs when the log was read with a tariff.
UsageView makeView(const LogUsage& usage, const std::optional<Tariff>& tariff, long long paceSeconds) {
  UsageView view;
  view.heading = usage.name;
  for (const std::string& message : usage.messages) view.messages.push_back(asLines(message));
  if (!usage.shown()) return view;

  view.heading += " : " + showDate(usage.texts.from) + " to " + showDate(usage.texts.to);
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
  for (size_t i = 0; i < usage.connections.size(); ++i) {
    const UsageConnection& c = usage.connections[i];
    view.rows.push_back({showStamp(usage.startStamp(c)), showStamp(usage.endStamp(c)), durationText(c.seconds),
                         costs ? centsText(usage.cost->cents[i]) : std::string()});
  }
  view.total = usage.totalShown;
  view.costs = costs;
  if (costs) view.cost = moneyText(usage.cost->totalCents, tariff->currency);
  return view;
}

}  // namespace

UsageView usageViewOf(const LogUsage& usage, const std::optional<Tariff>& tariff) {
  return makeView(usage, tariff, 0);
}

UsageView usageView(const MainForm& form, const std::string& name) {
  return usageViewOf(readLogUsage(form.AppPath, name, form["chkToBeMin"].value != 0, form.tariff), form.tariff);
}

UsageView currentPeriodUsageView(const MainForm& form) {
  const LogUsage usage =
      readLogUsage(form.AppPath, std::string(kCountRecZvt), form["chkToBeMin"].value != 0, form.tariff);
  const auto period = periodDays(usage.texts.from, usage.texts.to);
  if (!usage.shown() || !period) return usageViewOf(usage, form.tariff);
  const DateTime now = form.services->now();
  const auto cents = usage.cost ? std::optional(usage.cost->totalCents) : std::nullopt;
  const Outlook outlook = periodOutlook(usage.totalSeconds, *period, now, form.budget.hours);
  const long long pace = outlook.forecastSeconds ? *outlook.forecastSeconds * 86400 / outlook.lengthSeconds : 0;
  UsageView view = makeView(usage, form.tariff, pace);
  const OutlookLines lines =
      outlookLines(outlook, cents, form.tariff ? form.tariff->currency : "", period->last, form.budget.hours);
  view.forecast = lines.forecast;
  view.allowance = lines.allowance;
  return view;
}

}  // namespace tallix
