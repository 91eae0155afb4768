// The hour gauge and the day count of the open connection.
#pragma once

#include <cstdint>

#include "form/main_form.h"

namespace tallix {

// Puts what the gauge shows into words, for screen readers.
void describeHourGauge(MainForm& form);
// Steps the gauge to the clock minute of the calling tick.
void UpdateHourGauge(MainForm& form, std::int16_t minute);
// Writes the open connection's start record (record EndRecNo - 1) with the
// current day count; reports its own failures.
void UpdateDaySpent(MainForm& form);

}  // namespace tallix
