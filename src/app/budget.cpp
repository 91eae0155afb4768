#include "app/budget.h"

#include <algorithm>
#include <optional>

#include "analysis/cost.h"
#include "analysis/forecast.h"
#include "analysis/pairs.h"
#include "analysis/usage.h"
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

void saveBudget(MainForm& form) {
  PendingError ignored;  // failures on tallix.ini are skipped silently
  writeSettingsRecord(form.file(kSettingsFile), 3, {std::string(kBudgetLabel), form.budget.hours, form.budget.warned},
                      ignored);
}

// The share the Calculation view would give the open connection if its end
// record were written at `now`: the pair reader's own rule.
long long openShare(const MainForm& form, const DateTime& now) {
  return pairSeconds(startRecordText(form.StartLine, form.DaysSpanned), endRecordText(stampText(now)),
                     {form.partMinute()})
      .value_or(0);
}

// The open connection's cost if it ended at `now` after `seconds`.
std::int64_t openCents(const MainForm& form, long long seconds) {
  std::optional<DateTime> start = parseStamp(right(form.StartLine, 19));
  if (!start) return 0;
  if (form.partMinute()) start->second = 0;
  return connectionCents(*form.tariff, toSerialSeconds(*start), true, seconds);
}

// The closed connections' bytes from CountRec.zvt's volume file. A damaged
// file is told once (until it changes), and never stops the time's totals.
void countClosedVolume(MainForm& form, const LogUsage& usage) {
  BudgetState& b = form.budget;
  b.closedVolume = {};
  b.volumeSeen = false;
  b.volumePartial = false;
  const VolumeReading reading = readVolumeFile(form.file(kCountRecZvt));
  if (reading.state == VolumeReading::State::Damaged && reading.problem != b.volumeProblemTold) {
    b.volumeProblemTold = reading.problem;
    AnswerOk(form, std::string(kVolumeFileDamaged) + volumeFileOf(kCountRecZvt) + ": " + reading.problem +
                       std::string(kVolumeFileDamagedTail));
  }
  if (reading.state != VolumeReading::State::Read) return;
  for (const UsageConnection& c : usage.connections) {
    if (form.Recording && c.startRecord == form.EndRecNo - 1) continue;
    const std::optional<Volume> v = volumeAt(reading, c.startRecord, usage.startStamp(c));
    b.volumeSeen = b.volumeSeen || v.has_value();
    b.volumePartial = b.volumePartial || !v;
    if (v) {
      b.closedVolume.received += v->received;
      b.closedVolume.sent += v->sent;
    }
  }
}

// ", 3.4 GB" for the period's bytes so far; "at least" where some connection's
// are unknown; nothing where none is known.
std::string periodVolumeText(const MainForm& form) {
  const BudgetState& b = form.budget;
  const bool open = form.Recording && form.volume.known;
  if (!b.volumeSeen && !open) return {};
  const std::uint64_t bytes = b.closedVolume.total() + (open ? form.volume.counted.total() : 0);
  const bool partial = b.volumePartial || (form.Recording && !form.volume.known);
  return std::string(", ") + (partial ? "at least " : "") + bytesText(bytes);
}

// Totals CountRec.zvt as the Calculation view does, leaving out the open
// connection's pair (its share is worked out from the clock instead).
void recount(MainForm& form) {
  BudgetState& b = form.budget;
  b.closedSeconds = 0;
  b.closedCents = 0;
  b.periodFrom.clear();
  b.periodTo.clear();
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
    for (size_t i = 0; form.Recording && i < usage.connections.size(); ++i) {
      if (usage.connections[i].startRecord != form.EndRecNo - 1) continue;
      b.closedSeconds -= usage.connections[i].seconds;
      if (usage.cost) b.closedCents -= usage.cost->cents[i];
    }
    countClosedVolume(form, usage);
  }
  b.counted = true;
  b.periodsSeen = form.periodsBegun;
  b.recordingSeen = form.Recording;
  b.partMinuteSeen = form.partMinute();
}

// The warnings a time so far has reached: nothing without a budget.
std::int16_t reached(std::int16_t hours, long long seconds) {
  if (hours <= 0) return 0;
  std::int16_t marks = 0;
  if (seconds * 5 >= hours * kHour * 4) marks |= kWarned80;
  if (seconds >= hours * kHour) marks |= kWarned100;
  return marks;
}

// The period line with its cost and volume, and the outlook's two lines.
void showTime(MainForm& form, long long seconds, const DateTime& now) {
  const BudgetState& b = form.budget;
  std::string text;
  OutlookLines outlook;
  if (fileExists(form.file(kCountRecZvt))) {
    text = std::string(kPeriodTimeLabel) + hoursMinutesText(seconds);
    if (b.hours > 0) text += " of " + std::to_string(b.hours) + " hr";
    std::optional<std::int64_t> cents;
    if (form.tariff) {
      cents = addCents(b.closedCents, form.Recording ? openCents(form, seconds - b.closedSeconds) : 0);
      text += ", " + moneyText(*cents, form.tariff->currency);
    }
    // The volume comes last: where the line is too long for its place, the
    // time and the money stay whole.
    text += periodVolumeText(form);
    const std::string currency = form.tariff ? form.tariff->currency : std::string();
    if (const auto period = periodDays(b.periodFrom, b.periodTo))
      outlook = outlookLines(periodOutlook(seconds, *period, now, b.hours), cents, currency, period->last, b.hours);
  }
  form[form1::lblPeriodTime].caption = text;
  form[form1::lblForecast].caption = outlook.forecast;
  form[form1::lblAllowance].caption = outlook.allowance;
  ++form.budget.linesMade;
}

// Hands the desktop a notice of the marks the time has reached that no
// notice has told yet: the biggest one alone when both come at once. A mark
// counts as told, in tallix.ini too, only once the desktop took its notice;
// until then it is offered again at each refresh, and when a way to show it
// appears.
void giveNotice(MainForm& form, long long seconds) {
  BudgetState& b = form.budget;
  const auto fresh = static_cast<std::int16_t>(reached(b.hours, seconds) & ~b.warned);
  if (fresh == 0 || b.noticeAsked != 0) return;
  b.noticeAsked = fresh;
  const std::uint32_t round = b.noticeRound;
  const std::string tail = hoursMinutesText(seconds) + " of " + std::to_string(b.hours) + " hr online this period";
  const std::string_view head = (fresh & kWarned100) != 0 ? kBudget100Notice : kBudget80Notice;
  const std::string text = std::string(head) + tail;
  form.services->showNotice(std::string(kProgramTitle), text, [&form, fresh, round](bool delivered) {
    BudgetState& state = form.budget;
    if (state.noticeRound != round) return;  // an answer for a closed period or a changed budget
    state.noticeAsked = 0;
    if (!delivered) return;
    state.warned = static_cast<std::int16_t>(state.warned | fresh);
    saveBudget(form);
  });
}

// The warnings so far are done with (a new period, a new budget): an answer
// still on its way is for them.
void newNoticeRound(BudgetState& b, std::int16_t warned) {
  ++b.noticeRound;
  b.noticeAsked = 0;
  b.warned = warned;
}

// Shows the label and gives the notice the time has newly reached.
void refresh(MainForm& form, const DateTime& now) {
  BudgetState& b = form.budget;
  const long long seconds = periodSecondsSoFar(form, now);
  b.minuteShown = now.minute;
  showTime(form, seconds, now);
  giveNotice(form, seconds);
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
  form[form1::txtBudget].caption = b.hours > 0 ? std::to_string(b.hours) : "";
  if (periodBegunDuringLoad && b.warned != 0) {
    newNoticeRound(b, 0);
    saveBudget(form);
  }
  b.counted = false;
  b.periodsSeen = form.periodsBegun;
  refresh(form, form.services->now());
}

void Timer1_TickAndBudget(MainForm& form) {
  const std::uint32_t periods = form.periodsBegun;
  Timer1_Timer(form);
  BudgetState& b = form.budget;
  if (form.periodsBegun != periods) {
    // A new period: the warnings of the closed one are done with.
    const bool stored = b.warned != 0;
    newNoticeRound(b, 0);
    if (stored) saveBudget(form);
  }
  const DateTime now = *form.lastTickTime;
  const bool shapeChanged = !b.counted || b.periodsSeen != form.periodsBegun || b.recordingSeen != form.Recording ||
                            b.partMinuteSeen != form.partMinute();
  // Once a minute at least: the open connection grows, and the outlook
  // moves with the clock even offline.
  if (shapeChanged || now.minute != b.minuteShown) refresh(form, now);
}

void refreshPeriodTime(MainForm& form) { refresh(form, form.services->now()); }

void giveDueNotice(MainForm& form) { giveNotice(form, periodSecondsSoFar(form, form.services->now())); }

void txtBudget_LostFocus(MainForm& form) {
  BudgetState& b = form.budget;
  Control& box = form[form1::txtBudget];
  const std::optional<std::int16_t> hours = parseBudgetHours(box.caption);
  if (!hours) {
    AnswerOk(form, kBudgetInvalid);
  } else if (*hours != b.hours) {
    // A new budget warns only of marks the time passes from now on.
    b.hours = *hours;
    const DateTime now = form.services->now();
    const long long seconds = periodSecondsSoFar(form, now);
    newNoticeRound(b, reached(b.hours, seconds));
    saveBudget(form);
    showTime(form, seconds, now);
  }
  box.caption = b.hours > 0 ? std::to_string(b.hours) : "";
}

}  // namespace tallix
