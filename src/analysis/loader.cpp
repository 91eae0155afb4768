#include "analysis/loader.h"

#include <cstdint>
#include <utility>

#include "store/file_system.h"
#include "store/numbers.h"
#include "store/text_forms.h"

namespace tallix {
namespace {

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

// A refusal: the file's name and the complaint, and nothing of the file.
LogLoad refused(std::string_view name, std::string_view complaint) {
  LogLoad load;
  load.messages.push_back(std::string(name) + "," + std::string(complaint));
  return load;
}

// The period, the creation date and the two stamps from an accepted pair of
// headers; returns the record count as a 16-bit number (0 when it overflows).
std::int16_t readHeaders(LogLoad& load, const std::string& record1, const std::string& record2,
                         PendingError& error) {
  std::int16_t startDay = 0;
  std::int16_t endDay = 0;
  convertToInt16(right(load.from, 2), startDay, error);
  load.to = GetPeriodEnd(load.from, record2, error);
  convertToInt16(right(load.to, 2), endDay, error);
  load.created = creationDate(record1, startDay, endDay, error);

  load.records = load.log.count();
  if (load.records >= 3) load.first = storedStamp(load.log.record(3));
  std::int16_t N = 0;
  storeInt16(load.records, N, error);  // more than 32767 records: an overflow, and N stays 0
  if (N >= 4) load.last = storedStamp(load.log.record(N));
  return N;
}

}  // namespace

std::string GetPeriodStart(const std::string& record1) {
  const std::string text = trimRight(record1);
  return mid(text, 11, 8) + mid(text, 8, 2);
}

std::string GetPeriodEnd(const std::string& periodStart, const std::string& record2, PendingError& error) {
  const std::string endDayText = right(trimRight(record2), 2);
  const std::string& date = periodStart;
  const long long carry = wholeValue(endDayText) < wholeValue(right(date, 2)) ? 1 : 0;
  double startMonth = 0;
  if (!numberConversion(mid(date, 6, 2), startMonth, error)) return date;  // the period start stays
  if (startMonth == 12)
    return std::to_string(wholeValue(left(date, 4)) + carry) + (carry == 1 ? "/01/" : "/12/") + endDayText;
  return left(date, 5) + twoDigits(wholeValue(mid(date, 6, 2)) + carry) + "/" + endDayText;
}

LogLoad readLog(LogImage log, std::string_view name, const PairOptions& options, const PairObserver& observer) {
  const std::string record1 = log.record(1);
  if (left(record1, 4) != "From") return refused(name, kWrongFormatComplaint);
  LogLoad load;
  PendingError error;
  load.from = GetPeriodStart(record1);
  const std::string record2 = log.record(2);
  const std::string head = left(record2, 4);
  // A wrong second header refuses the file alone, whatever the first one met.
  if (head != "0_To" && head != "1_To") return refused(name, kWrongFormatComplaint);
  load.headers = true;
  load.log = std::move(log);
  const std::int16_t N = readHeaders(load, record1, record2, error);
  if (N >= 3) load.pairs = ReadRecordPairs(load.log, N, options, error, observer);
  if (error.pending()) load.messages.push_back(failureReport(kLoadingData, error));
  return load;
}

bool readLogFile(const std::string& folder, const std::string& name, LogImage& log, LogLoad& refusal) {
  const std::string path = folder + name;
  if (!fileExists(path)) {
    refusal = refused(name, kFileNotFoundComplaint);
    return false;
  }
  // One read brings the whole file in. When it fails nothing of the file can
  // be shown, so the labels stay bare rather than judge an old buffer.
  PendingError error;
  if (log.load(path, error)) return true;
  refusal = {};
  refusal.messages.push_back(failureReport(kLoadingData, error));
  return false;
}

LogLoad loadLog(const std::string& folder, const std::string& name, const PairOptions& options,
                const PairObserver& observer) {
  LogImage log;
  LogLoad refusal;
  if (!readLogFile(folder, name, log, refusal)) return refusal;
  return readLog(std::move(log), name, options, observer);
}

NamedPeriod periodNamed(const LogImage& log) {
  PendingError ignored;  // the load itself reports it
  NamedPeriod period{GetPeriodStart(log.record(1)), {}};
  period.to = GetPeriodEnd(period.from, log.record(2), ignored);
  return period;
}

LoadLabels loadLabels(const LogLoad& load) {
  LoadLabels labels{std::string(kCreatedBare), std::string(kFromLabel),        std::string(kToLabel),
                    std::string(kFirstRecordLabel), std::string(kLastRecordLabel), std::string(kTotalTimeBare)};
  if (!load.headers) return labels;
  labels.created = std::string(kCreatedFilled) + showDate(load.created);
  labels.from += showDate(load.from);
  labels.to += showDate(load.to);
  if (!load.first.empty()) labels.first += showStamp(load.first);
  if (!load.last.empty()) labels.last += showStamp(load.last);
  if (load.pairs.counted) labels.useTime = useTimeText(load.pairs.total);
  return labels;
}

}  // namespace tallix
