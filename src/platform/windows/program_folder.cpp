// The program folder on Windows: the executable's own path, the user's
// %LOCALAPPDATA%, and the uninstaller that marks an installed copy.
#include "platform/program_folder.h"

#include <filesystem>
#include <system_error>

#include "platform/files.h"
#include "platform/program_folder_parts.h"
#include "platform/windows/wide_text.h"
#include "platform/windows/windows_api.h"

namespace tallix {
namespace {

// Values are UTF-8 here; Windows is asked in UTF-16, never through the
// system's code page.
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

}  // namespace

std::string executableFolder() {
  const std::string path = utf8Of(runningProgramPathW());
  const size_t cut = path.find_last_of('\\');
  return cut == std::string::npos ? std::string() : path.substr(0, cut + 1);
}

namespace program_folder_parts {

char separator() { return '\\'; }

// A portable copy's folder is the one its user unpacked it into; an
// installed copy (Program Files) is told apart by its uninstaller.
bool ownedByUserAlone(const std::string& /*folder*/) { return true; }

std::string userDataFolder() {
  const std::string base = environment("LOCALAPPDATA");
  return base.empty() ? std::string() : withTrailingSeparator(base, '\\') + "tallix\\";
}

// The installer leaves its uninstaller beside the program; the portable copy
// has none.
std::string installedFolder() {
  const std::string program = executableFolder();
  std::error_code code;
  return std::filesystem::exists(os::fsPath(program + kUninstallerName), code) ? program : std::string();
}

}  // namespace program_folder_parts
}  // namespace tallix
