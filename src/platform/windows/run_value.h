// Start with Windows: the value "tallix.exe" under the machine's Run key.
#pragma once

#include "platform/windows/windows_api.h"

#include <string>

namespace tallix {

// Key names are not case-sensitive; each side keeps its own spelling.
inline constexpr char kRunKeyPath[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
inline constexpr char kRunKeyPathForDelete[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
inline constexpr char kRunValueName[] = "tallix.exe";

// Creates or opens the Run key under HKEY_LOCAL_MACHINE and writes the text
// value `name` = `data`. Nothing is written and nothing is reported when the
// key cannot be created or opened (for example without the right to write
// under HKEY_LOCAL_MACHINE).
void SetRunValue(const std::string& name, const std::string& data);

// Opens `path` under `root` and deletes the value `name`; results are not
// examined.
void DeleteRunValue(HKEY root, const std::string& path, const std::string& name);

// The Run value's data for the program at `executablePath`: its folder, a
// backslash and "tallix.exe", whatever the running file is called. Forward
// slashes become backslashes; a path with a blank is put in double quotes so
// that Windows cannot take a shorter part of it for the program. A path
// without a folder (or an empty one) stands for the running program.
std::string runValueData(const std::string& executablePath);

}  // namespace tallix
