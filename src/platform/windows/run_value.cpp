#include "platform/windows/run_value.h"

#include <algorithm>

#include "platform/autostart.h"
#include "platform/windows/wide_text.h"

namespace tallix {
namespace {

constexpr char kMachineRunKeyName[] = "HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\Run\\";

// With backslashes; a path without a folder stands for the running program.
std::string programPath(const std::string& executablePath) {
  std::string path = executablePath;
  std::replace(path.begin(), path.end(), '/', '\\');
  if (path.find('\\') == std::string::npos) path = utf8Of(runningProgramPathW());
  return path;
}

std::string folderOf(const std::string& path) { return path.substr(0, path.find_last_of('\\') + 1); }

bool sameText(const std::string& a, const std::string& b) {
  const std::wstring wa = wideOf(a);
  const std::wstring wb = wideOf(b);
  return CompareStringOrdinal(wa.data(), static_cast<int>(wa.size()), wb.data(), static_cast<int>(wb.size()),
                              TRUE) == CSTR_EQUAL;
}

// The program a Run value's data starts: the quoted part, or up to the end
// of ".exe" (arguments may follow), or all of it.
std::string programOf(const std::string& data) {
  const size_t start = data.find_first_not_of(' ');
  if (start == std::string::npos) return {};
  if (data[start] == '"') {
    const size_t end = data.find('"', start + 1);
    return data.substr(start + 1, end == std::string::npos ? std::string::npos : end - start - 1);
  }
  std::string lower = data;
  std::transform(lower.begin(), lower.end(), lower.begin(),
                 [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; });
  const size_t exe = lower.find(".exe", start);
  if (exe != std::string::npos) return data.substr(start, exe + 4 - start);
  const size_t end = data.find_last_not_of(' ');
  return data.substr(start, end + 1 - start);
}

}  // namespace

std::string runValueName(const std::string& executablePath) {
  std::string folder = folderOf(programPath(executablePath));
  if (folder.size() > 1) folder.pop_back();  // the closing backslash
  return "Tallix (" + folder + ")";
}

std::string runValueData(const std::string& executablePath) {
  const std::string path = programPath(executablePath);
  return path.find(' ') == std::string::npos ? path : "\"" + path + "\"";
}

bool namesProgram(const std::string& data, const std::string& executablePath) {
  const std::string path = programPath(executablePath);
  const std::string started = programOf(data);
  return !started.empty() && (sameText(started, path) || sameText(started, folderOf(path) + kOldRunValueName));
}

std::vector<RunValue> runValues(HKEY key) {
  std::vector<RunValue> values;
  if (key == nullptr) return values;
  for (DWORD index = 0;; ++index) {
    // Names reach 16383 characters; texts are read in a second call.
    std::wstring name(16384, L'\0');
    DWORD nameLength = static_cast<DWORD>(name.size());
    DWORD type = 0;
    DWORD bytes = 0;
    const LONG listed = RegEnumValueW(key, index, name.data(), &nameLength, nullptr, &type, nullptr, &bytes);
    if (listed == ERROR_NO_MORE_ITEMS) break;
    if (listed != ERROR_SUCCESS) continue;
    if (type != REG_SZ && type != REG_EXPAND_SZ) continue;
    name.resize(nameLength);
    std::wstring data(bytes / sizeof(wchar_t) + 1, L'\0');
    DWORD size = static_cast<DWORD>(data.size() * sizeof(wchar_t));
    if (RegQueryValueExW(key, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(data.data()), &size) !=
        ERROR_SUCCESS)
      continue;
    data.resize(std::min<size_t>(data.size(), size / sizeof(wchar_t)));
    while (!data.empty() && data.back() == L'\0') data.pop_back();
    values.push_back({utf8Of(name), utf8Of(data)});
  }
  return values;
}

bool SetRunValue(HKEY key, const std::string& name, const std::string& data) {
  if (key == nullptr) return false;
  const std::wstring text = wideOf(data);
  // The size counts the terminating zero.
  return RegSetValueExW(key, wideOf(name).c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                        static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
}

bool DeleteRunValue(HKEY key, const std::string& name) {
  if (key == nullptr) return true;
  const LONG result = RegDeleteValueW(key, wideOf(name).c_str());
  return result == ERROR_SUCCESS || result == ERROR_FILE_NOT_FOUND;
}

bool startsProgram(const RunKeys& keys, const std::string& executablePath) {
  for (HKEY key : {keys.user, keys.machine})
    for (const RunValue& value : runValues(key))
      if (namesProgram(value.data, executablePath)) return true;
  return false;
}

bool writeStartAtLogOn(const RunKeys& keys, const std::string& executablePath) {
  const std::string own = runValueName(executablePath);
  for (const RunValue& value : runValues(keys.user))
    if (value.name != own && namesProgram(value.data, executablePath)) DeleteRunValue(keys.user, value.name);
  bool machineStarts = false;
  for (const RunValue& value : runValues(keys.machine))
    if (namesProgram(value.data, executablePath) && !DeleteRunValue(keys.machine, value.name)) machineStarts = true;
  if (machineStarts) return true;
  return SetRunValue(keys.user, own, runValueData(executablePath));
}

std::vector<std::string> removeStartAtLogOn(const RunKeys& keys, const std::string& executablePath) {
  std::vector<std::string> left;
  DeleteRunValue(keys.user, runValueName(executablePath));
  for (const RunValue& value : runValues(keys.user))
    if (namesProgram(value.data, executablePath)) DeleteRunValue(keys.user, value.name);
  for (const RunValue& value : runValues(keys.machine))
    if (namesProgram(value.data, executablePath) && !DeleteRunValue(keys.machine, value.name))
      left.push_back(kMachineRunKeyName + value.name);
  return left;
}

OpenRunKeys::OpenRunKeys() {
  if (RegCreateKeyExW(HKEY_CURRENT_USER, kRunKeyPath, 0, nullptr, 0, KEY_QUERY_VALUE | KEY_SET_VALUE, nullptr,
                      &keys_.user, nullptr) != ERROR_SUCCESS)
    keys_.user = nullptr;
  // A standard user may read the machine's key but not change it.
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kRunKeyPath, 0, KEY_QUERY_VALUE | KEY_SET_VALUE, &keys_.machine) !=
          ERROR_SUCCESS &&
      RegOpenKeyExW(HKEY_LOCAL_MACHINE, kRunKeyPath, 0, KEY_QUERY_VALUE, &keys_.machine) != ERROR_SUCCESS)
    keys_.machine = nullptr;
}

OpenRunKeys::~OpenRunKeys() {
  if (keys_.user != nullptr) RegCloseKey(keys_.user);
  if (keys_.machine != nullptr) RegCloseKey(keys_.machine);
}

bool enableStartAtLogOn(const std::string& executablePath) {
  OpenRunKeys run;
  return writeStartAtLogOn(run.keys(), executablePath);
}

std::vector<std::string> disableStartAtLogOn(const std::string& executablePath) {
  OpenRunKeys run;
  return removeStartAtLogOn(run.keys(), executablePath);
}

bool startsAtLogOn(const std::string& executablePath) {
  OpenRunKeys run;
  return startsProgram(run.keys(), executablePath);
}

}  // namespace tallix
