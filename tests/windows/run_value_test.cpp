#include "platform/windows/run_value.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>


namespace tallix {
namespace {

struct StoredValue {
  DWORD type = 0;
  std::string bytes;  // as stored, the terminating zero included
};

// Reads a value of the Run key under `root` back; nothing when it is not there.
std::optional<StoredValue> readRunValue(HKEY root, const char* name = kRunValueName) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(root, kRunKeyPath, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) return std::nullopt;
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

constexpr char kTestKey[] = "Software\\TallixTest";

// Two private keys stand in for the machine's and the user's registry. A
// machine key that refuses every write is a handle the registry rejects: Wine
// lets everyone write every key, whatever the key's security says.
class RunValue : public ::testing::Test {
 protected:
  HKEY open(const char* name) {
    HKEY key = nullptr;
    const std::string path = std::string(kTestKey) + "\\" + name;
    EXPECT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    opened_.push_back(key);
    return key;
  }
  void TearDown() override {
    for (HKEY key : opened_) RegCloseKey(key);
    RegDeleteTreeA(HKEY_CURRENT_USER, kTestKey);
  }
  std::vector<HKEY> opened_;
};

TEST_F(RunValue, SetWritesATextWithItsZeroAndDeleteRemovesOnlyIt) {
  HKEY root = open("machine");
  EXPECT_TRUE(SetRunValue(root, kRunValueName, "C:\\Tallix\\tallix.exe"));
  EXPECT_TRUE(SetRunValue(root, kRunValueName, "D:\\tallix.exe"));  // a second click replaces the value
  EXPECT_TRUE(SetRunValue(root, "tallix-other.exe", "C:\\other.exe"));
  auto stored = readRunValue(root);
  ASSERT_TRUE(stored.has_value());
  EXPECT_EQ(stored->type, static_cast<DWORD>(REG_SZ));
  EXPECT_EQ(stored->bytes, std::string("D:\\tallix.exe") + '\0');

  DeleteRunValue(root, kRunKeyPathForDelete, kRunValueName);
  DeleteRunValue(root, kRunKeyPathForDelete, kRunValueName);              // no such value
  DeleteRunValue(root, "SOFTWARE\\Tallix\\No\\Such\\Key", kRunValueName);  // no such key
  EXPECT_FALSE(readRunValue(root).has_value());
  EXPECT_TRUE(readRunValue(root, "tallix-other.exe").has_value());
}

// Ticking the box writes the machine's key where it may, else the user's;
// only one holds the value, and clearing the box removes it from both.
TEST_F(RunValue, TheUsersKeyTakesTheValueWhereTheMachinesRefuses) {
  const std::string data = "C:\\Meters\\tallix.exe";
  for (const bool machineWritable : {true, false}) {
    SCOPED_TRACE(machineWritable ? "machine writable" : "machine refuses");
    const RunRoots roots{machineWritable ? open("machine") : nullptr, open("user")};
    // A value left in the user's key by an earlier choice.
    ASSERT_TRUE(SetRunValue(roots.user, kRunValueName, "C:\\Old\\tallix.exe"));

    EXPECT_TRUE(writeStartAtLogOn(data, roots));
    const auto inMachine = readRunValue(roots.machine);
    const auto inUser = readRunValue(roots.user);
    EXPECT_EQ(inMachine.has_value(), machineWritable);
    EXPECT_EQ(inUser.has_value(), !machineWritable);
    const auto& stored = machineWritable ? inMachine : inUser;
    ASSERT_TRUE(stored.has_value());
    EXPECT_EQ(stored->bytes, data + '\0');

    ASSERT_TRUE(SetRunValue(roots.user, kRunValueName, data));
    removeStartAtLogOn(roots);
    EXPECT_FALSE(readRunValue(roots.machine).has_value());
    EXPECT_FALSE(readRunValue(roots.user).has_value());
    TearDown();
    opened_.clear();
  }
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
