// Start at log-on: the platform's entry that starts the program when the
// user logs on. The Settings view's box shows whether there is one.
#pragma once

#include <string>
#include <vector>

namespace tallix {

// Creates or replaces the entry for the program at `executablePath`; true
// when the program starts at log-on afterwards.
bool enableStartAtLogOn(const std::string& executablePath);
// Removes the entries that start the program at `executablePath`; nothing
// happens when there is none. Returns the entries that could not be removed
// (one that starts it for every user, without the rights to change it).
std::vector<std::string> disableStartAtLogOn(const std::string& executablePath);
// Whether an entry starts the program at `executablePath` at log-on.
bool startsAtLogOn(const std::string& executablePath);

}  // namespace tallix
