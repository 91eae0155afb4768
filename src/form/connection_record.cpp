#include "form/connection_record.h"

#include <algorithm>
#include <limits>

#include "form/sentences.h"
#include "store/numbers.h"
#include "store/record_file.h"
#include "store/text_forms.h"
#include "store/volume_file.h"

namespace tallix {

std::string endRecordText(std::string_view stamp) { return "_end : " + std::string(stamp); }

std::string danglingEndText(std::string_view startRecord, std::string_view fallbackStamp) {
  // Positions 10-26 of a start record: "yy/mm/dd hh:mm:ss".
  const std::string time = mid(startRecord, 10, 17);
  return endRecordText(parseStamp(time) ? "20" + time : std::string(fallbackStamp));
}

long placeNewConnection(const std::string& path, std::string_view nowStamp, PendingError& error) {
  RecordFile file(path, kRecordLength, error);
  const long long size = file.length();
  if (size < 0) {
    file.close();
    return 0;
  }
  long last = recordsInLength(size, kRecordLength);
  if (last <= 2) return file.close() ? 3 : 0;
  if (last % 2 != 0) {
    std::string dangling;
    if (!file.read(last, dangling) || !file.write(last + 1, danglingEndText(dangling, nowStamp))) {
      file.close();
      return 0;
    }
    ++last;
  }
  return file.close() ? last + 1 : 0;
}

std::string startRecordText(std::string_view startLine, long days) {
  constexpr long kMostDaysShown = 99;
  const long shown = std::clamp<long>(days, 0, kMostDaysShown);
  const auto length = static_cast<long>(startLine.size());
  return left(startLine, 7) + twoDigits(shown) + right(startLine, length - 9);
}

bool writeOpenPair(MainForm& form, std::string_view endStamp, PendingError& error) {
  if (form.EndRecNo < 4) {
    error.raise(kBadFileNameOrNumber);
    return false;
  }
  const std::string pair = padRecord(startRecordText(form.StartLine, form.DaysSpanned)) + padRecord(endRecordText(endStamp));
  form.LineRec = padRecord(endRecordText(endStamp));
  RecordFile file(form.file(kCountRecZvt), kRecordLength, error);
  const bool written = file.writeSpan(form.EndRecNo - 1, pair);
  const bool closed = file.close();
  if (written && closed && form.volume.known) {
    // The volume goes after the pair: a power cut between the two can only
    // leave the volume of the previous write, never bytes the pair lacks.
    recordConnectionVolume(form.file(kCountRecZvt), {form.EndRecNo - 1, right(form.StartLine, 17), form.volume.counted},
                           error);
  }
  return closed && written;
}

bool countDayIfDue(MainForm& form, const DateTime& when) {
  if (when.minute != wholeValue(form.StartMinuteText) || when.hour != wholeValue(form.StartHourText) ||
      when.day == wholeValue(form.DayText))
    return false;
  if (form.DaysSpanned < std::numeric_limits<std::int16_t>::max()) ++form.DaysSpanned;
  form.DayText = std::to_string(when.day);
  return true;
}

void closeConnection(MainForm& form, const DateTime& when, PendingError& error) {
  countDayIfDue(form, when);
  form.StampText = stampText(when);
  writeOpenPair(form, form.StampText, error);
  form[form1::lblEndTime].caption = "_end : " + longStampText(when);
  form.Recording = false;
  form.DaysSpanned = 0;
  form.volume = {};
}

}  // namespace tallix
