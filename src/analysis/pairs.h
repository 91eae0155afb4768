// The pair reader: walks a log's connection records in start/end pairs,
// checks each pair's texts, adds the duration of every good pair to the
// 16-bit running total and keeps the texts of every bad pair. Plain values
// in and out: the Calculation view copies the result into its controls.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "analysis/log_image.h"
#include "store/pending_error.h"

namespace tallix {

// What lblUseTime shows in front of the total.
inline constexpr std::string_view kTotalTimeFilled = "Total time =  ";

// How pairs are counted.
struct PairOptions {
  // Part-minutes count whole: the start's seconds are dropped and an end
  // inside a minute counts that minute.
  bool partMinute = false;
};

// The running total as the view keeps it: three signed 16-bit numbers, a
// sum out of their range being an overflow. After every pair the minutes
// and seconds are below 60.
struct PairTotal {
  std::int16_t hours = 0;
  std::int16_t minutes = 0;
  std::int16_t seconds = 0;

  long long inSeconds() const { return hours * 3600LL + minutes * 60LL + seconds; }
  friend bool operator==(const PairTotal&, const PairTotal&) = default;
};

// What became of one pair.
enum class PairOutcome {
  Counted,     // its duration was added
  WrongShape,  // the texts are not a start and an end record; listed in full
  OutOfRange,  // an hour, minute or second out of range; listed as the time tails
  Failed,      // a total overflowed; the reading ends here
  Unpaired,    // a start record at the end of the file without its end record
};

// One pair as the reader saw it, for callers that want each pair's share.
struct PairReport {
  long startRecord = 0;        // record number of the start record
  std::string_view startText;  // the record texts trimmed at both ends
  std::string_view endText;    // (empty for an unpaired start)
  PairOutcome outcome = PairOutcome::Counted;
  long long seconds = 0;       // what the pair added to the total
  int startTime = -1;          // the start's time of day in seconds when the reader has read
                               // it in place (digits and range checked; the start text is
                               // then the usual 26 characters), else -1
};
// Hears of the pairs in order, many at a time.
using PairObserver = std::function<void(std::span<const PairReport>)>;

// What the pair reader found.
struct PairsRead {
  PairTotal total;          // after the last good pair (a failed pair's sums are taken back)
  bool counted = false;     // at least one pair was counted, so the view shows the total
  bool failed = false;      // a total overflowed and the reading ended there
  // The texts of the pairs not counted, start and end in turn, as List1 lists them.
  std::vector<std::string> abandoned;
};

// Reads records 3 to N of the log, pairs them and adds them up. A failure
// (an overflow of the totals) ends the reading at once with the error
// pending. The observer, when given, hears of every pair read, by the time
// the reading ends.
PairsRead ReadRecordPairs(const LogImage& log, std::int16_t N, const PairOptions& options, PendingError& error,
                          const PairObserver& observer = {});

// The step-by-step reader of one pair: checks it and either adds its
// duration to `total` or tells why not. Trims and narrows both texts as the
// view lists them (whole for a wrong shape, the time tails out of range).
// On an overflow the pair's partial sums are taken back.
PairOutcome AddConnectionTime(PairTotal& total, std::string_view& start, std::string_view& end,
                              const PairOptions& options, PendingError& error);

// What one pair adds on its own, when it is counted.
std::optional<long long> pairSeconds(std::string_view start, std::string_view end, const PairOptions& options);

// The usual pair, read in place: two records of 26 characters and three
// blanks, the start's day count and both times of day two digits each and
// in range. The fields are what the step-by-step reader reads there.
struct UsualPair {
  int days = 0;         // the start's day count, positions 8-9
  int startMinute = 0;  // minutes of the day, hours * 60 + minutes
  int startSecond = 0;
  int endMinute = 0;
  int endSecond = 0;

  int startTime() const { return startMinute * 60 + startSecond; }  // seconds of the day
  int endTime() const { return endMinute * 60 + endSecond; }
  // What the pair adds to the total: the same as the steps give.
  long long seconds(bool partMinute) const;
};
// Nothing when the two records (29 bytes each at `start` and `end`) are not
// a usual pair; every check is made and looked at once, as nearly every
// pair is a usual one.
std::optional<UsualPair> parseUsualPair(const char* start, const char* end);

// The total as lblUseTime shows it: "Total time =  h : m : s".
std::string useTimeText(const PairTotal& total);

}  // namespace tallix
