#include "report.h"

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <limits>
#include <optional>
#include <string_view>

#include "analysis/cost.h"
#include "analysis/forecast.h"
#include "analysis/loader.h"
#include "analysis/report_json.h"
#include "analysis/usage.h"
#include "analysis/volume_cost.h"
#include "form/sentences.h"
#include "store/file_system.h"
#include "store/numbers.h"
#include "store/settings_file.h"
#include "store/text_forms.h"
#include "store/volume_file.h"

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

// The request with the tariff it names and the time of the run.
struct Options : ReportRequest {
  std::optional<Tariff> tariff;
  std::optional<DateTime> now;
  bool volumeColumns = false;  // the CSV has the volume's columns

  bool pricesVolume() const { return tariff && tariff->pricesVolume(); }
};

// What the report adds for a file named CountRec.zvt: the outlook at the
// time of the run, with the time budget of tallix.ini beside it.
std::optional<Outlook> outlookOf(const std::string& folder, const LogUsage& usage, const Options& options) {
  const auto period = periodDays(usage.load.from, usage.load.to);
  if (usage.name != "CountRec.zvt" || !options.now || !period) return std::nullopt;
  SettingsRecord budget;
  PendingError ignored;  // failures on tallix.ini are skipped silently
  int hours = 0;
  if (readSettingsRecord(folder + "tallix.ini", 3, budget, ignored) && trim(budget.label) == kTimeBudgetLabel &&
      budget.value1 > 0 && budget.value1 <= 744)
    hours = budget.value1;
  return periodOutlook(usage.totalSeconds(), *period, *options.now, hours);
}

// The current period's volume beside its outlook: the data allowance of
// tallix.ini and the known bytes at today's pace. Nothing when the period
// has no volume file and no allowance is set, as before volume was counted.
std::optional<VolumeOutlook> volumeOutlookOf(const std::string& folder, const LogUsage& usage,
                                             const Outlook& outlook) {
  VolumeOutlook v;
  SettingsRecord allowance;
  PendingError ignored;  // failures on tallix.ini are skipped silently
  // The data allowance is kept in tenths of a gigabyte, as the Settings view keeps it.
  if (readSettingsRecord(folder + "tallix.ini", kDataAllowanceRecord, allowance, ignored) &&
      trim(allowance.label) == kDataAllowanceLabel && allowanceBytesOf(allowance.value1) > 0)
    v.allowanceBytes = allowanceBytesOf(allowance.value1);
  if (!usage.hasVolumeFile() && !v.allowanceBytes) return std::nullopt;
  // Only what is known is carried on: with some volume unknown the forecast
  // is the least the period is heading for, as volume_complete tells; with
  // a damaged volume file nothing is known to carry on.
  const std::uint64_t known = usage.volume.known.total();
  constexpr auto kMost = static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max());
  if (usage.volumeState == VolumeReading::State::Read && outlook.forecastSeconds)
    v.forecastBytes = static_cast<std::uint64_t>(atPace(static_cast<std::int64_t>(std::min(known, kMost)), outlook));
  return v;
}

// Whether any of the files has a volume file: the CSV then has its columns.
bool anyVolumeFile(const std::vector<std::string>& files) {
  for (const std::string& file : files) {
    if (fileExists(volumeFileOf(file))) return true;
  }
  return false;
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

// The time part of a counted pair's cost as the reader reports it.
std::int64_t pairCents(const Tariff& tariff, const PairReport& pair, bool partMinute) {
  StampReader stamps;
  return connectionCents(tariff, readStart(pair, stamps), pair.seconds, partMinute);
}

// A damaged volume file is told after the log's name; the time stands.
void tellVolumeProblem(const std::string& argument, VolumeReading::State state, const std::string& problem,
                       std::ostream& err) {
  if (state != VolumeReading::State::Damaged) return;
  err << argument << ": " << kVolumeFileDamaged << volumeFileOf(std::filesystem::path(argument).filename().string())
      << ": " << problem << kVolumeFileDamagedTail << '\n';
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
    tellMessages(argument, usage.load.messages, err);
    if (!usage.shown()) return false;  // nothing of the file can be shown
    tellVolumeProblem(argument, usage.volumeState, usage.volumeProblem, err);
    if (options.json) out << (firstObject ? "\n" : ",\n");
    firstObject = false;
    if (options.perDay) {
      if (named && !options.json && !options.csv) out << argument << ":\n";
      writePerDay(out, options.json ? DayForm::Json : options.csv ? DayForm::Csv : DayForm::Text, argument, usage,
                  options.volumeColumns);
    } else {
      // A log without a volume file has no volume keys: unknown, not zero.
      const std::optional<Outlook> outlook = outlookOf(folder, usage, options);
      writeUsageJson(out, argument, usage, options.tariff, outlook,
                     outlook ? volumeOutlookOf(folder, usage, *outlook) : std::nullopt);
    }
    return usage.complete();
  }

  // Each counted pair's volume from the log's volume file, and under a
  // tariff that prices volume its volume part, the allowance used in order.
  const VolumeReading volumes = readVolumeFile(folder + name);
  const bool hasVolumes = volumes.state != VolumeReading::State::Missing;
  std::optional<PeriodVolumePricer> volumePricer;
  if (options.pricesVolume()) volumePricer.emplace(*options.tariff);
  VolumeSum volumeSum;
  std::int64_t totalCents = 0;
  bool totalAtLeast = false;
  auto tellPair = [&](const PairReport& pair) {
    const bool counted = pair.outcome == PairOutcome::Counted;
    std::int64_t cents = counted && options.tariff ? pairCents(*options.tariff, pair, options.partMinute) : 0;
    std::optional<Volume> volume;
    PeriodVolumePricer::Part part;
    if (counted) {
      volume = volumeOf(volumes, pair.startRecord, pair.startText);
      if (hasVolumes) volumeSum.add(volume);
      if (volumePricer) part = volumePricer->next(volume);
      cents = addCents(cents, part.cents);
      totalAtLeast = totalAtLeast || part.atLeast;
    }
    totalCents = addCents(totalCents, cents);
    if (!options.csv) return;
    out << csvField(argument) << ',' << pair.startRecord << ',' << csvField(pair.startText) << ','
        << csvField(pair.endText) << ',';
    if (counted) out << pair.seconds;
    out << ',' << reason(pair.outcome) << ',';
    if (counted && options.tariff) out << centsText(cents);
    out << ',' << isoStampOf(pair.startText, kStartStampLength) << ',' << isoStampOf(pair.endText, kEndStampLength);
    if (options.volumeColumns) {
      out << ',';
      if (volume) out << volume->received;
      out << ',';
      if (volume) out << volume->sent;
    }
    if (options.pricesVolume()) out << ',' << (part.atLeast ? "yes" : "");
    out << '\n';
  };
  const LogLoad load = loadLog(folder, name, {options.partMinute}, [&](std::span<const PairReport> pairs) {
    for (const PairReport& pair : pairs) tellPair(pair);
  });
  if (!options.csv) {
    if (named) out << argument << ":\n";
    const LoadLabels labels = loadLabels(load);
    for (const std::string* label : {&labels.created, &labels.from, &labels.to, &labels.first, &labels.last,
                                     &labels.useTime})
      out << *label << '\n';
    if (hasVolumes && load.headers) out << volumeLine(volumes.state, volumeSum) << '\n';
    if (options.tariff && load.headers)
      out << kTotalCostFilled << moneyText(totalCents, options.tariff->currency, totalAtLeast) << '\n';
    if (!load.pairs.abandoned.empty()) {
      out << kAbandonedLabel << '\n';
      for (const auto& item : load.pairs.abandoned) out << item << '\n';
    }
  }
  tellMessages(argument, load.messages, err);
  if (load.headers) tellVolumeProblem(argument, volumes.state, volumes.problem, err);
  return load.messages.empty();
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

int runReport(const ReportRequest& request, std::ostream& out, std::ostream& err, const std::string& logFolder,
              const std::optional<DateTime>& now) {
  Options options{request, {}, now};
  if (!chooseTariff(options, logFolder, err)) return kReportRefused;
  if (options.files.empty() && logFolder.empty()) {
    err << "tallix-report: no log file given\n";
    return kReportBadArguments;
  }
  if (options.files.empty()) options.files = folderLogs(logFolder);
  if (options.files.empty()) {
    err << "tallix-report: no log file in " << logFolder << '\n';
    return kReportRefused;
  }

  // The volume's columns come last, so the others keep their places; a
  // report of logs without a volume file has none.
  options.volumeColumns = options.csv && anyVolumeFile(options.files);
  if (options.csv) {
    if (options.perDay) {
      out << "file,date,seconds" << (options.volumeColumns ? ",received bytes,sent bytes,volume unknown" : "") << '\n';
    } else {
      out << "file,start record,start,end,seconds,abandoned,cost,start iso,end iso"
          << (options.volumeColumns ? ",received bytes,sent bytes" : "") << (options.pricesVolume() ? ",cost at least" : "")
          << '\n';
    }
  }
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
