#include "analysis/pairs.h"

#include <array>
#include <cstdint>
#include <span>

#include "store/digit_groups.h"
#include "store/numbers.h"
#include "store/record_file.h"

namespace tallix {
namespace {

constexpr std::string_view kStartMark = "start:";
constexpr std::string_view kEndMark = "_end :";
constexpr size_t kPairTextLength = 26;
constexpr size_t kTimeTailLength = 19;

int generalFieldValue(std::string_view field) { return static_cast<int>(wholeValue(field)); }

// The numeric value of the two characters at `field` as a whole number. Two
// digits are by far the usual case and are read directly; anything else
// takes the general rule, which gives the same answer for digits.
inline int fieldValue(const char* field) {
  const unsigned tens = static_cast<unsigned char>(field[0]) - unsigned{'0'};
  const unsigned ones = static_cast<unsigned char>(field[1]) - unsigned{'0'};
  if (tens < 10 && ones < 10) [[likely]]
    return static_cast<int>(tens * 10 + ones);
  return generalFieldValue(std::string_view(field, 2));
}

inline bool twoDigits(const char* field) {
  return static_cast<unsigned char>(field[0]) - unsigned{'0'} < 10 &&
         static_cast<unsigned char>(field[1]) - unsigned{'0'} < 10;
}

// Adds to a 16-bit total; a sum out of its range is an overflow.
inline bool addTo(std::int16_t& field, long long amount, PendingError& error) {
  const long long sum = field + amount;
  if (static_cast<unsigned long long>(sum - INT16_MIN) <= UINT16_MAX) {  // INT16_MIN <= sum <= INT16_MAX
    field = static_cast<std::int16_t>(sum);
    return true;
  }
  return storeInt16(sum, field, error);  // records the overflow
}

bool moveSixties(std::int16_t& lower, std::int16_t& upper, PendingError& error) {
  long long q = lower / 60;
  return addTo(upper, q, error) && addTo(lower, -60 * q, error);
}

// Moves whole sixties of `lower` into `upper`.
inline bool carrySixties(std::int16_t& lower, std::int16_t& upper, PendingError& error) {
  return lower < 60 || moveSixties(lower, upper, error);
}

long long inSeconds(const MainForm& form) {
  return static_cast<long long>(form.TotalHours) * 3600 + static_cast<long long>(form.TotalMinutes) * 60 +
         form.TotalSeconds;
}

// The seconds step with the part-minute setting already read.
bool secondsPart(MainForm& form, int sS, int eS, bool partMinute, PendingError& error) {
  if (partMinute) {
    // Part-minutes count whole: the start's seconds are dropped and an end
    // inside a minute counts that minute.
    return eS == 0 || addTo(form.TotalMinutes, 1, error);
  }
  if (eS > sS) return addTo(form.TotalSeconds, eS - sS, error);
  if (eS < sS) {
    form.MinuteBorrow = true;
    return addTo(form.TotalSeconds, 60 - sS + eS, error);
  }
  return true;
}

inline bool hoursPart(MainForm& form, int sH, int eH, int hourDifference, PendingError& error) {
  if (hourDifference < 0) return addTo(form.TotalMinutes, (24LL - sH + eH) * 60, error);  // passed midnight
  if (hourDifference > 0) return addTo(form.TotalMinutes, (static_cast<long long>(eH) - sH) * 60, error);
  if (form.HourBorrow) {
    // Same hour, end minute before the start minute: all but one hour of a day.
    form.HourBorrow = false;
    return addTo(form.TotalMinutes, 1380, error);
  }
  return true;
}

inline bool minutesPart(MainForm& form, int sS, int eS, int sM, int eM, int sH, int eH, PendingError& error) {
  if (eM > sM) {
    if (!addTo(form.TotalMinutes, eM - sM, error)) return false;
  } else if (eM < sM) {
    if (!addTo(form.TotalMinutes, 60 - sM + eM, error)) return false;
    form.HourBorrow = true;
  }
  if (!hoursPart(form, sH, eH, eH - sH, error)) return false;
  if (form.MinuteBorrow) {
    // Within one minute of the same hour an end before the start counts as
    // nothing: take the seconds back instead of borrowing a minute.
    bool ok = (eM == sM && eH == sH) ? addTo(form.TotalSeconds, -(60 - sS + eS), error)
                                     : addTo(form.TotalMinutes, -1, error);
    form.MinuteBorrow = false;
    if (!ok) return false;
  }
  if (form.HourBorrow) {
    form.HourBorrow = false;
    return addTo(form.TotalMinutes, -60, error);
  }
  return true;
}

// Puts a worked text back into its record buffer, padded to a whole record.
void backInto(std::string& buffer, std::string_view text) {
  buffer.assign(text.substr(0, static_cast<size_t>(kRecordLength)));
  buffer.resize(static_cast<size_t>(kRecordLength), ' ');
}

void listPair(MainForm& form, std::string_view start, std::string_view end) {
  auto& items = form["List1"].items;
  items.emplace_back(start);
  items.emplace_back(end);
}

}  // namespace

std::string useTimeText(std::int16_t hours, std::int16_t minutes, std::int16_t seconds) {
  std::string text(kTotalTimeFilled);
  text += std::to_string(hours);
  text += " : ";
  text += std::to_string(minutes);
  text += " : ";
  text += std::to_string(seconds);
  return text;
}

void CheckSixty(MainForm& form, int a, int b) {
  if (a < 0 || a > 59 || b < 0 || b > 59) form.PairValid = false;
}

bool AddSecondsPart(MainForm& form, int sS, int eS, PendingError& error) {
  return secondsPart(form, sS, eS, form["chkToBeMin"].value == 1, error);
}

bool AddMinutesPart(MainForm& form, int sS, int eS, int sM, int eM, int sH, int eH, PendingError& error) {
  return minutesPart(form, sS, eS, sM, eM, sH, eH, error);
}

bool AddHoursPart(MainForm& form, int sH, int eH, int hourDifference, PendingError& error) {
  return hoursPart(form, sH, eH, hourDifference, error);
}

namespace {

// Adds the whole days of a start record's day count, worked in 16 bits as
// the total is: D * 24, then * 60, then added to the minutes.
bool addDays(MainForm& form, int days, PendingError& error) {
  std::int16_t dayHours = 0;
  std::int16_t dayMinutes = 0;
  return addTo(dayHours, days * 24LL, error) && addTo(dayMinutes, dayHours * 60LL, error) &&
         addTo(form.TotalMinutes, dayMinutes, error);
}

// One pair's check and sum, on views of its two texts, which it narrows as
// the pair reader's buffers would be worked. It does not show the total:
// the reader shows it once, after its last pair, as nothing can be seen in
// between.
PairOutcome addPair(MainForm& form, std::string_view& start, std::string_view& end, bool partMinute,
                    PendingError& error) {
  form.PairValid = true;
  form.MinuteBorrow = false;
  form.HourBorrow = false;
  start = trimmed(start);
  end = trimmed(end);
  if (!end.starts_with(kEndMark) || !start.starts_with(kStartMark) || start.size() != kPairTextLength ||
      end.size() != kPairTextLength) {
    listPair(form, start, end);
    return PairOutcome::WrongShape;
  }
  // Both texts are 26 characters long from here on.
  // The day count, positions 8-9 of the start record, must be two digits: a
  // sign or a blank there would count negative or shifted days.
  const bool daysReadable = twoDigits(start.data() + 7);
  const int days = daysReadable ? fieldValue(start.data() + 7) : 0;
  start.remove_prefix(start.size() - kTimeTailLength);
  end.remove_prefix(end.size() - kTimeTailLength);

  // In the last 19 characters: hours at 12-13, minutes at 15-16, seconds at 18-19.
  const int sS = fieldValue(start.data() + 17);
  const int eS = fieldValue(end.data() + 17);
  CheckSixty(form, sS, eS);
  const int sM = fieldValue(start.data() + 14);
  const int eM = fieldValue(end.data() + 14);
  CheckSixty(form, sM, eM);
  const int sH = fieldValue(start.data() + 11);
  const int eH = fieldValue(end.data() + 11);
  if (!daysReadable || sH < 0 || sH > 23 || eH < 0 || eH > 23) form.PairValid = false;
  if (!form.PairValid) {
    listPair(form, start, end);
    return PairOutcome::OutOfRange;
  }

  const std::int16_t hours = form.TotalHours;
  const std::int16_t minutes = form.TotalMinutes;
  const std::int16_t seconds = form.TotalSeconds;
  bool ok = secondsPart(form, sS, eS, partMinute, error) && minutesPart(form, sS, eS, sM, eM, sH, eH, error) &&
            carrySixties(form.TotalSeconds, form.TotalMinutes, error) && (days == 0 || addDays(form, days, error)) &&
            carrySixties(form.TotalMinutes, form.TotalHours, error);
  if (!ok) {
    form.TotalHours = hours;
    form.TotalMinutes = minutes;
    form.TotalSeconds = seconds;
    form.MinuteBorrow = false;
    form.HourBorrow = false;
    return PairOutcome::Failed;
  }
  return PairOutcome::Counted;
}

void showTotal(MainForm& form) {
  form["lblUseTime"].caption = useTimeText(form.TotalHours, form.TotalMinutes, form.TotalSeconds);
}

}  // namespace

PairOutcome AddConnectionTime(MainForm& form, std::string& start, std::string& end, PendingError& error) {
  std::string_view startView = start;
  std::string_view endView = end;
  PairOutcome outcome = addPair(form, startView, endView, form["chkToBeMin"].value == 1, error);
  start = std::string(startView);
  end = std::string(endView);
  if (outcome == PairOutcome::Counted) showTotal(form);
  return outcome;
}

namespace {

// How the usual pair reads: two records of 26 characters and three blanks,
// their day count and times of day all two digits and in range.
constexpr std::uint64_t kSixBytes = 0xFFFF'FFFF'FFFFULL;
const std::uint64_t kStartWord = eightBytes("start:  ") & kSixBytes;
const std::uint64_t kEndWord = eightBytes("_end :  ") & kSixBytes;

// Not zero unless the record's first 26 characters are its text: it begins
// with `mark` and its last three characters are blanks. Its 26th character,
// the last digit of its seconds, is checked with the time of day.
inline std::uint64_t notUsualShape(const char* record, std::uint64_t mark) {
  return ((eightBytes(record) & kSixBytes) ^ mark) | ((eightBytes(record + 21) >> 40) ^ 0x20'2020);
}

// A time of day's numbers, paired up as digitPairs gives them, in minutes
// and in seconds. One multiplication puts hours * 60 + minutes in bytes 3
// and 4, where nothing else reaches.
constexpr std::uint64_t kHourAndMinute = 0x0000'0000'FF00'00FFULL;
inline int minutesOfDay(std::uint64_t pairs) {
  return static_cast<int>(((pairs & kHourAndMinute) * ((60ULL << 24) | 1)) >> 24 & 0xFFFF);
}
inline int secondsOfDay(std::uint64_t pairs) {
  return minutesOfDay(pairs) * 60 + static_cast<int>(pairs >> 48 & 0xFF);
}

// The usual pair read in place, with its start's time of day `s` and what
// it adds to the total: the same as the steps of addPair give, which every
// other pair takes. The time of day counts forward from the start to the
// end, passing midnight at most once, except that an end a few seconds
// before the start in the same minute counts nothing; under the part-minute
// setting the start's seconds are dropped and an end inside a minute counts
// that minute. Every check is made, and then looked at once: nearly every
// pair is a usual one.
inline bool quickPair(const char* start, const char* end, bool partMinute, int& days, int& s, long long& seconds) {
  const unsigned tens = static_cast<unsigned char>(start[7]) - unsigned{'0'};
  const unsigned ones = static_cast<unsigned char>(start[8]) - unsigned{'0'};
  days = static_cast<int>(tens * 10 + ones);
  std::uint64_t from = 0;
  std::uint64_t to = 0;
  const bool times = readTimesOfDay(start + 18, end + 18, from, to);
  if (!times || (notUsualShape(start, kStartWord) | notUsualShape(end, kEndWord) | (tens > 9) | (ones > 9)) != 0)
    return false;
  s = secondsOfDay(from);
  const int e = secondsOfDay(to);
  int added = 0;
  if (partMinute) {
    const int minutes = minutesOfDay(to) - minutesOfDay(from);
    added = ((minutes < 0 ? minutes + 1440 : minutes) + ((to >> 48 & 0xFF) != 0)) * 60;
  } else {
    const bool sameMinute = ((from ^ to) & kHourAndMinute) == 0;
    added = e >= s ? e - s : sameMinute ? 0 : e - s + 86400;
  }
  seconds = added + days * 86400LL;
  return true;
}

// The day counts from which the day step's 16-bit minutes may overflow, and
// the most seconds the hours can hold: a pair that could reach either takes
// the general way, which fails where it must.
constexpr int kRiskyDays = 22;
constexpr long long kMostSeconds = (INT16_MAX + 1LL) * 3600;

void setTotal(MainForm& form, long long seconds) {
  form.TotalHours = static_cast<std::int16_t>(seconds / 3600);
  form.TotalMinutes = static_cast<std::int16_t>(seconds / 60 % 60);
  form.TotalSeconds = static_cast<std::int16_t>(seconds % 60);
}

}  // namespace

namespace {

// Tells the observer of the pairs in order, many at a time: a log holds
// thousands, and one call for each costs more than what most callers do
// with a pair.
class PairTeller {
 public:
  explicit PairTeller(const PairObserver& observer) : observer_(observer) {}
  void tell(const PairReport& pair) {
    batch_[count_++] = pair;
    if (count_ == batch_.size()) flush();
  }
  void flush() {
    if (count_ > 0) observer_(std::span<const PairReport>(batch_.data(), count_));
    count_ = 0;
  }

 private:
  const PairObserver& observer_;
  std::array<PairReport, 64> batch_;
  size_t count_ = 0;
};

}  // namespace

void ReadRecordPairs(MainForm& form, std::int16_t N, const LogImage& log, PendingError& error,
                     const PairObserver& observer) {
  const bool partMinute = form["chkToBeMin"].value == 1;  // as the box stands at the load
  const char* bytes = log.bytes().data();
  const long whole = static_cast<long>(log.bytes().size() / static_cast<size_t>(kRecordLength));
  // After every pair the minutes and seconds are below 60, so the total is
  // kept in seconds and put back into the three fields when needed.
  long long total = inSeconds(form);
  bool counted = false;
  bool failed = false;
  bool quick = false;  // the last pair was a usual one
  // The records are worked as views into the file's bytes; only the last
  // texts, which are all that can be seen afterwards, go into the buffers.
  std::string_view start;
  std::string_view end;
  const bool telling = static_cast<bool>(observer);
  PairTeller teller(observer);
  long i = 3;
  for (; i + 1 <= N; i += 2) {
    const char* record = bytes + (i - 1) * kRecordLength;
    int days = 0;
    int startTime = 0;
    long long added = 0;
    quick = i + 1 <= whole && quickPair(record, record + kRecordLength, partMinute, days, startTime, added) &&
            days < kRiskyDays && total + added < kMostSeconds;
    if (quick) [[likely]] {
      total += added;
      counted = true;
      if (telling)
        teller.tell(PairReport{i, {record, 26}, {record + kRecordLength, 26}, PairOutcome::Counted, added, startTime});
      continue;
    }
    setTotal(form, total);
    start = log.recordView(i);
    end = log.recordView(i + 1);
    const std::string_view startShown = telling ? trimmed(start) : std::string_view();
    const std::string_view endShown = telling ? trimmed(end) : std::string_view();
    PairOutcome outcome = addPair(form, start, end, partMinute, error);
    added = inSeconds(form) - total;
    total += added;
    counted = counted || outcome == PairOutcome::Counted;
    if (telling) teller.tell(PairReport{i, startShown, endShown, outcome, added});
    if (outcome == PairOutcome::Failed) {
      failed = true;
      break;
    }
  }
  setTotal(form, total);
  if (quick) {
    // The last pair's time tails, as the general way leaves them.
    const char* record = bytes + (i - 3) * kRecordLength;
    start = {record + 7, kTimeTailLength};
    end = {record + kRecordLength + 7, kTimeTailLength};
    form.PairValid = true;
  }
  if (i > 3 || failed) {
    backInto(form.LoadRec, start);
    backInto(form.LoadEndRec, end);
  }
  if (!failed && i == N) {
    // A start record at the end without its end record: read, and nothing more.
    log.record(N, form.LoadRec);
    if (telling) teller.tell(PairReport{N, trimmed(log.recordView(N)), {}, PairOutcome::Unpaired, 0});
  }
  if (telling) teller.flush();
  // The total after the last good pair (a failed pair's sums were taken back).
  if (counted) showTotal(form);
}

}  // namespace tallix
