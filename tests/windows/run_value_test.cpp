#include "platform/windows/run_value.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/windows/wide_text.h"

namespace tallix {
namespace {

constexpr wchar_t kTestKey[] = L"Software\\TallixTest";
constexpr char kProgram[] = "C:\\Program Files\\Tallix\\tallix.exe";

TEST(RunValueText, NameDataAndWhatAValueStarts) {
  EXPECT_EQ(runValueName(kProgram), "Tallix (C:\\Program Files\\Tallix)");
  EXPECT_EQ(runValueName("C:/Tallix/bin/tallix (1).exe"), "Tallix (C:\\Tallix\\bin)");
  EXPECT_EQ(runValueName("C:\\tallix.exe"), "Tallix (C:)");

  struct Case { const char* path; const char* data; };
  const Case data[] = {
      {"C:\\Tallix\\tallix.exe", "C:\\Tallix\\tallix.exe"},
      {"C:\\Tools\\tallix (1).exe", "\"C:\\Tools\\tallix (1).exe\""},  // the file really running
      {"C:/Tallix/bin/tallix.exe", "C:\\Tallix\\bin\\tallix.exe"},      // the toolkit's slashes
      {"\\\\server\\share\\tallix.exe", "\\\\server\\share\\tallix.exe"},
      {kProgram, "\"C:\\Program Files\\Tallix\\tallix.exe\""},
      {"D:\\\xc3\xa9t\xc3\xa9\\\xd0\x94\\tallix.exe", "D:\\\xc3\xa9t\xc3\xa9\\\xd0\x94\\tallix.exe"},
  };
  for (const auto& c : data) EXPECT_EQ(runValueData(c.path), c.data) << c.path;

  struct Names { const char* data; bool names; };
  const Names names[] = {
      {"\"C:\\Program Files\\Tallix\\tallix.exe\"", true},
      {"\"c:\\program files\\TALLIX\\Tallix.EXE\" --hidden", true},  // case does not matter; arguments may follow
      {"C:\\Program Files\\Tallix\\tallix.exe", true},              // unquoted, as some tools write it
      {"C:\\Program Files\\Tallix\\tallix.exe /min", true},
      {"  \"C:\\Program Files\\Tallix\\tallix.exe\"", true},
      {"\"D:\\Portable\\tallix.exe\"", false},  // another copy
      {"\"C:\\Program Files\\Tallix\\other.exe\"", false},
      {"\"C:\\Program Files\\Tallix\\tallix.exe.bak\"", false},
      {"", false},
      {"   ", false},
  };
  for (const auto& c : names) EXPECT_EQ(namesProgram(c.data, kProgram), c.names) << c.data;
  // Older versions named the folder's tallix.exe whatever ran.
  EXPECT_TRUE(namesProgram("C:\\Tools\\tallix.exe", "C:\\Tools\\tallix (1).exe"));
}

// Two private keys stand in for the user's and the machine's Run keys. A
// machine key this user may not change is a handle opened for reading only.
class RunKeysTest : public ::testing::Test {
 protected:
  HKEY open(const char* name, REGSAM access = KEY_QUERY_VALUE | KEY_SET_VALUE) {
    HKEY key = nullptr;
    const std::wstring path = std::wstring(kTestKey) + L"\\" + wideOf(name);
    EXPECT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, access, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    opened_.push_back(key);
    return key;
  }
  void TearDown() override {
    for (HKEY key : opened_) RegCloseKey(key);
    RegDeleteTreeW(HKEY_CURRENT_USER, kTestKey);
  }
  static std::vector<std::string> namesIn(HKEY key) {
    std::vector<std::string> names;
    for (const RunValue& value : runValues(key)) names.push_back(value.name + "=" + value.data);
    std::sort(names.begin(), names.end());
    return names;
  }
  std::vector<HKEY> opened_;
};

TEST_F(RunKeysTest, TickingWritesOnlyTheUsersOwnValueAndClearingRemovesOnlyThisProgramsValues) {
  const RunKeys keys{open("user"), open("machine")};
  const std::string other = "Tallix (D:\\Portable)=D:\\Portable\\tallix.exe";
  // Another copy's value, and values older versions left for this program.
  ASSERT_TRUE(SetRunValue(keys.user, "Tallix (D:\\Portable)", "D:\\Portable\\tallix.exe"));
  ASSERT_TRUE(SetRunValue(keys.user, kOldRunValueName, "\"C:\\Program Files\\Tallix\\tallix.exe\""));
  ASSERT_TRUE(SetRunValue(keys.machine, kOldRunValueName, "\"C:\\Program Files\\Tallix\\tallix.exe\""));
  ASSERT_TRUE(SetRunValue(keys.machine, "Else", "C:\\Else\\else.exe"));
  EXPECT_TRUE(startsProgram(keys, kProgram));

  EXPECT_TRUE(writeStartAtLogOn(keys, kProgram));
  EXPECT_TRUE(writeStartAtLogOn(keys, kProgram));  // a second click changes nothing
  EXPECT_EQ(namesIn(keys.user),
            (std::vector<std::string>{"Tallix (C:\\Program Files\\Tallix)=\"" + std::string(kProgram) + "\"", other}));
  EXPECT_EQ(namesIn(keys.machine), std::vector<std::string>{"Else=C:\\Else\\else.exe"});
  EXPECT_TRUE(startsProgram(keys, kProgram));
  EXPECT_TRUE(startsProgram(keys, "D:\\Portable\\tallix.exe"));

  EXPECT_TRUE(removeStartAtLogOn(keys, kProgram).empty());
  EXPECT_EQ(namesIn(keys.user), std::vector<std::string>{other});
  EXPECT_FALSE(startsProgram(keys, kProgram));
  EXPECT_TRUE(removeStartAtLogOn(keys, kProgram).empty());  // nothing there: nothing happens
}

TEST_F(RunKeysTest, AMachineValueThisUserCannotRemoveIsToldAndNotDoubled) {
  HKEY writable = open("machine");
  ASSERT_TRUE(SetRunValue(writable, kOldRunValueName, "\"C:\\Program Files\\Tallix\\tallix.exe\""));
  const RunKeys keys{open("user"), open("machine", KEY_QUERY_VALUE)};

  // It starts the program already: no second value that would start it twice.
  EXPECT_TRUE(writeStartAtLogOn(keys, kProgram));
  EXPECT_TRUE(namesIn(keys.user).empty());
  EXPECT_TRUE(startsProgram(keys, kProgram));

  ASSERT_TRUE(SetRunValue(keys.user, runValueName(kProgram), runValueData(kProgram)));
  EXPECT_EQ(removeStartAtLogOn(keys, kProgram),
            std::vector<std::string>{"HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\Run\\tallix.exe"});
  EXPECT_TRUE(namesIn(keys.user).empty());
  EXPECT_TRUE(startsProgram(keys, kProgram));

  // Without keys at all nothing is written, and nothing is said.
  EXPECT_FALSE(writeStartAtLogOn(RunKeys{}, kProgram));
  EXPECT_TRUE(removeStartAtLogOn(RunKeys{}, kProgram).empty());
  EXPECT_FALSE(startsProgram(RunKeys{}, kProgram));
}

}  // namespace
}  // namespace tallix
