#include "monitor/tick.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <limits>
#include <optional>
#include <string>

#include "form/sentences.h"
#include "form/connection_record.h"
#include "monitor/hour_gauge.h"
#include "period/reload.h"
#include "store/file_system.h"
#include "store/numbers.h"
#include "store/record_file.h"
#include "store/text_forms.h"

namespace tallix {
namespace {

// Two ticks are about a second apart; a longer gap means the machine slept
// or stalled, or the clock was set. An open record is closed at the last
// time the program saw it.
constexpr long long kLongestTickGap = 120;
constexpr std::int16_t kMostWriteErrorsCounted = 3;
constexpr std::int16_t kWriteErrorsShown = 2;

constexpr std::array<std::string_view, 4> kDetectDots = {" connected", " connected .", " connected ..",
                                                         " connected ..."};

bool clockJumped(const DateTime& before, const DateTime& now) {
  const long long gap = toSerialSeconds(now) - toSerialSeconds(before);
  return gap < 0 || gap > kLongestTickGap;
}

bool sameDate(const DateTime& a, const DateTime& b) {
  return a.year == b.year && a.month == b.month && a.day == b.day;
}

void showIcon(MainForm& form, int picture) {
  form.trayIconData.hIcon = picture;
  Shell_NotifyIcon(form, NotifyAction::Modify);
}

// The line is seen down: the icon goes back to the offline picture.
void markDisconnected(MainForm& form) {
  form.NewFileCreated = false;
  showIcon(form, kPictureDisconnect);
}

// Shows at most two write failures in a run of the program.
void checkWriteFailure(MainForm& form, PendingError& error) {
  if (!error.pending()) return;
  if (form.WriteErrors < kWriteErrorsShown) reportFailure(form, kWritingDataToFile, error);
  error.clear();
  form.WriteErrors = std::min<std::int16_t>(static_cast<std::int16_t>(form.WriteErrors + 1), kMostWriteErrorsCounted);
}

void resetGauge(MainForm& form, const DateTime& now) {
  form.LastMinute = static_cast<std::int16_t>(now.minute);
  form[form1::lblF1HourSpent].visible = true;
  form[form1::imgScale].visible = true;
  form[form1::imgPointer].visible = true;
  if (!form.NewFileCreated) form[form1::imgPointer].left = form.PointerOrigin;
  form[form1::lblF1HourSpent].caption = std::to_string(form.HoursSpent) + " hr";
  form.HourMinutes = 0;
  describeHourGauge(form);
  form[form1::lblStartTime].caption.clear();
  form[form1::lblEndTime].caption.clear();
}

// A connection is seen and no record is open: writes its start record and
// its first end record behind the last record of CountRec.zvt.
void startRecord(MainForm& form, const DateTime& now, PendingError& error) {
  showIcon(form, 0);
  resetGauge(form, now);

  const std::string path = form.file(kCountRecZvt);
  // Without a record file nothing is recorded; the next tick tries again.
  if (!fileExists(path)) return;
  form.StampText = stampText(now);
  const long start = placeNewConnection(path, form.StampText, error);
  if (start == 0) return;
  if (start + 1 > std::numeric_limits<std::int16_t>::max()) {
    error.raise(kOverflow);
    return;
  }

  form.StartLine = "start: " + form.StampText;
  form[form1::lblStartTime].caption = "start : " + longStampText(now);

  form.StartMinuteText = left(right(form.StartLine, 5), 2);
  form.StartHourText = left(right(form.StartLine, 8), 2);
  form.DayText = mid(form.StartLine, 16, 2);

  // The start record and its first end leave in one write: a kill or a power
  // cut between two writes would leave a start without its end, and a
  // rollover at the next start would archive the period that way.
  form.EndRecNo = static_cast<std::int16_t>(start + 1);
  // The interface's counters now are the base of the connection's bytes.
  form.volume.begin(form.services->trafficCounters());
  writeOpenPair(form, form.StampText, error);
  form.Recording = true;
}

// The connection goes on: gauge, day count and the even-minute refresh.
void continueRecord(MainForm& form, const DateTime& now, PendingError& error) {
  const auto minute = static_cast<std::int16_t>(now.minute);
  UpdateHourGauge(form, minute);
  // Read on every tick while the line is up: when it drops, the interface
  // and its counters may be gone, and only the last reading is left.
  form.volume.take(form.services->trafficCounters());

  // Back at the start's hour and minute on a later day: one more whole day.
  // The start record is written together with a fresh end record, so a stop
  // right after can never leave the new day count beside an older end time.
  if (countDayIfDue(form, now)) {
    PendingError dayError;
    writeOpenPair(form, stampText(now), dayError);
    reportFailure(form, kUpdatingDaySpent, dayError);
  }

  // The even-minute refresh writes the whole open pair: the end moves on,
  // and a start record whose own write failed is put back.
  if (minute % 2 == 0 && minute != form.LastSaveMinute) {
    writeOpenPair(form, stampText(now), error);
    form.LastSaveMinute = minute;
  }
}

}  // namespace

bool IsConnected(MainForm& form) { return form.services->probeConnection(form[form1::lblDetect].caption); }

void Timer1_Timer(MainForm& form) {
  // One reading of the clock serves the whole tick, so every time this tick
  // writes is the same and none can fall before the previous tick's.
  const DateTime now = form.services->now();
  const std::optional<DateTime> previous = form.lastTickTime;
  form.lastTickTime = now;
  PendingError error;

  // A sleep or a clock change: close the open record at the last time seen,
  // before the reload can move on to a new period.
  bool closedOnJump = false;
  if (previous && form.Recording && clockJumped(*previous, now)) {
    closeConnection(form, *previous, error);
    closedOnJump = true;
  }

  const bool nightRetry = now.hour == 0 && now.minute <= 1;
  const bool newDay = previous && !sameDate(*previous, now);
  if (!nightRetry || newDay) form.nightMessages.clear();
  if (nightRetry || newDay) {
    form.nightRetry = nightRetry;
    ReloadPeriod(form);
    form.nightRetry = false;
  }

  form.Caption = std::string(kProgramTitle) + "....." + titleStampText(now);
  form.Connected = IsConnected(form);
  if (form[form1::fraSettings].visible) showWatched(form);

  if (form.Connected) {
    form[form1::lblDetect].caption = std::string(kDetectDots[static_cast<size_t>(form.DotStep) % kDetectDots.size()]);
    form.DotStep = static_cast<std::int16_t>((form.DotStep + 1) % static_cast<int>(kDetectDots.size()));

    if (!form.PeriodActive) {
      // Recording refused: an open record is closed quietly, the icon stays.
      form[form1::lblF1NoRecord].caption = std::string(kRecordNotProgressing);
      if (form.Recording) {
        PendingError unreported;
        form.volume.take(form.services->trafficCounters());
        closeConnection(form, now, unreported);
      }
    } else if (form.Recording) {
      continueRecord(form, now, error);
    } else {
      startRecord(form, now, error);
    }
  } else {
    form[form1::lblDetect].caption = " disconnect";
    if (form.Recording) {
      closeConnection(form, now, error);
      markDisconnected(form);
    } else if (closedOnJump) {
      markDisconnected(form);
    }
  }

  checkWriteFailure(form, error);
}

}  // namespace tallix
