// The pair reader: walks a log's connection records in start/end pairs,
// checks each pair's texts, adds the duration of every good pair to the
// 16-bit running total and lists the texts of every bad pair in List1.
#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>

#include "analysis/log_image.h"
#include "form/main_form.h"
#include "store/pending_error.h"

namespace tallix {

// What lblUseTime shows in front of the total.
inline constexpr std::string_view kTotalTimeFilled = "Total time =  ";

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

// Reads records 3 to N of the log, pairs them and adds them up. A failure
// (an overflow of the totals) ends the reading at once with the error
// pending. The observer, when given, hears of every pair read, by the time
// the reading ends.
void ReadRecordPairs(MainForm& form, std::int16_t N, const LogImage& log, PendingError& error,
                     const PairObserver& observer = {});

// Checks one pair and either adds its duration to the total (and shows the
// total in lblUseTime) or lists its texts in List1. Trims and shortens both
// texts in place. On an overflow the pair's partial sums are taken back, so
// the three totals still agree with what lblUseTime shows.
PairOutcome AddConnectionTime(MainForm& form, std::string& start, std::string& end, PendingError& error);

// The three steps of one pair's duration; each returns false on an overflow.
bool AddSecondsPart(MainForm& form, int sS, int eS, PendingError& error);
bool AddMinutesPart(MainForm& form, int sS, int eS, int sM, int eM, int sH, int eH, PendingError& error);
bool AddHoursPart(MainForm& form, int sH, int eH, int hourDifference, PendingError& error);
// Clears PairValid when either number lies outside 0 to 59.
void CheckSixty(MainForm& form, int a, int b);

// The total as lblUseTime shows it: "Total time =  h : m : s".
std::string useTimeText(std::int16_t hours, std::int16_t minutes, std::int16_t seconds);

}  // namespace tallix
