// The period: confirmation of its days, the archive of the closed period it
// makes, and the reload that follows the calendar.
#include "period/entry.h"

#include <chrono>
#include <filesystem>

#include "form/sentences.h"
#include "period/period_fixture.h"
#include "period/reload.h"
#include "period/rotation.h"
#include "store/numbers.h"

namespace tallix {
namespace {

// A rejected pair of days is told and writes nothing; an accepted one is
// padded, writes both headers and decides whether today is recorded.
TEST(Entry, ConfirmationChecksTheDaysWritesTheHeadersAndDecidesWhetherTodayIsRecorded) {
  const struct { std::string start, end; std::string_view message; std::string shown; DateTime when = {2002, 4, 20};
                 Strings headers = {}; int partMinute = 0; bool active = false; } cases[] = {
      {"0", "10", kInvalidStartingDay, "00-10"},   {"32", "10", kInvalidStartingDay, "32-10"},
      {"", "10", kInvalidStartingDay, "-10"},      {"+5", "10", kInvalidStartingDay, "+5-10"},
      {"05", "45", kInvalidEndingDay, "05-45"},    {"05", "x", kInvalidEndingDay, "05-0x"},
      {"9", "09", kSameDays, "09-09"},             {"45", "45", kInvalidStartingDay, "45-45"},
      {"7", "5", "", "07-05", {2002, 4, 20}, {"From : 07_2002/04/20", "1_To : 05"}, 1, true},
      {"31", "10", "", "31-10", {2002, 4, 20}, {"From : 31_2002/03/20", "0_To : 10"}, 0, false},
      {"01", "20", "", "01-20", {2002, 1, 25}, {"From : 01_2002/01/25", "0_To : 20"}, 0, false},
      // Last month's date keeps today's day, across the new year and past the month's end.
      {"15", "14", "", "15-14", {2002, 1, 10}, {"From : 15_2001/12/10", "1_To : 14"}, 1, true},
      {"31", "30", "", "31-30", {2002, 3, 30}, {"From : 31_2002/02/30", "0_To : 30"}, 0, true},
      {"10", "25", "", "10-25", {2002, 4, 5}, {"From : 10_2002/04/05", "0_To : 25"}, 0, false},
      {"20", "10", "", "20-10", {2002, 4, 15}, {"From : 20_2002/03/15", "0_To : 10"}, 0, false},
  };
  for (const auto& c : cases) {
    Program p;
    p.services.clock = c.when;
    cmdInput_Click(p.form);
    p.form[form1::chkToBeMin].value = c.partMinute;
    p.form[form1::lblF1NoRecord].caption = std::string(kRecordNotProgressing);
    p.form.Recording = true;
    p.form.DaysSpanned = 3;
    p.days(c.start, c.end);
    cmdConfirm_Click(p.form);
    const std::string label = c.start + "-" + c.end + " on " + std::to_string(c.when.day);
    const bool accepted = c.message.empty();
    EXPECT_EQ(p.shownDays(), c.shown) << label;
    EXPECT_EQ(p.services.messages, accepted ? Strings{} : Strings{std::string(c.message)}) << label;
    EXPECT_TRUE(p.periodControlsEnabled(!accepted)) << label;
    EXPECT_EQ(p.log("CountRec.zvt"), c.headers) << label;
    EXPECT_EQ(p.form.PeriodActive, c.active) << label;
    EXPECT_EQ(p.form[form1::lblF1NoRecord].caption, c.active ? "" : kRecordNotProgressing) << label;
    EXPECT_EQ(p.form[form1::lblF1NewFileCreated].caption, accepted ? kNewFileCreated : "") << label;
    EXPECT_FALSE(accepted && (p.form.Recording || p.form.confirming || p.form.DaysSpanned != 0)) << label;
    EXPECT_FALSE(p.exists("1.log")) << "a first period archives nothing";
  }
  // No confirmation starts while another runs.
  Program p;
  p.form.confirming = true;
  p.confirm("15", "14");
  EXPECT_FALSE(p.exists("CountRec.zvt"));
}

TEST(Entry, RecoverPutsTheConfirmedDaysBack) {
  Program p;
  cmdInput_Click(p.form);
  p.days("3", "");
  cmdRecover_Click(p.form);  // no period file yet: nothing happens
  EXPECT_TRUE(p.shownDays() == "3-" && p.periodControlsEnabled(true)) << p.shownDays();

  p.writeLog("CountRec.zvt", {"From : 15_2002/04/15", "1_To : 14", "start: 0002/04/16 09:12:40"});
  cmdRecover_Click(p.form);
  EXPECT_TRUE(p.shownDays() == "15-14" && p.periodControlsEnabled(false) && p.services.messages.empty());

  // A failed read keeps the boxes as they are.
  cmdInput_Click(p.form);
  p.days("07", "05");
  p.form.LineRec = "From : 99_stale";
  setFaultAt(1);  // the read of the headers
  cmdRecover_Click(p.form);
  EXPECT_TRUE(p.shownDays() == "07-05" && p.periodControlsEnabled(false)) << p.shownDays();
  EXPECT_TRUE(p.oneReport(kLoadingData));
}

namespace fs = std::filesystem;

const Strings kOldPeriod = {"From : 20_2002/03/20", "0_To : 10", "start: 0002/04/01 10:00:00",
                            "_end : 2002/04/01 11:00:00"};

std::string numbered(int n) { return std::to_string(n) + ".log"; }

void fillSet(const Program& p, const std::string& tag) {
  for (int j = 1; j <= kArchiveSetSize; ++j) p.writeLog(numbered(j), {tag + std::to_string(j)});
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
    // The period's volume file goes with it, over one left by a deleted log.
    p.writeLog("CountRec.zvt.vol", {"volume"});
    p.writeLog(c.expected + ".vol", {"orphan"});
    p.confirm("20", "10");
    EXPECT_EQ(p.log(c.expected), kOldPeriod) << c.expected;
    EXPECT_EQ(p.log(c.expected + ".vol"), Strings{"volume"});
    EXPECT_FALSE(p.exists("CountRec.zvt.vol"));
    for (int n : c.files) EXPECT_EQ(p.log(numbered(n)), Strings{"kept " + std::to_string(n)});
    EXPECT_TRUE(p.log("CountRec.zvt").size() == 2U && p.services.messages.empty()) << c.expected;
  }
}

// A full set replaces the one in Oldlog without complaint (the fault walk
// moves one into a folder without Oldlog); numbering starts again at 1.
TEST(Rotation, FullSetMovesIntoOldlogAndNumberingStartsAgain) {
  Program p;
  fillSet(p, "new ");
  fs::create_directory(p.dir.file("Oldlog"));
  p.writeLog("Oldlog/1.log", {"old 1"});
  for (const char* other : {"CountRec.log", "100.log", "notes.log"}) p.writeLog(other, {other});
  // Volume files travel with their logs; an older one in Oldlog does not stay beside a log without one.
  for (const char* volume : {"1.log.vol", "CountRec.log.vol", "Oldlog/2.log.vol"}) p.writeLog(volume, {volume});
  p.writeLog("CountRec.zvt", kOldPeriod);
  p.confirm("20", "10");
  EXPECT_TRUE(p.log("Oldlog/1.log") == Strings{"new 1"} && p.log("Oldlog/99.log") == Strings{"new 99"});
  EXPECT_FALSE(p.exists("2.log") || p.exists("99.log") || p.exists("CountRec.log"));
  EXPECT_EQ(p.log("Oldlog/1.log.vol"), Strings{"1.log.vol"});
  EXPECT_FALSE(p.exists("Oldlog/2.log.vol") || p.exists("1.log.vol") || p.exists("CountRec.log.vol"));
  EXPECT_EQ(p.log("1.log"), kOldPeriod);
  EXPECT_TRUE(p.exists("100.log") && p.exists("notes.log")) << "not of the set: left where they are";
  EXPECT_TRUE(p.services.messages.empty());
}

// Archiving never loses a file: what cannot be moved or renamed stays where it was.
TEST(Rotation, WhatCannotBeArchivedStaysInPlace) {
  // With a full set (1.log to 99.log), a folder or a file in the way makes the step fail.
  // Oldlog may also be a link to a folder elsewhere: nothing is copied there.
  const struct { const char* name; bool fullSet; const char* folder; const char* file; long fault; bool link; } cases[] = {
      {"a copy into Oldlog fails", true, "Oldlog/7.log", nullptr, 0, false},
      {"no copy lands, no number comes free: the old period stays current", true, nullptr, "Oldlog", 0, false},
      {"Oldlog is a link: nothing goes through it", true, nullptr, nullptr, 0, true},
      {"rename refused: the old period stays current", false, nullptr, nullptr, 1, false}};  // the first file step
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Program p;
    testing::TempDir elsewhere;
    p.writeLog("CountRec.zvt", kOldPeriod);
    if (c.fullSet) fillSet(p, "set ");
    if (c.folder) fs::create_directories(p.dir.file(c.folder));
    if (c.file) p.writeLog(c.file, {"a file"});
    if (c.link) {
#ifdef _WIN32
      continue;  // links to folders are a matter of privilege there
#else
      fs::create_directory_symlink(elsewhere.path(), p.dir.file("Oldlog"));
#endif
    }
    p.form.PeriodActive = p.form.Recording = true;
    cmdInput_Click(p.form);
    p.form[form1::lblF1NewFileCreated].caption = "note";
    p.days("05", "04");
    setFaultAt(c.fault);
    cmdConfirm_Click(p.form);
    setFaultAt(0);
    EXPECT_TRUE(p.oneReport(kHandlingFiles));
    EXPECT_EQ(p.log("7.log"), c.fullSet ? Strings{"set 7"} : Strings{});
    if (c.folder) {  // the files before it are in Oldlog, the rest in place
      EXPECT_TRUE(p.log("Oldlog/8.log") == Strings{"set 8"} && !p.exists("8.log"));
      EXPECT_EQ(p.log("1.log"), kOldPeriod);
      continue;
    }
    EXPECT_EQ(p.log("CountRec.zvt"), kOldPeriod);
    EXPECT_TRUE(p.shownDays() == "20-10" && p.periodControlsEnabled(false)) << p.shownDays();
    EXPECT_TRUE(p.form.PeriodActive && p.form.Recording && !p.form.NewFileCreated) << "the old period stays current";
    EXPECT_EQ(p.form[form1::lblF1NewFileCreated].caption, "note");
    EXPECT_EQ(p.exists("1.log"), c.fullSet);
    EXPECT_TRUE(fs::is_empty(elsewhere.path()));
  }
}

// The new file is written whole beside its name and renamed into place: it
// either holds both headers or is not there, so nothing is recorded behind
// missing headers.
TEST(Rotation, FailedHeaderWriteLeavesNoHeaderlessFile) {
  Program p;
  setFaultAt(1);
  p.confirm("01", "31");
  EXPECT_TRUE(p.oneReport(kSavingData));
  EXPECT_FALSE(p.exists("CountRec.zvt") || p.form.PeriodActive);
  EXPECT_TRUE(p.form[form1::lblF1NewFileCreated].caption.empty() && p.form.NewFileCreated &&
              !p.form[form1::cmdConfirm].enabled);
}

// A start that finds the period's file renamed to its number but no new
// CountRec.zvt (a power cut between the two steps) makes the new file from
// the newest log's headers; anything else is left as it is. Leftovers of an
// interrupted replacement go; other files stay.
TEST(Rotation, AStartCompletesARotationCutInTwo) {
  // volumeMoved: the period's volume file, left behind by the cut, joins its log.
  const struct { const char* name; bool zvt; std::string newest; Strings zvtAfter; bool volumeMoved; } cases[] = {
      {"cut in two", false, "1_To : 14", {"From : 15_2002/04/06", "1_To : 14"}, true},
      {"nothing to complete", true, "1_To : 14", {"From : 01_2002/04/01", "0_To : 31"}, false},
      {"a foreign newest log", false, "no header", {}, true},
      {"equal days", false, "0_To : 15", {}, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Program p;
    p.today(2002, 5, 6);
    const auto old = fs::file_time_type::clock::now() - std::chrono::hours(24);
    p.writeLog("1.log", {"From : 01_2002/03/01", "0_To : 31"});
    fs::last_write_time(p.dir.file("1.log"), old);
    p.writeLog("3.log", {"From : 15_2002/04/15", c.newest, "start: 002/04/16 09:12:40"});
    if (c.zvt) p.writeLog("CountRec.zvt", {"From : 01_2002/04/01", "0_To : 31"});
    p.writeLog("CountRec.zvt.vol", {"volume"});
    p.writeLog(".CountRec.zvt.0123456789abcdef.part", {"half"});
    p.writeLog(".3.log.vol.0123456789abcdef.part", {"half"});
    p.writeLog(".notes.0123456789abcdef.part", {"mine"});
    completeHalfDoneRotation(p.form);
    EXPECT_EQ(p.log("CountRec.zvt"), c.zvtAfter);
    EXPECT_EQ(p.exists("3.log.vol"), c.volumeMoved);
    EXPECT_NE(p.exists("CountRec.zvt.vol"), c.volumeMoved);
    EXPECT_TRUE(p.services.messages.empty());
    EXPECT_FALSE(p.exists(".CountRec.zvt.0123456789abcdef.part") || p.exists(".3.log.vol.0123456789abcdef.part"));
    EXPECT_TRUE(p.exists(".notes.0123456789abcdef.part"));
  }
}

TEST(ReloadPeriod, FollowsTheCalendarAndRollsOver) {
  // newHeader1 empty: no rollover. The month simulation rolls both shapes over at their first day.
  const struct { const char* name; std::string header1, header2; DateTime when; bool active; std::string newHeader1; }
      cases[] = {
      {"01-31 inside", "From : 01_2002/04/05", "0_To : 31", {2002, 4, 20, 9}, true, ""},
      {"15-14 new year tail", "From : 15_2002/12/20", "0_To : 14", {2003, 1, 10, 9}, true, ""},
      {"15-14 new year start", "From : 15_2002/12/20", "0_To : 14", {2003, 1, 15, 0}, true, "From : 15_2003/01/15"},
      {"20-10 gap day", "From : 20_2002/04/20", "0_To : 10", {2002, 5, 15, 0}, false, ""},
      {"20-10 next start", "From : 20_2002/04/20", "0_To : 10", {2002, 5, 20, 0}, true, "From : 20_2002/05/20"},
      {"10-25 before start", "From : 10_2002/04/05", "0_To : 25", {2002, 4, 9, 0}, false, ""},
      {"10-25 start day", "From : 10_2002/04/05", "0_To : 25", {2002, 4, 10, 0}, true, "From : 10_2002/04/10"},
      {"01-20 months later", "From : 01_2002/04/01", "0_To : 20", {2002, 7, 25, 9}, false, ""},
      {"01-20 next window", "From : 01_2002/04/01", "0_To : 20", {2002, 8, 1, 0}, true, "From : 01_2002/08/01"},
      {"30-29 end of February", "From : 30_2002/01/30", "0_To : 29", {2002, 2, 28, 0}, true, ""},
      {"30-29 March", "From : 30_2002/01/30", "0_To : 29", {2002, 3, 1, 0}, true, "From : 30_2002/02/01"},
      {"clock set back", "From : 01_2002/04/05", "0_To : 31", {2002, 3, 10, 0}, true, "From : 01_2002/03/10"},
      {"clock set back, next-month", "From : 15_2002/04/20", "0_To : 14", {2002, 2, 20, 0}, true, "From : 15_2002/02/20"},
      {"clock set back a year", "From : 15_2003/01/20", "0_To : 14", {2002, 12, 3, 9}, true, "From : 15_2002/11/03"},
      {"days out of range", "From : 45_2002/04/05", "0_To : 31", {2002, 5, 1, 0}, false, ""},
      {"equal days", "From : 05_2002/04/05", "0_To : 05", {2002, 5, 5, 0}, false, ""},
  };
  for (const auto& c : cases) {
    Program p;
    p.services.clock = c.when;
    p.form[form1::lblF1NoRecord].caption = std::string(kRecordNotProgressing);
    p.writeLog("CountRec.zvt", {c.header1, c.header2});
    ReloadPeriod(p.form);
    SCOPED_TRACE(c.name);
    EXPECT_EQ(p.form.PeriodActive, c.active);
    EXPECT_TRUE(p.services.messages.empty());
    EXPECT_EQ(p.form[form1::lblF1NoRecord].caption, c.active ? "" : kRecordNotProgressing);
    const bool rolled = !c.newHeader1.empty();
    const Strings old = {c.header1, c.header2};
    EXPECT_EQ(p.log("CountRec.zvt"), rolled ? (Strings{c.newHeader1, "0" + c.header2.substr(1)}) : old);
    EXPECT_EQ(p.log("1.log"), rolled ? old : Strings{});
    // The empty boxes receive the plain days; a rollover pads them.
    const std::string start = c.header1.substr(7, 2), end = c.header2.substr(7, 2);
    EXPECT_EQ(p.shownDays(), rolled ? start + "-" + end
                                    : std::to_string(std::stoi(start)) + "-" + std::to_string(std::stoi(end)));
  }
}

TEST(ReloadPeriod, UnconfirmedBadBoxesStopTheRolloverWithTheirMessage) {
  Program p;
  p.writeLog("CountRec.zvt", {"From : 05_2002/04/05", "1_To : 04"});
  p.days("10", "10");
  p.today(2002, 5, 5, 0);
  ReloadPeriod(p.form);
  EXPECT_EQ(p.services.messages, Strings{std::string(kSameDays)});
  EXPECT_FALSE(p.exists("1.log"));
}

TEST(ReloadPeriod, OpenConnectionIsClosedIntoTheOldFileWithoutBreakingPairs) {
  const std::string start = "start: 0002/04/30 22:00:00";
  const std::string staleEnd = "_end : 2002/04/30 23:58:00";
  const std::string newEnd = "_end : 2002/05/01 00:00:30";
  // body: the records past the headers; days: whole days counted so far; endRecNo: the open pair's
  // end record, as the tick keeps it; archived: the records past the headers in the archived file.
  const struct { const char* name; Strings body; int days, endRecNo; Strings archived; } cases[] = {
      // A lost start is written whole with the end, not left blank.
      {"start and end never written", {}, 0, 4, {start, newEnd}},
      // Started two days before in the minute after midnight: the second
      // whole day is due at this very tick and is counted before the close.
      {"a day due at the close", {"start: 0102/04/29 00:00:10", staleEnd}, 1, 4, {"start: 0202/04/29 00:00:10", newEnd}},
  };
  for (const auto& c : cases) {
    Program p;
    Strings records = {"From : 01_2002/04/05", "0_To : 31"};
    records.insert(records.end(), c.body.begin(), c.body.end());
    p.writeLog("CountRec.zvt", records);
    // The tick's memory of the open pair: its start, and the day of the start or of the last day counted.
    p.form.Recording = true;
    p.form.StartLine = c.days == 0 ? "start: 2002/04/30 22:00:00" : "start: 2002/04/29 00:00:10";
    p.form.StartHourText = mid(p.form.StartLine, 19, 2);
    p.form.StartMinuteText = mid(p.form.StartLine, 22, 2);
    p.form.DayText = "30";
    p.form.DaysSpanned = static_cast<std::int16_t>(c.days);
    p.form.EndRecNo = static_cast<std::int16_t>(c.endRecNo);
    p.today(2002, 5, 1, 0);
    ReloadPeriod(p.form);
    records.resize(2);
    records.insert(records.end(), c.archived.begin(), c.archived.end());
    EXPECT_EQ(p.log("1.log"), records) << c.name;
    EXPECT_FALSE(p.form.Recording || p.form.DaysSpanned != 0 || !p.services.messages.empty()) << c.name;
    EXPECT_EQ(p.log("CountRec.zvt"), (Strings{"From : 01_2002/05/01", "0_To : 31"})) << c.name;
  }
}

TEST(ReloadPeriod, FailedHeaderReadChangesNothing) {
  Program p;
  p.writeLog("CountRec.zvt", {"From : 01_2002/04/05", "0_To : 31"});
  p.form.Recording = true;
  p.form.LineRec = "From : 01_2002/01/01";
  p.today(2002, 5, 1, 0);  // a rollover would be due
  setFaultAt(1);           // the read of the headers
  ReloadPeriod(p.form);
  EXPECT_TRUE(p.oneReport(kLoadingBackDays));
  EXPECT_TRUE(p.shownDays() == "-" && p.form.Recording && !p.form.PeriodActive && !p.exists("1.log"));
  EXPECT_EQ(p.log("CountRec.zvt"), (Strings{"From : 01_2002/04/05", "0_To : 31"}));
}

}  // namespace
}  // namespace tallix
