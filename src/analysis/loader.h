// A log's load as the Calculation view's Load makes it: the header checks,
// the period and creation dates, the first and last time stamps, and the
// total of the connection pairs, as one plain value.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "analysis/log_image.h"
#include "analysis/pairs.h"
#include "store/pending_error.h"

namespace tallix {

// The labels' texts: bare after a reset, and the prefix of the filled text.
inline constexpr std::string_view kFromLabel = "         from : ";
inline constexpr std::string_view kToLabel = "             to : ";
inline constexpr std::string_view kCreatedBare = "file  created : ";
inline constexpr std::string_view kCreatedFilled = " file created : ";
inline constexpr std::string_view kFirstRecordLabel = "first record : ";
inline constexpr std::string_view kLastRecordLabel = " last record : ";
inline constexpr std::string_view kTotalTimeBare = "Total time : ";
// The caption above the list of the pairs that are not counted.
inline constexpr std::string_view kAbandonedLabel = "below data are abandoned :";

// The complaints about a chosen file, after its name and ",".
inline constexpr std::string_view kFileNotFoundComplaint = " file not found";
inline constexpr std::string_view kWrongFormatComplaint = " wrong format";

// What a load found, in the stored forms.
struct LogLoad {
  bool headers = false;  // both header records were accepted
  std::string from;      // the period's first and last day, "yyyy/mm/dd"
  std::string to;        // (a text that is no real day as it stands)
  std::string created;
  std::string first;     // stamps "yy/mm/dd hh:mm:ss" of the first and last
  std::string last;      // record; empty when the file has no such record
  long records = 0;      // how many records the file holds
  PairsRead pairs;       // the total and the pairs not counted
  std::vector<std::string> messages;  // what the view would report, in order
  LogImage log;          // the file as read, for the texts of its records
};

// Takes a log's bytes apart as the Load does; `name` is the file's name,
// for the messages.
LogLoad readLog(LogImage log, std::string_view name, const PairOptions& options, const PairObserver& observer = {});
// Reads file `name` of `folder` (ending in the separator) with one read:
// false, and the load that refuses it, when it is missing or unreadable.
bool readLogFile(const std::string& folder, const std::string& name, LogImage& log, LogLoad& refusal);
// Both: a missing or unreadable file gives its message alone.
LogLoad loadLog(const std::string& folder, const std::string& name, const PairOptions& options,
                const PairObserver& observer = {});

// The six labels of the Calculation view as a load leaves them.
struct LoadLabels {
  std::string created;
  std::string from;
  std::string to;
  std::string first;
  std::string last;
  std::string useTime;
};
LoadLabels loadLabels(const LogLoad& load);

// The period's first and last day as the headers name them, before any
// pair is read (the same as a load's `from` and `to` when it accepts them).
struct NamedPeriod {
  std::string from;
  std::string to;
};
NamedPeriod periodNamed(const LogImage& log);

// The period's first day from header record 1 ("From : dd_yyyy/mm/..."):
// "yyyy/mm/dd".
std::string GetPeriodStart(const std::string& record1);
// The period's last day from its first and header record 2; on a start
// month that is no number the first day stays, with the error pending.
std::string GetPeriodEnd(const std::string& periodStart, const std::string& record2, PendingError& error);

}  // namespace tallix
