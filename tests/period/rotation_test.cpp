#include "period/rotation.h"

#include <filesystem>

#include "form/sentences.h"
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

TEST(Rotation, ClosedPeriodTakesTheLowestFreeNumber) {
  std::vector<int> allButLast;
  for (int j = 1; j < kArchiveSetSize; ++j) allButLast.push_back(j);
  const struct { std::vector<int> files, folders; std::string expected; } cases[] = {
      {{}, {}, "1.log"}, {{1, 2, 4}, {}, "3.log"}, {{2, 3}, {}, "1.log"}, {{1, 2}, {3}, "4.log"},
      {allButLast, {}, "99.log"}};
  for (const auto& c : cases) {
    Program p;
    for (int n : c.files) p.writeLog(numbered(n), {"kept " + std::to_string(n)});
    for (int n : c.folders) fs::create_directory(p.dir.file(numbered(n)));
    p.writeLog("CountRec.zvt", kOldPeriod);
    p.confirm("20", "10");
    EXPECT_EQ(p.log(c.expected), kOldPeriod) << c.expected;
    for (int n : c.files) EXPECT_EQ(p.log(numbered(n)), Strings{"kept " + std::to_string(n)});
    EXPECT_EQ(p.log("CountRec.zvt").size(), 2U) << c.expected;
    EXPECT_TRUE(p.services.messages.empty()) << c.expected;
  }
}

TEST(Rotation, FullSetMovesIntoOldlogAndNumberingStartsAgain) {
  Program p;
  fillSet(p, "first ");
  for (const char* other : {"CountRec.log", "100.log", "notes.log"}) p.writeLog(other, {other});
  p.writeLog("CountRec.zvt", kOldPeriod);
  p.today(2002, 4, 20);
  p.confirm("20", "10");
  EXPECT_TRUE(p.services.messages.empty());
  EXPECT_EQ(p.log("Oldlog/99.log"), Strings{"first 99"});
  EXPECT_FALSE(p.exists("2.log") || p.exists("99.log") || p.exists("CountRec.log"));
  EXPECT_EQ(p.log("1.log"), kOldPeriod);
  EXPECT_TRUE(p.exists("100.log") && p.exists("notes.log")) << "not of the set: left where they are";

  // The next wrap replaces the set in the existing Oldlog without complaint.
  fillSet(p, "second ", 2);
  const Strings secondPeriod = p.log("CountRec.zvt");
  p.today(2002, 5, 20);
  p.confirm("20", "10");
  EXPECT_TRUE(p.services.messages.empty());
  EXPECT_EQ(p.log("Oldlog/1.log"), kOldPeriod);
  EXPECT_EQ(p.log("Oldlog/99.log"), Strings{"second 99"});
  EXPECT_EQ(p.log("1.log"), secondPeriod);
}

// Archiving never loses a file: what cannot be moved or renamed stays where it was.
TEST(Rotation, WhatCannotBeArchivedStaysInPlace) {
  const struct {
    const char* name;
    bool fullSet;      // 1.log to 99.log exist
    const char* block;  // made a folder (or for Oldlog, a file) so the step fails
    bool periodKept;   // the old period stays current
  } cases[] = {{"a copy into Oldlog fails", true, "Oldlog/7.log", false},
               {"no copy lands, no number comes free", true, "Oldlog", true},
               {"rename refused", false, nullptr, true}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Program p;
    p.writeLog("CountRec.zvt", kOldPeriod);
    if (c.fullSet) fillSet(p, "set ");
    if (c.block && std::string_view(c.block) == "Oldlog") {
      p.writeLog("Oldlog", {"a file"});
    } else if (c.block) {
      fs::create_directories(p.dir.file(c.block));
    }
    p.form.PeriodActive = true;
    p.form.Recording = true;
    cmdInput_Click(p.form);
    p.form["lblF1NewFileCreated"].caption = "note";
    p.days("05", "04");
    if (!c.fullSet) setFaultAt(1);  // the rename is the first file step
    cmdConfirm_Click(p.form);
    setFaultAt(0);
    EXPECT_TRUE(p.oneReport(kHandlingFiles));
    EXPECT_EQ(p.log("7.log"), c.fullSet ? Strings{"set 7"} : Strings{});
    if (!c.periodKept) {
      EXPECT_EQ(p.log("Oldlog/8.log"), Strings{"set 8"});
      EXPECT_FALSE(p.exists("8.log"));
      EXPECT_EQ(p.log("1.log"), kOldPeriod);
      continue;
    }
    EXPECT_EQ(p.log("CountRec.zvt"), kOldPeriod);
    EXPECT_EQ(p.shownDays(), "20-10");
    EXPECT_TRUE(p.periodControlsEnabled(false));
    EXPECT_TRUE(p.form.PeriodActive && p.form.Recording && !p.form.NewFileCreated);
    EXPECT_EQ(p.form["lblF1NewFileCreated"].caption, "note");
    EXPECT_EQ(p.exists("1.log"), c.fullSet);
  }
}

// The new file either holds both headers or is not there at all: no
// connection may be recorded behind missing headers.
TEST(Rotation, FailedHeaderWriteLeavesNoHeaderlessFile) {
  for (long step : {1, 2, 3}) {  // open, the one write of both headers, close
    Program p;
    setFaultAt(step);
    p.confirm("01", "31");
    setFaultAt(0);
    EXPECT_TRUE(p.oneReport(kSavingData)) << step;
    EXPECT_FALSE(p.exists("CountRec.zvt") || p.form.PeriodActive) << step;
    EXPECT_EQ(p.form["lblF1NewFileCreated"].caption, "") << step;
    EXPECT_TRUE(p.form.NewFileCreated && !p.form["cmdConfirm"].enabled) << step;
  }
}

}  // namespace
}  // namespace tallix
