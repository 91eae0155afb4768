#include "period/reload.h"

#include <limits>
#include <string>

#include "form/sentences.h"
#include "form/connection_record.h"
#include "period/entry.h"
#include "period/rotation.h"
#include "store/file_system.h"
#include "store/numbers.h"
#include "store/record_file.h"
#include "store/text_forms.h"

namespace tallix {
namespace {

// A header field's numeric value as a signed 16-bit number (the fields are
// at most four characters, so it always fits; clamp anyway).
std::int16_t headerNumber(std::string_view field) {
  long long value = wholeValue(field);
  if (value < std::numeric_limits<std::int16_t>::min()) value = std::numeric_limits<std::int16_t>::min();
  if (value > std::numeric_limits<std::int16_t>::max()) value = std::numeric_limits<std::int16_t>::max();
  return static_cast<std::int16_t>(value);
}

struct PeriodHeader {
  std::int16_t s = 0;   // starting day
  std::int16_t y1 = 0;  // year and month the period began
  std::int16_t m1 = 0;
  std::int16_t d1 = 0;  // the day the file was made
  std::int16_t e = 0;   // ending day
};

PeriodHeader parseHeaders(const std::string& record1, const std::string& record2) {
  const std::string date = trimRight(record1);
  PeriodHeader h;
  h.s = headerNumber(mid(record1, 8, 2));
  h.y1 = headerNumber(mid(record1, 11, 4));
  h.m1 = headerNumber(left(right(date, 5), 2));
  h.d1 = headerNumber(right(date, 2));
  h.e = headerNumber(mid(record2, 8, 2));
  return h;
}

// Closes the connection being recorded into the old file before it is
// archived: its pair gets the current time as its end.
void closeOpenConnection(MainForm& form) {
  PendingError error;
  closeConnection(form, form.services->now(), error);
  reportFailure(form, kWritingDataToDisk, error);
}

// Whether today lies inside the file's own period. A next-month period is
// inside from its start to the month end of its start month, and up to its
// ending day in the month after.
bool todayInPeriod(const PeriodHeader& h, int m, int d) {
  if (h.e > h.s) return h.s <= d && d <= h.e;
  const int monthStep = m - h.m1;
  return ((monthStep == 1 || monthStep == -11) && d <= h.e) || (m == h.m1 && (d >= h.s || d <= h.e));
}

bool rolloverDue(const PeriodHeader& h, int y, int m, int d) {
  const int months = 12 * (y - h.y1) + (m - h.m1);
  // A file begun in a later month than today's was begun while the clock was
  // set ahead. Recording into it would put today's time under that later
  // period, or refuse it as outside the period until that date comes: it is
  // archived as any closed period is, and a file for today's period begins.
  if (months < 0) return true;
  bool window = false;
  if (h.s < h.e) {
    window = h.s <= d && d <= h.e;
  } else {
    // The days left of the file's own period, before the next start, are no window.
    window = (d >= h.s || d <= h.e) && !(months == 1 && d < h.s);
  }
  if (months >= 1 && window) return true;
  // A file made before its starting day, and that day has come.
  return months == 0 && h.d1 < h.s && h.s <= d;
}

}  // namespace

void ReloadPeriod(MainForm& form) {
  if (!fileExists(form.file(kCountRecZvt))) return;
  PendingError error;
  std::string record1;
  std::string record2;
  // A failed read leaves nothing to act on: no stale days, no rollover.
  if (!readPeriodHeaders(form, record1, record2, error)) {
    reportFailure(form, kLoadingBackDays, error);
    return;
  }
  const PeriodHeader h = parseHeaders(record1, record2);

  Control& startBox = form[form1::txtStartDay];
  Control& endBox = form[form1::txtEndDay];
  if (startBox.caption.empty()) startBox.caption = std::to_string(h.s);
  if (endBox.caption.empty()) endBox.caption = std::to_string(h.e);
  if (h.s < 1 || h.s > 31 || h.e < 1 || h.e > 31) return;

  const DateTime today = form.services->now();
  const int y = today.year;
  const int m = today.month;
  const int d = today.day;

  // Equal days make no period: nothing to decide and nothing to roll over.
  if (h.e == h.s) return;
  form.PeriodActive = todayInPeriod(h, m, d);
  if (form.PeriodActive) form[form1::lblF1NoRecord].caption.clear();

  if (!rolloverDue(h, y, m, d) || form.confirming) return;
  startBox.enabled = true;
  endBox.enabled = true;
  if (form.Recording) closeOpenConnection(form);
  cmdConfirm_Click(form);
}

}  // namespace tallix
