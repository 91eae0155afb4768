// One log's usage: its connections as the Calculation view counts them and
// its hours online split by calendar day. The connections' seconds are the
// pair reader's own shares of the total, so every figure here adds up to
// exactly the total the view shows.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "analysis/loader.h"
#include "analysis/pricer.h"
#include "store/date_time.h"
#include "store/tariff_file.h"
#include "store/text_forms.h"
#include "store/volume_file.h"

namespace tallix {

// One counted pair as kept. Kept small, as a log holds thousands: its
// stamps stay in the log's bytes. A plain pair of numbers, so that many are
// copied at once.
struct UsageConnection {
  std::int32_t seconds;      // what the pair added to the total (a pair adds at most 100 days)
  std::int16_t startRecord;  // a log has at most 32767 records
};

// Where a counted pair's time begins, read from its start record's stamp.
struct PairStart {
  long long seconds = 0;  // serial seconds (toSerialSeconds) when dated, else the time of day
  bool dated = false;     // the stamp is a real date and time

  // Under the part-minute setting the start's seconds are dropped.
  long long counted(bool partMinute) const { return partMinute ? seconds - seconds % 60 : seconds; }
};

// The start of a pair whose time of day the reader has not read, from its
// start text.
PairStart readStartAfresh(std::string_view startText, StampReader& stamps);

// A counted pair's start.
inline PairStart readStart(const PairReport& pair, StampReader& stamps) {
  if (pair.startTime < 0) return readStartAfresh(pair.startText, stamps);
  // Read in place: the usual start text, its stamp from its tenth character.
  PairStart start;
  start.dated = stamps.readSeconds(pair.startText.substr(9), pair.startTime, start.seconds);
  if (!start.dated) start.seconds = pair.startTime;
  return start;
}

// The volume of connections taken together: the bytes of those whose volume
// is known, and how many there are whose volume is not.
struct VolumeSum {
  Volume known;
  long unknown = 0;  // connections without a line in the volume file

  void add(const std::optional<Volume>& v) {
    if (v) {
      known.received = sum(known.received, v->received);
      known.sent = sum(known.sent, v->sent);
    } else {
      ++unknown;
    }
  }
  // a + b, stopping at the largest count instead of wrapping round (a
  // damaged or forged file may hold any count).
  static std::uint64_t sum(std::uint64_t a, std::uint64_t b) { return a > ~b ? ~std::uint64_t{0} : a + b; }
  friend bool operator==(const VolumeSum&, const VolumeSum&) = default;
};

struct DayUsage {
  DateTime day;  // midnight of the day
  long long seconds = 0;
  // The volume of the connections that began on the day: a volume file
  // tells a connection's bytes, not when within it they passed, so they all
  // count on its first day. Filled only when the log has a volume file.
  VolumeSum volume;
};

struct DaySplit {
  // Every day of the period (a day without connections too), and any other
  // day a connection falls on, in calendar order.
  std::vector<DayUsage> days;
  // Connections whose start is no real date and time: counted in the total,
  // but on no day.
  long long undatedSeconds = 0;
  VolumeSum undatedVolume;  // their volume
};

// Splits connections by calendar day. Each connection runs from its start
// for its counted seconds (under the part-minute setting from the start's
// whole minute, as the seconds of the start are dropped there) and is split
// at every midnight it passes.
class DaySplitter {
 public:
  // The period's first and last day as stored: each of its days is kept,
  // busy or not.
  DaySplitter(const std::string& from, const std::string& to);

  void add(const PairStart& start, long long seconds, bool partMinute) {
    if (!start.dated) {
      undated_ += seconds;
      return;
    }
    const long long from = start.counted(partMinute);
    const long long day = from / kDay - (from % kDay < 0 ? 1 : 0);
    add(day, from - day * kDay, seconds);
  }
  // A dated connection from `at` seconds into day number `day` (serial seconds / a day).
  void add(long long day, long long at, long long seconds) {
    if (seconds > 0 && seconds <= kDay - at) [[likely]] {
      addToDay(day, seconds);  // within its day
    } else {
      addAcrossDays(day, at, seconds);
    }
  }

  // A connection's volume, on the day it began (`day` as for add()).
  void addVolume(long long day, const std::optional<Volume>& volume) {
    const auto offset = static_cast<unsigned long long>(day - first_);
    if (offset < inPeriodVolume_.size()) [[likely]] {
      inPeriodVolume_[static_cast<size_t>(offset)].add(volume);
    } else {
      addVolumeAside(day, volume);
    }
  }
  void addVolume(const PairStart& start, const std::optional<Volume>& volume) {
    if (start.dated) {
      const long long from = start.seconds;
      addVolume(from / kDay - (from % kDay < 0 ? 1 : 0), volume);
    } else {
      undatedVolume_.add(volume);
    }
  }

  // The days in calendar order: those before the period, the period's, those after.
  DaySplit take() const;

  // Seconds that lie within day number `day`.
  void addToDay(long long day, long long seconds) {
    const auto offset = static_cast<unsigned long long>(day - first_);
    if (offset < inPeriod_.size()) [[likely]] {
      inPeriod_[static_cast<size_t>(offset)] += seconds;
    } else {
      others_[day] += seconds;
    }
  }

 private:
  void addAcrossDays(long long day, long long at, long long seconds);
  // The first volume of the period, or one of a day outside it.
  void addVolumeAside(long long day, const std::optional<Volume>& volume);

  // The period's days by their offset from its first day; a day outside it
  // (a connection that ran past its end, or a header that is no real day)
  // goes to the map.
  long long first_ = 0;
  std::vector<long long> inPeriod_;
  std::map<long long, long long> others_;
  long long undated_ = 0;
  // The volume by day, laid out as the seconds are, once there is any.
  std::vector<VolumeSum> inPeriodVolume_;
  std::map<long long, VolumeSum> otherVolume_;
  VolumeSum undatedVolume_;
};

struct LogUsage {
  std::string name;                  // the file's name in its folder
  bool partMinute = false;           // the part-minute setting the total was made with
  LogLoad load;                      // period, stamps, total, pairs not counted, messages
  std::vector<UsageConnection> connections;
  DaySplit days;                 // the connections' time by calendar day
  std::optional<LogCost> cost;   // read with a tariff: what the connections cost

  // The log's volume file (its record file's name and ".vol"). Missing: the
  // volume of every connection is unknown, and `volumes`, `volume` and the
  // days' volume stay empty. Damaged: `volumeProblem` tells why, in the
  // program's words, and every connection's volume is unknown (the time
  // totals stand as ever). Read: each connection's line, where it has one.
  VolumeReading::State volumeState = VolumeReading::State::Missing;
  std::string volumeProblem;
  // With a volume file, one per connection in the order of `connections`:
  // the bytes it received and sent, none where the file has no line for it.
  std::vector<std::optional<Volume>> volumes;
  VolumeSum volume;  // their sum, with a volume file

  bool hasVolumeFile() const { return volumeState != VolumeReading::State::Missing; }

  long long totalSeconds() const { return load.pairs.total.inSeconds(); }
  // lblUseTime: "Total time =  h : m : s" or the bare text.
  std::string totalShown() const {
    return load.pairs.counted ? useTimeText(load.pairs.total) : std::string(kTotalTimeBare);
  }
  // A connection's stamps as its records hold them: the start's
  // "yy/mm/dd hh:mm:ss" and the end's "yyyy/mm/dd hh:mm:ss".
  std::string_view startStamp(const UsageConnection& c) const;
  std::string_view endStamp(const UsageConnection& c) const;

  // Shown at all: the file was found and both headers accepted.
  bool shown() const { return load.headers; }
  // Shown, and no failure cut the reading short.
  bool complete() const { return load.headers && load.messages.empty(); }
};

// Loads `name` of `folder` (ending in the separator) as the Calculation
// view's Load does with the part-minute box as given, splitting the time by
// day and, with a tariff, pricing each connection as it goes; each
// connection's volume comes from the log's volume file. Only reads the files.
LogUsage readLogUsage(const std::string& folder, const std::string& name, bool partMinute,
                      const std::optional<Tariff>& tariff = std::nullopt);

// The period's last day from its stored end; an end past its month's last
// day (the 31st of a 30-day month) stands for that last day.
std::optional<DateTime> periodLastDay(const std::string& stored);

// A number of seconds as the view shows a total: "h : m : s".
std::string durationText(long long seconds);
// A stored date or stamp in ISO 8601 ("2002-04-16", "2002-04-16T09:12:40");
// a text that is no real date and time stays as it stands.
std::string isoDate(std::string_view stored);
std::string isoStamp(std::string_view stored);
std::string isoDate(const DateTime& day);

}  // namespace tallix
