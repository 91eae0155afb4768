// Windows refuses to rename, replace or delete a file that another program
// holds open; the store must report that as a failure and leave the files
// as they were.
#include <gtest/gtest.h>

#include <cstdio>
#include <functional>

#include "store/file_system.h"
#include "store/record_file.h"
#include "support/fake_services.h"

namespace tallix {
namespace {

using testing::readLog;
using testing::TempDir;
using testing::writeLog;

// Holds a file open as another program would, for the life of the object.
class HeldOpen {
 public:
  explicit HeldOpen(const std::string& path) : file_(std::fopen(path.c_str(), "r+b")) {}
  ~HeldOpen() {
    if (file_ != nullptr) std::fclose(file_);
  }
  HeldOpen(const HeldOpen&) = delete;
  HeldOpen& operator=(const HeldOpen&) = delete;
  bool ok() const { return file_ != nullptr; }

 private:
  std::FILE* file_;
};

TEST(WindowsFileSemantics, AFileOpenElsewhereStaysAsItWas) {
  struct Case {
    const char* name;
    const char* held;  // the file another program holds open
    std::function<bool(const TempDir&, PendingError&)> step;
  };
  const Case cases[] = {
      {"rename the record file away", "CountRec.zvt",
       [](const TempDir& dir, PendingError& e) { return renameFile(dir.file("CountRec.zvt"), dir.file("1.log"), e); }},
      {"copy over an open CountRec.log", "CountRec.log",
       [](const TempDir& dir, PendingError& e) {
         return copyFile(dir.file("CountRec.zvt"), dir.file("CountRec.log"), e);
       }},
      {"delete an open log", "CountRec.log",
       [](const TempDir& dir, PendingError& e) { return deleteFile(dir.file("CountRec.log"), e); }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    TempDir dir;
    writeLog(dir.file("CountRec.zvt"), {"2002/04/01", "0", "start: 00 2002/04/16 09:00:00"});
    writeLog(dir.file("CountRec.log"), {"2002/03/01", "1"});
    PendingError error;
    {
      HeldOpen other(dir.file(c.held));
      ASSERT_TRUE(other.ok());
      EXPECT_FALSE(c.step(dir, error));
    }
    EXPECT_NE(error.number, 0);
    EXPECT_FALSE(error.description.empty());
    EXPECT_EQ(readLog(dir.file("CountRec.zvt")).size(), 3u);
    EXPECT_EQ(readLog(dir.file("CountRec.log")), (std::vector<std::string>{"2002/03/01", "1"}));
    EXPECT_FALSE(fileExists(dir.file("1.log")));
    EXPECT_FALSE(fileExists(dir.file("CountRec.log.part")));

    // Once the other program lets go, the same step goes through.
    error.clear();
    EXPECT_TRUE(c.step(dir, error));
    EXPECT_EQ(error.number, 0);
  }
}

TEST(WindowsFileSemantics, RecordsCanBeWrittenWhileAnotherReaderHasTheFile) {
  // A viewer that has CountRec.zvt open must not stop the tick's writes.
  TempDir dir;
  writeLog(dir.file("CountRec.zvt"), {"2002/04/01", "0"});
  HeldOpen reader(dir.file("CountRec.zvt"));
  ASSERT_TRUE(reader.ok());
  PendingError error;
  EXPECT_TRUE(writeRecord(dir.file("CountRec.zvt"), 3, "start: 00 2002/04/16 09:00:00", error));
  EXPECT_EQ(error.number, 0);
  EXPECT_EQ(recordCount(dir.file("CountRec.zvt"), error), 3);
}

}  // namespace
}  // namespace tallix
