// The once-a-second tick of the main window's timer.
#pragma once

#include "form/main_form.h"

namespace tallix {

// Runs the monitor's part of one tick: period reload around midnight, title,
// probe, and the opening, refreshing and closing of the connection record in
// CountRec.zvt. The window's timer calls Timer1_TickAndBudget (app/budget.h),
// which runs this and then brings the budget up to date.
void Timer1_Timer(MainForm& form);

// Asks the platform whether a dial-up connection is up; a failure code of
// the platform's listing lands in lblDetect.
bool IsConnected(MainForm& form);

}  // namespace tallix
