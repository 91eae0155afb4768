// The companion command's work: loads log files through the Calculation
// view's own Load and prints what the view would show, or one CSV line per
// connection pair. Kept here, free of any console, so tests can run it.
#pragma once

#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "store/date_time.h"

namespace tallix {

enum ReportStatus : int { kReportLoaded = 0, kReportRefused = 1, kReportBadArguments = 2 };

// `args` are the command's arguments without the program name. Without a
// file argument every ".log" file of `logFolder` (the program's data folder,
// ending in the separator) is reported; with no folder either that is a bad
// argument. Returns the exit status: 0 when every file loaded, 1 when one was
// refused (missing, wrong format or a failure report) or the folder holds no
// log, 2 for bad arguments. Costs come from --tariff FILE, else from
// tariff.ini of `logFolder` when there is one; a tariff that is missing or
// malformed is refused (1) before any file is read. `now` is the time of the
// run, for the current period's outlook in --json.
int runReport(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
              const std::string& logFolder = {}, const std::optional<DateTime>& now = std::nullopt);

// The command's help text.
std::string reportUsage();

}  // namespace tallix
