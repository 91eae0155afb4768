// The period reload at start-up and after midnight, with the rollover.
#pragma once

#include "form/main_form.h"

namespace tallix {

void ReloadPeriod(MainForm& form);

}  // namespace tallix
