#include "platform/windows/run_value.h"

#include <gtest/gtest.h>

#include <optional>

#include "platform/autostart.h"

namespace tallix {
namespace {

struct StoredValue {
  DWORD type = 0;
  std::string bytes;  // as stored, the terminating zero included
};

// Reads a value of the Run key back; nothing when it is not there.
std::optional<StoredValue> readRunValue(const char* name) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kRunKeyPath, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) return std::nullopt;
  StoredValue value;
  DWORD size = 0;
  LONG result = RegQueryValueExA(key, name, nullptr, &value.type, nullptr, &size);
  if (result == ERROR_SUCCESS) {
    value.bytes.resize(size);
    result = RegQueryValueExA(key, name, nullptr, &value.type, reinterpret_cast<BYTE*>(value.bytes.data()), &size);
    value.bytes.resize(size);
  }
  RegCloseKey(key);
  if (result != ERROR_SUCCESS) return std::nullopt;
  return value;
}

class RunValue : public ::testing::Test {
 protected:
  void SetUp() override {
    // Writing under HKEY_LOCAL_MACHINE needs an administrator on Windows;
    // Wine's registry lets anyone write.
    HKEY key = nullptr;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, kRunKeyPath, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr) !=
        ERROR_SUCCESS)
      GTEST_SKIP() << "no right to write under HKEY_LOCAL_MACHINE";
    RegCloseKey(key);
    DeleteRunValue(HKEY_LOCAL_MACHINE, kRunKeyPath, kRunValueName);
  }
  void TearDown() override { DeleteRunValue(HKEY_LOCAL_MACHINE, kRunKeyPath, kRunValueName); }
};

TEST_F(RunValue, SetWritesATextWithItsZeroAndDeleteRemovesOnlyIt) {
  SetRunValue(kRunValueName, "C:\\Tallix\\tallix.exe");
  SetRunValue(kRunValueName, "D:\\tallix.exe");  // a second click replaces the value
  SetRunValue("tallix-other.exe", "C:\\other.exe");
  auto stored = readRunValue(kRunValueName);
  ASSERT_TRUE(stored.has_value());
  EXPECT_EQ(stored->type, static_cast<DWORD>(REG_SZ));
  EXPECT_EQ(stored->bytes, std::string("D:\\tallix.exe") + '\0');

  DeleteRunValue(HKEY_LOCAL_MACHINE, kRunKeyPathForDelete, kRunValueName);
  DeleteRunValue(HKEY_LOCAL_MACHINE, kRunKeyPathForDelete, kRunValueName);  // no such value
  DeleteRunValue(HKEY_LOCAL_MACHINE, "SOFTWARE\\Tallix\\No\\Such\\Key", kRunValueName);  // no such key
  EXPECT_FALSE(readRunValue(kRunValueName).has_value());
  EXPECT_TRUE(readRunValue("tallix-other.exe").has_value());
  DeleteRunValue(HKEY_LOCAL_MACHINE, kRunKeyPath, "tallix-other.exe");
}

TEST_F(RunValue, StartAtLogOnNamesTallixInTheProgramFolder) {
  enableStartAtLogOn("C:\\Meters\\tallix-1.2.exe");
  auto stored = readRunValue(kRunValueName);
  ASSERT_TRUE(stored.has_value());
  EXPECT_EQ(stored->bytes, std::string("C:\\Meters\\tallix.exe") + '\0');
  disableStartAtLogOn();
  EXPECT_FALSE(readRunValue(kRunValueName).has_value());
}

TEST(RunValueData, IsTheProgramFolderAndTallixExe) {
  struct Case { const char* path; const char* data; };
  const Case cases[] = {
      {"C:\\Tallix\\tallix.exe", "C:\\Tallix\\tallix.exe"},
      {"C:\\Tools\\meter.exe", "C:\\Tools\\tallix.exe"},         // always names tallix.exe
      {"C:/Tallix/bin/tallix.exe", "C:\\Tallix\\bin\\tallix.exe"},  // the toolkit's slashes
      {"C:\\tallix.exe", "C:\\tallix.exe"},                       // a drive's root: one backslash
      {"\\\\server\\share\\tallix.exe", "\\\\server\\share\\tallix.exe"},
      {"C:\\Program Files\\Tallix\\tallix.exe", "\"C:\\Program Files\\Tallix\\tallix.exe\""},
  };
  for (const auto& c : cases) EXPECT_EQ(runValueData(c.path), c.data) << c.path;
}

TEST(RunValueData, WithoutAFolderTakesTheRunningProgram) {
  char own[MAX_PATH] = {};
  ASSERT_GT(GetModuleFileNameA(nullptr, own, MAX_PATH), 0u);
  std::string folder(own);
  folder.erase(folder.find_last_of('\\') + 1);
  std::string expected = folder + "tallix.exe";
  if (expected.find(' ') != std::string::npos) expected = "\"" + expected + "\"";
  EXPECT_EQ(runValueData(""), expected);
  EXPECT_EQ(runValueData("tallix.exe"), expected);
}

}  // namespace
}  // namespace tallix
