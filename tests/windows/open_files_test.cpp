// Files on Windows: the program folder is named with backslashes, and a
// file another program holds open cannot be renamed, replaced or deleted.
// Every step must then report the failure and keep each record where it can
// be found again.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <string_view>
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
    form[form1::txtStartDay].caption = "20";
    form[form1::txtEndDay].caption = "10";
    cmdConfirm_Click(form);
  }
  bool reportedOnce(std::string_view sentence) const {
    return services.messages.size() == 1 && services.messages[0].rfind(sentence, 0) == 0;
  }
};

// Holds a file open as another program would, for the life of the object.
using HeldOpen = std::unique_ptr<std::FILE, int (*)(std::FILE*)>;
HeldOpen holdOpen(const std::string& path) { return {std::fopen(path.c_str(), "rb"), &std::fclose}; }

TEST(WindowsFiles, AnOpenLogKeepsItsOldCopyButTakesNewRecords) {
  WindowsProgram p;
  p.writeLog("CountRec.zvt", kOldPeriod);
  p.writeLog("CountRec.log", {"From : 20_2002/02/20", "0_To : 10"});
  PendingError error;
  {
    const HeldOpen viewer = holdOpen(p.file("CountRec.log"));
    ASSERT_TRUE(viewer);
    EXPECT_FALSE(copyFile(p.file("CountRec.zvt"), p.file("CountRec.log"), error));
  }
  EXPECT_TRUE(error.pending());
  EXPECT_EQ(p.log("CountRec.log"), (Strings{"From : 20_2002/02/20", "0_To : 10"}));
  EXPECT_FALSE(fileExists(p.file("CountRec.log.part")));
  error.clear();
  EXPECT_TRUE(copyFile(p.file("CountRec.zvt"), p.file("CountRec.log"), error));
  EXPECT_EQ(p.log("CountRec.log"), kOldPeriod);

  // Records are written while a viewer has the file open.
  const HeldOpen viewer = holdOpen(p.file("CountRec.zvt"));
  ASSERT_TRUE(viewer);
  EXPECT_TRUE(writeRecord(p.file("CountRec.zvt"), 5, "start: 00 2002/04/16 09:00:00", error));
  EXPECT_EQ(recordCount(p.file("CountRec.zvt"), error), 5);
  EXPECT_FALSE(error.pending());
}

// A file held open stays where it was, the rest of the archive goes on, and
// the next confirmation, with the file released, succeeds.
TEST(WindowsRotation, AHeldFileStaysInPlaceAndNothingIsLost) {
  for (const char* held : {"CountRec.zvt", "7.log"}) {
    SCOPED_TRACE(held);
    WindowsProgram p;
    const bool fullSet = std::string_view(held) == "7.log";
    for (int j = 1; fullSet && j <= 99; ++j) p.writeLog(std::to_string(j) + ".log", {"set " + std::to_string(j)});
    p.writeLog("CountRec.zvt", kOldPeriod);
    {
      const HeldOpen viewer = holdOpen(p.file(held));
      ASSERT_TRUE(viewer);
      p.confirm();
    }
    EXPECT_TRUE(p.reportedOnce(kHandlingFiles));
    if (fullSet) {
      EXPECT_EQ(p.log("7.log"), Strings{"set 7"});  // could not be deleted: still in its place
      EXPECT_EQ(p.log("Oldlog\\7.log"), Strings{"set 7"});
      EXPECT_EQ(p.log("Oldlog\\8.log"), Strings{"set 8"});
      EXPECT_FALSE(fileExists(p.file("8.log")));
      EXPECT_EQ(p.log("1.log"), kOldPeriod);
      continue;
    }
    EXPECT_EQ(p.log("CountRec.zvt"), kOldPeriod);
    EXPECT_FALSE(fileExists(p.file("1.log")));
    p.services.messages.clear();
    p.confirm();
    EXPECT_TRUE(p.services.messages.empty());
    EXPECT_EQ(p.log("1.log"), kOldPeriod);
    EXPECT_EQ(p.log("CountRec.zvt"), (Strings{"From : 20_2002/04/20", "0_To : 10"}));
  }
}

}  // namespace
}  // namespace tallix
