#include "app/form1_events.h"
#include "app/tray_presence.h"

#include <filesystem>

#include "form/sentences.h"
#include "period/period_fixture.h"
#include "store/settings_file.h"
#include "support/record_checks.h"

namespace tallix {
namespace {

using testing::readFile;

TEST(Form1Test, StartUpInAnEmptyFolderLoadsHiddenWithTheOfflineIconOrShownWithoutATray) {
  for (bool tray : {true, false}) {
    Program p;
    Form3_Form_Load(p.form, tray);
    EXPECT_EQ(p.form.windowVisible, !tray);
    EXPECT_EQ(p.services.trayActions, std::vector<NotifyAction>{NotifyAction::Add});
    EXPECT_TRUE(p.form.trayIconData.hIcon == kPictureDisconnect && p.form.trayIconData.tip == "Zvt");
    EXPECT_FALSE(p.form[form1::cmdConfirm].enabled || p.form[form1::cmdRecover].enabled || p.form.placed || p.form.PeriodActive);
    EXPECT_FALSE(p.exists("CountRec.zvt"));
    EXPECT_TRUE(p.exists("tallix.ini") && readFile(p.dir.file("tallix.ini")).empty());
    EXPECT_TRUE(p.services.messages.empty());
  }
}

// Record 2 of the period file: "0" or "1" first sets the part-minute box, another digit keeps it.
// Where the platform has an entry to ask, the start-at-log-on box shows it, whatever tallix.ini
// says; a click the entry did not follow shows, and stores, what is.
TEST(Form1Test, LoadAppliesBothSettingsAndTheStartAtLogOnClickIsStored) {
  const struct {
    std::vector<SettingsRecord> records; bool placed; int runMe; std::string record2; int before, after;
    std::optional<bool> entry{};
    bool stays = false;
  } cases[] = {
      {{{"[F1Location]", 1500, 2400}, {"[CheckedRunMe]", 1, 0}}, true, 1, "1_To : 14", 0, 1},
      {{{"[F1Location]     ", -30, 0}, {"  [CheckedRunMe]", 0, 0}}, true, 0, "0_To : 14", 1, 0},
      {{{"[F1location]", 1500, 2400}, {"[CheckedRunMe]", 2, 0}}, false, 0, "   1_To : 14", 0, 1},
      {{{"", 0, 0}, {"[CheckedRunMe]", 1, 0}}, false, 1, "x_To : 14", 1, 0},
      {{}, false, 0, "7_To : 14", 1, 1},
      {{{"", 0, 0}, {"[CheckedRunMe]", 1, 0}}, false, 0, "1_To : 14", 0, 1, false},
      {{{"", 0, 0}, {"[CheckedRunMe]", 0, 0}}, false, 1, "1_To : 14", 0, 1, true},
      {{{"", 0, 0}, {"[CheckedRunMe]", 1, 0}}, false, 1, "1_To : 14", 0, 1, true, true},
      {{{"", 0, 0}, {"[CheckedRunMe]", 0, 0}}, false, 0, "1_To : 14", 0, 1, false, true},
  };
  for (const auto& c : cases) {
    Program p;
    p.writeSettings(c.records);
    p.writeLog("CountRec.zvt", {"From : 01_2002/04/16", c.record2});
    p.form[form1::chkToBeMin].value = c.before;
    p.services.logOnEntry = c.entry;
    p.services.logOnEntryStays = c.stays;
    Form1_Form_Load(p.form);
    SCOPED_TRACE('"' + c.record2 + '"' + std::to_string(c.entry.value_or(2)));
    EXPECT_EQ(p.form.placed, c.placed);
    EXPECT_TRUE(!c.placed || (p.form.windowTop == c.records[0].value1 && p.form.windowLeft == c.records[0].value2));
    EXPECT_EQ(p.form[form1::chkRunMe].value, c.runMe);
    EXPECT_EQ(p.form[form1::chkToBeMin].value, c.after);
    // A click on the box tells the service and stores what is as record 2.
    p.form[form1::chkRunMe].value = 1 - c.runMe;
    chkRunMe_MouseUp(p.form);
    const int clicked = c.stays ? c.runMe : 1 - c.runMe;
    EXPECT_EQ(p.services.logOnChanges, std::vector<bool>{c.runMe == 0});
    EXPECT_EQ(p.form[form1::chkRunMe].value, clicked);
    EXPECT_EQ(readFile(p.dir.file("tallix.ini")).substr(kSettingsRecordLength),
              encodeSettingsRecord({"[CheckedRunMe]", static_cast<std::int16_t>(clicked), 0}));
    EXPECT_TRUE(p.services.messages.empty());
  }
}

TEST(Form1Test, ViewsAndTheCalculationViewCopiesTheRecordFileAfreshEachTime) {
  Program p;
  Form1_Form_Load(p.form);
  for (const auto& [view, shown] : {std::pair{"Settings", "fraSettings"}, {"other", "fraSettings"},
                                    {"Calculation", "fraCalculate"}, {"Main", "fraMain"}}) {
    ShowView(p.form, view);
    for (ControlName frame : {form1::fraMain, form1::fraSettings, form1::fraCalculate})
      EXPECT_EQ(p.form[frame].visible, frame.text() == shown) << view << " " << frame.text();
  }
  for (const char* name : {"CountRec.log", "10.log", "2.log", "notes.txt"}) p.writeLog(name, {name});
  p.writeLog("CountRec.zvt", {"From : 01_2002/04/16", "0_To : 31"});
  ShowView(p.form, "Calculation");
  EXPECT_EQ(p.form[form1::File1].items, (Strings{"2.log", "10.log", "CountRec.log"}));
  EXPECT_TRUE(p.form[form1::File1].pattern == "*.log" && p.form[form1::File1].path == p.dir.path());

  // A second visit sees what the tick wrote meanwhile; the chosen entry stays chosen.
  p.form[form1::File1].listIndex = 1;
  p.writeLog("CountRec.zvt", {"From : 01_2002/04/16", "0_To : 31", "start: 002/04/16 09:00:00"});
  p.writeLog("1.log", {"From : 01_2002/01/01"});
  ShowView(p.form, "Main");
  ShowView(p.form, "Calculation");
  EXPECT_EQ(readFile(p.dir.file("CountRec.log")), readFile(p.dir.file("CountRec.zvt")));
  EXPECT_EQ(p.form[form1::File1].items, (Strings{"1.log", "2.log", "10.log", "CountRec.log"}));
  EXPECT_EQ(p.form[form1::File1].listIndex, 2);
  EXPECT_TRUE(p.services.messages.empty());

  // A failed copy is told and the list still filled; without a record file the last copy is left alone.
  p.writeLog("3.log", {"From : 01_2002/01/01"});
  setFaultAt(1);  // the copy
  ShowView(p.form, "Calculation");
  EXPECT_TRUE(p.oneReport(kUpdatingCountRecLog));
  EXPECT_EQ(p.form[form1::File1].items, (Strings{"1.log", "2.log", "3.log", "10.log", "CountRec.log"}));
  const std::string before = readFile(p.dir.file("CountRec.log"));
  std::filesystem::remove(p.dir.file("CountRec.zvt"));
  ShowView(p.form, "Calculation");
  EXPECT_EQ(readFile(p.dir.file("CountRec.log")), before);
  EXPECT_EQ(p.services.messages.size(), 1U);
}

// The click rewrites only the first character of record 2; a failed read of
// record 2 writes nothing, not even the record an earlier step left behind.
TEST(Form1Test, PartMinuteClickRewritesOnlyTheFirstCharacterOfRecord2) {
  const struct { std::string record2; int box; std::string stored; long fault; } cases[] = {
      {"1_To : 14", 0, "0_To : 14", 0}, {"0_To : 14", 1, "1_To : 14", 0}, {"  0_To : 05", 1, "1_To : 05", 0},
      {"", 1, "1", 0}, {"", 0, "0", 0}, {"1_To : 14", 0, "1_To : 14", 2}};  // 2: the read of record 2
  for (const auto& c : cases) {
    Program p;
    p.writeLog("CountRec.zvt", {"From : 15_2002/04/16", c.record2, "start: 002/04/16 09:00:00"});
    p.form[form1::chkToBeMin].value = c.box;
    p.form.LineRec = "start: 002/04/16 09:00:00";
    setFaultAt(c.fault);
    chkToBeMin_MouseUp(p.form);
    EXPECT_EQ(p.log("CountRec.zvt"), (Strings{"From : 15_2002/04/16", c.stored, "start: 002/04/16 09:00:00"}))
        << '"' << c.record2 << '"';
    EXPECT_TRUE(c.fault ? p.oneReport(kSavingSettings) : p.services.messages.empty()) << '"' << c.record2 << '"';
  }
  // Without a record file nothing is made.
  Program p;
  p.form[form1::chkToBeMin].value = 1;
  chkToBeMin_MouseUp(p.form);
  EXPECT_FALSE(p.exists("CountRec.zvt"));
}

TEST(Form1Test, CloseRequestSavesThePositionOnlyInTheNormalStateWhereTheDesktopTellsIt) {
  const TrayState tray{true, false, false};
  const TrayState waited{false, true, true};  // no tray yet, one may come: the program stays
  const TrayState none{false, false, true};   // none came: nothing could bring the window back
  const struct {
    WindowState state;
    TrayState tray;
    bool placesWindows;
    float top, left;
    std::int16_t storedTop, storedLeft;
    bool ends;
  } cases[] = {
      {WindowState::Normal, tray, true, 1234.5F, 300.6F, 1234, 301, false},
      {WindowState::Normal, tray, true, 1235.5F, -15, 1236, -15, false},
      {WindowState::Normal, tray, true, 40000, 90, 0, 90, false},  // beyond 16 bits: stays 0
      {WindowState::Minimized, tray, true, 900, 900, 111, 222, false},
      {WindowState::Maximized, tray, true, 0, 0, 111, 222, false},
      {WindowState::Normal, waited, true, 600, 750, 600, 750, false},
      {WindowState::Normal, none, true, 600, 750, 600, 750, true},
      {WindowState::Normal, none, false, 0, 0, 111, 222, true},  // Wayland: the stored place stays
  };
  Program p;
  for (const auto& c : cases) {
    p.writeSettings({{"[F1Location]", 111, 222}, {"[CheckedRunMe]", 1, 0}});
    p.form.windowVisible = true;
    p.form.tray = c.tray;
    p.form.placesWindows = c.placesWindows;
    p.form.windowState = c.state;
    p.form.windowTop = c.top;
    p.form.windowLeft = c.left;
    EXPECT_EQ(Form1_Form_QueryUnload(p.form), c.ends ? CloseOutcome::EndProgram : CloseOutcome::Hide);
    EXPECT_EQ(p.form.windowVisible, c.ends);
    EXPECT_EQ(readFile(p.dir.file("tallix.ini")), encodeSettingsRecord({"[F1Location]", c.storedTop, c.storedLeft}) +
                                                     encodeSettingsRecord({"[CheckedRunMe]", 1, 0}))
        << c.top << " " << c.left;
  }
}

// The tray that comes late, goes and comes back: the window stays the way to
// the program whenever no tray is there for longer than the wait.
TEST(Form1Test, ATrayThatComesGoesAndComesBackDecidesWhenTheWindowShowsAndWhatClosingDoes) {
  enum Step { Appear, Gone, WaitEnds, Close, Show };
  const struct {
    const char* what;
    bool trayAtStart;
    std::vector<Step> steps;
    bool visible, closeEnds;
  } cases[] = {
      {"a tray at start", true, {}, false, false},
      {"none at start: the window shows, closing it waits", false, {}, true, false},
      {"none within the wait: closing ends", false, {WaitEnds}, true, true},
      {"a late tray hides the window shown for want of it", false, {Appear}, false, false},
      {"and after the wait too", false, {WaitEnds, Appear}, false, false},
      {"closed while waiting, shown again when none came", false, {Close, WaitEnds}, true, true},
      {"a window the user asked for stays", false, {Show, Appear}, true, false},
      {"the tray goes: a hidden window waits", true, {Gone}, false, false},
      {"and shows when it does not come back", true, {Gone, WaitEnds}, true, true},
      {"it comes back in time", true, {Gone, Appear, WaitEnds}, false, false},
      {"a wait that ends after the tray came changes nothing", false, {Appear, WaitEnds}, false, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    Program p;
    Form3_Form_Load(p.form, c.trayAtStart);
    for (Step step : c.steps) {
      switch (step) {
        case Appear: Form3_TrayAppeared(p.form); break;
        case Gone: Form3_TrayGone(p.form); break;
        case WaitEnds: Form3_TrayWaitEnded(p.form); break;
        case Close: EXPECT_EQ(Form1_Form_QueryUnload(p.form), CloseOutcome::Hide); break;
        case Show: Form3_mShow_Click(p.form); break;
      }
    }
    EXPECT_EQ(p.form.windowVisible, c.visible);
    EXPECT_EQ(closeEndsProgram(p.form), c.closeEnds);
  }
}

}  // namespace
}  // namespace tallix
