#include "platform/windows/run_value.h"

#include <algorithm>

#include "platform/autostart.h"

namespace tallix {

bool SetRunValue(HKEY root, const std::string& name, const std::string& data) {
  HKEY key = nullptr;
  if (RegCreateKeyA(root, kRunKeyPath, &key) != ERROR_SUCCESS) return false;
  // The size counts the terminating zero.
  const LONG written = RegSetValueExA(key, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()),
                                      static_cast<DWORD>(data.size() + 1));
  RegCloseKey(key);
  return written == ERROR_SUCCESS;
}

void DeleteRunValue(HKEY root, const std::string& path, const std::string& name) {
  HKEY key = nullptr;
  if (RegOpenKeyA(root, path.c_str(), &key) != ERROR_SUCCESS) return;
  RegDeleteValueA(key, name.c_str());
  RegCloseKey(key);
}

namespace {

std::string runningProgramPath() {
  // Long paths reach 32767 characters; a name cut short is retried larger.
  for (std::string path(MAX_PATH, '\0'); path.size() <= 32768; path.resize(path.size() * 2)) {
    DWORD got = GetModuleFileNameA(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (got == 0) break;
    if (got < path.size()) {
      path.resize(got);
      return path;
    }
  }
  return {};
}

}  // namespace

std::string runValueData(const std::string& executablePath) {
  std::string path = executablePath;
  std::replace(path.begin(), path.end(), '/', '\\');
  if (path.find('\\') == std::string::npos) path = runningProgramPath();  // no folder given
  std::string data = path.substr(0, path.find_last_of('\\') + 1) + kRunValueName;
  if (data.find(' ') != std::string::npos) data = "\"" + data + "\"";
  return data;
}

bool writeStartAtLogOn(const std::string& data, const RunRoots& roots) {
  if (SetRunValue(roots.machine, kRunValueName, data)) {
    DeleteRunValue(roots.user, kRunKeyPathForDelete, kRunValueName);
    return true;
  }
  return SetRunValue(roots.user, kRunValueName, data);
}

void removeStartAtLogOn(const RunRoots& roots) {
  DeleteRunValue(roots.machine, kRunKeyPathForDelete, kRunValueName);
  DeleteRunValue(roots.user, kRunKeyPathForDelete, kRunValueName);
}

void enableStartAtLogOn(const std::string& executablePath) { writeStartAtLogOn(runValueData(executablePath)); }

void disableStartAtLogOn() { removeStartAtLogOn(); }

}  // namespace tallix
