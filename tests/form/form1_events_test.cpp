#include "form/form1_events.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "form/sentences.h"
#include "store/fault.h"
#include "store/settings_file.h"
#include "support/fake_services.h"

namespace tallix {
namespace {

using testing::FakeServices;
using testing::readLog;
using testing::TempDir;
using testing::writeLog;

std::string bytesOf(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void writeSettings(const std::string& path, const std::vector<SettingsRecord>& records) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  for (const auto& record : records) out << encodeSettingsRecord(record);
}

SettingsRecord settingsRecord(const std::string& path, long n) {
  const std::string bytes = bytesOf(path);
  const auto at = static_cast<size_t>((n - 1) * kSettingsRecordLength);
  if (bytes.size() < at + kSettingsRecordLength) return {};
  return decodeSettingsRecord(bytes.substr(at, kSettingsRecordLength));
}

struct Fixture : ::testing::Test {
  TempDir dir;
  FakeServices services;
  MainForm form{services, dir.path()};
  void TearDown() override { setFaultAt(0); }
};

using Form1Load = Fixture;

TEST_F(Form1Load, FirstStartInAnEmptyFolder) {
  Form1_Form_Load(form);
  EXPECT_EQ(form["chkToBeMin"].value, 0);
  EXPECT_EQ(form["chkRunMe"].value, 0);
  EXPECT_TRUE(form["fraMain"].visible);
  EXPECT_FALSE(form["fraSettings"].visible);
  EXPECT_FALSE(form["fraCalculate"].visible);
  EXPECT_FALSE(form["cmdConfirm"].enabled);
  EXPECT_FALSE(form["cmdRecover"].enabled);
  EXPECT_FALSE(form.placed);
  EXPECT_FALSE(form.PeriodActive);
  EXPECT_TRUE(std::filesystem::exists(dir.file("tallix.ini")));
  EXPECT_EQ(std::filesystem::file_size(dir.file("tallix.ini")), 0U);
  EXPECT_FALSE(std::filesystem::exists(dir.file("CountRec.zvt")));
  EXPECT_TRUE(services.messages.empty());
  // The gauge's constants come from the layout.
  EXPECT_FLOAT_EQ(form.TwipsPerMinute, 3816.0F / 60);
  EXPECT_FLOAT_EQ(form.PointerOrigin, 1104);
}

TEST_F(Form1Load, AppliesTheSettingsFile) {
  struct Case {
    std::vector<SettingsRecord> records;
    bool placed;
    float top;
    float left;
    int runMe;
  };
  const Case cases[] = {
      {{{"[F1Location]", 1500, 2400}, {"[CheckedRunMe]", 1, 0}}, true, 1500, 2400, 1},
      {{{"[F1Location]     ", -30, 0}, {"  [CheckedRunMe]", 0, 0}}, true, -30, 0, 0},
      {{{"[F1location]", 1500, 2400}, {"[CheckedRunMe]", 2, 0}}, false, 0, 0, 0},
      {{{"", 0, 0}, {"[CheckedRunMe]", 1, 0}}, false, 0, 0, 1},
      {{{"[F1Location]", 90, 45}}, true, 90, 45, 0},
  };
  for (const Case& c : cases) {
    TempDir folder;
    MainForm fresh(services, folder.path());
    writeSettings(folder.file("tallix.ini"), c.records);
    Form1_Form_Load(fresh);
    EXPECT_EQ(fresh.placed, c.placed) << c.records[0].label;
    if (c.placed) {
      EXPECT_EQ(fresh.windowTop, c.top);
      EXPECT_EQ(fresh.windowLeft, c.left);
    }
    EXPECT_EQ(fresh["chkRunMe"].value, c.runMe) << c.records[0].label;
  }
  EXPECT_TRUE(services.messages.empty());
}

TEST_F(Form1Load, ReadsThePartMinuteSettingFromRecord2) {
  struct Case {
    std::string record2;
    int before;
    int after;
  };
  const Case cases[] = {
      {"1_To : 14", 0, 1}, {"0_To : 14", 1, 0}, {"   1_To : 14", 0, 1},
      {"", 1, 0},          {"x_To : 14", 1, 0}, {"7_To : 14", 1, 1},
      {"7_To : 14", 0, 0}, {"-1", 1, 0},
  };
  for (const Case& c : cases) {
    TempDir folder;
    MainForm fresh(services, folder.path());
    writeLog(folder.file("CountRec.zvt"), {"From : 01_2002/04/16", c.record2});
    fresh["chkToBeMin"].value = c.before;
    Form1_Form_Load(fresh);
    EXPECT_EQ(fresh["chkToBeMin"].value, c.after) << '"' << c.record2 << "\" from " << c.before;
  }
}

TEST_F(Form1Load, ReportsAFailedReadOfThePartMinuteSettingAndGoesOn) {
  writeLog(dir.file("CountRec.zvt"), {"From : 01_2002/04/16", "1_To : 31"});
  writeSettings(dir.file("tallix.ini"), {{"[F1Location]", 10, 20}});
  setFaultAt(2);  // the read of record 2
  Form1_Form_Load(form);
  ASSERT_EQ(services.messages.size(), 1U);
  EXPECT_EQ(services.messages[0].rfind(std::string(kLoadingData) + "Error # ", 0), 0U);
  EXPECT_TRUE(form.placed);  // the rest of the load still ran
  EXPECT_TRUE(form.PeriodActive);
}

using ViewSwitch = Fixture;

TEST_F(ViewSwitch, ShowsExactlyTheChosenFrame) {
  struct Case {
    const char* view;
    bool main;
    bool settings;
    bool calculate;
  };
  const Case cases[] = {
      {"Settings", false, true, false}, {"Calculation", false, false, true}, {"Main", true, false, false},
      {"main", true, false, false},     {"", true, false, false},
  };
  Form1_Form_Load(form);
  for (const Case& c : cases) {
    ShowView(form, c.view);
    EXPECT_EQ(form["fraMain"].visible, c.main) << c.view;
    EXPECT_EQ(form["fraSettings"].visible, c.settings) << c.view;
    EXPECT_EQ(form["fraCalculate"].visible, c.calculate) << c.view;
  }
  EXPECT_TRUE(services.messages.empty());
}

TEST_F(ViewSwitch, CalculationCopiesTheRecordFileAfreshEachTime) {
  writeLog(dir.file("CountRec.zvt"), {"From : 01_2002/04/16", "0_To : 31"});
  writeLog(dir.file("CountRec.log"), {"stale"});
  writeLog(dir.file("10.log"), {"From : 01_2002/02/01"});
  writeLog(dir.file("2.log"), {"From : 01_2002/03/01"});
  writeLog(dir.file("notes.txt"), {"x"});
  Form1_Form_Load(form);

  ShowView(form, "Calculation");
  EXPECT_EQ(bytesOf(dir.file("CountRec.log")), bytesOf(dir.file("CountRec.zvt")));
  EXPECT_EQ(form["File1"].items, (std::vector<std::string>{"2.log", "10.log", "CountRec.log"}));
  EXPECT_EQ(form["File1"].pattern, "*.log");
  EXPECT_EQ(form["File1"].path, dir.path());

  // A second visit sees what the tick wrote meanwhile; the chosen entry stays chosen.
  form["File1"].listIndex = 1;
  writeLog(dir.file("CountRec.zvt"),
           {"From : 01_2002/04/16", "0_To : 31", "start: 002/04/16 09:00:00", "_end : 2002/04/16 09:30:00"});
  writeLog(dir.file("1.log"), {"From : 01_2002/01/01"});
  ShowView(form, "Main");
  ShowView(form, "Calculation");
  EXPECT_EQ(readLog(dir.file("CountRec.log")).size(), 4U);
  EXPECT_EQ(form["File1"].items, (std::vector<std::string>{"1.log", "2.log", "10.log", "CountRec.log"}));
  EXPECT_EQ(form["File1"].listIndex, 2);
  EXPECT_TRUE(services.messages.empty());
}

TEST_F(ViewSwitch, WithoutARecordFileAnOlderCopyIsLeftAlone) {
  writeLog(dir.file("CountRec.log"), {"From : 01_2002/01/01", "0_To : 31"});
  const std::string before = bytesOf(dir.file("CountRec.log"));
  Form1_Form_Load(form);
  ShowView(form, "Calculation");
  EXPECT_EQ(bytesOf(dir.file("CountRec.log")), before);
  EXPECT_EQ(form["File1"].items, (std::vector<std::string>{"CountRec.log"}));
  EXPECT_TRUE(services.messages.empty());
}

TEST_F(ViewSwitch, AFailedCopyIsReportedAndTheListStillFilled) {
  writeLog(dir.file("CountRec.zvt"), {"From : 01_2002/04/16", "0_To : 31"});
  writeLog(dir.file("3.log"), {"From : 01_2002/02/01"});
  Form1_Form_Load(form);
  setFaultAt(1);  // the copy
  ShowView(form, "Calculation");
  EXPECT_TRUE(form["fraCalculate"].visible);
  EXPECT_EQ(form["File1"].items, (std::vector<std::string>{"3.log"}));
  ASSERT_EQ(services.messages.size(), 1U);
  EXPECT_EQ(services.messages[0].rfind(std::string(kUpdatingCountRecLog) + "Error # ", 0), 0U);
}

using Settings = Fixture;

TEST_F(Settings, PartMinuteClickRewritesOnlyTheFirstCharacterOfRecord2) {
  struct Case {
    std::string record2;
    int box;
    std::string stored;
  };
  const Case cases[] = {
      {"1_To : 14", 0, "0_To : 14"}, {"0_To : 14", 1, "1_To : 14"}, {"1_To : 14", 1, "1_To : 14"},
      {"  0_To : 05", 1, "1_To : 05"}, {"", 1, "1"}, {"", 0, "0"},
  };
  for (const Case& c : cases) {
    TempDir folder;
    MainForm fresh(services, folder.path());
    writeLog(folder.file("CountRec.zvt"),
             {"From : 15_2002/04/16", c.record2, "start: 002/04/16 09:00:00", "_end : 2002/04/16 09:30:00"});
    fresh["chkToBeMin"].value = c.box;
    chkToBeMin_MouseUp(fresh);
    const auto records = readLog(folder.file("CountRec.zvt"));
    ASSERT_EQ(records.size(), 4U);
    EXPECT_EQ(records[1], c.stored) << '"' << c.record2 << '"';
    EXPECT_EQ(records[0], "From : 15_2002/04/16");
    EXPECT_EQ(records[3], "_end : 2002/04/16 09:30:00");
  }
  EXPECT_TRUE(services.messages.empty());
}

TEST_F(Settings, PartMinuteClickWithoutARecordFileStoresNothing) {
  form["chkToBeMin"].value = 1;
  chkToBeMin_MouseUp(form);
  EXPECT_FALSE(std::filesystem::exists(dir.file("CountRec.zvt")));
  EXPECT_TRUE(services.messages.empty());
}

TEST_F(Settings, PartMinuteClickThatCannotReadRecord2WritesNothing) {
  writeLog(dir.file("CountRec.zvt"), {"From : 15_2002/04/16", "1_To : 14", "start: 002/04/16 09:00:00"});
  const std::string before = bytesOf(dir.file("CountRec.zvt"));
  form.LineRec = "start: 002/04/16 09:00:00";  // what an earlier step left in the buffer
  form["chkToBeMin"].value = 0;
  setFaultAt(2);  // the read of record 2
  chkToBeMin_MouseUp(form);
  EXPECT_EQ(bytesOf(dir.file("CountRec.zvt")), before);
  ASSERT_EQ(services.messages.size(), 1U);
  EXPECT_EQ(services.messages[0].rfind(std::string(kSavingSettings) + "Error # ", 0), 0U);
  EXPECT_EQ(form["chkToBeMin"].value, 0);  // the box keeps its new state
}

TEST_F(Settings, StartAtLogOnClickIsStoredAndReadBackAtTheNextLoad) {
  form["chkRunMe"].value = 1;
  chkRunMe_MouseUp(form);
  SettingsRecord stored = settingsRecord(dir.file("tallix.ini"), 2);
  EXPECT_EQ(stored.label, "[CheckedRunMe]   ");
  EXPECT_EQ(stored.value1, 1);
  EXPECT_EQ(stored.value2, 0);
  EXPECT_EQ(bytesOf(dir.file("tallix.ini")).substr(kSettingsRecordLength + 21), std::string(30, '\0'));

  MainForm next(services, dir.path());
  Form1_Form_Load(next);
  EXPECT_EQ(next["chkRunMe"].value, 1);

  next["chkRunMe"].value = 0;
  chkRunMe_MouseUp(next);
  EXPECT_EQ(settingsRecord(dir.file("tallix.ini"), 2).value1, 0);
  EXPECT_EQ(services.logOnChanges, (std::vector<bool>{true, false}));
  EXPECT_TRUE(services.messages.empty());
}

using CloseRequest = Fixture;

TEST_F(CloseRequest, SavesThePositionOnlyInTheNormalState) {
  struct Case {
    WindowState state;
    float top;
    float left;
    std::int16_t storedTop;
    std::int16_t storedLeft;
  };
  const Case cases[] = {
      {WindowState::Normal, 1234.5F, 300.6F, 1234, 301},
      {WindowState::Normal, 1235.5F, -15, 1236, -15},
      {WindowState::Normal, 40000, 90, 0, 90},  // beyond 16 bits: stays 0
      {WindowState::Minimized, 900, 900, 111, 222},
      {WindowState::Maximized, 0, 0, 111, 222},
  };
  for (const Case& c : cases) {
    writeSettings(dir.file("tallix.ini"), {{"[F1Location]", 111, 222}, {"[CheckedRunMe]", 1, 0}});
    form.windowVisible = true;
    form.windowState = c.state;
    form.windowTop = c.top;
    form.windowLeft = c.left;
    EXPECT_EQ(Form1_Form_QueryUnload(form, true), CloseOutcome::Hide);
    EXPECT_FALSE(form.windowVisible);
    const SettingsRecord location = settingsRecord(dir.file("tallix.ini"), 1);
    EXPECT_EQ(location.label, "[F1Location]     ");
    EXPECT_EQ(location.value1, c.storedTop) << c.top;
    EXPECT_EQ(location.value2, c.storedLeft) << c.left;
    EXPECT_EQ(settingsRecord(dir.file("tallix.ini"), 2).value1, 1);
  }
}

TEST_F(CloseRequest, WithoutATraySavesThePositionAndEndsTheProgram) {
  form.windowVisible = true;
  form.windowTop = 600;
  form.windowLeft = 750;
  EXPECT_EQ(Form1_Form_QueryUnload(form, false), CloseOutcome::EndProgram);
  EXPECT_EQ(settingsRecord(dir.file("tallix.ini"), 1).value1, 600);
  EXPECT_EQ(settingsRecord(dir.file("tallix.ini"), 1).value2, 750);
}

using StartUp = Fixture;

TEST_F(StartUp, LoadsHiddenWithTheOfflineIconOrShownWithoutATray) {
  for (bool tray : {true, false}) {
    TempDir folder;
    FakeServices fake;
    MainForm fresh(fake, folder.path());
    Form3_Form_Load(fresh, tray);
    EXPECT_EQ(fresh.windowVisible, !tray);
    ASSERT_EQ(fake.trayActions, (std::vector<NotifyAction>{NotifyAction::Add}));
    EXPECT_EQ(fresh.trayIconData.hIcon, kPictureDisconnect);
    EXPECT_EQ(fresh.trayIconData.tip, "Zvt");
    EXPECT_TRUE(std::filesystem::exists(folder.file("tallix.ini")));
  }
}

}  // namespace
}  // namespace tallix
