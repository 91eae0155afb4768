// The Calculation view's Load: header checks, period and creation dates,
// first and last time stamps, and the total of the connection pairs.
#pragma once

#include <string>

#include "form/main_form.h"

namespace tallix {

void cmdLoad_Click(MainForm& form);
void GetPeriodStart(MainForm& form, const std::string& record1);
void GetPeriodEnd(MainForm& form, const std::string& record2, PendingError& error);

}  // namespace tallix
