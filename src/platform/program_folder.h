// The program folder and the data folder: where the running executable lives,
// and where the program keeps its files (AppPath).
#pragma once

#include <string>

namespace tallix {

// The folder as given, with exactly one separator at its end.
std::string withTrailingSeparator(std::string folder, char separator);

// The folder of the running executable, ending in the separator; empty when
// the platform cannot tell.
std::string executableFolder();

struct DataFolder {
  std::string path;       // ends in the separator
  bool writable = false;  // a file could be made there
};

// The program folder itself when it is writable (a portable copy) and is not
// `installedFolder`, the folder the build installs the program into;
// otherwise the user's data folder, $XDG_DATA_HOME/tallix/ (by default
// ~/.local/share/tallix/; %LOCALAPPDATA%\tallix\ on Windows), made when
// missing. When neither can be written the user's data folder is given, not
// writable, so the program can name it.
DataFolder chooseDataFolder(const std::string& programFolder, const std::string& installedFolder);

// The uninstaller that the Windows installer puts beside the program: where
// it is, the program is an installed one.
inline constexpr char kUninstallerName[] = "Uninstall.exe";

// The same choice for the running program, with the installation folder this
// build was configured for (on Windows: the program's own folder when the
// installer put it there).
DataFolder programDataFolder();

}  // namespace tallix
