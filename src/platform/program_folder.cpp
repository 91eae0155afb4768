#include "platform/program_folder.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "platform/files.h"

#ifdef _WIN32
#include "platform/windows/wide_text.h"
#include "platform/windows/windows_api.h"
#else
#include <sys/stat.h>
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
// would not see them. The test file is made exclusively under a name nobody
// can guess, so nothing planted in the folder is ever opened or cut short.
bool canWriteIn(const std::string& folder) {
  os::Handle handle = os::kNoHandle;
  std::string made;
  if (os::createBeside(folder + "tallix-write-test", handle, made) != 0) return false;
  const bool closed = os::closeHandle(handle) == 0;
  os::removeFile(made);
  return closed;
}

#ifndef _WIN32
// The folder belongs to the user running the program and nobody else may
// make, rename or remove files in it.
bool ownedByUserAlone(const std::string& folder) {
  // The folder itself, also where its path is a link to it.
  struct stat info {};
  if (::stat(folder.c_str(), &info) != 0) return false;
  return S_ISDIR(info.st_mode) && info.st_uid == ::geteuid() && (info.st_mode & (S_IWGRP | S_IWOTH)) == 0;
}
#else
// A portable copy's folder is the one its user unpacked it into; an
// installed copy (Program Files) is told apart by its uninstaller.
bool ownedByUserAlone(const std::string& /*folder*/) { return true; }
#endif

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
  // A portable copy keeps its files beside itself only in a folder that is the
  // user's own: where others can write, they could swap the files under it.
  if (!programFolder.empty() && !sameFolder(programFolder, installedFolder) && ownedByUserAlone(programFolder) &&
      canWriteIn(programFolder))
    return {withTrailingSeparator(programFolder, kSeparator), true};
  const std::string folder = userDataFolder();
  if (folder.empty()) return {withTrailingSeparator(programFolder, kSeparator), false};
  std::error_code code;
  std::string bare = folder;
  bare.pop_back();
  // The last folder is made for its owner alone; the ones above it as usual.
  fs::create_directories(pathOf(bare).parent_path(), code);
  os::makePrivateFolder(bare);
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
