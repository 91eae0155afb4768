// The program folder: where the running executable lives.
#pragma once

#include <string>

namespace tallix {

// The folder as given, with exactly one separator at its end.
std::string withTrailingSeparator(std::string folder, char separator);

}  // namespace tallix
