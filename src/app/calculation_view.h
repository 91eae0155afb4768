// The Calculation view's Load: the chosen log is loaded as a plain value
// (analysis/loader.h) and copied into the view's labels and list.
#pragma once

#include "analysis/loader.h"
#include "form/main_form.h"

namespace tallix {

// Loads the log chosen in File1 with the part-minute setting as it stands;
// with none chosen the view is only reset.
void cmdLoad_Click(MainForm& form);

// Shows a load in the labels and List1 and reports its messages.
void showLoad(MainForm& form, const LogLoad& load);

}  // namespace tallix
