// Start at log-on: the platform's entry that starts the program when the
// user logs on. Failures are skipped silently; the caller records the
// user's choice in tallix.ini either way.
#pragma once

#include <string>

namespace tallix {

// Creates or replaces the entry for the program at `executablePath`.
void enableStartAtLogOn(const std::string& executablePath);
// Removes the entry; nothing happens when there is none.
void disableStartAtLogOn();

}  // namespace tallix
