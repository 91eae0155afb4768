#include "monitor/hour_gauge.h"

#include <algorithm>
#include <limits>
#include <string>

#include "form/sentences.h"
#include "form/connection_record.h"
#include "store/numbers.h"
#include "store/record_file.h"

namespace tallix {
namespace {

constexpr int kMinutesPerHour = 60;
constexpr int kMinutesPerPicture = 5;
constexpr int kOnlinePictures = 12;

}  // namespace

void describeHourGauge(MainForm& form) {
  form[form1::imgScale].description = std::to_string(form.HourMinutes) + " min of this hour online, " +
                                 std::to_string(form.HoursSpent) + " hr before";
}

void UpdateHourGauge(MainForm& form, std::int16_t minute) {
  int step = minute - form.LastMinute;
  // A smaller minute than last time means the clock passed the full hour.
  if (step < 0) step = 1;
  if (step == 0) return;

  const int counted = form.HourMinutes + step;
  if (counted >= kMinutesPerHour) {
    // A whole hour is complete; minutes beyond it (missed ticks) are dropped.
    form.HourMinutes = 0;
    if (form.HoursSpent < std::numeric_limits<std::int32_t>::max()) ++form.HoursSpent;
    form[form1::lblF1HourSpent].caption = std::to_string(form.HoursSpent) + (form.HoursSpent >= 2 ? " hrs" : " hr");
  } else {
    form.HourMinutes = static_cast<std::int16_t>(counted);
  }

  form[form1::imgPointer].left = static_cast<float>(form.HourMinutes) * form.TwipsPerMinute + form.PointerOrigin;
  form.LastMinute = minute;
  describeHourGauge(form);

  if (form.HourMinutes % kMinutesPerPicture == 0) {
    const int picture = form.HourMinutes / kMinutesPerPicture;
    if (picture >= 0 && picture < kOnlinePictures) {
      form.trayIconData.hIcon = picture;
      Shell_NotifyIcon(form, NotifyAction::Modify);
    }
  }
}

void UpdateDaySpent(MainForm& form) {
  form.LineRec = padRecord(startRecordText(form.StartLine, form.DaysSpanned));
  PendingError error;
  writeRecord(form.file(kCountRecZvt), form.EndRecNo - 1, form.LineRec, error);
  reportFailure(form, kUpdatingDaySpent, error);
}

}  // namespace tallix
