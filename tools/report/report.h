// The companion command's work: loads log files as the Calculation view's
// Load does and prints what the view would show, one CSV line per
// connection pair, the JSON form or the seconds per day. Kept here, free of
// any console and of the command line, so tests can run it.
#pragma once

#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "store/date_time.h"

namespace tallix {

enum ReportStatus : int { kReportLoaded = 0, kReportRefused = 1, kReportBadArguments = 2 };

// What the command line asks for.
struct ReportRequest {
  bool partMinute = false;
  bool csv = false;
  bool json = false;
  bool perDay = false;
  std::string tariffFile;  // --tariff, else tariff.ini of the data folder
  std::vector<std::string> files;
};

// Without a file every ".log" file of `logFolder` (the program's data
// folder, ending in the separator) is reported; with no folder either that
// is a bad argument (2, said on `err`). Returns the exit status: 0 when
// every file loaded, 1 when one was refused (missing, wrong format or a
// failure report) or the folder holds no log. Costs come from the request's
// tariff file, else from tariff.ini of `logFolder` when there is one; a
// tariff that is missing or malformed is refused (1) before any file is
// read. `now` is the time of the run, for the current period's outlook in
// the JSON form.
int runReport(const ReportRequest& request, std::ostream& out, std::ostream& err, const std::string& logFolder = {},
              const std::optional<DateTime>& now = std::nullopt);

}  // namespace tallix
