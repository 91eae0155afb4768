#include "app/budget.h"

#include <algorithm>
#include <optional>

#include "analysis/cost.h"
#include "analysis/forecast.h"
#include "analysis/pairs.h"
#include "analysis/usage.h"
#include "analysis/volume_cost.h"
#include "app/period_outlook.h"
#include "form/connection_record.h"
#include "form/sentences.h"
#include "monitor/tick.h"
#include "store/file_system.h"
#include "store/numbers.h"
#include "store/settings_file.h"
#include "store/text_forms.h"
#include "store/volume_file.h"

namespace tallix {
namespace {

constexpr long long kHour = 3600;

// The two limits of the Settings view: each has its record in tallix.ini,
// its notices and its box, and shares everything else.
enum class Limit { Time, Data };
constexpr Limit kLimits[] = {Limit::Time, Limit::Data};

LimitNotices& noticesOf(BudgetState& b, Limit limit) {
  return limit == Limit::Time ? b.timeNotices : b.dataNotices;
}

void saveLimit(MainForm& form, Limit limit) {
  PendingError ignored;  // failures on tallix.ini are skipped silently
  const BudgetState& b = form.budget;
  if (limit == Limit::Time)
    writeSettingsRecord(form.file(kSettingsFile), 3, {std::string(kBudgetLabel), b.hours, b.timeNotices.warned},
                        ignored);
  else
    writeSettingsRecord(form.file(kSettingsFile), kDataAllowanceRecord,
                        {std::string(kDataAllowanceLabel), b.allowanceTenths, b.dataNotices.warned}, ignored);
}

// The share the Calculation view would give the open connection if its end
// record were written at `now`: the pair reader's own rule.
long long openShare(const MainForm& form, const DateTime& now) {
  return pairSeconds(startRecordText(form.StartLine, form.DaysSpanned), endRecordText(stampText(now)),
                     {form.partMinute()})
      .value_or(0);
}

// The open connection's cost if it ended at `now` after `seconds`: its time
// part, and its volume part from the bytes counted so far, after what the
// closed connections used of the period's allowance.
PeriodVolumePricer::Part openCents(const MainForm& form, long long seconds) {
  const BudgetState& b = form.budget;
  PeriodVolumePricer volume(*form.tariff, b.closedVolume.total(), b.volumePartial);
  const std::optional<Volume> counted =
      form.volume.known ? std::optional<Volume>(form.volume.counted) : std::nullopt;
  PeriodVolumePricer::Part part = volume.prices() ? volume.next(counted) : PeriodVolumePricer::Part{};
  std::optional<DateTime> start = parseStamp(right(form.StartLine, 19));
  if (!start) return part;
  if (form.partMinute()) start->second = 0;
  part.cents = addCents(part.cents, connectionCents(*form.tariff, toSerialSeconds(*start), true, seconds));
  return part;
}

// The closed connections' bytes, from the volume file the Usage reading of
// CountRec.zvt has already matched to them. A damaged file is told once
// (until it changes), and never stops the time's totals.
void countClosedVolume(MainForm& form, const LogUsage& usage) {
  BudgetState& b = form.budget;
  if (usage.volumeState == VolumeReading::State::Damaged && usage.volumeProblem != b.volumeProblemTold) {
    b.volumeProblemTold = usage.volumeProblem;
    AnswerOk(form, std::string(kVolumeFileDamaged) + volumeFileOf(kCountRecZvt) + ": " + usage.volumeProblem +
                       std::string(kVolumeFileDamagedTail));
  }
  for (size_t i = 0; i < usage.connections.size(); ++i) {
    if (form.Recording && usage.connections[i].startRecord == form.EndRecNo - 1) continue;
    if (i >= usage.volumes.size() || !usage.volumes[i]) {
      b.volumePartial = true;
      continue;
    }
    b.volumeSeen = true;
    b.closedVolume.received += usage.volumes[i]->received;
    b.closedVolume.sent += usage.volumes[i]->sent;
  }
}

// The period's bytes so far: the closed connections' and the open one's as
// counted. A period without connections has used 0 bytes.
std::optional<VolumeSoFar> volumeSoFar(const MainForm& form) {
  const BudgetState& b = form.budget;
  const bool open = form.Recording && form.volume.known;
  const bool partial = b.volumePartial || (form.Recording && !form.volume.known);
  if (!b.volumeSeen && !open && partial) return std::nullopt;
  return VolumeSoFar{b.closedVolume.total() + (open ? form.volume.counted.total() : 0), partial};
}

// Totals CountRec.zvt as the Calculation view does, leaving out the open
// connection's pair (its share is worked out from the clock instead).
void recount(MainForm& form) {
  BudgetState& b = form.budget;
  b.closedSeconds = 0;
  b.closedCents = 0;
  b.closedCentsAtLeast = false;
  b.periodFrom.clear();
  b.periodTo.clear();
  b.closedVolume = {};
  b.volumeSeen = false;
  b.volumePartial = false;
  if (fileExists(form.file(kCountRecZvt))) {
    const LogUsage usage = readLogUsage(form.AppPath, std::string(kCountRecZvt), form.partMinute(), form.tariff);
    // A read that failed is told as the Calculation view's Load tells it (a
    // file it calls foreign is already refused by the period reload).
    for (const std::string& message : usage.load.messages)
      if (message.starts_with(kLoadingData)) AnswerOk(form, message);
    b.closedSeconds = usage.totalSeconds();
    b.periodFrom = usage.load.from;
    b.periodTo = usage.load.to;
    b.closedCents = usage.cost ? usage.cost->totalCents : 0;
    for (size_t i = 0; i < usage.connections.size(); ++i) {
      if (form.Recording && usage.connections[i].startRecord == form.EndRecNo - 1) {
        b.closedSeconds -= usage.connections[i].seconds;
        if (usage.cost) b.closedCents -= usage.cost->cents[i];
      } else if (usage.cost && usage.cost->costAtLeast(i)) {
        b.closedCentsAtLeast = true;
      }
    }
    countClosedVolume(form, usage);
  }
  b.counted = true;
  b.periodsSeen = form.periodsBegun;
  b.recordingSeen = form.Recording;
  b.partMinuteSeen = form.partMinute();
}

// The warnings an amount so far has reached of a limit: nothing without one.
std::int16_t reached(std::int64_t limit, std::int64_t used) {
  if (limit <= 0) return 0;
  std::int16_t marks = 0;
  if (used * 5 >= limit * 4) marks |= kWarned80;
  if (used >= limit) marks |= kWarned100;
  return marks;
}

// The marks a limit has reached now; the data's only as far as it is known
// (bytes that are "at least" so many reach a mark all the same).
std::int16_t reachedNow(const MainForm& form, Limit limit, long long seconds) {
  const BudgetState& b = form.budget;
  if (limit == Limit::Time) return reached(b.hours * kHour, seconds);
  const std::optional<VolumeSoFar> v = volumeSoFar(form);
  return v ? reached(static_cast<std::int64_t>(b.allowanceBytes()), static_cast<std::int64_t>(v->bytes)) : 0;
}

// A notice's words: which mark, and how far the period has come.
std::string noticeText(const MainForm& form, Limit limit, std::int16_t fresh, long long seconds) {
  const BudgetState& b = form.budget;
  const bool full = (fresh & kWarned100) != 0;
  if (limit == Limit::Time)
    return std::string(full ? kBudget100Notice : kBudget80Notice) + hoursMinutesText(seconds) + " of " +
           std::to_string(b.hours) + " hr online this period";
  const VolumeSoFar v = volumeSoFar(form).value_or(VolumeSoFar{});
  return std::string(full ? kData100Notice : kData80Notice) + (v.atLeast ? "at least " : "") + bytesText(v.bytes) +
         " of " + allowanceText(b.allowanceTenths) + " this period";
}

// The period line with its cost, the volume's line, and the outlook's lines
// of both.
void showTime(MainForm& form, long long seconds, const DateTime& now) {
  const BudgetState& b = form.budget;
  std::string text;
  std::string volumeText;
  OutlookLines outlook;
  OutlookLines volumeOutlook;
  if (fileExists(form.file(kCountRecZvt))) {
    text = std::string(kPeriodTimeLabel) + hoursMinutesText(seconds);
    if (b.hours > 0) text += " of " + std::to_string(b.hours) + " hr";
    std::optional<std::int64_t> cents;
    if (form.tariff) {
      const PeriodVolumePricer::Part open =
          form.Recording ? openCents(form, seconds - b.closedSeconds) : PeriodVolumePricer::Part{};
      cents = addCents(b.closedCents, open.cents);
      text += ", " + moneyText(*cents, form.tariff->currency, b.closedCentsAtLeast || open.atLeast);
    }
    const std::optional<VolumeSoFar> volume = volumeSoFar(form);
    volumeText = periodVolumeLine(volume, b.allowanceTenths);
    const std::string currency = form.tariff ? form.tariff->currency : std::string();
    if (const auto period = periodDays(b.periodFrom, b.periodTo)) {
      const Outlook pace = periodOutlook(seconds, *period, now, b.hours);
      outlook = outlookLines(pace, cents, currency, period->last, b.hours);
      volumeOutlook = volumeOutlookLines(pace, volume, period->last, b.allowanceTenths);
    }
  }
  form[form1::lblPeriodTime].caption = text;
  form[form1::lblForecast].caption = outlook.forecast;
  form[form1::lblAllowance].caption = outlook.allowance;
  form[form1::lblPeriodVolume].caption = volumeText;
  form[form1::lblVolumeForecast].caption = volumeOutlook.forecast;
  form[form1::lblVolumeAllowance].caption = volumeOutlook.allowance;
  ++form.budget.linesMade;
}

// Hands the desktop a notice of the marks each limit has reached that no
// notice has told yet: the biggest one alone when both come at once. A mark
// counts as told, in tallix.ini too, only once the desktop took its notice;
// until then it is offered again at each refresh, and when a way to show it
// appears.
void giveNotices(MainForm& form, long long seconds) {
  for (Limit limit : kLimits) {
    LimitNotices& n = noticesOf(form.budget, limit);
    const auto fresh = static_cast<std::int16_t>(reachedNow(form, limit, seconds) & ~n.warned);
    if (fresh == 0 || n.asked != 0) continue;
    n.asked = fresh;
    const std::uint32_t round = n.round;
    form.services->showNotice(std::string(kProgramTitle), noticeText(form, limit, fresh, seconds),
                              [&form, limit, fresh, round](bool delivered) {
                                LimitNotices& state = noticesOf(form.budget, limit);
                                if (state.round != round) return;  // for a closed period or a changed limit
                                state.asked = 0;
                                if (!delivered) return;
                                state.warned = static_cast<std::int16_t>(state.warned | fresh);
                                saveLimit(form, limit);
                              });
  }
}

// The warnings so far are done with (a new period, a new limit): an answer
// still on its way is for them.
void newNoticeRound(LimitNotices& n, std::int16_t warned) {
  ++n.round;
  n.asked = 0;
  n.warned = warned;
}

// A new period: the warnings of the closed one are done with, in tallix.ini too.
void clearNotices(MainForm& form) {
  for (Limit limit : kLimits) {
    LimitNotices& n = noticesOf(form.budget, limit);
    const bool stored = n.warned != 0;
    newNoticeRound(n, 0);
    if (stored) saveLimit(form, limit);
  }
}

// Shows the labels and gives the notices newly reached.
void refresh(MainForm& form, const DateTime& now) {
  BudgetState& b = form.budget;
  const long long seconds = periodSecondsSoFar(form, now);
  b.minuteShown = now.minute;
  showTime(form, seconds, now);
  giveNotices(form, seconds);
}

// What a limit's box shows: the limit in force, empty for none.
std::string boxText(const BudgetState& b, Limit limit) {
  if (limit == Limit::Data) return allowanceNumberText(b.allowanceTenths);
  return b.hours > 0 ? std::to_string(b.hours) : "";
}

// A limit typed into the Settings view: a new one warns only of marks passed
// from now on; the same one changes nothing.
void setLimit(MainForm& form, Limit limit, std::int16_t value) {
  BudgetState& b = form.budget;
  std::int16_t& stored = limit == Limit::Time ? b.hours : b.allowanceTenths;
  if (value == stored) return;
  stored = value;
  const DateTime now = form.services->now();
  const long long seconds = periodSecondsSoFar(form, now);
  newNoticeRound(noticesOf(b, limit), reachedNow(form, limit, seconds));
  saveLimit(form, limit);
  showTime(form, seconds, now);
}

// The box of a limit has lost the focus: a number it takes is the new
// limit, anything else is told; the box then shows the limit in force.
void takeLimitBox(MainForm& form, Limit limit) {
  const bool time = limit == Limit::Time;
  Control& box = form[time ? form1::txtBudget : form1::txtAllowance];
  const std::optional<std::int16_t> value = time ? parseBudgetHours(box.caption) : parseAllowanceTenths(box.caption);
  if (value)
    setLimit(form, limit, *value);
  else
    AnswerOk(form, time ? kBudgetInvalid : kAllowanceInvalid);
  box.caption = boxText(form.budget, limit);
}

}  // namespace

std::optional<std::int16_t> parseBudgetHours(std::string_view typed) {
  const std::string text = trim(std::string(typed));
  if (text.empty()) return std::int16_t{0};
  if (text.size() > 3 || !std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; }))
    return std::nullopt;
  const int hours = std::stoi(text);
  if (hours > kMostBudgetHours) return std::nullopt;
  return static_cast<std::int16_t>(hours);
}

std::optional<std::int16_t> parseAllowanceTenths(std::string_view typed) {
  std::string text = trim(std::string(typed));
  // "10 GB" and "10GB" are the number the row asks for.
  if (text.empty()) return std::int16_t{0};
  if (text.size() >= 2 && (text[text.size() - 2] | 0x20) == 'g' && (text.back() | 0x20) == 'b')
    text = trim(text.substr(0, text.size() - 2));
  const size_t point = text.find_first_of(".,");
  const std::string whole = text.substr(0, point);
  const std::string tenth = point == std::string::npos ? "" : text.substr(point + 1);
  auto digits = [](const std::string& t) {
    return std::all_of(t.begin(), t.end(), [](char c) { return c >= '0' && c <= '9'; });
  };
  if (whole.size() > 4 || tenth.size() > 1 || (whole.empty() && tenth.empty()) || !digits(whole) || !digits(tenth))
    return std::nullopt;
  const int tenths = (whole.empty() ? 0 : std::stoi(whole)) * 10 + (tenth.empty() ? 0 : tenth[0] - '0');
  if (tenths > kMostAllowanceTenths) return std::nullopt;
  return static_cast<std::int16_t>(tenths);
}

std::string hoursMinutesText(long long seconds) {
  const long long minutes = std::max(0LL, seconds) / 60;
  const long long m = minutes % 60;
  return std::to_string(minutes / 60) + " hr " + (m < 10 ? "0" : "") + std::to_string(m) + " min";
}

long long periodSecondsSoFar(MainForm& form, const DateTime& now) {
  const BudgetState& b = form.budget;
  if (!b.counted || b.periodsSeen != form.periodsBegun || b.recordingSeen != form.Recording ||
      b.partMinuteSeen != form.partMinute())
    recount(form);
  return form.budget.closedSeconds + (form.Recording ? openShare(form, now) : 0);
}

void startBudget(MainForm& form, bool periodBegunDuringLoad) {
  BudgetState& b = form.budget;
  if (b.hours < 0 || b.hours > kMostBudgetHours) b.hours = 0;
  if (b.allowanceTenths < 0 || b.allowanceTenths > kMostAllowanceTenths) b.allowanceTenths = 0;
  form[form1::txtBudget].caption = boxText(b, Limit::Time);
  form[form1::txtAllowance].caption = boxText(b, Limit::Data);
  if (periodBegunDuringLoad) clearNotices(form);
  b.counted = false;
  b.periodsSeen = form.periodsBegun;
  refresh(form, form.services->now());
}

void Timer1_TickAndBudget(MainForm& form) {
  const std::uint32_t periods = form.periodsBegun;
  Timer1_Timer(form);
  BudgetState& b = form.budget;
  if (form.periodsBegun != periods) clearNotices(form);
  const DateTime now = *form.lastTickTime;
  const bool shapeChanged = !b.counted || b.periodsSeen != form.periodsBegun || b.recordingSeen != form.Recording ||
                            b.partMinuteSeen != form.partMinute();
  // Once a minute at least: the open connection grows, and the outlook
  // moves with the clock even offline.
  if (shapeChanged || now.minute != b.minuteShown) refresh(form, now);
}

void refreshPeriodTime(MainForm& form) { refresh(form, form.services->now()); }

void giveDueNotice(MainForm& form) { giveNotices(form, periodSecondsSoFar(form, form.services->now())); }

void txtBudget_LostFocus(MainForm& form) { takeLimitBox(form, Limit::Time); }

void txtAllowance_LostFocus(MainForm& form) { takeLimitBox(form, Limit::Data); }

}  // namespace tallix
