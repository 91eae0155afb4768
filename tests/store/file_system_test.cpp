#include "store/file_system.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "support/fake_services.h"

namespace tallix {
namespace {

using testing::TempDir;

void touch(const std::string& path, const std::string& text = "x") { std::ofstream(path) << text; }

std::string contents(const std::string& path) {
  std::ifstream in(path);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

TEST(FileSystem, CopyReplacesTheTargetWholeAndRenameNeverOverwrites) {
  TempDir dir;
  touch(dir.file("CountRec.zvt"), "new");
  touch(dir.file("CountRec.log"), "old");
  PendingError error;
  ASSERT_TRUE(copyFile(dir.file("CountRec.zvt"), dir.file("CountRec.log"), error));
  EXPECT_EQ(contents(dir.file("CountRec.log")), "new");
  EXPECT_FALSE(std::filesystem::exists(dir.file("CountRec.log.part")));

  EXPECT_FALSE(copyFile(dir.file("missing"), dir.file("other"), error));
  EXPECT_EQ(error.number, kFileNotFound);
  error.clear();

  touch(dir.file("1.log"), "one");
  EXPECT_FALSE(renameFile(dir.file("CountRec.zvt"), dir.file("1.log"), error));
  EXPECT_EQ(error.number, kFileAlreadyExists);
  EXPECT_EQ(contents(dir.file("1.log")), "one");
  error.clear();
  ASSERT_TRUE(renameFile(dir.file("CountRec.zvt"), dir.file("2.log"), error));
  EXPECT_FALSE(fileExists(dir.file("CountRec.zvt")));
  EXPECT_TRUE(fileExists(dir.file("2.log")));

  ASSERT_TRUE(makeFolder(dir.file("Oldlog"), error));
  EXPECT_TRUE(makeFolder(dir.file("Oldlog"), error)) << "an existing folder is no failure";
  EXPECT_FALSE(fileExists(dir.file("Oldlog")));
  EXPECT_FALSE(deleteFile(dir.file("Oldlog"), error)) << "delete removes files, never folders";
  EXPECT_TRUE(folderExists(dir.file("Oldlog")));
}

TEST(FileSystem, ListsLogFilesInNaturalOrder) {
  TempDir dir;
  for (const char* name : {"10.log", "2.log", "CountRec.log", "1.log", "notes.txt", "CountRec.zvt", "99.log"})
    touch(dir.file(name));
  std::filesystem::create_directory(dir.file("folder.log"));
  std::vector<std::string> names;
  PendingError error;
  ASSERT_TRUE(listFiles(dir.path(), ".log", names, error));
  EXPECT_EQ(names, (std::vector<std::string>{"1.log", "2.log", "10.log", "99.log", "CountRec.log"}));

  EXPECT_FALSE(listFiles(dir.file("nowhere"), ".log", names, error));
  EXPECT_TRUE(error.pending());
  EXPECT_EQ(names.size(), 5u) << "a failed listing leaves the list alone";
}

}  // namespace
}  // namespace tallix
