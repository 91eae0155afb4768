#include "arguments.h"

#include "report.h"
#include "version.h"

namespace tallix {
namespace {

// The options read; false, with the reason told, for an unknown option or a
// --tariff without its file.
bool readOptions(const std::vector<std::string>& args, ReportRequest& request, bool& help, bool& version,
                 std::ostream& err) {
  bool optionsEnded = false;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (optionsEnded || arg.size() <= 1 || arg[0] != '-') {
      request.files.push_back(arg);
    } else if (arg == "--") {
      optionsEnded = true;
    } else if (arg == "--part-minute") {
      request.partMinute = true;
    } else if (arg == "--csv") {
      request.csv = true;
    } else if (arg == "--json") {
      request.json = true;
    } else if (arg == "--per-day") {
      request.perDay = true;
    } else if (arg == "--help" || arg == "-h") {
      help = true;
    } else if (arg == "--version") {
      version = true;
    } else if (arg.starts_with("--tariff=")) {
      request.tariffFile = arg.substr(9);
    } else if (arg == "--tariff" && i + 1 < args.size()) {
      request.tariffFile = args[++i];
    } else if (arg == "--tariff") {
      err << "tallix-report: --tariff needs a file\n";
      return false;
    } else {
      err << "tallix-report: unknown option " << arg << "\n";
      return false;
    }
  }
  return true;
}

}  // namespace

std::string reportUsage() {
  return "Usage: tallix-report [--part-minute] [--csv | --json] [--per-day] [--tariff FILE] [--]\n"
         "                     [FILE.log...]\n"
         "\n"
         "Loads each log file as the Calculation view's Load button does and prints\n"
         "what the view would show: the file's creation date, the period, the first\n"
         "and last record, the total time, the records that cannot be counted, and\n"
         "any message about the file, one per line, and the volume when a volume\n"
         "file (the log's name and .vol) lies beside it. Without a file it reports\n"
         "the closed periods of the folder where Tallix keeps its records and then\n"
         "the current period from CountRec.zvt, which it only reads.\n"
         "\n"
         "  --part-minute  count a part-minute at the start and end of a connection\n"
         "                 as a whole minute\n"
         "  --csv          print one line per connection pair instead:\n"
         "                 file,start record,start,end,seconds,abandoned,cost,\n"
         "                 start iso,end iso (seconds empty and the reason given\n"
         "                 when a pair is not counted; cost empty without a tariff;\n"
         "                 the stamps again as 2026-12-07T17:14:30, empty when\n"
         "                 they are no real date and time); with a volume file\n"
         "                 received bytes,sent bytes at the end (empty where\n"
         "                 unknown), and under a tariff that prices volume\n"
         "                 cost at least (yes where the cost is only the least)\n"
         "  --json         print a JSON array, one object per log: file, from, to,\n"
         "                 created, first_record, last_record, part_minute,\n"
         "                 total_seconds, total_shown, complete (false when a failure\n"
         "                 cut the reading short), abandoned, and connections, each\n"
         "                 with start_record, start, end and seconds; with a tariff\n"
         "                 also currency and cost per log and cost per connection;\n"
         "                 for CountRec.zvt also forecast_seconds and\n"
         "                 allowance_seconds_per_day at the time of the run (null\n"
         "                 before a day has passed or without a time budget);\n"
         "                 with a volume file rx_bytes and tx_bytes per connection\n"
         "                 (null where unknown) and per log, volume_complete, and\n"
         "                 for CountRec.zvt volume_allowance_bytes and\n"
         "                 volume_forecast_bytes;\n"
         "                 dates in ISO 8601 where they are real dates, else as\n"
         "                 stored; bytes that are not UTF-8 are written as \\u0080\n"
         "                 to \\u00ff\n"
         "  --per-day      print the seconds online per calendar day instead, every\n"
         "                 day of the period and any other day a connection falls on\n"
         "                 (a connection over midnight is split there): \"date seconds\"\n"
         "                 lines, with --csv file,date,seconds, with --json one object\n"
         "                 per log with days [{date, seconds}] and undated_seconds;\n"
         "                 with a volume file each day also has the bytes received\n"
         "                 and sent by the connections begun on it and how many of\n"
         "                 those have an unknown volume\n"
         "  --tariff FILE  price the connections with this tariff instead of the\n"
         "                 tariff.ini of the data folder (to compare plans); the\n"
         "                 text report gains a line \"Total cost =  7.25 EUR\"\n"
         "                 (\"at least\" where a volume the tariff prices is unknown)\n"
         "  --help         show this text\n"
         "  --version      show the version\n"
         "\n"
         "Messages about a file go to the error output after the file's name. With\n"
         "--json or --per-day a file that is missing, unreadable or not a log gives\n"
         "nothing on the output but its message.\n"
         "\n"
         "Exit status: 0 when every file loaded, 1 when a file was refused (missing,\n"
         "unreadable, wrong format, or a failure while loading) or there was no log\n"
         "to report, 2 for bad arguments. The other files are reported all the same.\n"
         "A tariff file that is missing or malformed is refused with its line and\n"
         "the reason, exit 1, before any log is read.\n";
}

int reportMain(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
               const std::string& logFolder, const std::optional<DateTime>& now) {
  ReportRequest request;
  bool help = false;
  bool version = false;
  if (!readOptions(args, request, help, version, err)) {
    err << reportUsage();
    return kReportBadArguments;
  }
  if (request.csv && request.json) {
    err << "tallix-report: --csv and --json exclude each other\n" << reportUsage();
    return kReportBadArguments;
  }
  if (help || version) {
    out << (help ? reportUsage() : "tallix-report " TALLIX_VERSION "\n");
    return kReportLoaded;
  }
  const int status = runReport(request, out, err, logFolder, now);
  if (status == kReportBadArguments) err << reportUsage();  // no file and no folder to look in
  return status;
}

}  // namespace tallix
