#include "analysis/usage.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <memory>
#include <new>
#include <span>
#include <vector>

#include "analysis/cost.h"
#include "analysis/pairs.h"
#include "analysis/volume_cost.h"
#include "store/digit_groups.h"
#include "store/numbers.h"
#include "store/text_forms.h"

namespace tallix {
namespace {

// A period is at most a month; a header naming a longer one is not trusted
// to lay out days (its connections still show on their own days).
constexpr long long kLongestPeriodDays = 62;

// The last `count` characters, as right() takes them, without a copy.
inline std::string_view tail(std::string_view text, size_t count) {
  return text.substr(text.size() - std::min(count, text.size()));
}

long long dayNumber(const DateTime& when) { return toSerialSeconds(when) / kDay; }
DateTime midnightOf(long long day) { return fromSerialSeconds(day * kDay); }

}  // namespace

std::optional<DateTime> periodLastDay(const std::string& stored) {
  if (auto day = parseDate(stored)) return day;
  if (stored.size() != 10) return std::nullopt;
  auto first = parseDate(stored.substr(0, 8) + "01");
  const long long day = wholeValue(stored.substr(8));
  if (!first || day < 1 || day > 31) return std::nullopt;
  first->day = daysInMonth(first->year, first->month);
  return first;
}


PairStart readStartAfresh(std::string_view startText, StampReader& stamps) {
  const std::string_view stamp = tail(startText, 17);
  PairStart start;
  start.dated = stamps.readSeconds(stamp, start.seconds);
  if (!start.dated) {
    // A start that is no real date still has a time of day in range (the
    // pair was counted): "yy/mm/dd hh:mm:ss".
    auto two = [&stamp](size_t at) { return at + 2 <= stamp.size() ? wholeValue(stamp.substr(at, 2)) : 0; };
    start.seconds = two(9) * 3600LL + two(12) * 60LL + two(15);
  }
  return start;
}

std::string_view LogUsage::startStamp(const UsageConnection& c) const {
  return tail(trimmed(load.log.recordView(c.startRecord)), 17);
}

std::string_view LogUsage::endStamp(const UsageConnection& c) const {
  return tail(trimmed(load.log.recordView(c.startRecord + 1)), 19);
}

namespace {

// Whether two start times "yy/mm/dd hh:mm:ss" are the same, 17 bytes each.
bool sameTime(const char* a, const char* b) {
  return eightBytes(a) == eightBytes(b) && eightBytes(a + 8) == eightBytes(b + 8) && a[16] == b[16];
}

// One line of the volume file that belongs to a connection of the log.
struct MatchedVolume {
  Volume volume;
  long startRecord = 0;
};
static_assert(sizeof(MatchedVolume) <= kShortestVolumeLine && alignof(MatchedVolume) <= alignof(std::max_align_t));

// The lines of a log's volume file that belong to its connections: the line
// names its start record's time, positions 10-26 of the record, so that it
// never pairs with another period's connection, and a line that does not is
// dropped as it is read. The lines kept are laid over the file's text as it
// is read (each takes no more room than the shortest line), so they take no
// memory of their own.
class MatchedVolumes {
 public:
  MatchedVolumes() = default;
  MatchedVolumes(const std::string& recordFile, const LogImage& log) {
    state = readVolumeFileLines(recordFile, text_, problem, [this, &log](long record, std::string_view time, const Volume& v) {
      // The start record's text as the pair reader tells of it.
      const std::string_view start = trimmed(log.recordView(record));
      if (start.size() < 9 + time.size() || !sameTime(start.data() + 9, time.data())) return;
      ::new (static_cast<void*>(text_.get() + count_ * sizeof(MatchedVolume))) MatchedVolume{v, record};
      ++count_;
    });
    if (state != VolumeReading::State::Read) count_ = 0;
  }

  VolumeReading::State state = VolumeReading::State::Missing;
  std::string problem;

  std::span<const MatchedVolume> lines() const {
    if (count_ == 0) return {};
    return {std::launder(reinterpret_cast<const MatchedVolume*>(text_.get())), count_};
  }

 private:
  std::unique_ptr<char[]> text_;
  size_t count_ = 0;
};

// The connections of a log as the pair reader tells of its pairs: each one
// kept, split by day and, with a tariff, priced, in one pass. What a batch
// of pairs works on is held in locals, where the compiler can keep it in
// registers rather than write it back after every pair.
class ConnectionReading {
 public:
  // `period` and `records` as the log's headers name them, for the days to
  // lay out and the room to keep.
  ConnectionReading(LogUsage& usage, const std::optional<Tariff>& tariff, NamedPeriod period, long records,
                    MatchedVolumes volumes = {})
      : usage_(usage), period_(std::move(period)), records_(records), volumes_(std::move(volumes)) {
    usage.volumeState = volumes_.state;
    usage.volumeProblem = std::move(volumes_.problem);
    if (!tariff) return;
    pricer_.emplace(*tariff);
    usage.cost.emplace();
    if (tariff->pricesVolume()) volumePricer_.emplace(*tariff);
  }

  void take(std::span<const PairReport> pairs) {
    splitter();
    while (!pairs.empty()) {
      const size_t count = std::min(pairs.size(), kBatch);
      if (pricer_) {
        takeBatch<true>(pairs.first(count));
      } else {
        takeBatch<false>(pairs.first(count));
      }
      pairs = pairs.subspan(count);
    }
  }

  // After the load: a log whose headers were refused lays out no days.
  void finish() {
    if (!days_) days_.emplace(usage_.load.from, usage_.load.to);
    usage_.days = days_->take();
  }

 private:
  static constexpr size_t kBatch = 64;

  // Whether a usual start's stamp "yy/mm/dd hh:mm:ss" has its blank and
  // its colons around the time of day (the reader has read the digits).
  static bool timeShaped(const char* stamp) {
    return (eightBytes(stamp + 8) & 0x00FF'0000'FF00'00FFULL) == 0x003A'0000'3A00'0020ULL;
  }

  template <bool kPriced>
  void takeBatch(std::span<const PairReport> pairs) {
    DaySplitter& days = *days_;
    const bool partMinute = usage_.partMinute;
    // The day of the last usual start and its rates: a log's starts run in
    // order, so the next start is nearly always of the same date, which the
    // stamp reader then holds without reading it again.
    long long day = day_;
    int weekday = weekday_;
    const LogPricer::DayRates* rates = kPriced ? &pricer_->rates(weekday) : nullptr;
    // Connections within their day, the usual kind, are summed here and
    // added to the day when the date changes.
    long long runSeconds = 0;
    // The batch's connections and prices, added to the usage at its end.
    std::array<UsageConnection, kBatch> kept;
    std::array<std::int64_t, kBatch> prices;
    size_t count = 0;
    std::int64_t cents = 0;
    const bool volumes = usage_.hasVolumeFile();
    const bool pricedVolume = kPriced && volumePricer_.has_value();
    // With a volume file: the batch's volumes (in batchVolumes_) and their sum.
    VolumeSum volumeSum;
    for (const PairReport& pair : pairs) {
      // The usual start, read in place by the pair reader (the pair was
      // counted): its stamp "yy/mm/dd hh:mm:ss" from the tenth character.
      bool usual = pair.startTime >= 0;
      if (!usual && pair.outcome != PairOutcome::Counted) continue;
      const auto seconds = static_cast<std::int32_t>(pair.seconds);
      kept[count] = {seconds, static_cast<std::int16_t>(pair.startRecord)};
      if (usual) {
        const char* stamp = pair.startText.data() + 9;
        usual = timeShaped(stamp) && (stamps_.holdsDate(stamp) || learnDate(stamp));
        if (usual && stamps_.dayNumber() != day) [[unlikely]] {
          if (runSeconds > 0) days.addToDay(day, runSeconds);
          runSeconds = 0;
          day = stamps_.dayNumber();
          weekday = stamps_.weekday();
          if constexpr (kPriced) rates = &pricer_->rates(weekday);
        }
      }
      std::int64_t price = 0;
      PairStart start;  // an unusual start, read afresh
      if (usual) [[likely]] {
        const int at = partMinute ? pair.startTime - pair.startTime % 60 : pair.startTime;
        if (static_cast<std::uint32_t>(seconds - 1) < static_cast<std::uint32_t>(kDay - at)) [[likely]] {
          runSeconds += seconds;  // within its day
        } else {
          days.add(day, at, seconds);
        }
        if constexpr (kPriced) price = pricer_->centsOnDay(*rates, weekday, at, seconds);
      } else {
        start = readStart(pair, stamps_);
        days.add(start, seconds, partMinute);
        if constexpr (kPriced) price = pricer_->cents(start.counted(partMinute), start.dated, seconds);
      }
      if (volumes || pricedVolume) [[unlikely]] {
        // Without a volume file every volume is unknown: a tariff that
        // prices volume then makes every cost the least it can be.
        const std::optional<Volume> volume = volumeOf(pair);
        if (volumes) {
          batchVolumes_[count] = volume;
          volumeSum.add(volume);
          if (usual) {
            days.addVolume(day, volume);
          } else {
            days.addVolume(start, volume);
          }
        }
        if constexpr (kPriced) {
          if (pricedVolume) {
            const PeriodVolumePricer::Part part = volumePricer_->next(volume);
            price = addCents(price, part.cents);
            usage_.cost->atLeast.push_back(part.atLeast);
            usage_.cost->totalAtLeast = usage_.cost->totalAtLeast || part.atLeast;
          }
        }
      }
      if constexpr (kPriced) {
        prices[count] = price;
        cents = addCents(cents, price);
      }
      ++count;
    }
    if (runSeconds > 0) days.addToDay(day, runSeconds);
    day_ = day;
    weekday_ = weekday;
    keep(std::span(kept).first(count), kPriced ? std::span(prices).first(count) : std::span<std::int64_t>(), cents);
    if (volumes) {
      const auto batch = std::span(batchVolumes_).first(count);
      usage_.volumes.insert(usage_.volumes.end(), batch.begin(), batch.end());
      // Sums that stop at the largest count come to the same in any order.
      VolumeSum& all = usage_.volume;
      all.known.received = VolumeSum::sum(all.known.received, volumeSum.known.received);
      all.known.sent = VolumeSum::sum(all.known.sent, volumeSum.known.sent);
      all.unknown += volumeSum.unknown;
    }
  }

  // Adds a batch's connections and, with a tariff, their prices to the usage.
  void keep(std::span<const UsageConnection> kept, std::span<const std::int64_t> prices, std::int64_t cents) {
    usage_.connections.insert(usage_.connections.end(), kept.begin(), kept.end());
    if (!pricer_) return;
    std::vector<std::int64_t>& all = usage_.cost->cents;
    all.insert(all.end(), prices.begin(), prices.end());
    usage_.cost->totalCents = addCents(usage_.cost->totalCents, cents);
  }

  // The volume file's line for a counted pair, if it has one: the lines are
  // in the order of their start records, as the pairs come.
  std::optional<Volume> volumeOf(const PairReport& pair) {
    const std::span<const MatchedVolume> lines = volumes_.lines();
    while (nextVolume_ < lines.size() && lines[nextVolume_].startRecord < pair.startRecord) ++nextVolume_;
    if (nextVolume_ == lines.size() || lines[nextVolume_].startRecord != pair.startRecord) return std::nullopt;
    return lines[nextVolume_].volume;
  }

  // Reads the date of a usual start that the stamp reader does not hold:
  // true when it is a real date, which the reader then holds.
  bool learnDate(const char* stamp) {
    long long date = 0;
    return stamps_.readSeconds({stamp, 17}, 0, date);
  }

  // Made at the first pair, which only comes when the headers were accepted.
  DaySplitter& splitter() {
    if (!days_) {
      days_.emplace(period_.from, period_.to);
      // Room for a connection a pair at once.
      const auto most = static_cast<size_t>(records_ / 2);
      usage_.connections.reserve(most);
      if (pricer_) usage_.cost->cents.reserve(most);
      if (usage_.hasVolumeFile()) usage_.volumes.reserve(most);
    }
    return *days_;
  }

  LogUsage& usage_;
  const NamedPeriod period_;
  const long records_;
  StampReader stamps_;
  std::optional<DaySplitter> days_;
  std::optional<LogPricer> pricer_;
  std::optional<PeriodVolumePricer> volumePricer_;  // under a tariff that prices volume
  // The volume file's lines that belong to the log's connections, and the
  // first one not yet passed.
  MatchedVolumes volumes_;
  std::array<std::optional<Volume>, kBatch> batchVolumes_;
  size_t nextVolume_ = 0;
  // The day number of the last usual start and its day of the week (none
  // at first): its date is the one the stamp reader holds, or was until a
  // start of another kind was read.
  long long day_ = -1;
  int weekday_ = 0;
};

}  // namespace

LogUsage readLogUsage(const std::string& folder, const std::string& name, bool partMinute,
                      const std::optional<Tariff>& tariff) {
  LogUsage usage;
  usage.name = name;
  usage.partMinute = partMinute;
  LogImage log;
  if (readLogFile(folder, name, log, usage.load)) {
    ConnectionReading reading(usage, tariff, periodNamed(log), log.count(), MatchedVolumes(folder + name, log));
    usage.load = readLog(
        std::move(log), name, {partMinute}, [&reading](std::span<const PairReport> pairs) { reading.take(pairs); });
    reading.finish();
  } else {
    ConnectionReading(usage, tariff, {}, 0).finish();
  }
  return usage;
}

DaySplitter::DaySplitter(const std::string& from, const std::string& to) {
  const auto first = parseDate(from);
  const auto last = periodLastDay(to);
  if (first && last && dayNumber(*last) >= dayNumber(*first) &&
      dayNumber(*last) - dayNumber(*first) < kLongestPeriodDays) {
    first_ = dayNumber(*first);
    inPeriod_.assign(static_cast<size_t>(dayNumber(*last) - first_ + 1), 0);
  }
}

void DaySplitter::addAcrossDays(long long day, long long at, long long seconds) {
  for (long long left = seconds; left > 0; ++day, at = 0) {
    const long long share = std::min(left, kDay - at);  // up to the next midnight
    addToDay(day, share);
    left -= share;
  }
}

void DaySplitter::addVolumeAside(long long day, const std::optional<Volume>& volume) {
  const auto offset = static_cast<unsigned long long>(day - first_);
  if (offset < inPeriod_.size()) {
    if (inPeriodVolume_.empty()) inPeriodVolume_.resize(inPeriod_.size());
    inPeriodVolume_[static_cast<size_t>(offset)].add(volume);
  } else {
    otherVolume_[day].add(volume);
  }
}

DaySplit DaySplitter::take() const {
  DaySplit split;
  split.undatedSeconds = undated_;
  split.undatedVolume = undatedVolume_;
  // The days outside the period with time or volume (a connection of no
  // seconds has volume on a day that has no time).
  std::map<long long, DayUsage> others;
  for (const auto& [day, seconds] : others_) others[day].seconds = seconds;
  for (const auto& [day, volume] : otherVolume_) others[day].volume = volume;
  auto other = others.begin();
  auto out = [&split](long long day, DayUsage usage) {
    usage.day = midnightOf(day);
    split.days.push_back(usage);
  };
  for (; other != others.end() && other->first < first_; ++other) out(other->first, other->second);
  for (size_t i = 0; i < inPeriod_.size(); ++i)
    out(first_ + static_cast<long long>(i), {{}, inPeriod_[i], inPeriodVolume_.empty() ? VolumeSum{} : inPeriodVolume_[i]});
  for (; other != others.end(); ++other) out(other->first, other->second);
  return split;
}

std::string durationText(long long seconds) {
  return std::to_string(seconds / 3600) + " : " + std::to_string(seconds / 60 % 60) + " : " +
         std::to_string(seconds % 60);
}

std::string isoDate(const DateTime& d) {
  return std::to_string(d.year) + "-" + twoDigits(d.month) + "-" + twoDigits(d.day);
}

std::string isoDate(std::string_view stored) {
  const auto day = parseDate(stored);
  return day ? isoDate(*day) : std::string(stored);
}

std::string isoStamp(std::string_view stored) {
  const auto when = parseStamp(stored);
  if (!when) return std::string(stored);
  return isoDate(*when) + "T" + twoDigits(when->hour) + ":" + twoDigits(when->minute) + ":" + twoDigits(when->second);
}

}  // namespace tallix
