#include "platform/program_folder.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <system_error>

#ifdef _WIN32
#include "platform/windows/wide_text.h"
#include "platform/windows/windows_api.h"
#else
#include <pwd.h>
#include <unistd.h>
#endif

namespace tallix {
namespace {

namespace fs = std::filesystem;

#ifdef _WIN32
constexpr char kSeparator = '\\';
#else
constexpr char kSeparator = '/';
#endif

// Paths are UTF-8 here; Windows is given them as UTF-16, never through the
// system's code page.
#ifdef _WIN32
fs::path pathOf(const std::string& path) { return fs::path(wideOf(path)); }

std::string environment(const char* name) {
  const std::wstring wideName = wideOf(name);
  std::wstring value(MAX_PATH, L'\0');
  for (int round = 0; round < 2; ++round) {
    const DWORD got = GetEnvironmentVariableW(wideName.c_str(), value.data(), static_cast<DWORD>(value.size()));
    if (got == 0) return {};
    if (got < value.size()) return utf8Of(std::wstring_view(value.data(), got));
    value.resize(got);  // too small: `got` counts the zero the value needs
  }
  return {};
}
#else
fs::path pathOf(const std::string& path) { return fs::path(path); }

std::string environment(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr ? std::string(value) : std::string();
}
#endif

// Writable means a file can really be made there: permissions, a read-only
// mount and a full quota all show up this way, where a look at the mode bits
// would not see them.
bool canWriteIn(const std::string& folder) {
  static int attempt = 0;
#ifdef _WIN32
  const long pid = static_cast<long>(GetCurrentProcessId());
#else
  const long pid = static_cast<long>(::getpid());
#endif
  const std::string probe = folder + ".tallix-write-test-" + std::to_string(pid) + "-" + std::to_string(++attempt);
#ifdef _WIN32
  // Made new and gone when closed.
  const HANDLE file = CreateFileW(wideOf(probe).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                  FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
  return file != INVALID_HANDLE_VALUE && CloseHandle(file) != 0;
#else
  std::FILE* file = std::fopen(probe.c_str(), "wb");
  if (file == nullptr) return false;
  const bool closed = std::fclose(file) == 0;
  std::remove(probe.c_str());
  return closed;
#endif
}

std::string userDataFolder() {
#ifdef _WIN32
  const std::string base = environment("LOCALAPPDATA");
  return base.empty() ? std::string() : withTrailingSeparator(base, kSeparator) + "tallix\\";
#else
  // A relative XDG_DATA_HOME is to be ignored, as if it were not set.
  const std::string data = environment("XDG_DATA_HOME");
  if (!data.empty() && data.front() == '/') return withTrailingSeparator(data, kSeparator) + "tallix/";
  std::string home = environment("HOME");
  if (home.empty()) {
    const passwd* user = getpwuid(getuid());
    if (user != nullptr && user->pw_dir != nullptr) home = user->pw_dir;
  }
  return home.empty() ? std::string() : withTrailingSeparator(home, kSeparator) + ".local/share/tallix/";
#endif
}

bool sameFolder(const std::string& a, const std::string& b) {
  if (a.empty() || b.empty()) return false;
  std::error_code code;
  if (fs::equivalent(pathOf(a), pathOf(b), code)) return true;
  return withTrailingSeparator(a, kSeparator) == withTrailingSeparator(b, kSeparator);
}

}  // namespace

std::string withTrailingSeparator(std::string folder, char separator) {
  if (folder.empty() || folder.back() != separator) folder.push_back(separator);
  return folder;
}

std::string executableFolder() {
#ifdef _WIN32
  const std::string path = utf8Of(runningProgramPathW());
#else
  std::error_code code;
  const std::string path = fs::read_symlink("/proc/self/exe", code).string();
  if (code || path.empty()) return {};
#endif
  const size_t cut = path.find_last_of(kSeparator);
  return cut == std::string::npos ? std::string() : path.substr(0, cut + 1);
}

DataFolder chooseDataFolder(const std::string& programFolder, const std::string& installedFolder) {
  if (!programFolder.empty() && !sameFolder(programFolder, installedFolder) && canWriteIn(programFolder))
    return {withTrailingSeparator(programFolder, kSeparator), true};
  const std::string folder = userDataFolder();
  if (folder.empty()) return {withTrailingSeparator(programFolder, kSeparator), false};
  std::error_code code;
  const bool made = fs::create_directories(pathOf(folder), code);
#ifndef _WIN32
  // Only its owner reads a user's data folder, as is usual for one made anew.
  if (made) fs::permissions(pathOf(folder), fs::perms::owner_all, code);
#else
  (void)made;
#endif
  return {folder, canWriteIn(folder)};
}

DataFolder programDataFolder() {
#ifdef TALLIX_INSTALL_BINDIR
  const std::string installed = TALLIX_INSTALL_BINDIR;
#elif defined(_WIN32)
  // The installer leaves its uninstaller beside the program; the portable
  // copy has none.
  const std::string program = executableFolder();
  std::error_code code;
  const std::string installed = fs::exists(pathOf(program + kUninstallerName), code) ? program : std::string();
#else
  const std::string installed;
#endif
  return chooseDataFolder(executableFolder(), installed);
}

}  // namespace tallix
