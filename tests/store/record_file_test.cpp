#include "store/record_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "store/fault.h"
#include "store/settings_file.h"
#include "support/fake_services.h"

namespace tallix {
namespace {

using testing::TempDir;

std::string readBytes(const std::string& path) {
  std::string bytes;
  PendingError error;
  EXPECT_TRUE(readWholeFile(path, bytes, error));
  return bytes;
}

TEST(RecordFile, CountsRecordsToTheNearestWhole) {
  TempDir dir;
  const std::pair<long long, long> cases[] = {{0, 0},  {14, 0}, {15, 1}, {43, 1}, {44, 2}, {29 * 4 + 14, 4},
                                              {29 * 4 + 15, 5}, {29LL * 32768, 32768}};
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
  TempDir dir;
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
  TempDir dir;
  std::filesystem::create_directory(dir.file("CountRec.zvt"));  // a folder where the file should be
  PendingError error;
  std::string record = "kept";
  EXPECT_FALSE(readRecord(dir.file("CountRec.zvt"), 1, record, error));
  EXPECT_EQ(record, "kept");
  EXPECT_TRUE(error.pending());

  // Each counted step can be made to fail; the rest of the procedure goes on.
  testing::writeLog(dir.file("log"), {"From : 15_2002/04/15", "1_To : 14"});
  for (long step = 1; step <= 4; ++step) {  // open, read, read, close
    PendingError stepError;
    setFaultAt(step);
    std::string one = "none";
    std::string two = "none";
    {
      RecordFile file(dir.file("log"), kRecordLength, stepError);
      file.read(1, one);
      file.read(2, two);
      file.close();
    }
    setFaultAt(0);
    // The last failure is the one reported: reading a file that never opened
    // fails again with "bad file name or number".
    EXPECT_EQ(stepError.number, step == 1 ? kBadFileNameOrNumber : kDeviceIoError) << step;
    EXPECT_EQ(one == "none", step <= 2) << step;
    EXPECT_EQ(two == "none", step <= 1 || step == 3) << step;
  }
}

TEST(SettingsFile, RoundTripsLabelsAndLittleEndianValues) {
  TempDir dir;
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
  EXPECT_EQ(back.label, "[F1Location]     ");
  EXPECT_EQ(back.value1, 1200);
  EXPECT_EQ(back.value2, -15);
  ASSERT_TRUE(readSettingsRecord(path, 3, back, error));  // past the end
  EXPECT_EQ(back.label, std::string(17, '\0'));
  EXPECT_EQ(back.value1, 0);
  EXPECT_FALSE(error.pending());
}

}  // namespace
}  // namespace tallix
