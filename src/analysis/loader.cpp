#include "analysis/loader.h"

#include <cstdint>
#include <utility>

#include "analysis/log_image.h"
#include "form/sentences.h"
#include "store/file_system.h"
#include "store/numbers.h"
#include "store/text_forms.h"

namespace tallix {
namespace {

void setLabel(MainForm& form, std::string_view name, std::string_view prefix, std::string_view value = {}) {
  std::string& caption = form[name].caption;
  caption.assign(prefix);
  caption += value;
}

void bareLabels(MainForm& form) {
  setLabel(form, "lblF2From", kFromLabel);
  setLabel(form, "lblF2To", kToLabel);
  setLabel(form, "lblCreated", kCreatedBare);
  setLabel(form, "lblFirstR", kFirstRecordLabel);
  setLabel(form, "lblLastR", kLastRecordLabel);
  setLabel(form, "lblUseTime", kTotalTimeBare);
}

void refuse(MainForm& form, const std::string& name, std::string_view complaint) {
  AnswerOk(form, name + "," + std::string(complaint));
}

// A wrong header: the file is refused and what the checks had shown is taken back.
void wrongFormat(MainForm& form, const std::string& name) {
  refuse(form, name, kWrongFormatComplaint);
  setLabel(form, "lblF2From", kFromLabel);
  setLabel(form, "lblCreated", kCreatedBare);
}

// A record's stored time stamp: the last 17 characters once trailing blanks go,
// "yy/mm/dd hh:mm:ss" for start and end records alike.
std::string storedStamp(const std::string& record) { return right(trimRight(record), 17); }

// The day the file was made. Record 1 keeps the month in which the period
// began; a file of a period that runs into the next month, made before the
// starting day, was really made in the month after.
std::string creationDate(const std::string& record1, std::int16_t startDay, std::int16_t endDay,
                         PendingError& error) {
  const std::string text = trimRight(record1);
  const std::string stored = right(text, 10);
  long long year = wholeValue(left(stored, 4));
  long long month = wholeValue(left(right(text, 5), 2));
  const std::string dayText = right(text, 2);
  double day = 0;
  if (!numberConversion(dayText, day, error)) return stored;
  if (!(day < startDay && startDay > endDay)) return stored;
  if (++month == 13) {
    month = 1;
    ++year;
  }
  return std::to_string(year) + "/" + twoDigits(month) + "/" + dayText;
}

}  // namespace

void GetPeriodStart(MainForm& form, const std::string& record1) {
  const std::string text = trimRight(record1);
  form.PeriodDateText = mid(text, 11, 8) + mid(text, 8, 2);
}

void GetPeriodEnd(MainForm& form, const std::string& record2, PendingError& error) {
  const std::string endDayText = right(trimRight(record2), 2);
  std::string& date = form.PeriodDateText;
  const long long carry = wholeValue(endDayText) < wholeValue(right(date, 2)) ? 1 : 0;
  double startMonth = 0;
  if (!numberConversion(mid(date, 6, 2), startMonth, error)) return;  // the period start stays
  if (startMonth == 12) {
    date = std::to_string(wholeValue(left(date, 4)) + carry) + (carry == 1 ? "/01/" : "/12/") + endDayText;
  } else {
    date = left(date, 5) + twoDigits(wholeValue(mid(date, 6, 2)) + carry) + "/" + endDayText;
  }
}

void cmdLoad_Click(MainForm& form) { loadSelectedLog(form, {}); }

void loadSelectedLog(MainForm& form, const PairObserver& observer, LoadedTexts* texts) {
  LoadedTexts ignored;
  LoadedTexts& kept = texts ? *texts : ignored;
  kept = {};
  bareLabels(form);
  form.TotalHours = 0;
  form.TotalMinutes = 0;
  form.TotalSeconds = 0;
  Control& list = form["List1"];
  list.items.clear();
  list.listIndex = -1;
  form.FileNo = 1;  // no file stays open between events, so the first number is free
  PendingError error;

  const Control& files = form["File1"];
  if (files.listIndex < 0 || static_cast<size_t>(files.listIndex) >= files.items.size()) return;
  const std::string name = files.items[static_cast<size_t>(files.listIndex)];
  const std::string path = form.file(name);
  if (!fileExists(path)) {
    refuse(form, name, kFileNotFoundComplaint);
    return;
  }

  // One read brings the whole file in. When it fails nothing of the file can
  // be shown, so the labels stay bare rather than judge an old buffer.
  LogImage log;
  if (!log.load(path, error)) {
    reportFailure(form, kLoadingData, error);
    return;
  }

  log.record(1, form.LoadRec);
  if (left(form.LoadRec, 4) != "From") {
    wrongFormat(form, name);
    return;
  }
  const std::string record1 = form.LoadRec;
  GetPeriodStart(form, record1);
  kept.from = form.PeriodDateText;
  setLabel(form, "lblF2From", kFromLabel, showDate(kept.from));
  std::int16_t startDay = 0;
  convertToInt16(right(form.PeriodDateText, 2), startDay, error);

  log.record(2, form.LoadRec);
  const std::string head = left(form.LoadRec, 4);
  if (head != "0_To" && head != "1_To") {
    wrongFormat(form, name);
    return;
  }
  kept.headers = true;
  GetPeriodEnd(form, form.LoadRec, error);
  kept.to = form.PeriodDateText;
  setLabel(form, "lblF2To", kToLabel, showDate(kept.to));
  std::int16_t endDay = 0;
  convertToInt16(right(form.PeriodDateText, 2), endDay, error);

  kept.created = creationDate(record1, startDay, endDay, error);
  setLabel(form, "lblCreated", kCreatedFilled, showDate(kept.created));

  const long records = log.count();
  kept.records = records;
  if (records >= 3) {
    log.record(3, form.LoadRec);
    kept.first = storedStamp(form.LoadRec);
    setLabel(form, "lblFirstR", kFirstRecordLabel, showStamp(kept.first));
  }
  std::int16_t N = 0;
  storeInt16(records, N, error);  // more than 32767 records: an overflow, and N stays 0
  if (N >= 4) {
    log.record(N, form.LoadRec);
    kept.last = storedStamp(form.LoadRec);
    setLabel(form, "lblLastR", kLastRecordLabel, showStamp(kept.last));
  }
  if (N >= 3) ReadRecordPairs(form, N, log, error, observer);
  kept.log = std::move(log);

  reportFailure(form, kLoadingData, error);
}

}  // namespace tallix
