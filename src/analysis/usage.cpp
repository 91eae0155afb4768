#include "analysis/usage.h"

#include <algorithm>
#include <span>
#include <vector>

#include "analysis/pairs.h"
#include "form/main_form.h"
#include "form/services.h"
#include "store/numbers.h"
#include "store/text_forms.h"

namespace tallix {
namespace {

constexpr long long kDay = 86400;
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


void readStart(std::string_view stamp, StampReader& stamps, UsageConnection& c) {
  c.dated = stamps.readSeconds(stamp, c.startSeconds);
  if (!c.dated) {
    // A start that is no real date still has a time of day in range (the
    // pair was counted): "yy/mm/dd hh:mm:ss".
    auto two = [&stamp](size_t at) { return at + 2 <= stamp.size() ? wholeValue(stamp.substr(at, 2)) : 0; };
    c.startSeconds = two(9) * 3600LL + two(12) * 60LL + two(15);
  }
}

std::string_view LogUsage::startStamp(const UsageConnection& c) const {
  return tail(trimmed(texts.log.recordView(c.startRecord)), 17);
}

std::string_view LogUsage::endStamp(const UsageConnection& c) const {
  return tail(trimmed(texts.log.recordView(c.startRecord + 1)), 19);
}

LogUsage readLogUsage(const std::string& folder, const std::string& name, bool partMinute,
                      const std::optional<Tariff>& tariff) {
  QuietServices services;
  MainForm form(services, folder);
  form["File1"].items = {name};
  form["File1"].listIndex = 0;
  form["chkToBeMin"].value = partMinute ? 1 : 0;

  LogUsage usage;
  usage.name = name;
  usage.partMinute = partMinute;
  StampReader stamps;
  std::optional<DaySplitter> days;  // once the headers have named the period
  // The last start's date in serial seconds, its day number and where that
  // day begins in its week: a log's starts run in order, so dates repeat.
  long long date = -1;
  long long day = 0;
  long long dayInWeek = 0;
  std::optional<LogPricer> pricer;
  if (tariff) {
    pricer.emplace(*tariff);
    usage.cost.emplace();
  }
  // Each connection is split by day and priced as it is read: one pass.
  loadSelectedLog(
      form,
      [&](std::span<const PairReport> pairs) {
        if (!days) {
          days.emplace(usage.texts.from, usage.texts.to);
          // The records are counted by now: room for a connection a pair at once.
          const auto most = static_cast<size_t>(usage.texts.records / 2);
          usage.connections.reserve(most);
          if (pricer) usage.cost->cents.reserve(most);
        }
        std::int64_t batchCents = 0;
        for (const PairReport& pair : pairs) {
          if (pair.outcome != PairOutcome::Counted) continue;
          // Filled where it lies: one built elsewhere and copied in is read
          // back before its writes have settled, which costs more.
          UsageConnection& c = usage.connections.emplace_back();
          readConnection(pair, stamps, c);
          std::int64_t cents = 0;
          if (c.dated && pair.startTime >= 0) [[likely]] {
            // The usual pair: its date and its time of day come apart, so
            // the day and the week need no division of its own.
            if (c.startSeconds - pair.startTime != date) {
              date = c.startSeconds - pair.startTime;
              day = date / kDay - (date % kDay < 0 ? 1 : 0);
              dayInWeek = (day % 7 + 7) % 7 * kDay;
            }
            const int at = partMinute ? pair.startTime - pair.startTime % 60 : pair.startTime;
            days->add(day, at, c.seconds);
            if (pricer) cents = pricer->centsInWeek(dayInWeek + at, true, c.seconds);
          } else {
            days->add(c, partMinute);
            if (pricer) cents = pricer->cents(c.countedStart(partMinute), c.dated, c.seconds);
          }
          if (pricer) {
            usage.cost->cents.push_back(cents);
            batchCents += cents;
          }
        }
        if (pricer) usage.cost->totalCents += batchCents;
      },
      &usage.texts);
  if (!days) days.emplace(usage.texts.from, usage.texts.to);
  usage.days = days->take();
  usage.messages = std::move(services.messages);
  usage.totalSeconds = form.TotalHours * 3600LL + form.TotalMinutes * 60LL + form.TotalSeconds;
  usage.totalShown = form["lblUseTime"].caption;
  usage.abandoned = form["List1"].items;
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

DaySplit DaySplitter::take() const {
  DaySplit split;
  split.undatedSeconds = undated_;
  auto other = others_.begin();
  for (; other != others_.end() && other->first < first_; ++other)
    split.days.push_back({midnightOf(other->first), other->second});
  for (size_t i = 0; i < inPeriod_.size(); ++i)
    split.days.push_back({midnightOf(first_ + static_cast<long long>(i)), inPeriod_[i]});
  for (; other != others_.end(); ++other) split.days.push_back({midnightOf(other->first), other->second});
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
