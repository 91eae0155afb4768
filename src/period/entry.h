// The period controls of the Main view: editing, the key filter, the checks
// of a confirmation, the day test and the start month.
#pragma once

#include <cstdint>
#include <string>

#include "form/main_form.h"

namespace tallix {

void cmdInput_Click(MainForm& form);
// Key filter of the day boxes: digits and backspace pass; any other key is
// dropped (set to 0) with a beep.
void txtStartDay_KeyPress(MainForm& form, std::int16_t& KeyAscii);
void txtEndDay_KeyPress(MainForm& form, std::int16_t& KeyAscii);
// Checks and pads the two days, then begins the new period (rotation).
// Called by the button and by the rollover.
void cmdConfirm_Click(MainForm& form);
void cmdRecover_Click(MainForm& form);

// Today's day of the month in the previous calendar month, "yyyy/mm/dd".
std::string LastMonthDate(MainForm& form);
// Whether day d lies inside the period s..e (e < s: runs into the next month).
bool dayInPeriod(int s, int e, int d);

}  // namespace tallix
