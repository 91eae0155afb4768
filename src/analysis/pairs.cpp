#include "analysis/pairs.h"

#include "store/numbers.h"
#include "store/record_file.h"

namespace tallix {
namespace {

constexpr std::string_view kStartMark = "start:";
constexpr std::string_view kEndMark = "_end :";
constexpr size_t kPairTextLength = 26;
constexpr size_t kTimeTailLength = 19;

// Trims blanks at both ends without giving up the string's storage.
void trimInPlace(std::string& text) {
  size_t end = text.find_last_not_of(' ');
  if (end == std::string::npos) {
    text.clear();
    return;
  }
  text.erase(end + 1);
  text.erase(0, text.find_first_not_of(' '));
}

// The numeric value of a two-character field as a whole number. Two digits
// are by far the usual case and are read directly; anything else takes the
// general rule, which gives the same answer for digits.
int fieldValue(std::string_view text, size_t at) {
  std::string_view field = text.substr(at, 2);
  if (field.size() == 2 && field[0] >= '0' && field[0] <= '9' && field[1] >= '0' && field[1] <= '9')
    return (field[0] - '0') * 10 + (field[1] - '0');
  return static_cast<int>(wholeValue(field));
}

bool addTo(std::int16_t& field, long long amount, PendingError& error) {
  return storeInt16(static_cast<long long>(field) + amount, field, error);
}

// Moves whole sixties of `lower` into `upper`.
bool carrySixties(std::int16_t& lower, std::int16_t& upper, PendingError& error) {
  if (lower < 60) return true;
  long long q = lower / 60;
  return addTo(upper, q, error) && addTo(lower, -60 * q, error);
}

long long inSeconds(const MainForm& form) {
  return static_cast<long long>(form.TotalHours) * 3600 + static_cast<long long>(form.TotalMinutes) * 60 +
         form.TotalSeconds;
}

// Puts a worked text back into its record buffer, padded to a whole record.
void backInto(std::string& buffer, const std::string& text) {
  buffer.assign(text, 0, static_cast<size_t>(kRecordLength));
  buffer.resize(static_cast<size_t>(kRecordLength), ' ');
}

void listPair(MainForm& form, const std::string& start, const std::string& end) {
  auto& items = form["List1"].items;
  items.push_back(start);
  items.push_back(end);
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
  if (form["chkToBeMin"].value == 1) {
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

bool AddMinutesPart(MainForm& form, int sS, int eS, int sM, int eM, int sH, int eH, PendingError& error) {
  if (eM > sM) {
    if (!addTo(form.TotalMinutes, eM - sM, error)) return false;
  } else if (eM < sM) {
    if (!addTo(form.TotalMinutes, 60 - sM + eM, error)) return false;
    form.HourBorrow = true;
  }
  if (!AddHoursPart(form, sH, eH, eH - sH, error)) return false;
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

bool AddHoursPart(MainForm& form, int sH, int eH, int hourDifference, PendingError& error) {
  if (hourDifference < 0) return addTo(form.TotalMinutes, (24LL - sH + eH) * 60, error);  // passed midnight
  if (hourDifference > 0) return addTo(form.TotalMinutes, (static_cast<long long>(eH) - sH) * 60, error);
  if (form.HourBorrow) {
    // Same hour, end minute before the start minute: all but one hour of a day.
    form.HourBorrow = false;
    return addTo(form.TotalMinutes, 1380, error);
  }
  return true;
}

PairOutcome AddConnectionTime(MainForm& form, std::string& start, std::string& end, PendingError& error) {
  form.PairValid = true;
  form.MinuteBorrow = false;
  form.HourBorrow = false;
  trimInPlace(start);
  trimInPlace(end);
  if (!end.starts_with(kEndMark) || !start.starts_with(kStartMark) || start.size() != kPairTextLength ||
      end.size() != kPairTextLength) {
    listPair(form, start, end);
    return PairOutcome::WrongShape;
  }
  const int days = fieldValue(start, 7);  // the day count, positions 8-9 of the start record
  start.erase(0, start.size() - kTimeTailLength);
  end.erase(0, end.size() - kTimeTailLength);

  const int sS = fieldValue(start, 17);
  const int eS = fieldValue(end, 17);
  CheckSixty(form, sS, eS);
  const int sM = fieldValue(start, 14);
  const int eM = fieldValue(end, 14);
  CheckSixty(form, sM, eM);
  const int sH = fieldValue(start, 11);
  const int eH = fieldValue(end, 11);
  if (sH < 0 || sH > 23 || eH < 0 || eH > 23) form.PairValid = false;
  if (!form.PairValid) {
    listPair(form, start, end);
    return PairOutcome::OutOfRange;
  }

  const std::int16_t hours = form.TotalHours;
  const std::int16_t minutes = form.TotalMinutes;
  const std::int16_t seconds = form.TotalSeconds;
  std::int16_t dayHours = 0;
  std::int16_t dayMinutes = 0;
  // The day count is worked in 16 bits as the total is: D * 24, then * 60.
  bool ok = AddSecondsPart(form, sS, eS, error) && AddMinutesPart(form, sS, eS, sM, eM, sH, eH, error) &&
            carrySixties(form.TotalSeconds, form.TotalMinutes, error) &&
            storeInt16(days * 24LL, dayHours, error) && storeInt16(dayHours * 60LL, dayMinutes, error) &&
            addTo(form.TotalMinutes, dayMinutes, error) && carrySixties(form.TotalMinutes, form.TotalHours, error);
  if (!ok) {
    form.TotalHours = hours;
    form.TotalMinutes = minutes;
    form.TotalSeconds = seconds;
    form.MinuteBorrow = false;
    form.HourBorrow = false;
    return PairOutcome::Failed;
  }
  form["lblUseTime"].caption = useTimeText(form.TotalHours, form.TotalMinutes, form.TotalSeconds);
  return PairOutcome::Counted;
}

void ReadRecordPairs(MainForm& form, std::int16_t N, const LogImage& log, PendingError& error,
                     const PairObserver& observer) {
  std::string start;
  std::string end;
  std::string startShown;
  std::string endShown;
  for (long i = 3; i <= N; ++i) {
    if (i % 2 != 0) {
      log.record(i, form.LoadRec);
      if (i == N && observer) {
        startShown = form.LoadRec;
        trimInPlace(startShown);
        observer(PairReport{i, startShown, {}, PairOutcome::Unpaired, 0});
      }
      continue;
    }
    log.record(i, form.LoadEndRec);
    start = form.LoadRec;
    end = form.LoadEndRec;
    long long before = 0;
    if (observer) {
      startShown = start;
      endShown = end;
      trimInPlace(startShown);
      trimInPlace(endShown);
      before = inSeconds(form);
    }
    PairOutcome outcome = AddConnectionTime(form, start, end, error);
    backInto(form.LoadRec, start);
    backInto(form.LoadEndRec, end);
    if (observer) observer(PairReport{i - 1, startShown, endShown, outcome, inSeconds(form) - before});
    if (outcome == PairOutcome::Failed) return;
  }
}

}  // namespace tallix
