// Start at log-on on Windows: a value under the user's own Run key
// (HKEY_CURRENT_USER), never the machine's. A value there would start the
// program in every user's session, and a copy in a folder others can write
// to would then run with their rights. Each copy has a value of its own,
// named after its folder, so an installed and a portable copy never replace
// or remove each other's; the value's data names the file really running.
#pragma once

#include "platform/windows/windows_api.h"

#include <string>
#include <vector>

namespace tallix {

inline constexpr wchar_t kRunKeyPath[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
// The name older versions gave their value, in either key, whatever the copy.
inline constexpr char kOldRunValueName[] = "tallix.exe";

// One value of a Run key: its name and its text (UTF-8).
struct RunValue {
  std::string name;
  std::string data;
};

// The two Run keys, opened: the user's for reading and writing, the
// machine's for reading and, where this user may, writing. Either may be
// null (no such key). Tests give keys of their own.
struct RunKeys {
  HKEY user = nullptr;
  HKEY machine = nullptr;
};

// The value name of the copy at `executablePath`: "Tallix (<its folder>)".
std::string runValueName(const std::string& executablePath);

// The value's data for the program at `executablePath`: the path itself, with
// backslashes, in double quotes when it holds a blank, so that Windows cannot
// take a shorter part of it for the program.
std::string runValueData(const std::string& executablePath);

// Whether a Run value's data starts the program at `executablePath` (or the
// "tallix.exe" of its folder, which older versions always named): the
// program part of the data, quoted or not, compared without regard to case.
bool namesProgram(const std::string& data, const std::string& executablePath);

// The text values of an open Run key.
std::vector<RunValue> runValues(HKEY key);
// Writes the text value `name` = `data`; true when it was stored.
bool SetRunValue(HKEY key, const std::string& name, const std::string& data);
// Deletes the value `name`; true when it is gone afterwards (or never was).
bool DeleteRunValue(HKEY key, const std::string& name);

// Whether a value in either key starts this program.
bool startsProgram(const RunKeys& keys, const std::string& executablePath);
// Ticking the box: the user's own value for this copy. Values older versions
// left that start this same program are removed where they can be (one in
// the machine's key that cannot be removed already starts it, so then no
// second value is written). True when the program starts at log-on after.
bool writeStartAtLogOn(const RunKeys& keys, const std::string& executablePath);
// Clearing the box: this copy's own value and every value naming this program
// go, from the user's key and, where this user may, from the machine's. The
// values left behind are returned, each as "HKEY_LOCAL_MACHINE\...\Run\name".
std::vector<std::string> removeStartAtLogOn(const RunKeys& keys, const std::string& executablePath);

// The real Run keys, opened for the calls above and closed when it goes.
class OpenRunKeys {
 public:
  OpenRunKeys();
  ~OpenRunKeys();
  OpenRunKeys(const OpenRunKeys&) = delete;
  OpenRunKeys& operator=(const OpenRunKeys&) = delete;
  const RunKeys& keys() const { return keys_; }

 private:
  RunKeys keys_;
};

}  // namespace tallix
