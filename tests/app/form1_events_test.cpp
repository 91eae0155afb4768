#include "app/form1_events.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "form/sentences.h"
#include "store/fault.h"
#include "store/record_file.h"
#include "store/settings_file.h"
#include "support/fake_services.h"

namespace tallix {
namespace {

using testing::FakeServices;
using testing::readLog;
using testing::TempDir;
using testing::writeLog;
using Strings = std::vector<std::string>;

std::string bytesOf(const std::string& path) {
  std::string bytes;
  PendingError error;
  readWholeFile(path, bytes, error);
  return bytes;
}

void writeSettings(const std::string& path, const std::vector<SettingsRecord>& records) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  for (const auto& record : records) out << encodeSettingsRecord(record);
}

SettingsRecord settingsRecord(const std::string& path, long n) {
  SettingsRecord record;
  PendingError error;
  readSettingsRecord(path, n, record, error);
  return record;
}

bool reported(const FakeServices& services, std::string_view sentence) {
  return services.messages.size() == 1 && services.messages[0].rfind(std::string(sentence) + "Error # ", 0) == 0;
}

struct Form1Test : ::testing::Test {
  TempDir dir;
  FakeServices services;
  MainForm form{services, dir.path()};
  void TearDown() override { setFaultAt(0); }
};

TEST_F(Form1Test, FirstStartInAnEmptyFolder) {
  Form1_Form_Load(form);
  EXPECT_EQ(form["chkToBeMin"].value + form["chkRunMe"].value, 0);
  EXPECT_TRUE(form["fraMain"].visible);
  EXPECT_FALSE(form["fraSettings"].visible || form["fraCalculate"].visible);
  EXPECT_FALSE(form["cmdConfirm"].enabled || form["cmdRecover"].enabled);
  EXPECT_FALSE(form.placed || form.PeriodActive);
  EXPECT_EQ(bytesOf(dir.file("tallix.ini")), "");
  EXPECT_TRUE(std::filesystem::exists(dir.file("tallix.ini")));
  EXPECT_FALSE(std::filesystem::exists(dir.file("CountRec.zvt")));
  EXPECT_TRUE(services.messages.empty());
  EXPECT_FLOAT_EQ(form.TwipsPerMinute, 3816.0F / 60);  // the gauge's scale comes from the layout
  EXPECT_FLOAT_EQ(form.PointerOrigin, 1104);
}

TEST_F(Form1Test, LoadAppliesTheSettingsFileAndThePartMinuteSetting) {
  const struct { std::vector<SettingsRecord> records; bool placed; int runMe; } settings[] = {
      {{{"[F1Location]", 1500, 2400}, {"[CheckedRunMe]", 1, 0}}, true, 1},
      {{{"[F1Location]     ", -30, 0}, {"  [CheckedRunMe]", 0, 0}}, true, 0},
      {{{"[F1location]", 1500, 2400}, {"[CheckedRunMe]", 2, 0}}, false, 0},
      {{{"", 0, 0}, {"[CheckedRunMe]", 1, 0}}, false, 1},
  };
  for (const auto& c : settings) {
    TempDir folder;
    MainForm fresh(services, folder.path());
    writeSettings(folder.file("tallix.ini"), c.records);
    Form1_Form_Load(fresh);
    EXPECT_EQ(fresh.placed, c.placed) << c.records[0].label;
    if (c.placed) {
      EXPECT_EQ(fresh.windowTop, c.records[0].value1);
      EXPECT_EQ(fresh.windowLeft, c.records[0].value2);
    }
    EXPECT_EQ(fresh["chkRunMe"].value, c.runMe) << c.records[0].label;
  }
  // Record 2 of the period file: "0" or "1" first sets the box, another digit keeps it.
  const struct {
    std::string record2;
    int before, after;
  } partMinute[] = {{"1_To : 14", 0, 1}, {"0_To : 14", 1, 0}, {"   1_To : 14", 0, 1}, {"x_To : 14", 1, 0},
                    {"7_To : 14", 1, 1}};
  for (const auto& c : partMinute) {
    TempDir folder;
    MainForm fresh(services, folder.path());
    writeLog(folder.file("CountRec.zvt"), {"From : 01_2002/04/16", c.record2});
    fresh["chkToBeMin"].value = c.before;
    Form1_Form_Load(fresh);
    EXPECT_EQ(fresh["chkToBeMin"].value, c.after) << '"' << c.record2 << "\" from " << c.before;
  }
  EXPECT_TRUE(services.messages.empty());
}

TEST_F(Form1Test, ViewSwitchShowsExactlyTheChosenFrame) {
  Form1_Form_Load(form);
  for (const auto& [view, shown] : {std::pair{"Settings", "fraSettings"}, {"other", "fraSettings"},
                                    {"Calculation", "fraCalculate"}, {"Main", "fraMain"}}) {
    ShowView(form, view);
    for (const char* frame : {"fraMain", "fraSettings", "fraCalculate"})
      EXPECT_EQ(form[frame].visible, std::string(frame) == shown) << view << " " << frame;
  }
}

TEST_F(Form1Test, CalculationViewCopiesTheRecordFileAfreshEachTime) {
  writeLog(dir.file("CountRec.zvt"), {"From : 01_2002/04/16", "0_To : 31"});
  writeLog(dir.file("CountRec.log"), {"stale"});
  writeLog(dir.file("10.log"), {"From : 01_2002/02/01"});
  writeLog(dir.file("2.log"), {"From : 01_2002/03/01"});
  writeLog(dir.file("notes.txt"), {"x"});
  Form1_Form_Load(form);
  ShowView(form, "Calculation");
  EXPECT_EQ(bytesOf(dir.file("CountRec.log")), bytesOf(dir.file("CountRec.zvt")));
  EXPECT_EQ(form["File1"].items, (Strings{"2.log", "10.log", "CountRec.log"}));
  EXPECT_EQ(form["File1"].pattern, "*.log");
  EXPECT_EQ(form["File1"].path, dir.path());

  // A second visit sees what the tick wrote meanwhile; the chosen entry stays chosen.
  form["File1"].listIndex = 1;
  writeLog(dir.file("CountRec.zvt"), {"From : 01_2002/04/16", "0_To : 31", "start: 002/04/16 09:00:00"});
  writeLog(dir.file("1.log"), {"From : 01_2002/01/01"});
  ShowView(form, "Main");
  ShowView(form, "Calculation");
  EXPECT_EQ(readLog(dir.file("CountRec.log")).size(), 3U);
  EXPECT_EQ(form["File1"].items, (Strings{"1.log", "2.log", "10.log", "CountRec.log"}));
  EXPECT_EQ(form["File1"].listIndex, 2);
  EXPECT_TRUE(services.messages.empty());

  // Without a record file the last copy is left alone.
  std::filesystem::remove(dir.file("CountRec.zvt"));
  const std::string before = bytesOf(dir.file("CountRec.log"));
  ShowView(form, "Calculation");
  EXPECT_EQ(bytesOf(dir.file("CountRec.log")), before);
  EXPECT_TRUE(services.messages.empty());
}

TEST_F(Form1Test, AFailedCopyIsReportedAndTheListStillFilled) {
  writeLog(dir.file("CountRec.zvt"), {"From : 01_2002/04/16", "0_To : 31"});
  writeLog(dir.file("3.log"), {"From : 01_2002/02/01"});
  Form1_Form_Load(form);
  setFaultAt(1);  // the copy
  ShowView(form, "Calculation");
  EXPECT_TRUE(form["fraCalculate"].visible);
  EXPECT_EQ(form["File1"].items, Strings{"3.log"});
  EXPECT_TRUE(reported(services, kUpdatingCountRecLog));
}

TEST_F(Form1Test, PartMinuteClickRewritesOnlyTheFirstCharacterOfRecord2) {
  const struct {
    std::string record2;
    int box;
    std::string stored;
  } cases[] = {{"1_To : 14", 0, "0_To : 14"}, {"0_To : 14", 1, "1_To : 14"}, {"  0_To : 05", 1, "1_To : 05"},
               {"", 1, "1"}, {"", 0, "0"}};
  for (const auto& c : cases) {
    TempDir folder;
    MainForm fresh(services, folder.path());
    writeLog(folder.file("CountRec.zvt"), {"From : 15_2002/04/16", c.record2, "start: 002/04/16 09:00:00"});
    fresh["chkToBeMin"].value = c.box;
    chkToBeMin_MouseUp(fresh);
    EXPECT_EQ(readLog(folder.file("CountRec.zvt")),
              (Strings{"From : 15_2002/04/16", c.stored, "start: 002/04/16 09:00:00"}))
        << '"' << c.record2 << '"';
  }
  // Without a record file nothing is made.
  form["chkToBeMin"].value = 1;
  chkToBeMin_MouseUp(form);
  EXPECT_FALSE(std::filesystem::exists(dir.file("CountRec.zvt")));
  EXPECT_TRUE(services.messages.empty());
}

TEST_F(Form1Test, PartMinuteClickThatCannotReadRecord2WritesNothing) {
  writeLog(dir.file("CountRec.zvt"), {"From : 15_2002/04/16", "1_To : 14", "start: 002/04/16 09:00:00"});
  const std::string before = bytesOf(dir.file("CountRec.zvt"));
  form.LineRec = "start: 002/04/16 09:00:00";  // what an earlier step left in the buffer
  setFaultAt(2);                               // the read of record 2
  chkToBeMin_MouseUp(form);
  EXPECT_EQ(bytesOf(dir.file("CountRec.zvt")), before);
  EXPECT_TRUE(reported(services, kSavingSettings));
}

TEST_F(Form1Test, StartAtLogOnClickIsStoredAndReadBackAtTheNextLoad) {
  form["chkRunMe"].value = 1;
  chkRunMe_MouseUp(form);
  EXPECT_EQ(bytesOf(dir.file("tallix.ini")).substr(kSettingsRecordLength),
            encodeSettingsRecord({"[CheckedRunMe]", 1, 0}));
  MainForm next(services, dir.path());
  Form1_Form_Load(next);
  EXPECT_EQ(next["chkRunMe"].value, 1);
  next["chkRunMe"].value = 0;
  chkRunMe_MouseUp(next);
  EXPECT_EQ(settingsRecord(dir.file("tallix.ini"), 2).value1, 0);
  EXPECT_EQ(services.logOnChanges, (std::vector<bool>{true, false}));
  EXPECT_TRUE(services.messages.empty());
}

TEST_F(Form1Test, CloseRequestSavesThePositionOnlyInTheNormalState) {
  const struct { WindowState state; bool tray; float top, left; std::int16_t storedTop, storedLeft; } cases[] = {
      {WindowState::Normal, true, 1234.5F, 300.6F, 1234, 301},
      {WindowState::Normal, true, 1235.5F, -15, 1236, -15},
      {WindowState::Normal, true, 40000, 90, 0, 90},  // beyond 16 bits: stays 0
      {WindowState::Minimized, true, 900, 900, 111, 222},
      {WindowState::Maximized, true, 0, 0, 111, 222},
      {WindowState::Normal, false, 600, 750, 600, 750},  // no tray: the program ends
  };
  for (const auto& c : cases) {
    writeSettings(dir.file("tallix.ini"), {{"[F1Location]", 111, 222}, {"[CheckedRunMe]", 1, 0}});
    form.windowVisible = true;
    form.windowState = c.state;
    form.windowTop = c.top;
    form.windowLeft = c.left;
    EXPECT_EQ(Form1_Form_QueryUnload(form, c.tray), c.tray ? CloseOutcome::Hide : CloseOutcome::EndProgram);
    EXPECT_EQ(form.windowVisible, !c.tray);
    EXPECT_EQ(bytesOf(dir.file("tallix.ini")),
              encodeSettingsRecord({"[F1Location]", c.storedTop, c.storedLeft}) +
                  encodeSettingsRecord({"[CheckedRunMe]", 1, 0}))
        << c.top << " " << c.left;
  }
}

TEST_F(Form1Test, StartUpLoadsHiddenWithTheOfflineIconOrShownWithoutATray) {
  for (bool tray : {true, false}) {
    TempDir folder;
    FakeServices fake;
    MainForm fresh(fake, folder.path());
    Form3_Form_Load(fresh, tray);
    EXPECT_EQ(fresh.windowVisible, !tray);
    EXPECT_EQ(fake.trayActions, std::vector<NotifyAction>{NotifyAction::Add});
    EXPECT_EQ(fresh.trayIconData.hIcon, kPictureDisconnect);
    EXPECT_EQ(fresh.trayIconData.tip, "Zvt");
    EXPECT_TRUE(std::filesystem::exists(folder.file("tallix.ini")));
  }
}

}  // namespace
}  // namespace tallix
