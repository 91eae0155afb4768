#include "period/entry.h"

#include "form/sentences.h"
#include "period/period_fixture.h"

namespace tallix {
namespace {

TEST(Entry, ConfirmChecksAndPadsTheDays) {
  const struct { std::string start, end; std::string_view message; std::string shown; } cases[] = {
      {"7", "5", "", "07-05"},                     {"31", "10", "", "31-10"},
      {"0", "10", kInvalidStartingDay, "00-10"},   {"32", "10", kInvalidStartingDay, "32-10"},
      {"", "10", kInvalidStartingDay, "-10"},      {"+5", "10", kInvalidStartingDay, "+5-10"},
      {"05", "45", kInvalidEndingDay, "05-45"},    {"05", "x", kInvalidEndingDay, "05-0x"},
      {"9", "09", kSameDays, "09-09"},             {"45", "45", kInvalidStartingDay, "45-45"},
  };
  for (const auto& c : cases) {
    Program p;
    p.confirm(c.start, c.end);
    const std::string label = c.start + "-" + c.end;
    const bool accepted = c.message.empty();
    EXPECT_EQ(p.shownDays(), c.shown) << label;
    EXPECT_EQ(p.services.messages, accepted ? Strings{} : Strings{std::string(c.message)}) << label;
    EXPECT_EQ(p.exists("CountRec.zvt"), accepted) << label;
    EXPECT_TRUE(p.periodControlsEnabled(!accepted)) << label;
  }
}

TEST(Entry, ConfirmationWritesTheHeadersAndDecidesWhetherTodayIsRecorded) {
  const struct { std::string start, end; DateTime when; Strings headers; int partMinute; bool active; } cases[] = {
      {"15", "14", {2002, 4, 10}, {"From : 15_2002/03/10", "0_To : 14"}, 0, true},
      {"15", "14", {2002, 4, 20}, {"From : 15_2002/04/20", "1_To : 14"}, 1, true},
      {"01", "20", {2002, 1, 25}, {"From : 01_2002/01/25", "0_To : 20"}, 0, false},
      // Last month's date keeps today's day, across the new year and past the month's end.
      {"15", "14", {2002, 1, 10}, {"From : 15_2001/12/10", "1_To : 14"}, 1, true},
      {"31", "30", {2002, 3, 30}, {"From : 31_2002/02/30", "0_To : 30"}, 0, true},
      {"01", "31", {2002, 4, 5}, {"From : 01_2002/04/05", "0_To : 31"}, 0, true},
      {"10", "25", {2002, 4, 5}, {"From : 10_2002/04/05", "0_To : 25"}, 0, false},
      {"20", "10", {2002, 4, 15}, {"From : 20_2002/03/15", "0_To : 10"}, 0, false},
  };
  for (const auto& c : cases) {
    Program p;
    p.services.clock = c.when;
    p.form["chkToBeMin"].value = c.partMinute;
    p.form["lblF1NoRecord"].caption = std::string(kRecordNotProgressing);
    p.form.Recording = true;
    p.form.DaysSpanned = 3;
    p.days(c.start, c.end);
    cmdConfirm_Click(p.form);
    const std::string label = c.start + "-" + c.end + " on " + std::to_string(c.when.day);
    EXPECT_EQ(p.log("CountRec.zvt"), c.headers) << label;
    EXPECT_EQ(p.form.PeriodActive, c.active) << label;
    EXPECT_EQ(p.form["lblF1NoRecord"].caption, c.active ? "" : kRecordNotProgressing) << label;
    EXPECT_EQ(p.form["lblF1NewFileCreated"].caption, kNewFileCreated) << label;
    EXPECT_FALSE(p.form.Recording || p.form.confirming || p.form.DaysSpanned != 0) << label;
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
  EXPECT_EQ(p.shownDays(), "3-");
  EXPECT_TRUE(p.periodControlsEnabled(true));

  p.writeLog("CountRec.zvt", {"From : 15_2002/04/15", "1_To : 14", "start: 0002/04/16 09:12:40"});
  cmdRecover_Click(p.form);
  EXPECT_EQ(p.shownDays(), "15-14");
  EXPECT_TRUE(p.periodControlsEnabled(false));
  EXPECT_TRUE(p.services.messages.empty());

  // A failed read keeps the boxes as they are.
  cmdInput_Click(p.form);
  p.days("07", "05");
  p.form.LineRec = "From : 99_stale";
  setFaultAt(2);  // the read of record 1
  cmdRecover_Click(p.form);
  EXPECT_EQ(p.shownDays(), "07-05");
  EXPECT_TRUE(p.periodControlsEnabled(false));
  EXPECT_TRUE(p.oneReport(kLoadingData));
}

}  // namespace
}  // namespace tallix
