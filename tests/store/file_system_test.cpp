#include "store/file_system.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "support/fake_services.h"

namespace tallix {
namespace {

using testing::readLog;
using testing::TempDir;
using testing::writeLog;

TEST(FileSystem, CopyReplacesTheTargetWholeAndRenameNeverOverwrites) {
  TempDir dir;
  writeLog(dir.file("CountRec.zvt"), {"new"});
  writeLog(dir.file("CountRec.log"), {"old", "longer"});
  PendingError error;
  ASSERT_TRUE(copyFile(dir.file("CountRec.zvt"), dir.file("CountRec.log"), error));
  EXPECT_EQ(readLog(dir.file("CountRec.log")), std::vector<std::string>{"new"});
  EXPECT_FALSE(std::filesystem::exists(dir.file("CountRec.log.part")));
  EXPECT_FALSE(copyFile(dir.file("missing"), dir.file("other"), error));
  EXPECT_EQ(error.number, kFileNotFound) << "the system's error becomes the program's number";
  error.clear();

  writeLog(dir.file("1.log"), {"one"});
  EXPECT_FALSE(renameFile(dir.file("CountRec.zvt"), dir.file("1.log"), error));
  EXPECT_EQ(error.number, kFileAlreadyExists);
  EXPECT_EQ(readLog(dir.file("1.log")), std::vector<std::string>{"one"});

  ASSERT_TRUE(makeFolder(dir.file("Oldlog"), error));
  EXPECT_FALSE(deleteFile(dir.file("Oldlog"), error)) << "delete removes files, never folders";
  EXPECT_TRUE(folderExists(dir.file("Oldlog")));
}

TEST(FileSystem, ListsLogFilesInNaturalOrder) {
  TempDir dir;
  for (const char* name : {"10.log", "2.log", "CountRec.log", "1.log", "notes.txt"}) writeLog(dir.file(name), {});
  std::filesystem::create_directory(dir.file("folder.log"));
  std::vector<std::string> names;
  PendingError error;
  ASSERT_TRUE(listFiles(dir.path(), ".log", names, error));
  EXPECT_EQ(names, (std::vector<std::string>{"1.log", "2.log", "10.log", "CountRec.log"}));
  EXPECT_FALSE(listFiles(dir.file("nowhere"), ".log", names, error));
  EXPECT_EQ(names.size(), 4u) << "a failed listing leaves the list alone";
}

}  // namespace
}  // namespace tallix
