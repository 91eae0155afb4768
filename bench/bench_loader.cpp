// The Calculation view's Load on the longest log a period can hold (32767
// records: the two headers, 16382 pairs and a last start record), and the
// Usage window's reading of the same log (its connections and its hours per
// day), beside merely reading the same file's bytes in one call. Prints the
// times and how many plain reads each costs.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "analysis/loader.h"
#include "analysis/usage.h"
#include "store/record_file.h"

namespace {

namespace fs = std::filesystem;
constexpr long kRecords = 32767;

std::string two(int value) {
  std::string text = std::to_string(value);
  if (value < 10) text.insert(text.begin(), '0');
  return text;
}

// A folder holding one full period's log of connections of up to two hours.
const std::string& logFolder() {
  static const std::string folder = [] {
    fs::path path = fs::temp_directory_path() / ("tallix-bench-" + std::to_string(std::random_device{}()));
    fs::create_directories(path);
    std::mt19937 random(2002);
    std::ofstream out(path / "1.log", std::ios::binary);
    out << tallix::padRecord("From : 15_2002/04/15") << tallix::padRecord("1_To : 14");
    for (long n = 3; n <= kRecords; n += 2) {
      int start = static_cast<int>(random() % 86400);
      int end = (start + static_cast<int>(random() % 7200)) % 86400;
      auto clock = [](int s) { return two(s / 3600) + ":" + two(s / 60 % 60) + ":" + two(s % 60); };
      out << tallix::padRecord("start: 0002/04/16 " + clock(start));
      if (n + 1 <= kRecords) {
        // One pair in a thousand is left out for a time out of range.
        std::string stop = n % 2000 == 1 ? "24:00:00" : clock(end);
        out << tallix::padRecord("_end : 2002/04/16 " + stop);
      }
    }
    return path.string() + "/";
  }();
  return folder;
}

// The load and the labels the Calculation view shows of it.
void LoadAndTotal(benchmark::State& state) {
  std::string shown;
  for ([[maybe_unused]] auto _ : state) {
    const tallix::LogLoad load = tallix::loadLog(logFolder(), "1.log", {});
    shown = tallix::loadLabels(load).useTime;
    benchmark::DoNotOptimize(shown.data());
  }
  state.SetLabel(shown);
}

void UsageOfLog(benchmark::State& state) {
  std::size_t connections = 0;
  for ([[maybe_unused]] auto _ : state) {
    const tallix::LogUsage usage = tallix::readLogUsage(logFolder(), "1.log", false);
    connections = usage.connections.size();
    benchmark::DoNotOptimize(usage.days.days.data());
  }
  state.SetLabel(std::to_string(connections) + " connections");
}

void ReadBytesOnly(benchmark::State& state) {
  const std::string path = logFolder() + "1.log";
  std::string bytes;
  for ([[maybe_unused]] auto _ : state) {
    tallix::PendingError error;
    tallix::readWholeFile(path, bytes, error);
    benchmark::DoNotOptimize(bytes.data());
  }
  state.SetBytesProcessed(state.iterations() * static_cast<long long>(bytes.size()));
}

// Several repetitions each: the best of them is the figure least disturbed
// by whatever else the machine is doing.
BENCHMARK(LoadAndTotal)->Unit(benchmark::kMicrosecond)->DisplayAggregatesOnly(false);
BENCHMARK(UsageOfLog)->Unit(benchmark::kMicrosecond)->DisplayAggregatesOnly(false);
BENCHMARK(ReadBytesOnly)->Unit(benchmark::kMicrosecond)->DisplayAggregatesOnly(false);

struct Best {
  double real = 0;
  double cpu = 0;
};

// Keeps each benchmark's best time per iteration to compare them at the end.
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  std::map<std::string, Best> best;
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const auto& run : runs) {
      if (run.run_type != Run::RT_Iteration) continue;
      std::string name = run.run_name.function_name;
      Best& b = best[name];
      double real = run.GetAdjustedRealTime();
      double cpu = run.GetAdjustedCPUTime();
      if (b.real == 0 || real < b.real) b.real = real;
      if (b.cpu == 0 || cpu < b.cpu) b.cpu = cpu;
    }
    ConsoleReporter::ReportRuns(runs);
  }
};

}  // namespace

// One reading alone, for counting its instructions (below main):
//   valgrind --tool=callgrind --toggle-collect='*oneReading*' bench_loader --one=UsageWithVolume
int readOnce(std::string_view which);

int main(int argc, char** argv) {
  if (argc == 2 && std::string_view(argv[1]).starts_with("--one=")) return readOnce(std::string_view(argv[1]).substr(6));
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  // Every figure as plain reads of the same file, each the best of its
  // repetitions in this run (a benchmark added to this file is listed too).
  auto read = reporter.best.find("ReadBytesOnly");
  if (read != reporter.best.end() && read->second.real > 0 && read->second.cpu > 0) {
    const Best& r = read->second;
    std::printf("\nBest of the repetitions, per call, on a log of %ld records:\n", kRecords);
    std::printf("  %-24s %9s %9s %7s %7s\n", "", "us", "CPU us", "reads", "CPU");
    for (const auto& [name, b] : reporter.best)
      std::printf("  %-24s %9.1f %9.1f %7.2f %7.2f\n", name.c_str(), b.real, b.cpu, b.real / r.real, b.cpu / r.cpu);
  }
  std::error_code code;
  fs::remove_all(logFolder(), code);
  return 0;
}

// The Usage window's reading with costs: the same reading as UsageOfLog,
// every connection also priced under a tariff with off-peak days and hours.
#include "analysis/cost.h"  // here, so the benchmarks above stay as they are

namespace {

std::optional<tallix::Tariff> timeTariff() {
  return tallix::parseTariff(
      "[Tariff]\nper_call = 0.10\nunit = 60\nprice = 0.05\nminimum = 0.20\n"
      "[Off-peak]\ndays = Sat Sun\nhours = 21:00-07:00\nprice = 0.02\n").tariff;
}

void UsageWithCosts(benchmark::State& state) {
  const std::optional<tallix::Tariff> tariff = timeTariff();
  std::int64_t cents = 0;
  for ([[maybe_unused]] auto _ : state) {
    const tallix::LogUsage usage = tallix::readLogUsage(logFolder(), "1.log", false, tariff);
    cents = usage.cost->totalCents;
    benchmark::DoNotOptimize(usage.days.days.data());
  }
  state.SetLabel(tallix::moneyText(cents, "EUR"));
}

}  // namespace

BENCHMARK(UsageWithCosts)->Unit(benchmark::kMicrosecond)->DisplayAggregatesOnly(false);

// The same reading of a copy of the log with its volume file (a line for
// every connection) under a tariff that also prices volume past an allowance.
#include "store/volume_file.h"

namespace {

const std::string& volumeLog() {
  static const std::string name = [] {
    fs::copy_file(logFolder() + "1.log", logFolder() + "2.log", fs::copy_options::overwrite_existing);
    const tallix::LogUsage usage = tallix::readLogUsage(logFolder(), "2.log", false);
    std::vector<tallix::ConnectionVolume> lines;
    std::mt19937 random(29);
    for (const tallix::UsageConnection& c : usage.connections)
      lines.push_back({c.startRecord, std::string(usage.startStamp(c)), {random() % 50'000'000, random() % 5'000'000}});
    std::ofstream(logFolder() + "2.log.vol", std::ios::binary) << tallix::volumeText(lines);
    return std::string("2.log");
  }();
  return name;
}

std::optional<tallix::Tariff> volumeTariff() {
  return tallix::parseTariff(
      "[Tariff]\nper_call = 0.10\nunit = 60\nprice = 0.05\nminimum = 0.20\n"
      "[Off-peak]\ndays = Sat Sun\nhours = 21:00-07:00\nprice = 0.02\n"
      "[Volume]\nunit_bytes = 1000000\nprice = 0.01\nallowance_bytes = 10000000000\n").tariff;
}

void UsageWithVolume(benchmark::State& state) {
  const std::optional<tallix::Tariff> tariff = volumeTariff();
  const std::string& name = volumeLog();
  std::int64_t cents = 0;
  for ([[maybe_unused]] auto _ : state) {
    const tallix::LogUsage usage = tallix::readLogUsage(logFolder(), name, false, tariff);
    cents = usage.cost->totalCents;
    benchmark::DoNotOptimize(usage.days.days.data());
  }
  state.SetLabel(tallix::moneyText(cents, "EUR"));
}

}  // namespace

BENCHMARK(UsageWithVolume)->Unit(benchmark::kMicrosecond)->DisplayAggregatesOnly(false);

// One reading of the log as UsageOfLog, UsageWithCosts or UsageWithVolume
// reads it, its files made and read once first.
namespace {

// Out of line, so that a profiler can count it alone.
[[gnu::noinline]] std::size_t oneReading(const std::string& name, const std::optional<tallix::Tariff>& tariff) {
  return tallix::readLogUsage(logFolder(), name, false, tariff).connections.size();
}

}  // namespace

int readOnce(std::string_view which) {
  const bool volume = which == "UsageWithVolume";
  if (!volume && which != "UsageOfLog" && which != "UsageWithCosts") {
    std::fprintf(stderr, "--one= takes UsageOfLog, UsageWithCosts or UsageWithVolume\n");
    return 2;
  }
  logFolder();
  const std::string name = volume ? volumeLog() : std::string("1.log");
  const std::optional<tallix::Tariff> tariff =
      volume ? volumeTariff() : which == "UsageWithCosts" ? timeTariff() : std::nullopt;
  // A first reading, not counted, settles what the setup left behind (the
  // heap's freed blocks, the program's first calls).
  tallix::readLogUsage(logFolder(), name, false, tariff);
  std::printf("%zu connections read\n", oneReading(name, tariff));
  std::error_code code;
  fs::remove_all(logFolder(), code);
  return 0;
}
