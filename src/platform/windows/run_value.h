// Start with Windows: the value "tallix.exe" under a Run key, the machine's
// where this user may write it, else the user's own.
#pragma once

#include "platform/windows/windows_api.h"

#include <string>

namespace tallix {

// Key names are not case-sensitive; each side keeps its own spelling.
inline constexpr char kRunKeyPath[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
inline constexpr char kRunKeyPathForDelete[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
inline constexpr char kRunValueName[] = "tallix.exe";

// Creates or opens the Run key under `root` and writes the text value
// `name` = `data`. True when the value was stored; false when the key cannot
// be created or opened (for example without the right to write under
// HKEY_LOCAL_MACHINE) or the value not written.
bool SetRunValue(HKEY root, const std::string& name, const std::string& data);

// Opens `path` under `root` and deletes the value `name`; results are not
// examined.
void DeleteRunValue(HKEY root, const std::string& path, const std::string& name);

// The two Run keys: the machine's (every user) and the user's own. Only tests
// give others.
struct RunRoots {
  HKEY machine = HKEY_LOCAL_MACHINE;
  HKEY user = HKEY_CURRENT_USER;
};

// Writes the value under the machine's key, and under the user's where the
// machine's refuses: a standard user may not write the machine's key. Only
// one of them holds it afterwards, so the program is started once. True
// when either holds it.
bool writeStartAtLogOn(const std::string& data, const RunRoots& roots = {});
// Removes the value from both keys.
void removeStartAtLogOn(const RunRoots& roots = {});

// The Run value's data for the program at `executablePath`: its folder, a
// backslash and "tallix.exe", whatever the running file is called. Forward
// slashes become backslashes; a path with a blank is put in double quotes so
// that Windows cannot take a shorter part of it for the program. A path
// without a folder (or an empty one) stands for the running program.
std::string runValueData(const std::string& executablePath);

}  // namespace tallix
