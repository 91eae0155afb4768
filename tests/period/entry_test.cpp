#include "period/entry.h"

#include <filesystem>

#include "form/sentences.h"
#include "period/period_fixture.h"

namespace tallix {
namespace {

TEST_F(PeriodTest, KeyFilterPassesDigitsAndBackspaceOnly) {
  const std::pair<int, bool> cases[] = {{'0', true}, {'9', true}, {8, true}, {'/', false}, {':', false}, {'a', false}};
  int expectedBeeps = 0;
  for (auto* press : {&txtStartDay_KeyPress, &txtEndDay_KeyPress}) {
    for (const auto& [code, passes] : cases) {
      auto key = static_cast<std::int16_t>(code);
      press(form, key);
      EXPECT_EQ(key, passes ? code : 0) << code;
      expectedBeeps += passes ? 0 : 1;
      EXPECT_EQ(services.beeps, expectedBeeps) << code;
    }
  }
}

TEST_F(PeriodTest, ConfirmChecksAndPadsTheDays) {
  const struct {
    std::string start, end;
    std::string_view message;  // empty: accepted
    std::string shownStart, shownEnd;
  } cases[] = {
      {"7", "5", "", "07", "05"},                      {"31", "10", "", "31", "10"},
      {"0", "10", kInvalidStartingDay, "00", "10"},    {"32", "10", kInvalidStartingDay, "32", "10"},
      {"", "10", kInvalidStartingDay, "", "10"},       {"+5", "10", kInvalidStartingDay, "+5", "10"},
      {"05", "45", kInvalidEndingDay, "05", "45"},     {"05", "x", kInvalidEndingDay, "05", "0x"},
      {"9", "09", kSameDays, "09", "09"},              {"45", "45", kInvalidStartingDay, "45", "45"},
  };
  for (const auto& c : cases) {
    Program p;
    cmdInput_Click(p.form);
    p.days(c.start, c.end);
    cmdConfirm_Click(p.form);
    const std::string label = c.start + "-" + c.end;
    EXPECT_EQ(p.form["txtStartDay"].caption + "-" + p.form["txtEndDay"].caption, c.shownStart + "-" + c.shownEnd)
        << label;
    const bool accepted = c.message.empty();
    EXPECT_EQ(p.services.messages, accepted ? Strings{} : Strings{std::string(c.message)}) << label;
    EXPECT_EQ(p.exists("CountRec.zvt"), accepted) << label;
    EXPECT_FALSE(p.exists("1.log")) << "a first period archives nothing";
    EXPECT_TRUE(p.periodControlsEnabled(!accepted)) << label;
    EXPECT_EQ(p.form.NewFileCreated, accepted) << label;
  }
}

TEST_F(PeriodTest, ConfirmationWritesTheHeadersAndDecidesWhetherTodayIsRecorded) {
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
    p.days(c.start, c.end);
    cmdConfirm_Click(p.form);
    const std::string label = c.start + "-" + c.end + " on " + std::to_string(c.when.day);
    EXPECT_EQ(p.log("CountRec.zvt"), c.headers) << label;
    EXPECT_EQ(p.form.PeriodActive, c.active) << label;
    EXPECT_EQ(p.form["lblF1NoRecord"].caption, c.active ? "" : kRecordNotProgressing) << label;
  }
}

TEST_F(PeriodTest, ConfirmationResetsTheViewAndTheConnectionState) {
  today(2002, 4, 29);
  form.Recording = true;
  form.DaysSpanned = 3;
  form["lblStartTime"].caption = "start";
  form["lblEndTime"].caption = "end";
  cmdInput_Click(form);
  days("15", "14");
  cmdConfirm_Click(form);
  EXPECT_EQ(form["lblF1NewFileCreated"].caption, kNewFileCreated);
  EXPECT_FALSE(form.Recording || form.confirming);
  EXPECT_EQ(form.DaysSpanned, 0);
  EXPECT_EQ(form["lblStartTime"].caption + form["lblEndTime"].caption, "");

  // No confirmation starts while another runs.
  std::filesystem::remove(dir.file("CountRec.zvt"));
  form.confirming = true;
  cmdConfirm_Click(form);
  EXPECT_FALSE(exists("CountRec.zvt"));
}

TEST_F(PeriodTest, RecoverPutsTheConfirmedDaysBack) {
  cmdInput_Click(form);
  days("3", "");
  cmdRecover_Click(form);  // no period file yet: nothing happens
  EXPECT_EQ(form["txtStartDay"].caption, "3");
  EXPECT_TRUE(periodControlsEnabled(true));

  writeLog("CountRec.zvt", {"From : 15_2002/04/15", "1_To : 14", "start: 0002/04/16 09:12:40"});
  cmdRecover_Click(form);
  EXPECT_EQ(form["txtStartDay"].caption + "-" + form["txtEndDay"].caption, "15-14");
  EXPECT_TRUE(periodControlsEnabled(false));
  EXPECT_TRUE(services.messages.empty());

  // A failed read keeps the boxes as they are.
  cmdInput_Click(form);
  days("07", "05");
  form.LineRec = "From : 99_stale";
  setFaultAt(2);  // the read of record 1
  cmdRecover_Click(form);
  EXPECT_EQ(form["txtStartDay"].caption + "-" + form["txtEndDay"].caption, "07-05");
  EXPECT_TRUE(periodControlsEnabled(false));
  EXPECT_TRUE(oneReport(kLoadingData));
}

}  // namespace
}  // namespace tallix
