// The Usage window's figures: hours online per calendar day (every connection
// split at each midnight it passes, every day of the period listed, the days
// adding up to the total) and the scale of its hours axis.
#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include "analysis/usage.h"
#include "app/usage_view.h"
#include "support/fake_services.h"

namespace tallix {
namespace {

TEST(SplitByDay, SplitsAtMidnightAndListsThePeriod) {
  struct Connection {
    std::optional<DateTime> start;
    long long seconds;
  };
  struct Case {
    const char* name;
    bool partMinute;
    std::vector<Connection> connections;
    std::map<int, long long> busyDays;  // day of the month (32 and on: days of June) -> seconds
    long long undated;
    size_t days;
  } cases[] = {
      {"within a day", false, {{DateTime{2002, 4, 16, 9, 12, 40}, 2900}}, {{16, 2900}}, 0, 30},
      {"over midnight", false, {{DateTime{2002, 4, 16, 23, 50, 0}, 1805}}, {{16, 600}, {17, 1205}}, 0, 30},
      {"over two midnights", false, {{DateTime{2002, 4, 16, 22, 0, 0}, 100000}}, {{16, 7200}, {17, 86400}, {18, 6400}}, 0, 30},
      {"ends at midnight", false, {{DateTime{2002, 4, 16, 23, 0, 0}, 3600}}, {{16, 3600}}, 0, 30},
      {"part minute counts from the whole minute", true, {{DateTime{2002, 4, 16, 23, 59, 30}, 120}}, {{16, 60}, {17, 60}}, 0, 30},
      {"two on one day", false, {{DateTime{2002, 4, 20, 1, 0, 0}, 10}, {DateTime{2002, 4, 20, 2, 0, 0}, 20}}, {{20, 30}}, 0, 30},
      {"no real start", false, {{std::nullopt, 75}, {DateTime{2002, 4, 16, 9, 0, 0}, 5}}, {{16, 5}}, 75, 30},
      {"a day after the period", false, {{DateTime{2002, 6, 2, 9, 0, 0}, 60}}, {{33, 60}}, 0, 31},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    DaySplitter splitter("2002/04/15", "2002/05/14");
    long long total = 0;
    for (const auto& [start, seconds] : c.connections) {
      splitter.add({start ? toSerialSeconds(*start) : 0, start.has_value()}, seconds, c.partMinute);
      total += seconds;
    }
    const DaySplit split = splitter.take();
    EXPECT_EQ(split.days.size(), c.days);
    EXPECT_EQ(split.undatedSeconds, c.undated);
    std::map<int, long long> busy;
    long long sum = split.undatedSeconds;
    for (const DayUsage& d : split.days) {
      EXPECT_EQ(d.day.hour + d.day.minute + d.day.second, 0);
      if (d.seconds != 0) busy[d.day.month == 6 ? 31 + d.day.day : d.day.day] += d.seconds;
      sum += d.seconds;
    }
    EXPECT_EQ(busy, c.busyDays);
    EXPECT_EQ(sum, total);
  }
}

// Each connection's volume comes from the log's volume file, where a line
// is its own (its start record and time); the days sum it on the day a
// connection began. No file, or a damaged one: unknown, never zero. Under a
// tariff of 1 cent per begun 100 bytes past the first 500, each cost uses
// what those before it left of the allowance, and an unknown volume makes a
// cost, and those after it until the allowance is spent, the least it can be.
TEST(UsageVolume, EachConnectionsLineTheDaysSumsAndTheCost) {
  const std::vector<std::string> log = {"From : 15_2002/04/15", "0_To : 14",
                                        "start: 0002/04/16 23:00:00", "_end : 2002/04/17 01:00:00",
                                        "start: 0002/04/17 09:00:00", "_end : 2002/04/17 09:10:00",
                                        "start: 0002/04/20 09:00:00", "_end : 2002/04/20 09:00:30"};
  const std::vector<ConnectionVolume> lines = {{3, "02/04/16 23:00:00", {1000, 10}},
                                               {5, "02/03/17 09:00:00", {7, 7}},  // an older period's
                                               {7, "02/04/20 09:00:00", {50, 5}}};
  const Tariff tariff{.currency = "", .unitBytes = 100, .volumePrice = 100, .allowanceBytes = 500};
  using State = VolumeReading::State;
  using V = std::optional<Volume>;
  const struct {
    const char* name;
    std::optional<std::string> file;
    State state;
    std::vector<V> volumes;
    std::map<int, VolumeSum> days;  // day of April -> its volume
    std::vector<std::int64_t> cents;
    std::vector<bool> atLeast;
  } cases[] = {
      {"no volume file", std::nullopt, State::Missing, {}, {}, {0, 0, 0}, {true, true, true}},
      {"lines for two of three", volumeText(lines), State::Read, {Volume{1000, 10}, std::nullopt, Volume{50, 5}},
       {{16, {{1000, 10}, 0}}, {17, {{}, 1}}, {20, {{50, 5}, 0}}}, {6, 0, 1}, {false, true, false}},
      {"allowance not spent before the unknown", volumeText({{3, "02/04/16 23:00:00", {200, 0}}, lines[2]}),
       State::Read, {Volume{200, 0}, std::nullopt, Volume{50, 5}}, {{16, {{200, 0}, 0}}, {17, {{}, 1}}, {20, {{50, 5}, 0}}},
       {0, 0, 0}, {false, true, true}},
      {"damaged", "tallix volume 1\n3 02/04/16", State::Damaged, {V(), V(), V()},
       {{16, {{}, 1}}, {17, {{}, 1}}, {20, {{}, 1}}}, {0, 0, 0}, {true, true, true}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    testing::TempDir dir;
    testing::writeLog(dir.file("3.log"), log);
    if (c.file) std::ofstream(dir.file("3.log.vol"), std::ios::binary) << *c.file;
    const LogUsage usage = readLogUsage(dir.path(), "3.log", false, tariff);
    EXPECT_EQ(usage.totalSeconds(), 7200 + 600 + 30) << "the time stands whatever the volume file";
    EXPECT_EQ(usage.volumeState, c.state);
    EXPECT_EQ(usage.volumeProblem.empty(), c.state != State::Damaged);
    EXPECT_EQ(usage.volumes, c.volumes);
    std::map<int, VolumeSum> days;
    VolumeSum all;
    for (const DayUsage& d : usage.days.days) {
      if (d.volume != VolumeSum{}) days[d.day.day] = d.volume;
    }
    for (const V& v : c.volumes) all.add(v);
    EXPECT_EQ(days, c.days);
    EXPECT_EQ(usage.volume, all);
    ASSERT_TRUE(usage.cost);
    EXPECT_EQ(usage.cost->cents, c.cents);
    EXPECT_EQ(usage.cost->atLeast, c.atLeast);
    EXPECT_EQ(usage.cost->totalAtLeast, true);
  }
}

// The hours axis ends on the first round step at or above the busiest day,
// with at most six steps (30 hours: overlapping pairs of a broken log).
TEST(UsageScale, TopIsTheFirstRoundStepAboveTheBusiestDayInHoursAndInBytes) {
  const struct { long long busiest; int top, step; } cases[] = {
      {0, 1, 1},           {30, 1, 1},          {3600, 1, 1},         {3601, 2, 1},
      {6 * 3600, 6, 1},    {6 * 3600 + 1, 8, 2}, {13 * 3600, 15, 3},   {24 * 3600, 24, 6},
      {30 * 3600, 30, 6},  {200 * 3600, 240, 48}, {-5, 1, 1}};
  for (const auto& c : cases) {
    const UsageScale scale = usageScale(c.busiest);
    EXPECT_EQ(std::pair(scale.topHours, scale.stepHours), std::pair(c.top, c.step)) << c.busiest;
  }
  // The volume axis: the same round steps, of a unit people read.
  const struct { std::uint64_t busiest; const char* unit; int top, step; } volumes[] = {
      {0, "MB", 1, 1},         {999, "bytes", 1000, 200},   {1500, "kB", 2, 1},
      {7'000'000, "MB", 8, 2}, {3'410'000'000, "GB", 4, 1}, {999'999'999'999, "GB", 1000, 200}};
  for (const auto& c : volumes) {
    const VolumeAxis a = volumeAxis(c.busiest);
    EXPECT_EQ(std::tuple(a.unit, a.scale.topHours, a.scale.stepHours), std::tuple(std::string(c.unit), c.top, c.step))
        << c.busiest;
  }
}

// The heading names the period in one form, with its real last day even
// where the stored end is a day its month lacks.
TEST(UsageView, HeadingNamesThePeriodInOneFormWithItsRealLastDay) {
  const struct {
    const char* from;
    const char* to;
    const char* heading;
  } cases[] = {
      {"From : 01_2026/11/01", "0_To : 31", "3.log : 01 Nov 2026 to 30 Nov 2026"},
      {"From : 01_2028/02/01", "0_To : 31", "3.log : 01 Feb 2028 to 29 Feb 2028"},
      {"From : 01_2026/12/01", "0_To : 31", "3.log : 01 Dec 2026 to 31 Dec 2026"},
      {"From : 30_2026/01/30", "0_To : 29", "3.log : 30 Jan 2026 to 28 Feb 2026"},
  };
  for (const auto& c : cases) {
    testing::TempDir dir;
    testing::writeLog(dir.file("3.log"), {c.from, c.to});
    EXPECT_EQ(usageViewOf(readLogUsage(dir.path(), "3.log", false)).heading, c.heading) << c.from;
  }
}

}  // namespace
}  // namespace tallix
