// A month and more of the real program over a fake clock and a fake line:
// connections of random length (seconds to more than a day, across midnight
// and the end of a period), sleeps, clock changes while online, a clock set
// months ahead by mistake and back, and restarts in mid-connection. Its own
// account of the time online, tick by tick, must equal the totals of the
// logs it left, period by period, with the part-minute setting off and on.
// The account allows, each where it is made: a restart loses the time since
// the last refresh (at most a little over two minutes); a clock change or a
// sleep ends the connection at the last tick before it; an end in the start's
// clock minute on a later day, with fewer seconds, counts whole days.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <map>
#include <memory>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "analysis/loader.h"
#include "app/form1_events.h"
#include "form/main_form.h"
#include "form/sentences.h"
#include "monitor/tick.h"
#include "period/entry.h"
#include "store/file_system.h"
#include "store/numbers.h"
#include "store/record_file.h"
#include "store/text_forms.h"
#include "support/fake_services.h"
#include "support/fault_counter.h"
#include "support/record_checks.h"

namespace tallix {
namespace {

using testing::FakeServices;
using testing::TempDir;

constexpr long long kDay = 86400;

struct Segment {
  long long start;  // serial seconds of the wall clock
  long long end;
};

// The period that a moment belongs to, named by its first day, for periods
// that run from a starting day to the day before it in the next month.
std::string periodOf(long long t, int startDay) {
  DateTime w = fromSerialSeconds(t);
  if (w.day < startDay && --w.month == 0) {
    w.month = 12;
    --w.year;
  }
  w.day = static_cast<std::int16_t>(startDay);
  return dateText(w);
}

// What the totals of a log should count for one connection.
struct Counted {
  long long seconds = 0;      // part-minute setting off
  long long partMinutes = 0;  // part-minute setting on
};

Counted expectedCount(const Segment& s) {
  const DateTime a = fromSerialSeconds(s.start);
  const DateTime b = fromSerialSeconds(s.end);
  const long long length = s.end - s.start;
  // Whole days: the clock came back to the start's hour and minute on a later day.
  const long long days = (length + a.second) / kDay;
  Counted c;
  c.seconds = length;
  if (days > 0 && b.hour == a.hour && b.minute == a.minute && b.second < a.second) {
    c.seconds = days * kDay;  // the named difference: counted up to the whole day
  }
  const long long startMinute = a.hour * 60 + a.minute;
  const long long endMinute = b.hour * 60 + b.minute;
  c.partMinutes = ((endMinute - startMinute) % 1440 + 1440) % 1440 + (b.second != 0 ? 1 : 0) + days * 1440;
  return c;
}

// Per period, named by its first day: seconds, and seconds with the part-minute setting.
using Totals = std::map<std::string, std::pair<long long, long long>>;

class MonthSimulation {
 public:
  MonthSimulation(std::uint64_t seed, int startDay, const DateTime& begin) : rng_(seed), startDay_(startDay) {
    svc_.clock = begin;
    now_ = toSerialSeconds(svc_.clock);
    startProgram();
    (*form_)[form1::txtStartDay].caption = twoDigits(startDay);
    (*form_)[form1::txtEndDay].caption = startDay == 1 ? "31" : std::to_string(startDay - 1);
    cmdInput_Click(*form_);
    cmdConfirm_Click(*form_);
  }

  void run(long ticks) {
    jumpAt_ = uniform(ticks / 4, ticks / 2);
    for (long i = 0; i < ticks; ++i) {
      events();
      tickOnce();
      ++ticks_;
    }
    // Hang up and let the program see it, so every connection is closed.
    up_ = false;
    advance(1);
    tickOnce();
  }

  // The logs of each period, loaded, against the account of that period: its
  // seconds, and its part-minutes as seconds; periods of no time left out.
  void check() {
    ASSERT_TRUE(svc_.messages.empty()) << svc_.messages.front();
    Totals expected;
    for (const Segment& s : segments_) {
      const Counted c = expectedCount(s);
      auto& e = expected[periodOf(s.start, startDay_)];
      e.first += c.seconds;
      e.second += c.partMinutes * 60;
    }
    Totals loaded;
    PendingError error;
    ASSERT_TRUE(copyFile(dir_.file("CountRec.zvt"), dir_.file("CountRec.log"), error));
    std::vector<std::string> folders = {dir_.path()};
    if (folderExists(dir_.file("Oldlog"))) folders.push_back(dir_.file("Oldlog/"));
    for (const std::string& folder : folders) {
      std::vector<std::string> names;
      ASSERT_TRUE(listFiles(folder, ".log", names, error));
      for (const std::string& name : names) checkLog(folder, name, loaded);
    }
    for (Totals* totals : {&expected, &loaded}) std::erase_if(*totals, [](const auto& t) { return t.second.first == 0; });
    EXPECT_EQ(loaded, expected) << "(period: seconds, part-minute seconds)";
  }

  void printSummary() const {
    std::printf("simulated %ld ticks, %zu recorded stretches, a jump of %lld days ahead;", ticks_, segments_.size(),
                jumpSeconds_ / kDay);
    for (const auto& [event, count] : events_) std::printf(" %d %s", count, event.c_str());
    std::printf("\n");
  }

 private:
  void startProgram() {
    form_ = std::make_unique<MainForm>(svc_, dir_.path());
    Form1_Form_Load(*form_);
  }

  void advance(long long seconds) {
    now_ += seconds;
    svc_.clock = fromSerialSeconds(now_);
  }

  long long uniform(long long lo, long long hi) { return std::uniform_int_distribution<long long>(lo, hi)(rng_); }
  bool chance(double p) { return std::bernoulli_distribution(p)(rng_); }

  long long connectionLength() {
    double pick = std::uniform_real_distribution<double>(0, 1)(rng_);
    if (pick < 0.35) return uniform(1, 120);
    if (pick < 0.75) return uniform(121, 3 * 3600);
    if (pick < 0.93) return uniform(3 * 3600, 20 * 3600);
    return uniform(24 * 3600, 40 * 3600);
  }

  void endSegment(long long end) {
    if (segmentStart_) segments_.push_back({*segmentStart_, end});
    segmentStart_.reset();
  }

  // Things that happen between the previous tick and the next one.
  void events() {
    const long long last = now_;
    const DateTime wall = fromSerialSeconds(now_);
    const bool quietHours = wall.hour >= 3 && wall.hour < 21;  // far from midnight and the period's end
    if (ticks_ == jumpAt_ || ticks_ == jumpBackAt_) {
      // The clock is set months ahead by mistake, and later back to the right time.
      endSegment(last);
      if (ticks_ == jumpAt_) {
        jumpSeconds_ = uniform(40 * kDay, 200 * kDay);
        jumpBackAt_ = ticks_ + uniform(2 * 3600, 30 * 3600);
        advance(jumpSeconds_);
      } else {
        advance(-jumpSeconds_);
      }
      return;
    }
    if (chance(1.0 / 300000)) {
      // The machine sleeps: the line drops with it, the clock jumps hours.
      ++events_["sleeps"];
      up_ = false;
      endSegment(last);
      advance(uniform(3600, 10 * 3600));
      return;
    }
    if (up_ && quietHours && chance(1.0 / 150000)) {
      // The clock is set back or forward while online.
      ++events_["clock changes"];
      endSegment(last);
      advance(chance(0.5) ? -uniform(1, 7200) : uniform(121, 7200));
      return;
    }
    if (chance(up_ ? 1.0 / 150000 : 1.0 / 1500000)) {
      // The program is stopped without warning and started again.
      ++events_["restarts"];
      if (segmentStart_) {
        long long recordedEnd = lastRecordedEnd();
        EXPECT_LE(recordedEnd, last);
        EXPECT_GE(recordedEnd, std::max(*segmentStart_, last - 125)) << "more than two minutes lost at a stop";
        endSegment(recordedEnd);
      }
      advance(uniform(1, 120));
      startProgram();
      if (up_ && --remaining_ <= 0) up_ = false;
      return;
    }
    advance(1);
    if (up_) {
      if (--remaining_ <= 0) up_ = false;
    } else if (chance(1.0 / 1800)) {
      ++events_["connections"];
      up_ = true;
      remaining_ = connectionLength();
    }
  }

  void tickOnce() {
    svc_.line = up_;
    // A period's end splits an open connection at the first tick of the new period.
    if (segmentStart_ && periodOf(now_, startDay_) != periodOf(*segmentStart_, startDay_)) {
      endSegment(now_);
      if (up_) segmentStart_ = now_;
    }
    Timer1_Timer(*form_);
    if (up_ && !segmentStart_) segmentStart_ = now_;
    if (!up_ && segmentStart_) endSegment(now_);
  }

  long long lastRecordedEnd() {
    const std::string record = testing::readLog(dir_.file("CountRec.zvt")).back();
    auto when = parseStamp(record.substr(7));
    EXPECT_TRUE(when.has_value()) << record;
    return when ? toSerialSeconds(*when) : 0;
  }

  // Loads one log as the Calculation view does and adds its totals to its period's.
  void checkLog(const std::string& folder, const std::string& name, Totals& loaded) {
    SCOPED_TRACE(folder + name);
    const std::string bytes = testing::readFile(folder + name);
    ASSERT_EQ(testing::recordsOutOfStep(bytes), "");
    const std::string period = GetPeriodStart(bytes.substr(0, static_cast<size_t>(kRecordLength)));
    for (bool partMinute : {false, true}) {
      const LogLoad load = loadLog(folder, name, {partMinute});
      EXPECT_TRUE(load.messages.empty()) << load.messages.front();
      EXPECT_TRUE(load.pairs.abandoned.empty()) << "abandoned: " << load.pairs.abandoned.front();
      (partMinute ? loaded[period].second : loaded[period].first) += load.pairs.total.inSeconds();
    }
  }

  FakeServices svc_;
  TempDir dir_;
  std::unique_ptr<MainForm> form_;
  std::mt19937_64 rng_;
  int startDay_;
  long long now_ = 0;
  long jumpAt_ = -1;
  long jumpBackAt_ = -1;
  long long jumpSeconds_ = 0;
  bool up_ = false;
  long long remaining_ = 0;
  std::optional<long long> segmentStart_;
  std::vector<Segment> segments_;
  long ticks_ = 0;
  std::map<std::string, int> events_;
};

std::uint64_t simulationSeed() {
  const char* text = std::getenv("TALLIX_SIM_SEED");
  return text != nullptr ? std::strtoull(text, nullptr, 10) : 20020415;
}

TEST(MonthSimulation, EveryLogTotalsTheTimeOnline) {
  setDurableWrites(false);
  const std::uint64_t seed = simulationSeed();
  SCOPED_TRACE("seed " + std::to_string(seed) + " (set TALLIX_SIM_SEED to repeat)");
  // A next-month period over a month and more, and calendar months over a
  // month's end.
  const struct {
    int startDay;
    DateTime begin;
    long ticks;
  } runs[] = {{15, {2002, 4, 10, 9, 0, 0}, 3'000'000}, {1, {2002, 4, 24, 9, 0, 0}, 1'200'000}};
  for (const auto& r : runs) {
    SCOPED_TRACE("periods from day " + std::to_string(r.startDay));
    MonthSimulation sim(seed, r.startDay, r.begin);
    sim.run(r.ticks);
    sim.printSummary();
    sim.check();
  }
  setDurableWrites(true);
}

}  // namespace
}  // namespace tallix
