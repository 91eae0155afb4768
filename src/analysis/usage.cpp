#include "analysis/usage.h"

#include <algorithm>
#include <map>
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

long long floorDiv(long long a, long long b) { return a / b - (a % b < 0 ? 1 : 0); }
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


void readConnection(const PairReport& pair, StampReader& stamps, UsageConnection& c) {
  c.startRecord = pair.startRecord;
  c.seconds = pair.seconds;
  const std::string_view stamp = tail(pair.startText, 17);
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

LogUsage readLogUsage(const std::string& folder, const std::string& name, bool partMinute) {
  QuietServices services;
  MainForm form(services, folder);
  form["File1"].items = {name};
  form["File1"].listIndex = 0;
  form["chkToBeMin"].value = partMinute ? 1 : 0;

  LogUsage usage;
  usage.name = name;
  usage.partMinute = partMinute;
  StampReader stamps;
  loadSelectedLog(
      form,
      [&usage, &stamps](const PairReport& pair) {
        if (pair.outcome != PairOutcome::Counted) return;
        // The records are counted by now: room for a connection a pair at once.
        if (usage.connections.empty()) usage.connections.reserve(static_cast<size_t>(usage.texts.records / 2));
        // Filled where it lies: one built elsewhere and copied in is read
        // back before its writes have settled, which costs more.
        readConnection(pair, stamps, usage.connections.emplace_back());
      },
      &usage.texts);
  usage.messages = std::move(services.messages);
  usage.totalSeconds = form.TotalHours * 3600LL + form.TotalMinutes * 60LL + form.TotalSeconds;
  usage.totalShown = form["lblUseTime"].caption;
  usage.abandoned = form["List1"].items;
  return usage;
}

DaySplit splitByDay(const LogUsage& usage) {
  // The period's days by their offset from its first day; a day outside it
  // (a connection that ran past its end, or a header that is no real day)
  // goes to the map.
  long long first = 0;
  std::vector<long long> inPeriod;
  std::map<long long, long long> others;
  const auto from = parseDate(usage.texts.from);
  const auto to = periodLastDay(usage.texts.to);
  if (from && to && dayNumber(*to) >= dayNumber(*from) && dayNumber(*to) - dayNumber(*from) < kLongestPeriodDays) {
    first = dayNumber(*from);
    inPeriod.assign(static_cast<size_t>(dayNumber(*to) - first + 1), 0);
  }
  auto add = [&](long long day, long long seconds) {
    const auto offset = static_cast<unsigned long long>(day - first);
    if (offset < inPeriod.size()) {
      inPeriod[static_cast<size_t>(offset)] += seconds;
    } else {
      others[day] += seconds;
    }
  };

  DaySplit split;
  for (const UsageConnection& c : usage.connections) {
    if (!c.dated) {
      split.undatedSeconds += c.seconds;
      continue;
    }
    const long long start = c.countedStart(usage.partMinute);
    long long day = floorDiv(start, kDay);
    long long at = start - day * kDay;
    for (long long left = c.seconds; left > 0; ++day, at = 0) {
      const long long share = std::min(left, kDay - at);  // up to the next midnight
      add(day, share);
      left -= share;
    }
  }
  // Calendar order: the days before the period, the period, the days after.
  auto other = others.begin();
  for (; other != others.end() && other->first < first; ++other)
    split.days.push_back({midnightOf(other->first), other->second});
  for (size_t i = 0; i < inPeriod.size(); ++i)
    split.days.push_back({midnightOf(first + static_cast<long long>(i)), inPeriod[i]});
  for (; other != others.end(); ++other) split.days.push_back({midnightOf(other->first), other->second});
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
