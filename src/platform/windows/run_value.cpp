#include "platform/windows/run_value.h"

#include <algorithm>

#include "platform/autostart.h"

namespace tallix {

void SetRunValue(const std::string& name, const std::string& data) {
  HKEY key = nullptr;
  if (RegCreateKeyA(HKEY_LOCAL_MACHINE, kRunKeyPath, &key) != ERROR_SUCCESS) return;
  // The size counts the terminating zero.
  RegSetValueExA(key, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()),
                 static_cast<DWORD>(data.size() + 1));
  RegCloseKey(key);
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

void enableStartAtLogOn(const std::string& executablePath) {
  SetRunValue(kRunValueName, runValueData(executablePath));
}

void disableStartAtLogOn() { DeleteRunValue(HKEY_LOCAL_MACHINE, kRunKeyPathForDelete, kRunValueName); }

}  // namespace tallix
