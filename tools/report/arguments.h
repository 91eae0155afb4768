// tallix-report's command line: its options, its help text, and the run.
#pragma once

#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "store/date_time.h"

namespace tallix {

// `args` are the command's arguments without the program name. Bad
// arguments are told on `err` with the help text (exit status 2); --help
// and --version print and end (0); everything else is the report's own
// (report.h, runReport).
int reportMain(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
               const std::string& logFolder = {}, const std::optional<DateTime>& now = std::nullopt);

// The command's help text.
std::string reportUsage();

}  // namespace tallix
