#include "app/form1_events.h"

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "app/budget.h"
#include "analysis/log_image.h"
#include "app/tariff_setting.h"
#include "app/tray_presence.h"
#include "form/connection_record.h"
#include "form/layouts.h"
#include "form/sentences.h"
#include "period/reload.h"
#include "period/rotation.h"
#include "store/file_system.h"
#include "store/volume_file.h"
#include "store/numbers.h"
#include "store/record_file.h"
#include "store/settings_file.h"
#include "store/text_forms.h"

namespace tallix {
namespace {

void placeFrame(Control& frame) {
  frame.left = 276;
  frame.top = 804;
  frame.width = 6012;
  frame.height = kForm1FrameHeight;
}

// The part-minute setting is the first character of record 2 of the record
// file: "0" off, "1" on. Any other character, or an empty record, reads as 0;
// another digit leaves the box as it is.
void readPartMinuteSetting(MainForm& form) {
  const std::string path = form.file(kCountRecZvt);
  if (!fileExists(path)) return;
  PendingError error;
  std::vector<std::string> records(2);
  if (readLeadingRecords(path, kRecordLength, ' ', records, error)) form.LineRec = records[1];
  const long long digit = wholeValue(left(trim(form.LineRec), 1));
  if (digit == 0) form[form1::chkToBeMin].value = 0;
  if (digit == 1) form[form1::chkToBeMin].value = 1;
  reportFailure(form, kLoadingData, error);
}

// Records 1 to 4 of tallix.ini, read in one opening, for reading only (a
// folder that cannot be written is read all the same); a missing file is
// created empty. Failures are skipped silently.
void readSettingsFile(MainForm& form) {
  PendingError error;
  std::vector<std::string> records(4);
  const std::string path = form.file(kSettingsFile);
  if (fileExists(path)) {
    if (!readLeadingRecords(path, kSettingsRecordLength, '\0', records, error)) records.assign(4, std::string());
  } else {
    RecordFile file(path, kSettingsRecordLength, error, '\0');
    file.close();
  }
  const std::string& bytes1 = records[0];
  const std::string& bytes2 = records[1];
  const SettingsRecord location = decodeSettingsRecord(bytes1);
  if (trim(location.label) == kLocationLabel) {
    form.windowTop = location.value1;
    form.windowLeft = location.value2;
    form.placed = true;
  }
  const SettingsRecord runMe = decodeSettingsRecord(bytes2);
  if (trim(runMe.label) == kRunMeLabel) form[form1::chkRunMe].value = runMe.value1 == 1 ? 1 : 0;
  // The box tells the truth: the entry itself decides where there is one.
  if (const std::optional<bool> starts = form.services->startsAtLogOn()) form[form1::chkRunMe].value = *starts ? 1 : 0;
  // The time budget and the data allowance: a limit and the notices given.
  form.budget = {};
  const SettingsRecord budget = decodeSettingsRecord(records[2]);
  if (trim(budget.label) == kBudgetLabel) {
    form.budget.hours = budget.value1;
    form.budget.timeNotices.warned = static_cast<std::int16_t>(budget.value2 & (kWarned80 | kWarned100));
  }
  const SettingsRecord allowance = decodeSettingsRecord(records[3]);
  if (trim(allowance.label) == kDataAllowanceLabel) {
    form.budget.allowanceTenths = allowance.value1;
    form.budget.dataNotices.warned = static_cast<std::int16_t>(allowance.value2 & (kWarned80 | kWarned100));
  }
}

void refreshLogList(MainForm& form, PendingError& error) {
  if (!folderExists(form.AppPath)) return;
  const std::string zvt = form.file(kCountRecZvt);
  // Only what the loader can read is copied: a far longer file's count
  // overflows either way, and a copy of all of it would freeze the window.
  if (fileExists(zvt) && copyFile(zvt, form.file(kCountRecLog), error, kMostLogBytes))
    copyVolumeFile(zvt, form.file(kCountRecLog), error);

  Control& list = form[form1::File1];
  list.path = form.AppPath;
  list.pattern = "*.log";
  std::vector<std::string> names;
  if (!listFiles(form.AppPath, ".log", names, error)) return;
  // Keep the entry the user had chosen when it is still there.
  std::string chosen;
  if (list.listIndex >= 0 && static_cast<size_t>(list.listIndex) < list.items.size())
    chosen = list.items[static_cast<size_t>(list.listIndex)];
  list.items = std::move(names);
  list.listIndex = -1;
  if (chosen.empty()) return;
  auto at = std::find(list.items.begin(), list.items.end(), chosen);
  if (at != list.items.end()) list.listIndex = static_cast<int>(at - list.items.begin());
}

}  // namespace

void Form1_Form_Load(MainForm& form) {
  form.TwipsPerMinute = form[form1::imgScale].width / 60;
  form.PointerOrigin = form[form1::imgPointer].left;

  form.Recording = false;
  form.Connected = false;
  form.PeriodActive = false;
  form.NewFileCreated = false;
  form.DotStep = 0;
  form.WriteErrors = 0;
  form.DaysSpanned = 0;
  form.HoursSpent = 0;

  form[form1::cmdConfirm].enabled = false;
  form.windowWidth = kForm1Width;
  form.windowHeight = kForm1Height;
  placeFrame(form[form1::fraMain]);
  form[form1::lblThisMonth].caption = kThisMonthPrompt;
  for (ControlName name : {form1::lblStartTime, form1::lblEndTime, form1::lblF1NewFileCreated, form1::lblF1HourSpent})
    form[name].caption.clear();
  form[form1::cmdRecover].enabled = false;
  placeFrame(form[form1::fraSettings]);
  form[form1::fraSettings].visible = false;
  placeFrame(form[form1::fraCalculate]);
  form[form1::lblUseTime].caption.clear();
  form[form1::fraCalculate].visible = false;
  form[form1::lblDataFolder].caption = std::string(kDataFolderLabel) + form.AppPath;

  completeHalfDoneRotation(form);
  readPartMinuteSetting(form);
  const std::uint32_t periods = form.periodsBegun;
  ReloadPeriod(form);
  readSettingsFile(form);
  loadTariff(form);
  startBudget(form, form.periodsBegun != periods);
}

void ShowView(MainForm& form, std::string_view view) {
  PendingError error;
  if (view == "Main") {
    form[form1::fraMain].visible = true;
    form[form1::fraCalculate].visible = false;
    form[form1::fraSettings].visible = false;
  } else if (view == "Settings") {
    form[form1::fraMain].visible = false;
    form[form1::fraCalculate].visible = false;
    form[form1::fraSettings].visible = true;
    showWatched(form);
  } else if (view == "Calculation") {
    form[form1::fraMain].visible = false;
    form[form1::fraCalculate].visible = true;
    form[form1::fraSettings].visible = false;
    refreshLogList(form, error);
  }
  reportFailure(form, kUpdatingCountRecLog, error);
}

void chkRunMe_MouseUp(MainForm& form) {
  bool on = form[form1::chkRunMe].value == 1;
  form.services->setStartAtLogOn(on);
  // An entry that could not be written or removed shows as it really is.
  if (const std::optional<bool> starts = form.services->startsAtLogOn()) {
    on = *starts;
    form[form1::chkRunMe].value = on ? 1 : 0;
  }
  PendingError error;  // failures on tallix.ini are skipped silently
  writeSettingsRecord(form.file(kSettingsFile), 2, {std::string(kRunMeLabel), on ? std::int16_t{1} : std::int16_t{0}, 0},
                      error);
}

void chkToBeMin_MouseUp(MainForm& form) {
  const std::string path = form.file(kCountRecZvt);
  if (!fileExists(path)) return;
  PendingError error;
  {
    RecordFile file(path, kRecordLength, error);
    // Only a record 2 that was really read is rewritten: writing back what the
    // buffer held from elsewhere would put a foreign text into the header.
    if (file.read(2, form.LineRec)) {
      const std::string text = trim(form.LineRec);
      std::string updated(1, form[form1::chkToBeMin].value == 1 ? '1' : '0');
      if (!text.empty()) updated.append(text, 1, std::string::npos);
      form.LineRec = padRecord(updated);
      file.write(2, form.LineRec);
    }
    file.close();
  }
  reportFailure(form, kSavingSettings, error);
}

CloseOutcome Form1_Form_QueryUnload(MainForm& form) {
  // Where the desktop does not tell the window's place, the place stored
  // from a desktop that does is kept.
  if (form.windowState == WindowState::Normal && form.placesWindows) {
    PendingError error;  // failures on tallix.ini are skipped silently
    SettingsRecord location{std::string(kLocationLabel), 0, 0};
    // An edge beyond the 16-bit range stays 0.
    storeInt16(roundHalfEven(form.windowTop), location.value1, error);
    storeInt16(roundHalfEven(form.windowLeft), location.value2, error);
    writeSettingsRecord(form.file(kSettingsFile), 1, location, error);
  }
  if (closeEndsProgram(form)) return CloseOutcome::EndProgram;
  form.windowVisible = false;
  form.tray.windowShownForIt = false;
  return CloseOutcome::Hide;
}

void Form3_Form_Load(MainForm& form, bool trayPresent) {
  Form1_Form_Load(form);
  form.tray = {trayPresent, !trayPresent, !trayPresent};
  form.windowVisible = !trayPresent;
  form.trayIconData.hIcon = kPictureDisconnect;
  form.trayIconData.tip = kTrayTip;
  Shell_NotifyIcon(form, NotifyAction::Add);
  // Nothing can be recorded: say so once, and show the window, whose Settings
  // view names the folder too.
  if (!form.appPathWritable) {
    AnswerOk(form, std::string(kDataFolderUnwritable) + form.AppPath);
    form.windowVisible = true;
    form.tray.windowShownForIt = false;
  }
}

void Form3_mShow_Click(MainForm& form) {
  form.windowVisible = true;
  form.windowState = WindowState::Normal;
  form.tray.windowShownForIt = false;
}

void Form3_mHelp_Click(MainForm& form) { AnswerOk(form, kHelpNotice); }

const std::vector<MenuItemSpec>& popupMenuDesign() {
  static const std::vector<MenuItemSpec> design = {
      {"mAbout", " About"}, {"msep1", "-"}, {"mShow", " Show"}, {"mUsage", " Usage"},
      {"mHelp", " Help"}, {"msep2", "-"}, {"mRemove", " Remove"},
  };
  return design;
}

void Form3_Ending(MainForm& form) {
  if (!form.Recording) return;
  const DateTime now = form.services->now();
  countDayIfDue(form, now);
  // The bytes up to this moment too, where the line's counters are still there.
  form.volume.take(form.services->trafficCounters());
  PendingError ignored;  // the program is ending: there is nobody left to tell
  writeOpenPair(form, stampText(now), ignored);
}

}  // namespace tallix
