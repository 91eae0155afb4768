// The program keeps its texts, paths included, as UTF-8; Windows' own calls
// take UTF-16. These two convert, so every call to Windows can be a wide one
// and no text passes through the system's code page.
#pragma once

#include <string>
#include <string_view>

namespace tallix {

std::wstring wideOf(std::string_view utf8);
std::string utf8Of(std::wstring_view wide);

// The full path of the running program, whatever its length; empty when the
// system cannot tell.
std::wstring runningProgramPathW();

}  // namespace tallix
