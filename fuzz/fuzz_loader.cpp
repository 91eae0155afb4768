// Feeds arbitrary bytes as a .log file through the Calculation view's load
// and the Usage window's reading, with the part-minute setting off and on.
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
#include "store/record_file.h"

namespace {

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
void requireSameAsPairByPair(const tallix::LogLoad& loaded, const tallix::LogImage& log, bool partMinute) {
  if (!loaded.headers || log.count() > 32767) return;
  tallix::PairTotal alone;
  std::vector<std::string> listed;
  tallix::PendingError error;
  for (long i = 3; i + 1 <= log.count(); i += 2) {
    const std::string startRecord = log.record(i);
    const std::string endRecord = log.record(i + 1);
    std::string_view start = startRecord;
    std::string_view end = endRecord;
    const tallix::PairOutcome outcome = tallix::AddConnectionTime(alone, start, end, {partMinute}, error);
    if (outcome == tallix::PairOutcome::Failed) break;
    if (outcome != tallix::PairOutcome::Counted) listed.insert(listed.end(), {std::string(start), std::string(end)});
  }
  require(alone == loaded.pairs.total && listed == loaded.pairs.abandoned);
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

  std::vector<std::pair<tallix::PairStart, long long>> counted;
  size_t n = 0;
  std::int64_t total = 0;
  const tallix::LogLoad load = tallix::loadLog(folder(), "f.log", {partMinute}, [&](std::span<const tallix::PairReport> pairs) {
    for (tallix::PairReport pair : pairs) {
      if (pair.outcome != tallix::PairOutcome::Counted) continue;
      pair.startTime = -1;  // read the stamp afresh
      tallix::StampReader stamps;
      const tallix::PairStart start = tallix::readStart(pair, stamps);
      const std::int64_t cents = tallix::connectionCents(tariff, start, pair.seconds, partMinute);
      require(n < usage.connections.size() && usage.connections[n].seconds == pair.seconds &&
              usage.connections[n].startRecord == pair.startRecord && usage.cost->cents[n] == cents);
      counted.emplace_back(start, pair.seconds);
      total += cents;
      ++n;
    }
  });
  tallix::DaySplitter days(load.from, load.to);
  for (const auto& [start, seconds] : counted) days.add(start, seconds, partMinute);
  const tallix::DaySplit split = days.take();
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

  for (bool partMinute : {false, true}) {
    const tallix::LogLoad load = tallix::loadLog(folder(), "f.log", {partMinute});
    const tallix::LoadLabels labels = tallix::loadLabels(load);
    require(load.messages.size() <= 1);
    require(load.pairs.abandoned.size() % 2 == 0);
    require(startsWith(labels.from, tallix::kFromLabel));
    require(startsWith(labels.to, tallix::kToLabel));
    require(startsWith(labels.created, tallix::kCreatedBare) || startsWith(labels.created, tallix::kCreatedFilled));
    require(startsWith(labels.first, tallix::kFirstRecordLabel));
    require(startsWith(labels.last, tallix::kLastRecordLabel));
    require(labels.useTime == tallix::kTotalTimeBare || labels.useTime == tallix::useTimeText(load.pairs.total));
    requireSameAsPairByPair(load, tallix::LogImage(bytes), partMinute);
    requireUsageAsPairByPair(partMinute);
  }

  std::string after;
  tallix::PendingError error;
  require(tallix::readWholeFile(path, after, error) && after == bytes);
  return 0;
}
