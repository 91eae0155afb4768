#include "form/layouts.h"

namespace tallix {
namespace {

using K = ControlKind;

FontSpec pming() { return FontSpec{}; }
FontSpec arial(bool bold = false) { return FontSpec{"Arial", 9.0, bold, 0}; }
FontSpec times(double points, bool bold) { return FontSpec{"Times New Roman", points, bold, 0}; }
FontSpec comic() { return FontSpec{"Comic Sans MS", 9.0, false, 0}; }

// A control without a caption gets a plain name for screen readers.
ControlSpec named(ControlSpec row, const char* accessibleName) {
  row.accessibleName = accessibleName;
  return row;
}

// The Main view.
void addMainView(std::vector<ControlSpec>& d) {
  using namespace form1;
  auto add = [&d](ControlSpec row) { d.push_back(std::move(row)); };
  add({lblStatus, K::Label, fraMain, "Status : ", "", times(10.2, true), 120, 240, 732, 252});
  add({lblDetect, K::Label, fraMain, "", "", pming(), 960, 240, 1332, 372});
  add({lblThisMonth, K::Label, fraMain, "Input the starting day and ending day below",
       "Monthly record, e.g 01-31 or 15-14(to next month)", pming(), 3840, 240, 2052, 492});
  add({lblStartTime, K::Label, fraMain, "", "", pming(), 120, 660, 2892, 312});
  add({lblEndTime, K::Label, fraMain, "", "", pming(), 120, 1080, 2892, 252});
  add({cmdInput, K::Button, fraMain, "input / renew", "enable input", pming(), 3120, 720, 1092, 372});
  add({lblFrom, K::Label, fraMain, "=>    From :", "", pming(), 4320, 840, 972, 252});
  add(named({txtStartDay, K::TextBox, fraMain, "", "Starting day", pming(), 5400, 840, 372, 264, false, true, 2},
            "starting day"));
  add({lblTo, K::Label, fraMain, "    To :", "", pming(), 4680, 1200, 612, 252});
  add(named({txtEndDay, K::TextBox, fraMain, "", "Ending day", pming(), 5400, 1200, 372, 264, false, true, 2},
            "ending day"));
  add({cmdConfirm, K::Button, fraMain, "Confirm above days", "Accept change if no error", pming(), 4200, 1560,
       1572, 372});
  add({cmdRecover, K::Button, fraMain, "Recover", "don't make change and return old setting", pming(), 4200,
       2160, 1572, 372});
  // The status lines below the times, one row each: a new file and a
  // refused record can be told at once.
  add({lblF1NewFileCreated, K::Label, fraMain, "", "Show you useful message", arial(), 120, 1340, 3732, 252});
  add({lblF1NoRecord, K::Label, fraMain, "", "", pming(), 120, 1580, 3012, 252});
  add({lblF1HourSpent, K::Label, fraMain, "", "", times(10.8, false), 360, 2760, 612, 252, true, false});
  add(named({imgPointer, K::Picture, fraMain, "", "", pming(), 1104, 2640, 192, 192, true, false},
            "gauge pointer"));
  add(named({imgScale, K::Picture, fraMain, "", "Expended time while online ( + hr(s) spent on the left )",
             pming(), 1200, 2880, 3816, 216, true, false},
            "hour gauge"));
  // The period's lines, the time's and then the data's, each read from the
  // top: so far, at this pace, a day's allowance. The data's lie below the
  // gauge, which keeps its place, and may run the frame's width.
  add({lblPeriodTime, K::Label, fraMain, "", "Time online in this period so far, as the Calculation view totals it",
       pming(), 120, 1820, 3972, 252});
  add({lblForecast, K::Label, fraMain, "", "The period's time (and cost) at the end if it goes on at today's pace",
       pming(), 120, 2060, 3972, 252});
  add({lblAllowance, K::Label, fraMain, "", "The time a day left to you within the time budget", pming(), 120,
       2300, 3972, 252});
  add({lblPeriodVolume, K::Label, fraMain, "", "Data received and sent in this period so far", pming(), 120, 3180,
       5652, 252});
  add({lblVolumeForecast, K::Label, fraMain, "", "The period's data at the end if it goes on at today's pace",
       pming(), 120, 3420, 5652, 252});
  add({lblVolumeAllowance, K::Label, fraMain, "", "The data a day left to you within the data allowance", pming(),
       120, 3660, 5652, 252});
}

// The Settings view.
void addSettingsView(std::vector<ControlSpec>& d) {
  using namespace form1;
  auto add = [&d](ControlSpec row) { d.push_back(std::move(row)); };
  add({chkToBeMin, K::CheckBox, fraSettings, "not enough 1 min is replaced by one minute",
       "When start and end record, first and last seconds are replaced by one minute", arial(), 240, 480, 4452,
       252});
  add({chkRunMe, K::CheckBox, fraSettings, "run me when Windows starts",
       "Automatically load Tallix when Windows starts every time", arial(), 240, 840, 3732, 228});
  add({lblWarnAfter, K::Label, fraSettings, "warn me after", "", arial(), 240, 1224, 1212, 252});
  add(named({txtBudget, K::TextBox, fraSettings, "",
             "A notice at 80% and at 100% of these hours; empty or 0 for none", arial(), 1500, 1200, 732, 288, true,
             true, 3},
            "hours before a warning"));
  add({lblWarnHours, K::Label, fraSettings, "hours this period", "", arial(), 2340, 1224, 2052, 252});
  add({lblWarnAfterData, K::Label, fraSettings, "warn me after", "", arial(), 240, 1584, 1212, 252});
  add(named({txtAllowance, K::TextBox, fraSettings, "",
             "A notice at 80% and at 100% of this data, in GB (1 GB = 1000 MB); empty or 0 for none", arial(), 1500,
             1560, 732, 288, true, true, 8},
            "gigabytes before a warning"));
  add({lblWarnGigabytes, K::Label, fraSettings, "GB this period", "", arial(), 2340, 1584, 2052, 252});
  add({lblWatching, K::Label, fraSettings, "", "The connection whose time is counted", arial(), 240, 2040,
       5532, 252});
  add({lblDataFolder, K::Label, fraSettings, "", "Where Tallix keeps its record files and settings", arial(), 240,
       2520, 5532, 492});
  add({cmdTariff, K::Button, fraSettings, "tariff...", "What a connection costs: edit tariff.ini", arial(), 240,
       3120, 1092, 312});
  add({lblTariff, K::Label, fraSettings, "", "", arial(), 1440, 3150, 4452, 492});  // time and data prices: two lines
}

// The Calculation view.
void addCalculationView(std::vector<ControlSpec>& d) {
  using namespace form1;
  auto add = [&d](ControlSpec row) { d.push_back(std::move(row)); };
  add(named({File1, K::FileList, fraCalculate, "",
             "CountRec.log is a most recent file stored data, next is great number.", pming(), 3600, 240, 2292, 1152},
            "log files"));
  add({cmdLoad, K::Button, fraCalculate, "Load", "", pming(), 5040, 1560, 732, 252});
  add({lblAbandon, K::Label, fraCalculate, "below data are abandoned :", "", pming(), 3600, 1920, 2292, 252});
  add(named({List1, K::ListBox, fraCalculate, "", "Error found when loading data back.", pming(), 3600, 2160,
             2292, 948},
            "records not counted"));
  ControlSpec created{lblCreated, K::Label, fraCalculate, " file created : ", "", arial(), 240, 360, 2892, 252};
  created.windowColours = true;
  add(created);
  add({lblF2From, K::Label, fraCalculate, "         from :", "", pming(), 240, 720, 3012, 252});
  add({lblF2To, K::Label, fraCalculate, "             to :", "", pming(), 240, 1080, 3012, 252});
  add({lblFirstR, K::Label, fraCalculate, "first record :", "", pming(), 240, 1560, 3012, 252});
  add({lblLastR, K::Label, fraCalculate, " last record :", "", pming(), 240, 1920, 3012, 252});
  add({Line1, K::Line, fraCalculate, "", "", pming(), 240, 2280, 3360, 2280});
  ControlSpec useTime{lblUseTime, K::Label, fraCalculate, "", "", arial(true), 240, 2400, 2772, 252};
  useTime.windowColours = true;
  add(useTime);
}

std::vector<ControlSpec> makeForm1() {
  using namespace form1;
  std::vector<ControlSpec> d;
  auto add = [&d](ControlSpec row) { d.push_back(std::move(row)); };
  // Directly on the window.
  add({cmdMain, K::Button, {}, "Main", "", arial(), 120, 480, 732, 252});
  add({cmdCaculation, K::Button, {}, "Calculation", "", arial(), 840, 480, 1092, 252});
  add({cmdSettings, K::Button, {}, "Settings", "", arial(), 1920, 480, 972, 252});
  add(named({Smallzvt, K::Picture, {}, "", "", pming(), 5160, 120, 852, 336}, "Tallix logo"));
  add(named({imgFrame, K::Picture, {}, "", "", pming(), 120, 720, 6360, kForm1FrameHeight + 216}, "frame picture"));
  add(named({fraMain, K::Frame, {}, "", "", pming(), 276, 804, 6012, kForm1FrameHeight}, "Main view"));
  add(named({fraSettings, K::Frame, {}, "", "", pming(), 276, 804, 6012, kForm1FrameHeight}, "Settings view"));
  add(named({fraCalculate, K::Frame, {}, "", "", pming(), 276, 804, 6012, kForm1FrameHeight}, "Calculation view"));
  add({Timer1, K::Timer, {}, "", "", pming(), 0, 0, 0, 0, true, false});
  addMainView(d);
  addSettingsView(d);
  addCalculationView(d);
  return d;
}

std::vector<ControlSpec> makeForm11() {
  using namespace form11;
  return {
      named({imgWarningMessage, K::Picture, {}, "", "", pming(), 120, 240, 384, 384}, "warning"),
      {Label1, K::Label, {}, "", "", pming(), 720, 240, 2532, 852},
      {cmdOk, K::Button, {}, "OK", "", pming(), 1320, 1200, 732, 372},
  };
}

std::vector<ControlSpec> makeForm4() {
  using namespace form4;
  return {
      named({Frame1, K::Frame, {}, "", "", pming(), 48, 0, 4692, 3492}, "About Tallix"),
      named({imgMyName, K::Picture, Frame1, "", "", pming(), 1200, 240, 2136, 852}, "Tallix logo"),
      {Label1, K::Label, Frame1, "", "", comic(), 240, 1320, 4332, 372},
      {Label3, K::Label, Frame1, "Tallix, a meter of time online", "", pming(), 1560, 2040, 2652, 372},
      named({imgFlowerIcon, K::Picture, Frame1, "", "", pming(), 360, 1800, 384, 384}, "program icon"),
      {cmdOk, K::Button, Frame1, "OK", "", comic(), 240, 2760, 4000, 372},
  };
}

}  // namespace

const std::vector<ControlSpec>& form1Design() {
  static const std::vector<ControlSpec> design = makeForm1();
  return design;
}

const std::vector<ControlSpec>& form11Design() {
  static const std::vector<ControlSpec> design = makeForm11();
  return design;
}

const std::vector<ControlSpec>& form4Design() {
  static const std::vector<ControlSpec> design = makeForm4();
  return design;
}

}  // namespace tallix
