// Feeds arbitrary bytes as a .log file through the Calculation view's Load
// and the Usage window's reading, with the part-minute box clear and set.
// Besides the sanitizers' checks it stops on any result the view could not
// show: a label without its own prefix, an odd number of listed texts, more
// than one message per load, a log that was changed by loading it, or a
// quick way of reading that differs from the pair-by-pair way.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include <unistd.h>

#include "analysis/cost.h"
#include "analysis/loader.h"
#include "analysis/log_image.h"
#include "analysis/usage.h"
#include "form/main_form.h"
#include "form/services.h"
#include "store/record_file.h"

namespace {

class QuietServices : public tallix::Services {
 public:
  int messages = 0;
  tallix::DateTime now() override { return {}; }
  bool probeConnection(std::string&) override { return false; }
  void answerOk(const std::string&) override { ++messages; }
  void notifyIcon(tallix::NotifyAction, const tallix::TrayIconData&) override {}
  void beep() override {}
  void setStartAtLogOn(bool) override {}
};

const std::string& folder() {
  static const std::string path = [] {
    const char* base = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
    std::string pattern = std::string(base) + "/tallix-fuzz-XXXXXX";
    if (mkdtemp(pattern.data()) == nullptr) std::abort();
    return pattern + "/";
  }();
  return path;
}

void require(bool condition) {
  if (!condition) std::abort();
}

bool startsWith(const std::string& text, std::string_view prefix) { return text.starts_with(prefix); }

// The load reads the usual pairs its own quick way; taken one at a time by
// AddConnectionTime, which works every step, the pairs must come to the same.
void requireSameAsPairByPair(tallix::MainForm& loaded, const tallix::LogImage& log, int partMinute) {
  const std::string head = log.record(2).substr(0, 4);
  if (!log.record(1).starts_with("From") || (head != "0_To" && head != "1_To") || log.count() > 32767) return;
  QuietServices services;
  tallix::MainForm alone(services, folder());
  alone["chkToBeMin"].value = partMinute;
  tallix::PendingError error;
  for (long i = 3; i + 1 <= log.count(); i += 2) {
    std::string start = log.record(i);
    std::string end = log.record(i + 1);
    if (tallix::AddConnectionTime(alone, start, end, error) == tallix::PairOutcome::Failed) break;
  }
  require(alone.TotalHours == loaded.TotalHours && alone.TotalMinutes == loaded.TotalMinutes &&
          alone.TotalSeconds == loaded.TotalSeconds && alone["List1"].items == loaded["List1"].items);
}

// The Usage window's reading takes the usual pairs its own quick way too:
// its connections, prices and days must be those of every counted pair
// taken alone, its start read afresh by the stamp reader and priced by
// walking the tariff's stretches.
void requireUsageAsPairByPair(bool partMinute) {
  static const tallix::Tariff tariff = *tallix::parseTariff(
      "[Tariff]\nper_call = 0.10\nunit = 45\nprice = 0.05\nminimum = 0.20\n"
      "[Off-peak]\ndays = Sun\nhours = 21:30-07:15\nprice = 0.02\n").tariff;
  const tallix::LogUsage usage = tallix::readLogUsage(folder(), "f.log", partMinute, tariff);

  QuietServices services;
  tallix::MainForm form(services, folder());
  form["File1"].items = {"f.log"};
  form["File1"].listIndex = 0;
  form["chkToBeMin"].value = partMinute ? 1 : 0;
  tallix::LoadedTexts texts;
  std::optional<tallix::DaySplitter> days;
  size_t n = 0;
  std::int64_t total = 0;
  tallix::loadSelectedLog(
      form,
      [&](std::span<const tallix::PairReport> pairs) {
        for (tallix::PairReport pair : pairs) {
          if (pair.outcome != tallix::PairOutcome::Counted) continue;
          if (!days) days.emplace(texts.from, texts.to);
          pair.startTime = -1;  // read the stamp afresh
          tallix::StampReader stamps;
          const tallix::PairStart start = tallix::readStart(pair, stamps);
          const std::int64_t cents = tallix::connectionCents(tariff, start, pair.seconds, partMinute);
          require(n < usage.connections.size() && usage.connections[n].seconds == pair.seconds &&
                  usage.connections[n].startRecord == pair.startRecord && usage.cost->cents[n] == cents);
          days->add(start, pair.seconds, partMinute);
          total += cents;
          ++n;
        }
      },
      &texts);
  if (!days) days.emplace(texts.from, texts.to);
  const tallix::DaySplit split = days->take();
  require(n == usage.connections.size() && total == usage.cost->totalCents &&
          split.undatedSeconds == usage.days.undatedSeconds && split.days.size() == usage.days.days.size());
  for (size_t i = 0; i < split.days.size(); ++i)
    require(split.days[i].day == usage.days.days[i].day && split.days[i].seconds == usage.days.days[i].seconds);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  const std::string path = folder() + "f.log";
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) std::abort();
  if (size > 0 && std::fwrite(bytes.data(), 1, size, file) != size) std::abort();
  std::fclose(file);

  for (int partMinute : {0, 1}) {
    QuietServices services;
    tallix::MainForm form(services, folder());
    form["File1"].items = {"f.log"};
    form["File1"].listIndex = 0;
    form["chkToBeMin"].value = partMinute;
    tallix::cmdLoad_Click(form);

    require(services.messages <= 1);
    require(form["List1"].items.size() % 2 == 0);
    require(startsWith(form["lblF2From"].caption, tallix::kFromLabel));
    require(startsWith(form["lblF2To"].caption, tallix::kToLabel));
    require(startsWith(form["lblCreated"].caption, tallix::kCreatedBare) ||
            startsWith(form["lblCreated"].caption, tallix::kCreatedFilled));
    require(startsWith(form["lblFirstR"].caption, tallix::kFirstRecordLabel));
    require(startsWith(form["lblLastR"].caption, tallix::kLastRecordLabel));
    require(form["lblUseTime"].caption == tallix::kTotalTimeBare ||
            form["lblUseTime"].caption ==
                tallix::useTimeText(form.TotalHours, form.TotalMinutes, form.TotalSeconds));
    requireSameAsPairByPair(form, tallix::LogImage(bytes), partMinute);
    requireUsageAsPairByPair(partMinute != 0);
  }

  std::string after;
  tallix::PendingError error;
  require(tallix::readWholeFile(path, after, error) && after == bytes);
  return 0;
}
