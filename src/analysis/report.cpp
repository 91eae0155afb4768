#include "analysis/report.h"

#include <filesystem>
#include <string_view>

#include "analysis/loader.h"
#include "form/main_form.h"
#include "form/services.h"
#include "store/file_system.h"

namespace tallix {
namespace {

// Services for a console: messages are kept to be printed; the rest of the
// outside world is not needed to load a log.
class ConsoleServices : public Services {
 public:
  std::vector<std::string> messages;

  DateTime now() override { return {}; }  // the loader never asks the time
  bool probeConnection(std::string&) override { return false; }
  void answerOk(const std::string& text) override { messages.push_back(text); }
  void notifyIcon(NotifyAction, const TrayIconData&) override {}
  void beep() override {}
  void setStartAtLogOn(bool) override {}
};

struct Options {
  bool partMinute = false;
  bool csv = false;
  bool help = false;
  std::vector<std::string> files;
};

// The message window breaks lines at a carriage return; a console at a line feed.
std::string asLines(std::string text) {
  for (char& c : text) {
    if (c == '\r') c = '\n';
  }
  return text;
}

std::string csvField(std::string_view text) {
  if (text.find_first_of(",\"\r\n") == std::string_view::npos) return std::string(text);
  std::string quoted = "\"";
  for (char c : text) {
    if (c == '"') quoted += '"';
    quoted += c;
  }
  return quoted + "\"";
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

// Loads one file as the Calculation view would; true when it was not refused.
bool reportFile(const std::string& argument, const Options& options, bool named, std::ostream& out,
                std::ostream& err) {
  namespace fs = std::filesystem;
  const fs::path given(argument);
  std::string folder = given.parent_path().string();
  folder = folder.empty() ? "./" : folder + "/";
  const std::string name = given.filename().string();

  ConsoleServices services;
  MainForm form(services, folder);
  form["File1"].items = {name};
  form["File1"].listIndex = 0;
  form["chkToBeMin"].value = options.partMinute ? 1 : 0;

  if (options.csv) {
    loadSelectedLog(form, [&](const PairReport& pair) {
      out << csvField(argument) << ',' << pair.startRecord << ',' << csvField(pair.startText) << ','
          << csvField(pair.endText) << ',';
      if (pair.outcome == PairOutcome::Counted) out << pair.seconds;
      out << ',' << reason(pair.outcome) << '\n';
    });
    for (const auto& message : services.messages) err << argument << ": " << asLines(message) << '\n';
    return services.messages.empty();
  }

  cmdLoad_Click(form);
  if (named) out << argument << ":\n";
  for (std::string_view label : {"lblCreated", "lblF2From", "lblF2To", "lblFirstR", "lblLastR", "lblUseTime"})
    out << form[label].caption << '\n';
  const auto& abandoned = form["List1"].items;
  if (!abandoned.empty()) {
    out << form["lblAbandon"].caption << '\n';
    for (const auto& item : abandoned) out << item << '\n';
  }
  for (const auto& message : services.messages) out << asLines(message) << '\n';
  return services.messages.empty();
}

}  // namespace

std::string reportUsage() {
  return "Usage: tallix-report [--part-minute] [--csv] [--] [FILE.log...]\n"
         "\n"
         "Loads each log file as the Calculation view's Load button does and prints\n"
         "what the view would show: the file's creation date, the period, the first\n"
         "and last record, the total time, the records that cannot be counted, and\n"
         "any message about the file, one per line. Without a file it reports every\n"
         ".log file of the folder where Tallix keeps its records.\n"
         "\n"
         "  --part-minute  count a part-minute at the start and end of a connection\n"
         "                 as a whole minute\n"
         "  --csv          print one line per connection pair instead:\n"
         "                 file,start record,start,end,seconds,abandoned\n"
         "                 (seconds empty and the reason given when a pair is not\n"
         "                 counted; messages go to the error output)\n"
         "  --help         show this text\n"
         "\n"
         "Exit status: 0 when every file loaded, 1 when a file was refused (missing,\n"
         "wrong format, or a failure while loading) or there was no log to report,\n"
         "2 for bad arguments.\n";
}

int runReport(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
              const std::string& logFolder) {
  Options options;
  bool optionsEnded = false;
  for (const auto& arg : args) {
    if (!optionsEnded && arg.size() > 1 && arg[0] == '-') {
      if (arg == "--") optionsEnded = true;
      else if (arg == "--part-minute") options.partMinute = true;
      else if (arg == "--csv") options.csv = true;
      else if (arg == "--help" || arg == "-h") options.help = true;
      else {
        err << "tallix-report: unknown option " << arg << "\n" << reportUsage();
        return kReportBadArguments;
      }
    } else {
      options.files.push_back(arg);
    }
  }
  if (options.help) {
    out << reportUsage();
    return kReportLoaded;
  }
  if (options.files.empty() && logFolder.empty()) {
    err << "tallix-report: no log file given\n" << reportUsage();
    return kReportBadArguments;
  }
  if (options.files.empty()) {
    std::vector<std::string> names;
    PendingError error;
    listFiles(logFolder, ".log", names, error);
    if (names.empty()) {
      err << "tallix-report: no log file in " << logFolder << '\n';
      return kReportRefused;
    }
    for (const auto& name : names) options.files.push_back(logFolder + name);
  }

  if (options.csv) out << "file,start record,start,end,seconds,abandoned\n";
  const bool named = options.files.size() > 1;
  bool allLoaded = true;
  for (size_t i = 0; i < options.files.size(); ++i) {
    if (named && !options.csv && i > 0) out << '\n';
    allLoaded = reportFile(options.files[i], options, named, out, err) && allLoaded;
  }
  return allLoaded ? kReportLoaded : kReportRefused;
}

}  // namespace tallix
