// The names of the windows' controls, declared once: the designs in
// layouts.cpp are made of them, and every lookup of a control's state uses
// them, so a misspelt name does not compile. Each constant's text is its
// identifier, the control's established name (also the Qt object's name).
#pragma once

#include "form/controls.h"

#define TALLIX_CONTROL(name) inline constexpr ControlName name{#name}

namespace tallix {

// The main window (Form1).
namespace form1 {
// Directly on the window.
TALLIX_CONTROL(cmdMain);
TALLIX_CONTROL(cmdCaculation);
TALLIX_CONTROL(cmdSettings);
TALLIX_CONTROL(Smallzvt);
TALLIX_CONTROL(imgFrame);
TALLIX_CONTROL(fraMain);
TALLIX_CONTROL(fraSettings);
TALLIX_CONTROL(fraCalculate);
TALLIX_CONTROL(Timer1);
// The Main view.
TALLIX_CONTROL(lblStatus);
TALLIX_CONTROL(lblDetect);
TALLIX_CONTROL(lblThisMonth);
TALLIX_CONTROL(lblStartTime);
TALLIX_CONTROL(lblEndTime);
TALLIX_CONTROL(cmdInput);
TALLIX_CONTROL(lblFrom);
TALLIX_CONTROL(txtStartDay);
TALLIX_CONTROL(lblTo);
TALLIX_CONTROL(txtEndDay);
TALLIX_CONTROL(cmdConfirm);
TALLIX_CONTROL(cmdRecover);
TALLIX_CONTROL(lblF1NewFileCreated);
TALLIX_CONTROL(lblF1NoRecord);
TALLIX_CONTROL(lblF1HourSpent);
TALLIX_CONTROL(imgPointer);
TALLIX_CONTROL(imgScale);
TALLIX_CONTROL(lblPeriodTime);
TALLIX_CONTROL(lblForecast);
TALLIX_CONTROL(lblAllowance);
TALLIX_CONTROL(lblPeriodVolume);
TALLIX_CONTROL(lblVolumeForecast);
TALLIX_CONTROL(lblVolumeAllowance);
// The Settings view.
TALLIX_CONTROL(chkToBeMin);
TALLIX_CONTROL(chkRunMe);
TALLIX_CONTROL(lblWarnAfter);
TALLIX_CONTROL(txtBudget);
TALLIX_CONTROL(lblWarnHours);
TALLIX_CONTROL(lblWarnAfterData);
TALLIX_CONTROL(txtAllowance);
TALLIX_CONTROL(lblWarnGigabytes);
TALLIX_CONTROL(lblWatching);
TALLIX_CONTROL(lblDataFolder);
TALLIX_CONTROL(cmdTariff);
TALLIX_CONTROL(lblTariff);
// The Calculation view.
TALLIX_CONTROL(File1);
TALLIX_CONTROL(cmdLoad);
TALLIX_CONTROL(lblAbandon);
TALLIX_CONTROL(List1);
TALLIX_CONTROL(lblCreated);
TALLIX_CONTROL(lblF2From);
TALLIX_CONTROL(lblF2To);
TALLIX_CONTROL(lblFirstR);
TALLIX_CONTROL(lblLastR);
TALLIX_CONTROL(Line1);
TALLIX_CONTROL(lblUseTime);
}  // namespace form1

// The message window (Form11).
namespace form11 {
TALLIX_CONTROL(imgWarningMessage);
TALLIX_CONTROL(Label1);
TALLIX_CONTROL(cmdOk);
}  // namespace form11

// The About box (Form4).
namespace form4 {
TALLIX_CONTROL(Frame1);
TALLIX_CONTROL(imgMyName);
TALLIX_CONTROL(Label1);
TALLIX_CONTROL(Label3);
TALLIX_CONTROL(imgFlowerIcon);
TALLIX_CONTROL(cmdOk);
}  // namespace form4

}  // namespace tallix

#undef TALLIX_CONTROL
