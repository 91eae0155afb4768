#include "analysis/pairs.h"

#include <array>
#include <cstdint>
#include <span>

#include "store/digit_groups.h"
#include "store/numbers.h"
#include "store/record_file.h"
#include "store/date_time.h"

namespace tallix {
namespace {

constexpr std::string_view kStartMark = "start:";
constexpr std::string_view kEndMark = "_end :";
constexpr size_t kPairTextLength = 26;
constexpr size_t kTimeTailLength = 19;

// The numeric value of the two characters at `field` as a whole number. Two
// digits are by far the usual case and are read directly; anything else
// takes the general rule, which gives the same answer for digits.
inline int fieldValue(const char* field) {
  const unsigned tens = static_cast<unsigned char>(field[0]) - unsigned{'0'};
  const unsigned ones = static_cast<unsigned char>(field[1]) - unsigned{'0'};
  if (tens < 10 && ones < 10) [[likely]]
    return static_cast<int>(tens * 10 + ones);
  return static_cast<int>(wholeValue(std::string_view(field, 2)));
}

inline bool twoDigits(const char* field) {
  return static_cast<unsigned char>(field[0]) - unsigned{'0'} < 10 &&
         static_cast<unsigned char>(field[1]) - unsigned{'0'} < 10;
}

// Both numbers lie within 0 to 59.
inline bool CheckSixty(int a, int b) { return a >= 0 && a <= 59 && b >= 0 && b <= 59; }

// Adds to a 16-bit total; a sum out of its range is an overflow.
inline bool addTo(std::int16_t& field, long long amount, PendingError& error) {
  const long long sum = field + amount;
  if (static_cast<unsigned long long>(sum - INT16_MIN) <= UINT16_MAX) {  // INT16_MIN <= sum <= INT16_MAX
    field = static_cast<std::int16_t>(sum);
    return true;
  }
  return storeInt16(sum, field, error);  // records the overflow
}

// Moves whole sixties of `lower` into `upper`.
bool carrySixties(std::int16_t& lower, std::int16_t& upper, PendingError& error) {
  if (lower < 60) return true;
  const long long q = lower / 60;
  return addTo(upper, q, error) && addTo(lower, -60 * q, error);
}

// One pair's times of day, read from its two time tails, and the steps that
// add its duration to the total in the view's own order: seconds, minutes,
// hours, each borrowing from the next where the end's field is the smaller.
struct PairSteps {
  PairTotal& total;
  PendingError& error;
  int sH, sM, sS, eH, eM, eS;
  bool minuteBorrow = false;
  bool hourBorrow = false;

  bool AddSecondsPart(bool partMinute) {
    if (partMinute) {
      // The start's seconds are dropped and an end inside a minute counts that minute.
      return eS == 0 || addTo(total.minutes, 1, error);
    }
    if (eS > sS) return addTo(total.seconds, eS - sS, error);
    if (eS < sS) {
      minuteBorrow = true;
      return addTo(total.seconds, 60 - sS + eS, error);
    }
    return true;
  }

  bool AddHoursPart() {
    if (eH < sH) return addTo(total.minutes, (24LL - sH + eH) * 60, error);  // passed midnight
    if (eH > sH) return addTo(total.minutes, (static_cast<long long>(eH) - sH) * 60, error);
    if (hourBorrow) {
      // Same hour, end minute before the start minute: all but one hour of a day.
      hourBorrow = false;
      return addTo(total.minutes, 1380, error);
    }
    return true;
  }

  bool AddMinutesPart() {
    if (eM > sM) {
      if (!addTo(total.minutes, eM - sM, error)) return false;
    } else if (eM < sM) {
      if (!addTo(total.minutes, 60 - sM + eM, error)) return false;
      hourBorrow = true;
    }
    if (!AddHoursPart()) return false;
    if (minuteBorrow) {
      // Within one minute of the same hour an end before the start counts as
      // nothing: take the seconds back instead of borrowing a minute.
      minuteBorrow = false;
      const bool ok = (eM == sM && eH == sH) ? addTo(total.seconds, -(60 - sS + eS), error)
                                             : addTo(total.minutes, -1, error);
      if (!ok) return false;
    }
    if (hourBorrow) {
      hourBorrow = false;
      return addTo(total.minutes, -60, error);
    }
    return true;
  }

  // The whole days of a start record's day count, worked in 16 bits as the
  // total is: D * 24, then * 60, then added to the minutes.
  bool daysPart(int days) {
    std::int16_t dayHours = 0;
    std::int16_t dayMinutes = 0;
    return addTo(dayHours, days * 24LL, error) && addTo(dayMinutes, dayHours * 60LL, error) &&
           addTo(total.minutes, dayMinutes, error);
  }
};

}  // namespace

std::string useTimeText(const PairTotal& total) {
  std::string text(kTotalTimeFilled);
  text += std::to_string(total.hours);
  text += " : ";
  text += std::to_string(total.minutes);
  text += " : ";
  text += std::to_string(total.seconds);
  return text;
}

PairOutcome AddConnectionTime(PairTotal& total, std::string_view& start, std::string_view& end,
                              const PairOptions& options, PendingError& error) {
  start = trimmed(start);
  end = trimmed(end);
  if (!end.starts_with(kEndMark) || !start.starts_with(kStartMark) || start.size() != kPairTextLength ||
      end.size() != kPairTextLength)
    return PairOutcome::WrongShape;
  // Both texts are 26 characters long from here on.
  // The day count, positions 8-9 of the start record, must be two digits: a
  // sign or a blank there would count negative or shifted days.
  const bool daysReadable = twoDigits(start.data() + 7);
  const int days = daysReadable ? fieldValue(start.data() + 7) : 0;
  start.remove_prefix(start.size() - kTimeTailLength);
  end.remove_prefix(end.size() - kTimeTailLength);

  // In the last 19 characters: hours at 12-13, minutes at 15-16, seconds at 18-19.
  PairSteps steps{total,
                  error,
                  fieldValue(start.data() + 11),
                  fieldValue(start.data() + 14),
                  fieldValue(start.data() + 17),
                  fieldValue(end.data() + 11),
                  fieldValue(end.data() + 14),
                  fieldValue(end.data() + 17)};
  if (!daysReadable || !CheckSixty(steps.sS, steps.eS) || !CheckSixty(steps.sM, steps.eM) || steps.sH < 0 ||
      steps.sH > 23 || steps.eH < 0 || steps.eH > 23)
    return PairOutcome::OutOfRange;

  const PairTotal before = total;
  const bool ok = steps.AddSecondsPart(options.partMinute) && steps.AddMinutesPart() &&
                  carrySixties(total.seconds, total.minutes, error) && (days == 0 || steps.daysPart(days)) &&
                  carrySixties(total.minutes, total.hours, error);
  if (!ok) {
    total = before;
    return PairOutcome::Failed;
  }
  return PairOutcome::Counted;
}

std::optional<long long> pairSeconds(std::string_view start, std::string_view end, const PairOptions& options) {
  PairTotal total;
  PendingError error;
  if (AddConnectionTime(total, start, end, options, error) != PairOutcome::Counted) return std::nullopt;
  return total.inSeconds();
}

namespace {

// How the usual pair's records begin, six bytes of each.
constexpr std::uint64_t kSixBytes = 0xFFFF'FFFF'FFFFULL;
const std::uint64_t kStartWord = eightBytes("start:  ") & kSixBytes;
const std::uint64_t kEndWord = eightBytes("_end :  ") & kSixBytes;

// Not zero unless the record's first 26 characters are its text: it begins
// with `mark` and its last three characters are blanks. Its 26th character,
// the last digit of its seconds, is checked with the time of day.
inline std::uint64_t notUsualShape(const char* record, std::uint64_t mark) {
  return ((eightBytes(record) & kSixBytes) ^ mark) | ((eightBytes(record + 21) >> 40) ^ 0x20'2020);
}

// A time of day's numbers, paired up as digitPairs gives them ("hh:mm:ss":
// hours in byte 0, minutes in byte 3, seconds in byte 6). One
// multiplication puts hours * 60 + minutes in bytes 3 and 4, where nothing
// else reaches.
constexpr std::uint64_t kHourAndMinute = 0x0000'0000'FF00'00FFULL;
inline int minuteOfDay(std::uint64_t pairs) {
  return static_cast<int>(((pairs & kHourAndMinute) * ((60ULL << 24) | 1)) >> 24 & 0xFFFF);
}
inline int secondOf(std::uint64_t pairs) { return static_cast<int>(pairs >> 48 & 0xFF); }

}  // namespace

std::optional<UsualPair> parseUsualPair(const char* start, const char* end) {
  const unsigned tens = static_cast<unsigned char>(start[7]) - unsigned{'0'};
  const unsigned ones = static_cast<unsigned char>(start[8]) - unsigned{'0'};
  std::uint64_t from = 0;
  std::uint64_t to = 0;
  // The times of day at position 19, "hh:mm:ss", both read and range checked together.
  const bool times = readTimesOfDay(start + 18, end + 18, from, to);
  if (!times || (notUsualShape(start, kStartWord) | notUsualShape(end, kEndWord) | (tens > 9) | (ones > 9)) != 0)
    return std::nullopt;
  return UsualPair{static_cast<int>(tens * 10 + ones), minuteOfDay(from), secondOf(from), minuteOfDay(to),
                   secondOf(to)};
}

// The time of day counts forward from the start to the end, passing
// midnight at most once, except that an end a few seconds before the start
// in the same minute counts nothing; under the part-minute setting the
// start's seconds are dropped and an end inside a minute counts that minute.
long long UsualPair::seconds(bool partMinute) const {
  int added = 0;
  if (partMinute) {
    const int minutes = endMinute - startMinute;
    added = ((minutes < 0 ? minutes + 1440 : minutes) + (endSecond != 0 ? 1 : 0)) * 60;
  } else {
    const int s = startTime();
    const int e = endTime();
    added = e >= s ? e - s : startMinute == endMinute ? 0 : e - s + static_cast<int>(kDay);
  }
  return added + days * kDay;
}

namespace {

// The day counts from which the day step's 16-bit minutes may overflow, and
// the most seconds the hours can hold: a pair that could reach either takes
// the step-by-step way, which fails where it must.
constexpr int kRiskyDays = 22;
constexpr long long kMostSeconds = (INT16_MAX + 1LL) * 3600;

PairTotal totalOf(long long seconds) {
  return {static_cast<std::int16_t>(seconds / 3600), static_cast<std::int16_t>(seconds / 60 % 60),
          static_cast<std::int16_t>(seconds % 60)};
}

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

PairsRead ReadRecordPairs(const LogImage& log, std::int16_t N, const PairOptions& options, PendingError& error,
                          const PairObserver& observer) {
  PairsRead read;
  const char* bytes = log.bytes().data();
  const long whole = static_cast<long>(log.bytes().size() / static_cast<size_t>(kRecordLength));
  // The usual pairs are read in place and summed in seconds; every other
  // pair takes the steps one by one on the 16-bit total.
  long long total = 0;
  const bool telling = static_cast<bool>(observer);
  PairTeller teller(observer);
  long i = 3;
  for (; i + 1 <= N; i += 2) {
    const char* record = bytes + (i - 1) * kRecordLength;
    if (i + 1 <= whole) [[likely]] {
      const std::optional<UsualPair> usual = parseUsualPair(record, record + kRecordLength);
      const long long added = usual ? usual->seconds(options.partMinute) : 0;
      if (usual && usual->days < kRiskyDays && total + added < kMostSeconds) [[likely]] {
        total += added;
        read.counted = true;
        if (telling)
          teller.tell(PairReport{i, {record, kPairTextLength}, {record + kRecordLength, kPairTextLength},
                                 PairOutcome::Counted, added, usual->startTime()});
        continue;
      }
    }
    PairTotal stepped = totalOf(total);
    std::string_view start = log.recordView(i);
    std::string_view end = log.recordView(i + 1);
    const std::string_view startShown = trimmed(start);
    const std::string_view endShown = trimmed(end);
    const PairOutcome outcome = AddConnectionTime(stepped, start, end, options, error);
    const long long added = stepped.inSeconds() - total;
    total += added;
    if (outcome == PairOutcome::Counted) read.counted = true;
    if (outcome == PairOutcome::WrongShape || outcome == PairOutcome::OutOfRange) {
      read.abandoned.emplace_back(start);
      read.abandoned.emplace_back(end);
    }
    if (telling) teller.tell(PairReport{i, startShown, endShown, outcome, added});
    if (outcome == PairOutcome::Failed) {
      read.failed = true;
      break;
    }
  }
  // A start record at the end without its end record counts nothing.
  if (!read.failed && i == N && telling)
    teller.tell(PairReport{N, trimmed(log.recordView(N)), {}, PairOutcome::Unpaired, 0});
  if (telling) teller.flush();
  read.total = totalOf(total);
  return read;
}

}  // namespace tallix
