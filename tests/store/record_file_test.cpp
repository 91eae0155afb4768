// Record files, the settings file and the file steps of the archive.
#include "store/record_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "store/fault.h"
#include "store/file_system.h"
#include "store/settings_file.h"
#include "support/fake_services.h"

namespace tallix {
namespace {

using testing::readLog;
using testing::writeLog;
using Strings = std::vector<std::string>;

std::string readBytes(const std::string& path) {
  std::string bytes;
  PendingError error;
  EXPECT_TRUE(readWholeFile(path, bytes, error));
  return bytes;
}

TEST(RecordFile, CountsRecordsToTheNearestWhole) {
  testing::TempDir dir;
  const std::pair<long long, long> cases[] = {{0, 0}, {14, 0}, {15, 1}, {43, 1}, {44, 2}, {29 * 4 + 15, 5},
                                              {29LL * 32768, 32768}};
  for (const auto& [length, count] : cases) {
    EXPECT_EQ(recordsInLength(length, kRecordLength), count) << length;
    if (length > 1000) continue;
    std::ofstream(dir.file("f"), std::ios::binary | std::ios::trunc) << std::string(static_cast<size_t>(length), 'x');
    PendingError error;
    EXPECT_EQ(recordCount(dir.file("f"), error), count) << length;
    EXPECT_FALSE(error.pending());
  }
}

TEST(RecordFile, WritesPaddedRecordsByNumberAndExtendsTheFile) {
  testing::TempDir dir;
  const std::string path = dir.file("CountRec.zvt");
  PendingError error;
  ASSERT_TRUE(writeRecord(path, 4, "_end : 2002/04/16 10:01:02", error));  // creates the missing file
  ASSERT_TRUE(writeRecord(path, 2, "1_To : 14", error));
  ASSERT_TRUE(writeRecord(path, 1, std::string(40, 'L'), error));  // cut at 29
  EXPECT_EQ(readBytes(path), std::string(29, 'L') + padRecord("1_To : 14") + std::string(29, ' ') +
                                 padRecord("_end : 2002/04/16 10:01:02"));
  std::string record;
  ASSERT_TRUE(readRecord(path, 9, record, error));
  EXPECT_EQ(record, std::string(29, ' ')) << "past the end reads blank";
  EXPECT_FALSE(error.pending());
}

TEST(RecordFile, FailedStepsLeaveTheBufferAndReportTheError) {
  testing::TempDir dir;
  writeLog(dir.file("log"), {"From : 15_2002/04/15", "1_To : 14"});
  for (long step = 1; step <= 4; ++step) {  // open, read, read, close
    PendingError error;
    setFaultAt(step);
    std::string one = "none";
    std::string two = "none";
    {
      RecordFile file(dir.file("log"), kRecordLength, error);
      file.read(1, one);
      file.read(2, two);
      file.close();
    }
    setFaultAt(0);
    // The last failure is the one reported: reading a file that never opened
    // fails again with "bad file name or number".
    EXPECT_EQ(error.number, step == 1 ? kBadFileNameOrNumber : kDeviceIoError) << step;
    EXPECT_EQ(one == "none", step <= 2) << step;
    EXPECT_EQ(two == "none", step <= 1 || step == 3) << step;
  }
}

TEST(SettingsFile, RoundTripsLabelsAndLittleEndianValues) {
  testing::TempDir dir;
  const std::string path = dir.file("tallix.ini");
  PendingError error;
  ASSERT_TRUE(writeSettingsRecord(path, 2, {"[CheckedRunMe]", 1, 0}, error));
  ASSERT_TRUE(writeSettingsRecord(path, 1, {"[F1Location]", 1200, -15}, error));
  const std::string bytes = readBytes(path);
  ASSERT_EQ(bytes.size(), 102u);
  // 1200 = 0x04B0 and -15 = 0xFFF1, low byte first.
  EXPECT_EQ(bytes.substr(0, 51), "[F1Location]     \xB0\x04\xF1\xFF" + std::string(30, '\0'));
  SettingsRecord back;
  ASSERT_TRUE(readSettingsRecord(path, 1, back, error));
  EXPECT_EQ(back.label + std::to_string(back.value1) + "|" + std::to_string(back.value2), "[F1Location]     1200|-15");
  ASSERT_TRUE(readSettingsRecord(path, 3, back, error));  // past the end
  EXPECT_EQ(back.label + std::to_string(back.value1), std::string(17, '\0') + "0");
  EXPECT_FALSE(error.pending());
}

TEST(FileSystem, CopyReplacesWholeRenameNeverOverwritesAndListingIsNatural) {
  testing::TempDir dir;
  writeLog(dir.file("CountRec.zvt"), {"new"});
  writeLog(dir.file("CountRec.log"), {"old", "longer"});
  PendingError error;
  ASSERT_TRUE(copyFile(dir.file("CountRec.zvt"), dir.file("CountRec.log"), error));
  EXPECT_EQ(readLog(dir.file("CountRec.log")), Strings{"new"});
  EXPECT_FALSE(copyFile(dir.file("missing"), dir.file("other"), error));
  EXPECT_EQ(error.number, kFileNotFound) << "the system's error becomes the program's number";
  error.clear();
  writeLog(dir.file("1.log"), {"one"});
  EXPECT_FALSE(renameFile(dir.file("CountRec.zvt"), dir.file("1.log"), error));
  EXPECT_EQ(error.number, kFileAlreadyExists);
  EXPECT_EQ(readLog(dir.file("1.log")), Strings{"one"});
  ASSERT_TRUE(makeFolder(dir.file("folder.log"), error));
  EXPECT_FALSE(deleteFile(dir.file("folder.log"), error)) << "delete removes files, never folders";

  for (const char* name : {"10.log", "2.log", "notes.txt"}) writeLog(dir.file(name), {});
  Strings names;
  ASSERT_TRUE(listFiles(dir.path(), ".log", names, error));
  EXPECT_EQ(names, (Strings{"1.log", "2.log", "10.log", "CountRec.log"}));
  EXPECT_FALSE(listFiles(dir.file("nowhere"), ".log", names, error));
  EXPECT_EQ(names.size(), 4u) << "a failed listing leaves the list alone";
}

}  // namespace
}  // namespace tallix
