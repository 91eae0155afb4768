// The time budget and the data allowance: the period's time online so far as
// the Calculation view would total CountRec.zvt and its bytes so far, the
// Main view's lines that show them, and the desktop notices at 80% and at
// 100% of the hours and of the GB set in the Settings view.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "form/main_form.h"
#include "store/settings_file.h"

namespace tallix {

inline constexpr std::string_view kBudgetLabel = kTimeBudgetLabel;
inline constexpr std::int16_t kMostBudgetHours = 744;  // 31 days

// The hours typed into the Settings row: 0 for an empty box or 0, the hours
// for a whole number 1..744, nothing for anything else.
std::optional<std::int16_t> parseBudgetHours(std::string_view typed);

// The GB typed into the data allowance's row, in tenths: 0 for an empty box
// or 0; "1.5", "1,5", "10 GB" up to 3000 GB; nothing for anything else.
std::optional<std::int16_t> parseAllowanceTenths(std::string_view typed);

// "12 hr 05 min" for a number of seconds (part minutes dropped).
std::string hoursMinutesText(long long seconds);

// Start-up, after tallix.ini's record 3 was read into form.budget: a period
// begun during the load (a rollover at start) clears the warnings of the
// closed one; then the label is made from the record file.
void startBudget(MainForm& form, bool periodBegunDuringLoad);

// The window timer's event: the monitor's tick (Timer1_Timer), then the
// budget: the period's time so far. The
// record file is read again only when its shape changed (a new period, a
// connection starting or ending, the part-minute box); while connected the
// open connection's share is added once a minute.
void Timer1_TickAndBudget(MainForm& form);

// The Settings row was left or Enter was pressed: stores a valid number of
// hours as record 3 of tallix.ini, or says what is wrong and puts back the
// hours stored before.
void txtBudget_LostFocus(MainForm& form);
// The same for the data allowance's row (record 4).
void txtAllowance_LostFocus(MainForm& form);

// Makes the Main view's period line and outlook again now (after the
// tariff changed).
void refreshPeriodTime(MainForm& form);

// Offers the desktop the notices that are due but not yet taken (a way to show
// it has just appeared).
void giveDueNotice(MainForm& form);

// The period's time so far, in seconds, at `now`.
long long periodSecondsSoFar(MainForm& form, const DateTime& now);

}  // namespace tallix
