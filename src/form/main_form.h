// The form model of the main window: every working field under its
// established name and every control as plain data. The procedures of
// monitor/, period/ and analysis/ work on it; the Qt shell renders it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "form/control_names.h"
#include "form/controls.h"
#include "form/services.h"
#include "form/volume_count.h"
#include "store/date_time.h"
#include "store/pending_error.h"
#include "store/settings_file.h"
#include "store/tariff_file.h"
#include "store/text_shape.h"

namespace tallix {

enum class WindowState { Normal, Minimized, Maximized };

// The notices of one limit (the time budget or the data allowance) this
// period.
struct LimitNotices {
  std::int16_t warned = 0;  // the marks told (kWarned80, kWarned100)
  // A notice handed to the desktop whose answer is not in yet: its marks,
  // and the round it belongs to. A new period or a new limit begins a new
  // round, so a late answer of the old one changes nothing.
  std::int16_t asked = 0;
  std::uint32_t round = 0;
};

// The time budget and the data allowance of the Settings view, and the
// period's time and volume so far.
struct BudgetState {
  std::int16_t hours = 0;     // whole hours this period; 0 for no budget
  LimitNotices timeNotices;
  std::int16_t allowanceTenths = 0;  // tenths of a GB this period; 0 for no allowance
  LimitNotices dataNotices;
  long long closedSeconds = 0;  // CountRec.zvt's total without the open connection
  // What closedSeconds was counted for: the file's shape changes with a new
  // period, a connection that starts or ends, or the part-minute setting.
  bool counted = false;
  std::uint32_t periodsSeen = 0;
  bool recordingSeen = false;
  bool partMinuteSeen = false;
  int minuteShown = -1;  // the clock's minute when the label was last made
  std::uint32_t linesMade = 0;  // labels made so far: an open Usage window of the period follows them
  // With a tariff: the closed connections' cost, in cents; and the
  // period's stored first and last day, for the forecast.
  std::int64_t closedCents = 0;
  bool closedCentsAtLeast = false;  // some closed connection's volume part is the least it can be
  std::string periodFrom;
  std::string periodTo;
  // The closed connections' bytes from CountRec.zvt's volume file: whether
  // any is known, whether some are not, and the last damage told.
  Volume closedVolume;
  bool volumeSeen = false;
  bool volumePartial = false;
  std::string volumeProblemTold;

  std::uint64_t allowanceBytes() const { return allowanceBytesOf(allowanceTenths); }
};
inline constexpr std::int16_t kWarned80 = 1;
inline constexpr std::int16_t kWarned100 = 2;

// The desktop's tray as the program has seen it.
struct TrayState {
  bool present = false;  // a tray is there now
  // The tray is missing, but not for long: the program is in its first
  // moments or the tray has just gone, and one may come. Closing the window
  // then only hides it.
  bool waiting = false;
  bool windowShownForIt = false;  // the window is up only for want of a tray
};

struct MainForm {
  explicit MainForm(Services& services, std::string appPath = {});

  Services* services;
  // The program folder, always ending in the separator.
  std::string AppPath;
  // Whether files can be made in AppPath; when not, start-up says so.
  bool appPathWritable = true;
  // The notification-icon record (filled at start-up; the tick changes its picture).
  TrayIconData trayIconData;
  TrayState tray;
  // False where the desktop neither places windows nor tells where they are
  // (Wayland): the stored place is then left as it is.
  bool placesWindows = true;

  // The window itself.
  std::string Caption;  // title, empty until the first tick
  float windowLeft = 0;
  float windowTop = 0;
  float windowWidth = 0;
  float windowHeight = 0;
  bool placed = false;  // a saved position was applied at load
  WindowState windowState = WindowState::Normal;
  bool windowVisible = false;
  ControlSet controls;

  // Shared state.
  std::string LineRec;  // record buffer of the record file
  bool Recording = false;
  std::int16_t EndRecNo = 0;
  std::int16_t DaysSpanned = 0;
  bool PeriodActive = false;
  bool NewFileCreated = false;
  bool Connected = false;
  // Counts the period files begun in this run (by hand or by a rollover).
  std::uint32_t periodsBegun = 0;
  BudgetState budget;
  // The tariff of tariff.ini; none when there is no file or it is malformed
  // (then no amount is shown anywhere).
  std::optional<Tariff> tariff;
  // How tariff.ini was written (encoding, mark, line ends), so an edit keeps it.
  TextShape tariffShape;

  // Tick bookkeeping.
  std::int16_t DotStep = 0;
  std::int16_t WriteErrors = 0;
  std::string StartLine;
  std::string StampText;
  std::string StartHourText;
  std::string StartMinuteText;
  std::string DayText;
  std::int16_t LastSaveMinute = 0;
  // The open connection's bytes, written beside its end record.
  VolumeCount volume;
  // The clock at the previous tick, to see sleeps, clock changes and a new
  // calendar day between two ticks (none before the first tick).
  std::optional<DateTime> lastTickTime;
  // The reload is retried on every tick of the first two minutes after
  // midnight; while it runs there, each distinct message is shown once a
  // night instead of opening a new window every second.
  bool nightRetry = false;
  std::vector<std::string> nightMessages;

  // Hour gauge.
  std::int32_t HoursSpent = 0;
  std::int16_t HourMinutes = 0;
  std::int16_t LastMinute = 0;
  float PointerOrigin = 0;
  float TwipsPerMinute = 0;

  // Period confirmation.
  std::string ArchiveName;
  bool confirming = false;  // a confirmation is running; a second one must not start

  // The part-minute setting as the Settings view's box stands: every total
  // is counted with it.
  bool partMinute() const { return controls[form1::chkToBeMin].value == 1; }
  // A file of the program folder by name.
  std::string file(std::string_view name) const { return AppPath + std::string(name); }
  Control& operator[](ControlName name) { return controls[name]; }
  const Control& operator[](ControlName name) const { return controls[name]; }
};

// The one message service: shows the text in a new message window.
void AnswerOk(MainForm& form, std::string_view ErrorMsgStr);
// When an error is pending: shows the failure report with the operation's
// sentence and clears the error. Returns whether it reported.
bool reportFailure(MainForm& form, std::string_view sentence, PendingError& error);
// Puts the probe's line on what it watches into the Settings view.
void showWatched(MainForm& form);
// Passes the icon record to the notification-icon service.
void Shell_NotifyIcon(MainForm& form, NotifyAction action);

}  // namespace tallix
