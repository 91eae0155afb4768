// Start at log-on on a Linux desktop: an autostart entry tallix.desktop in
// the user's autostart folder ($XDG_CONFIG_HOME/autostart, by default
// ~/.config/autostart). The entry is replaced as every file of the program
// is, so a crash or a power cut never leaves half an entry behind.
#include "platform/autostart.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <system_error>
#include <vector>

#include "platform/files.h"

namespace tallix {
namespace {

namespace fs = std::filesystem;

fs::path autostartFolder() {
  const char* config = std::getenv("XDG_CONFIG_HOME");
  // A relative XDG_CONFIG_HOME is to be ignored, as if it were not set.
  if (config != nullptr && config[0] == '/') return fs::path(config) / "autostart";
  const char* home = std::getenv("HOME");
  if (home == nullptr || home[0] == '\0') {
    const passwd* user = getpwuid(getuid());
    home = user != nullptr ? user->pw_dir : nullptr;
  }
  if (home == nullptr || home[0] == '\0') return {};
  return fs::path(home) / ".config" / "autostart";
}

// The program's path as one argument of an Exec line: quoted, with the
// characters that are special inside quotes escaped, then escaped once more
// as a value of the entry (a backslash is doubled there), and a per cent sign
// doubled so it is not taken for a field code.
std::string execArgument(const std::string& path) {
  std::string quoted = "\"";
  for (char c : path) {
    if (c == '"' || c == '`' || c == '$' || c == '\\') quoted += '\\';
    quoted += c;
  }
  quoted += '"';
  std::string value;
  for (char c : quoted) {
    if (c == '\\') {
      value += "\\\\";
    } else if (c == '%') {
      value += "%%";
    } else {
      value += c;
    }
  }
  return value;
}

std::string execLine(const std::string& executablePath) { return "\nExec=" + execArgument(executablePath) + "\n"; }

// Whether the entry in `folder` starts the program at `executablePath`.
bool entryNames(const fs::path& folder, const std::string& executablePath) {
  if (folder.empty()) return false;
  std::ifstream in(folder / "tallix.desktop", std::ios::binary);
  const std::string entry((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  return entry.find(execLine(executablePath)) != std::string::npos;
}

}  // namespace

bool enableStartAtLogOn(const std::string& executablePath) {
  // A path with a line break cannot be written as one line of the entry.
  if (executablePath.empty() || executablePath.find_first_of("\r\n") != std::string::npos) return false;
  const fs::path folder = autostartFolder();
  if (folder.empty()) return false;
  // Each folder made on the way is synced into the one above it, so the entry
  // cannot outlive its own folder's name at a power cut.
  std::vector<fs::path> missing;
  std::error_code code;
  for (fs::path level = folder; !level.empty() && !fs::exists(level, code); level = level.parent_path()) {
    missing.push_back(level);
    if (level == level.parent_path()) break;
  }
  for (auto level = missing.rbegin(); level != missing.rend(); ++level) {
    const std::string made = level->string();
    if (os::makePrivateFolder(made) != 0 || os::syncFolder(os::folderOf(made)) != 0) return false;
  }

  const std::string entry =
      "[Desktop Entry]\n"
      "Type=Application\n"
      "Name=Tallix\n"
      "Comment=Meters the time spent online over a dial-up connection" +
      execLine(executablePath) +
      "Terminal=false\n"
      "X-GNOME-Autostart-enabled=true\n";

  // Replaced durably, never through anything planted at its name.
  return os::replaceDurably((folder / "tallix.desktop").string(), [&entry](os::Handle handle) {
           return os::writeAt(handle, 0, entry.data(), entry.size());
         }) == 0;
}

// The one entry goes only when it names this program: another copy's stays.
std::vector<std::string> disableStartAtLogOn(const std::string& executablePath) {
  const fs::path folder = autostartFolder();
  if (entryNames(folder, executablePath)) ::unlink((folder / "tallix.desktop").c_str());
  return {};
}

bool startsAtLogOn(const std::string& executablePath) { return entryNames(autostartFolder(), executablePath); }

}  // namespace tallix
