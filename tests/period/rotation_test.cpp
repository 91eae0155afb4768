#include "period/rotation.h"

#include <filesystem>
#include <functional>

#include "form/sentences.h"
#include "period/entry.h"
#include "period/period_fixture.h"

namespace tallix {
namespace {

namespace fs = std::filesystem;

const Strings kOldPeriod = {"From : 20_2002/03/20", "0_To : 10", "start: 0002/04/01 10:00:00",
                            "_end : 2002/04/01 11:00:00"};

std::string numbered(int n) { return std::to_string(n) + ".log"; }

void fillSet(const Program& p, const std::string& tag, int from = 1) {
  for (int j = from; j <= kArchiveSetSize; ++j) p.writeLog(numbered(j), {tag + std::to_string(j)});
}

void confirm(Program& p, const std::string& start, const std::string& end) {
  cmdInput_Click(p.form);
  p.days(start, end);
  cmdConfirm_Click(p.form);
}

using RotationTest = PeriodTest;

TEST_F(RotationTest, ClosedPeriodTakesTheLowestFreeNumber) {
  std::vector<int> allButLast;
  for (int j = 1; j < kArchiveSetSize; ++j) allButLast.push_back(j);
  struct Case {
    std::vector<int> files;
    std::vector<int> folders;
    std::string expected;
  } cases[] = {{{}, {}, "1.log"}, {{1, 2, 4}, {}, "3.log"}, {{2, 3}, {}, "1.log"}, {{1, 2}, {3}, "4.log"},
               {allButLast, {}, "99.log"}};
  for (const auto& c : cases) {
    Program p;
    for (int n : c.files) p.writeLog(numbered(n), {"kept " + std::to_string(n)});
    for (int n : c.folders) fs::create_directory(p.dir.file(numbered(n)));
    p.writeLog("CountRec.zvt", kOldPeriod);
    confirm(p, "20", "10");
    EXPECT_EQ(p.log(c.expected), kOldPeriod) << c.expected;
    EXPECT_EQ(p.form.ArchiveName, c.expected);
    for (int n : c.files) EXPECT_EQ(p.log(numbered(n)), Strings{"kept " + std::to_string(n)});
    EXPECT_EQ(p.log("CountRec.zvt").size(), 2U) << c.expected;
    EXPECT_TRUE(p.services.messages.empty()) << c.expected;
  }
}

TEST_F(RotationTest, FullSetMovesIntoOldlogAndNumberingStartsAgain) {
  fillSet(*this, "first ");
  for (const char* other : {"CountRec.log", "100.log", "notes.log"}) writeLog(other, {other});
  writeLog("CountRec.zvt", kOldPeriod);
  today(2002, 4, 20);
  confirm(*this, "20", "10");
  EXPECT_TRUE(services.messages.empty());
  for (int j = 1; j <= kArchiveSetSize; ++j) {
    EXPECT_EQ(log("Oldlog/" + numbered(j)), Strings{"first " + std::to_string(j)});
    if (j > 1) {
      EXPECT_FALSE(exists(numbered(j))) << j;
    }
  }
  EXPECT_EQ(log("1.log"), kOldPeriod);
  EXPECT_FALSE(exists("CountRec.log"));
  EXPECT_TRUE(exists("100.log"));  // not one of the set: left where it is
  EXPECT_TRUE(exists("notes.log"));

  // The next wrap replaces the set in the existing Oldlog without complaint.
  fillSet(*this, "second ", 2);
  const Strings secondPeriod = log("CountRec.zvt");
  today(2002, 5, 20);
  confirm(*this, "20", "10");
  EXPECT_TRUE(services.messages.empty());
  EXPECT_EQ(log("Oldlog/1.log"), kOldPeriod);
  EXPECT_EQ(log("Oldlog/99.log"), Strings{"second 99"});
  EXPECT_EQ(log("1.log"), secondPeriod);
  EXPECT_EQ(log("CountRec.zvt"), (Strings{"From : 20_2002/05/20", "0_To : 10"}));
}

TEST_F(RotationTest, ALogWhoseCopyFailedStaysInThePlaceOfTheSet) {
  fillSet(*this, "set ");
  fs::create_directories(dir.file("Oldlog/7.log"));  // the copy of 7.log cannot land
  writeLog("CountRec.zvt", kOldPeriod);
  confirm(*this, "20", "10");
  EXPECT_TRUE(oneReport(kHandlingFiles));
  EXPECT_EQ(log("7.log"), Strings{"set 7"});
  EXPECT_EQ(log("Oldlog/8.log"), Strings{"set 8"});
  EXPECT_FALSE(exists("8.log"));
  EXPECT_EQ(log("1.log"), kOldPeriod);
  EXPECT_EQ(log("CountRec.zvt").size(), 2U);
}

TEST_F(RotationTest, OldPeriodStaysCurrentWhenItCannotBeArchived) {
  struct Case {
    const char* name;
    bool fullSet;  // 1.log to 99.log exist and Oldlog is a file: no copy lands, no number comes free
  } cases[] = {{"no free number", true}, {"rename refused", false}};
  for (const auto& c : cases) {
    Program p;
    p.writeLog("CountRec.zvt", kOldPeriod);
    if (c.fullSet) {
      fillSet(p, "set ");
      p.writeLog("Oldlog", {"a file"});
    }
    p.form.PeriodActive = true;
    p.form.Recording = true;
    cmdInput_Click(p.form);
    p.form["lblF1NewFileCreated"].caption = "note";
    p.days("05", "04");
    if (!c.fullSet) setFaultAt(1);  // the rename is the first file step
    cmdConfirm_Click(p.form);
    setFaultAt(0);
    EXPECT_TRUE(p.oneReport(kHandlingFiles)) << c.name;
    EXPECT_EQ(p.log("CountRec.zvt"), kOldPeriod) << c.name;
    EXPECT_EQ(p.form["txtStartDay"].caption, "20") << c.name;
    EXPECT_EQ(p.form["txtEndDay"].caption, "10") << c.name;
    EXPECT_TRUE(p.periodControlsEnabled(false)) << c.name;
    EXPECT_TRUE(p.form.PeriodActive && p.form.Recording && !p.form.NewFileCreated) << c.name;
    EXPECT_EQ(p.form["lblF1NewFileCreated"].caption, "note") << c.name;
    if (c.fullSet) {
      EXPECT_EQ(p.log("1.log"), Strings{"set 1"});
      EXPECT_EQ(p.log("99.log"), Strings{"set 99"});
    } else {
      EXPECT_FALSE(p.exists("1.log"));
    }
  }
}

// The new file either holds both headers or is not there at all: no
// connection may be recorded behind missing headers.
TEST(Rotation, FailedHeaderWriteLeavesNoHeaderlessFile) {
  for (long step : {1, 2, 3}) {  // open, the one write of both headers, close
    Program p;
    setFaultAt(step);
    confirm(p, "01", "31");
    setFaultAt(0);
    EXPECT_TRUE(p.oneReport(kSavingData)) << step;
    EXPECT_FALSE(p.exists("CountRec.zvt")) << step;
    EXPECT_FALSE(p.form.PeriodActive) << step;
    EXPECT_EQ(p.form["lblF1NewFileCreated"].caption, "") << step;
    EXPECT_TRUE(p.form.NewFileCreated) << step;
    EXPECT_FALSE(p.form["cmdConfirm"].enabled) << step;
  }
}

}  // namespace
}  // namespace tallix
