// Files on Windows: the program folder is named with backslashes, and a
// file another program holds open cannot be renamed, replaced or deleted.
// Every step must then report the failure and keep each record where it can
// be found again.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "form/main_form.h"
#include "form/sentences.h"
#include "period/entry.h"
#include "store/file_system.h"
#include "store/record_file.h"
#include "support/fake_services.h"

namespace tallix {
namespace {

using Strings = std::vector<std::string>;

const Strings kOldPeriod = {"From : 20_2002/03/20", "0_To : 10", "start: 0002/04/01 10:00:00",
                            "_end : 2002/04/01 11:00:00"};

std::string backslashed(std::string path) {
  std::replace(path.begin(), path.end(), '/', '\\');
  return path;
}

// A program whose AppPath is written the Windows way.
struct WindowsProgram {
  testing::FakeServices services;
  testing::TempDir dir;
  MainForm form{services, backslashed(dir.path())};

  std::string file(const std::string& name) const { return form.AppPath + name; }
  Strings log(const std::string& name) const { return testing::readLog(file(name)); }
  void writeLog(const std::string& name, const Strings& records) const { testing::writeLog(file(name), records); }
  void confirm() {
    services.clock = DateTime{2002, 4, 20, 9, 0, 30};
    cmdInput_Click(form);
    form["txtStartDay"].caption = "20";
    form["txtEndDay"].caption = "10";
    cmdConfirm_Click(form);
  }
  bool reportedOnce(std::string_view sentence) const {
    return services.messages.size() == 1 && services.messages[0].rfind(sentence, 0) == 0;
  }
};

// Holds a file open as another program would, for the life of the object.
class HeldOpen {
 public:
  explicit HeldOpen(const std::string& path) : file_(std::fopen(path.c_str(), "rb")) {}
  ~HeldOpen() {
    if (file_ != nullptr) std::fclose(file_);
  }
  HeldOpen(const HeldOpen&) = delete;
  HeldOpen& operator=(const HeldOpen&) = delete;
  bool ok() const { return file_ != nullptr; }

 private:
  std::FILE* file_;
};

TEST(WindowsFiles, CopyOverAnOpenLogFailsAndKeepsTheOldCopy) {
  WindowsProgram p;
  p.writeLog("CountRec.zvt", kOldPeriod);
  p.writeLog("CountRec.log", {"From : 20_2002/02/20", "0_To : 10"});
  PendingError error;
  {
    HeldOpen viewer(p.file("CountRec.log"));
    ASSERT_TRUE(viewer.ok());
    EXPECT_FALSE(copyFile(p.file("CountRec.zvt"), p.file("CountRec.log"), error));
  }
  EXPECT_TRUE(error.pending());
  EXPECT_EQ(p.log("CountRec.log"), (Strings{"From : 20_2002/02/20", "0_To : 10"}));
  EXPECT_FALSE(fileExists(p.file("CountRec.log.part")));
  error.clear();
  EXPECT_TRUE(copyFile(p.file("CountRec.zvt"), p.file("CountRec.log"), error));
  EXPECT_EQ(p.log("CountRec.log"), kOldPeriod);
}

TEST(WindowsFiles, RecordsAreWrittenWhileAViewerHasTheFileOpen) {
  WindowsProgram p;
  p.writeLog("CountRec.zvt", {"From : 20_2002/03/20", "0_To : 10"});
  HeldOpen viewer(p.file("CountRec.zvt"));
  ASSERT_TRUE(viewer.ok());
  PendingError error;
  EXPECT_TRUE(writeRecord(p.file("CountRec.zvt"), 3, "start: 00 2002/04/16 09:00:00", error));
  EXPECT_EQ(recordCount(p.file("CountRec.zvt"), error), 3);
  EXPECT_FALSE(error.pending());
}

TEST(WindowsRotation, AnOpenRecordFileStaysCurrentUntilItIsReleased) {
  WindowsProgram p;
  p.writeLog("CountRec.zvt", kOldPeriod);
  {
    HeldOpen viewer(p.file("CountRec.zvt"));
    ASSERT_TRUE(viewer.ok());
    p.confirm();
  }
  EXPECT_TRUE(p.reportedOnce(kHandlingFiles));
  EXPECT_EQ(p.log("CountRec.zvt"), kOldPeriod);
  EXPECT_FALSE(fileExists(p.file("1.log")));

  p.services.messages.clear();
  p.confirm();
  EXPECT_TRUE(p.services.messages.empty());
  EXPECT_EQ(p.log("1.log"), kOldPeriod);
  EXPECT_EQ(p.log("CountRec.zvt"), (Strings{"From : 20_2002/04/20", "0_To : 10"}));
}

TEST(WindowsRotation, AnOpenLogOfAFullSetStaysWhileTheRestMoves) {
  WindowsProgram p;
  for (int j = 1; j <= 99; ++j) p.writeLog(std::to_string(j) + ".log", {"set " + std::to_string(j)});
  p.writeLog("CountRec.zvt", kOldPeriod);
  {
    HeldOpen viewer(p.file("7.log"));
    ASSERT_TRUE(viewer.ok());
    p.confirm();
  }
  EXPECT_TRUE(p.reportedOnce(kHandlingFiles));
  EXPECT_EQ(p.log("7.log"), Strings{"set 7"});  // could not be deleted: still in its place
  EXPECT_EQ(p.log("Oldlog\\7.log"), Strings{"set 7"});
  EXPECT_EQ(p.log("Oldlog\\8.log"), Strings{"set 8"});
  EXPECT_FALSE(fileExists(p.file("8.log")));
  EXPECT_EQ(p.log("1.log"), kOldPeriod);
  EXPECT_EQ(p.log("CountRec.zvt").size(), 2U);
}

}  // namespace
}  // namespace tallix
