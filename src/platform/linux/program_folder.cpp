// The program folder on Linux: the executable through /proc, the user's
// data folder after the XDG rules, and the folder's owner and mode bits.
#include "platform/program_folder.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "platform/program_folder_parts.h"

namespace tallix {
namespace {

std::string environment(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr ? std::string(value) : std::string();
}

}  // namespace

std::string executableFolder() {
  std::error_code code;
  const std::string path = std::filesystem::read_symlink("/proc/self/exe", code).string();
  if (code || path.empty()) return {};
  const size_t cut = path.find_last_of('/');
  return cut == std::string::npos ? std::string() : path.substr(0, cut + 1);
}

namespace program_folder_parts {

char separator() { return '/'; }

bool ownedByUserAlone(const std::string& folder) {
  // The folder itself, also where its path is a link to it.
  struct stat info {};
  if (::stat(folder.c_str(), &info) != 0) return false;
  return S_ISDIR(info.st_mode) && info.st_uid == ::geteuid() && (info.st_mode & (S_IWGRP | S_IWOTH)) == 0;
}

std::string userDataFolder() {
  // A relative XDG_DATA_HOME is to be ignored, as if it were not set.
  const std::string data = environment("XDG_DATA_HOME");
  if (!data.empty() && data.front() == '/') return withTrailingSeparator(data, '/') + "tallix/";
  std::string home = environment("HOME");
  if (home.empty()) {
    const passwd* user = getpwuid(getuid());
    if (user != nullptr && user->pw_dir != nullptr) home = user->pw_dir;
  }
  return home.empty() ? std::string() : withTrailingSeparator(home, '/') + ".local/share/tallix/";
}

// An installed program never writes beside itself, even where it could.
std::string installedFolder() {
#ifdef TALLIX_INSTALL_BINDIR
  return TALLIX_INSTALL_BINDIR;
#else
  return {};
#endif
}

}  // namespace program_folder_parts
}  // namespace tallix
