#include "app/period_outlook.h"

#include "analysis/cost.h"
#include "app/budget.h"
#include "form/sentences.h"
#include "store/settings_file.h"
#include "store/text_forms.h"
#include "store/volume_file.h"

namespace tallix {
namespace {

std::string byWhen(const DateTime& lastDay) {
  return " by " + std::to_string(lastDay.day) + " " + monthAbbreviation(lastDay.month);
}

}  // namespace

OutlookLines outlookLines(const Outlook& o, std::optional<std::int64_t> cents, const std::string& currency,
                          const DateTime& lastDay, int budgetHours) {
  OutlookLines lines;
  if (o.forecastSeconds) {
    lines.forecast = std::string(kAtThisPace) + hoursMinutesText(*o.forecastSeconds) + byWhen(lastDay);
    if (cents) lines.forecast += ", " + moneyText(atPace(*cents, o), currency);
  }
  if (o.overBudget) {
    lines.allowance = kOverBudget;
  } else if (o.allowanceSecondsPerDay) {
    lines.allowance = hoursMinutesText(*o.allowanceSecondsPerDay) + " a day keeps you within " +
                      std::to_string(budgetHours) + " hr";
  }
  return lines;
}

std::string allowanceNumberText(int tenths) {
  if (tenths <= 0) return {};
  return std::to_string(tenths / 10) + (tenths % 10 != 0 ? "." + std::to_string(tenths % 10) : "");
}

std::string allowanceText(int tenths) { return allowanceNumberText(tenths) + " GB"; }

std::string periodVolumeLine(const std::optional<VolumeSoFar>& volume, int allowanceTenths) {
  const std::string of = allowanceTenths > 0 ? " of " + allowanceText(allowanceTenths) : "";
  if (!volume)
    return allowanceTenths > 0 ? std::string(kDataLabel) + std::string(kVolumeUnknown) + " (allowance " +
                                     allowanceText(allowanceTenths) + ")"
                               : "";
  return std::string(kDataLabel) + (volume->atLeast ? "at least " : "") + bytesText(volume->bytes) + of;
}

OutlookLines volumeOutlookLines(const Outlook& o, const std::optional<VolumeSoFar>& volume, const DateTime& lastDay,
                                int allowanceTenths) {
  OutlookLines lines;
  if (!volume) return lines;
  const auto used = static_cast<std::int64_t>(volume->bytes);
  if (o.forecastSeconds)
    lines.forecast = std::string(kAtThisPace) + (volume->atLeast ? "at least " : "") +
                     bytesText(static_cast<std::uint64_t>(atPace(used, o))) + byWhen(lastDay);
  if (const auto limit = static_cast<std::int64_t>(allowanceBytesOf(allowanceTenths)); limit > 0) {
    if (used >= limit) {
      lines.allowance = kOverAllowance;
    } else {
      // With some connections' bytes unknown, what is left is at most this.
      lines.allowance = (volume->atLeast ? "at most " : "") +
                        bytesText(static_cast<std::uint64_t>(perDayWithin(limit, used, o))) +
                        " a day keeps you within " + allowanceText(allowanceTenths);
    }
  }
  return lines;
}

}  // namespace tallix
