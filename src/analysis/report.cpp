#include "analysis/report.h"

#include <filesystem>
#include <optional>
#include <string_view>

#include "analysis/cost.h"
#include "analysis/forecast.h"
#include "analysis/loader.h"
#include "analysis/report_json.h"
#include "analysis/usage.h"
#include "form/main_form.h"
#include "form/sentences.h"
#include "store/file_system.h"
#include "store/numbers.h"
#include "store/settings_file.h"
#include "store/text_forms.h"
#include "version.h"

namespace tallix {
namespace {

// The stamps at the end of a start and an end record: "yy/mm/dd hh:mm:ss"
// and "yyyy/mm/dd hh:mm:ss".
constexpr size_t kStartStampLength = 17;
constexpr size_t kEndStampLength = 19;

// A record's stamp in ISO 8601 ("2026-12-07T17:14:30"), which spreadsheets
// read as a date and time; empty when it is no real date and time.
std::string isoStampOf(std::string_view record, size_t stampLength) {
  if (record.size() < stampLength) return {};
  const std::string_view stamp = record.substr(record.size() - stampLength);
  return parseStamp(stamp) ? isoStamp(stamp) : std::string();
}

struct Options {
  bool partMinute = false;
  bool csv = false;
  bool json = false;
  bool perDay = false;
  bool help = false;
  bool version = false;
  std::string tariffFile;  // --tariff, else tariff.ini of the data folder
  std::vector<std::string> files;
  std::optional<Tariff> tariff;
  std::optional<DateTime> now;
};

// What the report adds for a file named CountRec.zvt: the outlook at the
// time of the run, with the time budget of tallix.ini beside it.
std::optional<Outlook> outlookOf(const std::string& folder, const LogUsage& usage, const Options& options) {
  const auto period = periodDays(usage.texts.from, usage.texts.to);
  if (usage.name != "CountRec.zvt" || !options.now || !period) return std::nullopt;
  SettingsRecord budget;
  PendingError ignored;  // failures on tallix.ini are skipped silently
  int hours = 0;
  if (readSettingsRecord(folder + "tallix.ini", 3, budget, ignored) && trim(budget.label) == kTimeBudgetLabel &&
      budget.value1 > 0 && budget.value1 <= 744)
    hours = budget.value1;
  return periodOutlook(usage.totalSeconds, *period, *options.now, hours);
}

// The tariff the costs are made with; false (and the reason told) when the
// file is missing or is no tariff. No --tariff and no tariff.ini: no costs.
bool chooseTariff(Options& options, const std::string& logFolder, std::ostream& err) {
  const bool given = !options.tariffFile.empty();
  const std::string path = given ? options.tariffFile : logFolder + std::string(kTariffFile);
  if (!given && (logFolder.empty() || !fileExists(path))) return true;
  const TariffFileState state = readTariffFile(path);
  if (!state.present) {
    err << "tallix-report: " << path << ": there is no such tariff file\n";
    return false;
  }
  if (state.reading.malformed()) {
    err << "tallix-report: " << tariffProblem(path, state.reading) << '\n';
    return false;
  }
  options.tariff = state.reading.tariff;
  return true;
}

// The cost of a counted pair as the reader reports it.
std::int64_t pairCents(const Tariff& tariff, const PairReport& pair, bool partMinute) {
  StampReader stamps;
  return connectionCents(tariff, readStart(pair, stamps), pair.seconds, partMinute);
}

// The message window breaks lines at a carriage return; a console at a line feed.
std::string asLines(std::string text) {
  for (char& c : text) {
    if (c == '\r') c = '\n';
  }
  return text;
}

void tellMessages(const std::string& argument, const std::vector<std::string>& messages, std::ostream& err) {
  for (const auto& message : messages) err << argument << ": " << asLines(message) << '\n';
}

std::string_view reason(PairOutcome outcome) {
  switch (outcome) {
    case PairOutcome::Counted: return "";
    case PairOutcome::WrongShape: return "wrong shape";
    case PairOutcome::OutOfRange: return "out of range";
    case PairOutcome::Failed: return "overflow";
    case PairOutcome::Unpaired: return "no end record";
  }
  return "";
}

// Loads one file as the Calculation view would; true when it loaded whole.
bool reportFile(const std::string& argument, const Options& options, bool named, bool& firstObject,
                std::ostream& out, std::ostream& err) {
  namespace fs = std::filesystem;
  const fs::path given(argument);
  std::string folder = given.parent_path().string();
  folder = folder.empty() ? "./" : folder + "/";
  const std::string name = given.filename().string();

  if (options.json || options.perDay) {
    const LogUsage usage = readLogUsage(folder, name, options.partMinute, options.tariff);
    tellMessages(argument, usage.messages, err);
    if (!usage.shown()) return false;  // nothing of the file can be shown
    if (options.json) out << (firstObject ? "\n" : ",\n");
    firstObject = false;
    if (options.perDay) {
      if (named && !options.json && !options.csv) out << argument << ":\n";
      writePerDay(out, options.json ? DayForm::Json : options.csv ? DayForm::Csv : DayForm::Text, argument, usage);
    } else {
      writeUsageJson(out, argument, usage, options.tariff, outlookOf(folder, usage, options));
    }
    return usage.complete();
  }

  QuietServices services;
  MainForm form(services, folder);
  form["File1"].items = {name};
  form["File1"].listIndex = 0;
  form["chkToBeMin"].value = options.partMinute ? 1 : 0;

  std::int64_t totalCents = 0;
  LoadedTexts texts;
  auto tellPair = [&](const PairReport& pair) {
    const bool counted = pair.outcome == PairOutcome::Counted;
    const std::int64_t cents = counted && options.tariff ? pairCents(*options.tariff, pair, options.partMinute) : 0;
    totalCents = addCents(totalCents, cents);
    if (!options.csv) return;
    out << csvField(argument) << ',' << pair.startRecord << ',' << csvField(pair.startText) << ','
        << csvField(pair.endText) << ',';
    if (counted) out << pair.seconds;
    out << ',' << reason(pair.outcome) << ',';
    if (counted && options.tariff) out << centsText(cents);
    out << ',' << isoStampOf(pair.startText, kStartStampLength) << ',' << isoStampOf(pair.endText, kEndStampLength)
        << '\n';
  };
  loadSelectedLog(
      form, [&](std::span<const PairReport> pairs) {
        for (const PairReport& pair : pairs) tellPair(pair);
      },
      &texts);
  if (!options.csv) {
    if (named) out << argument << ":\n";
    for (std::string_view label : {"lblCreated", "lblF2From", "lblF2To", "lblFirstR", "lblLastR", "lblUseTime"})
      out << form[label].caption << '\n';
    if (options.tariff && texts.headers) out << kTotalCostFilled << moneyText(totalCents, options.tariff->currency) << '\n';
    const auto& abandoned = form["List1"].items;
    if (!abandoned.empty()) {
      out << form["lblAbandon"].caption << '\n';
      for (const auto& item : abandoned) out << item << '\n';
    }
  }
  tellMessages(argument, services.messages, err);
  return services.messages.empty();
}

// The closed periods of the data folder in the file list's order, then the
// current period read straight from its record file. CountRec.log is only the
// Calculation view's copy of that file, as old as the view was last shown, so
// it stands in for the current period only when there is no record file.
std::vector<std::string> folderLogs(const std::string& logFolder) {
  std::vector<std::string> names;
  PendingError error;
  listFiles(logFolder, ".log", names, error);
  std::vector<std::string> files;
  const bool current = fileExists(logFolder + std::string(kCountRecZvt));
  for (const auto& name : names) {
    if (!current || name != kCountRecLog) files.push_back(logFolder + name);
  }
  if (current) files.push_back(logFolder + std::string(kCountRecZvt));
  return files;
}

}  // namespace

std::string reportUsage() {
  return "Usage: tallix-report [--part-minute] [--csv | --json] [--per-day] [--tariff FILE] [--]\n"
         "                     [FILE.log...]\n"
         "\n"
         "Loads each log file as the Calculation view's Load button does and prints\n"
         "what the view would show: the file's creation date, the period, the first\n"
         "and last record, the total time, the records that cannot be counted, and\n"
         "any message about the file, one per line. Without a file it reports the\n"
         "closed periods of the folder where Tallix keeps its records and then the\n"
         "current period from CountRec.zvt, which it only reads.\n"
         "\n"
         "  --part-minute  count a part-minute at the start and end of a connection\n"
         "                 as a whole minute\n"
         "  --csv          print one line per connection pair instead:\n"
         "                 file,start record,start,end,seconds,abandoned,cost,\n"
         "                 start iso,end iso (seconds empty and the reason given\n"
         "                 when a pair is not counted; cost empty without a tariff;\n"
         "                 the stamps again as 2026-12-07T17:14:30, empty when\n"
         "                 they are no real date and time)\n"
         "  --json         print a JSON array, one object per log: file, from, to,\n"
         "                 created, first_record, last_record, part_minute,\n"
         "                 total_seconds, total_shown, complete (false when a failure\n"
         "                 cut the reading short), abandoned, and connections, each\n"
         "                 with start_record, start, end and seconds; with a tariff\n"
         "                 also currency and cost per log and cost per connection;\n"
         "                 for CountRec.zvt also forecast_seconds and\n"
         "                 allowance_seconds_per_day at the time of the run (null\n"
         "                 before a day has passed or without a time budget);\n"
         "                 dates in ISO 8601 where they are real dates, else as\n"
         "                 stored; bytes that are not UTF-8 are written as \\u0080\n"
         "                 to \\u00ff\n"
         "  --per-day      print the seconds online per calendar day instead, every\n"
         "                 day of the period and any other day a connection falls on\n"
         "                 (a connection over midnight is split there): \"date seconds\"\n"
         "                 lines, with --csv file,date,seconds, with --json one object\n"
         "                 per log with days [{date, seconds}] and undated_seconds\n"
         "  --tariff FILE  price the connections with this tariff instead of the\n"
         "                 tariff.ini of the data folder (to compare plans); the\n"
         "                 text report gains a line \"Total cost =  7.25 EUR\"\n"
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

int runReport(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
              const std::string& logFolder, const std::optional<DateTime>& now) {
  Options options;
  options.now = now;
  bool optionsEnded = false;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (!optionsEnded && arg.size() > 1 && arg[0] == '-') {
      if (arg == "--") optionsEnded = true;
      else if (arg == "--part-minute") options.partMinute = true;
      else if (arg == "--csv") options.csv = true;
      else if (arg == "--json") options.json = true;
      else if (arg == "--per-day") options.perDay = true;
      else if (arg == "--help" || arg == "-h") options.help = true;
      else if (arg == "--version") options.version = true;
      else if (arg.starts_with("--tariff=")) options.tariffFile = arg.substr(9);
      else if (arg == "--tariff" && i + 1 < args.size()) options.tariffFile = args[++i];
      else if (arg == "--tariff") {
        err << "tallix-report: --tariff needs a file\n" << reportUsage();
        return kReportBadArguments;
      } else {
        err << "tallix-report: unknown option " << arg << "\n" << reportUsage();
        return kReportBadArguments;
      }
    } else {
      options.files.push_back(arg);
    }
  }
  if (options.csv && options.json) {
    err << "tallix-report: --csv and --json exclude each other\n" << reportUsage();
    return kReportBadArguments;
  }
  if (options.help || options.version) {
    out << (options.help ? reportUsage() : "tallix-report " TALLIX_VERSION "\n");
    return kReportLoaded;
  }
  if (!chooseTariff(options, logFolder, err)) return kReportRefused;
  if (options.files.empty() && logFolder.empty()) {
    err << "tallix-report: no log file given\n" << reportUsage();
    return kReportBadArguments;
  }
  if (options.files.empty()) options.files = folderLogs(logFolder);
  if (options.files.empty()) {
    err << "tallix-report: no log file in " << logFolder << '\n';
    return kReportRefused;
  }

  if (options.csv)
    out << (options.perDay ? "file,date,seconds\n"
                           : "file,start record,start,end,seconds,abandoned,cost,start iso,end iso\n");
  if (options.json) out << '[';
  const bool named = options.files.size() > 1;
  const bool plain = !options.csv && !options.json;
  bool allLoaded = true;
  bool firstObject = true;
  for (size_t i = 0; i < options.files.size(); ++i) {
    if (named && plain && i > 0) out << '\n';
    allLoaded = reportFile(options.files[i], options, named, firstObject, out, err) && allLoaded;
  }
  if (options.json) out << (firstObject ? "]\n" : "\n]\n");
  return allLoaded ? kReportLoaded : kReportRefused;
}

}  // namespace tallix
