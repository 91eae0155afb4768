#include "app/period_outlook.h"

#include "analysis/cost.h"
#include "app/budget.h"
#include "form/sentences.h"
#include "store/text_forms.h"

namespace tallix {

OutlookLines outlookLines(const Outlook& o, std::optional<std::int64_t> cents, const std::string& currency,
                          const DateTime& lastDay, int budgetHours) {
  OutlookLines lines;
  if (o.forecastSeconds) {
    lines.forecast = std::string(kAtThisPace) + hoursMinutesText(*o.forecastSeconds) + " by " +
                     std::to_string(lastDay.day) + " " + monthAbbreviation(lastDay.month);
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

}  // namespace tallix
