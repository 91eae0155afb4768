#include "app/budget.h"

#include <gtest/gtest.h>

#include <fstream>

#include "analysis/usage.h"
#include "app/form1_events.h"
#include "app/usage_view.h"
#include "form/sentences.h"
#include "period/period_fixture.h"
#include "store/settings_file.h"
#include "store/text_forms.h"
#include "store/volume_file.h"
#include "support/fake_services.h"

namespace tallix {
namespace {
// A period 01-31 begun on 1 April 2002 whose file holds connections of the
// given lengths, each on its own day from the 2nd, starting at 08:00:00.
Strings periodFile(const std::string& created, bool partMinute, const std::vector<long>& seconds) {
  Strings records = {"From : 01_" + created, std::string(partMinute ? "1" : "0") + "_To : 31"};
  int day = 2;
  for (long s : seconds) {
    const DateTime start{2002, 4, day++, 8, 0, 0};
    records.push_back("start: 00" + stampText(start).substr(2));
    records.push_back("_end : " + stampText(addSeconds(start, s)));
  }
  return records;
}

SettingsRecord budgetRecord(const std::string& path, long n = 3) {
  SettingsRecord record;
  PendingError error;
  readSettingsRecord(path, n, record, error);
  return record;
}

constexpr long kH = 3600;
constexpr long kM = 60;

// Two closed hours in April 2002 with their volume file, if any, loaded at
// 09:00 on the 20th; then a minute online (200 MB in, 5 MB out), or not.
void aMinuteAfterTwoHours(Program& p, const std::optional<std::string>& volumeFile, bool online) {
  auto& [services, dir, form] = p;
  services.clock = {2002, 4, 20, 9, 0, 0};
  p.writeLog("CountRec.zvt", periodFile("2002/04/01", false, {kH, kH}));
  if (volumeFile) std::ofstream(dir.file("CountRec.zvt.vol"), std::ios::binary) << *volumeFile;
  Form1_Form_Load(form);
  services.line = online;
  services.counters = ByteCounters{0, 0, "ppp0"};
  Timer1_TickAndBudget(form);
  services.advance(60);
  services.counters = ByteCounters{200'000'000, 5'000'000, "ppp0"};
  Timer1_TickAndBudget(form);
  Timer1_TickAndBudget(form);
}

TEST(Budget, WarnsOnceAtEachMarkAPeriodAndAgreesWithTheCalculationView) {
  const std::string w80 = std::string(kBudget80Notice);
  const std::string w100 = std::string(kBudget100Notice);
  const struct Case {
    const char* what;
    std::int16_t hours, warned;  // record 3 of tallix.ini before the start
    std::string created;         // the period file's date
    bool partMinute;
    std::vector<long> closed;    // connections already in the file
    int onlineMinutes;           // then online this long, ticking every minute
    Strings notices;             // the beginnings of the notices given
    std::int16_t warnedAfter;
    std::string label;           // the Main view's label at the end
  } cases[] = {
      {"79% to 80% while online", 10, 0, "2002/04/01", false, {7 * kH + 59 * kM}, 1, {w80}, kWarned80,
       "this period: 8 hr 00 min of 10 hr"},
      {"80% stays below 100%", 10, 0, "2002/04/01", false, {7 * kH + 59 * kM}, 3, {w80}, kWarned80,
       "this period: 8 hr 02 min of 10 hr"},
      {"a restart after the 80% notice is quiet", 10, kWarned80, "2002/04/01", false, {8 * kH}, 2, {}, kWarned80,
       "this period: 8 hr 02 min of 10 hr"},
      {"100% while online", 10, kWarned80, "2002/04/01", false, {9 * kH + 59 * kM}, 2, {w100}, kWarned80 | kWarned100,
       "this period: 10 hr 01 min of 10 hr"},
      {"both marks passed before the start: one notice", 10, 0, "2002/04/01", false, {6 * kH, 6 * kH}, 0, {w100},
       kWarned80 | kWarned100, "this period: 12 hr 00 min of 10 hr"},
      {"a restart after both is quiet", 10, kWarned80 | kWarned100, "2002/04/01", false, {12 * kH}, 5, {},
       kWarned80 | kWarned100, "this period: 12 hr 05 min of 10 hr"},
      {"part minutes count as whole ones, as in the total", 10, 0, "2002/04/01", true, {7 * kH + 59 * kM, 10}, 0,
       {w80}, kWarned80, "this period: 8 hr 00 min of 10 hr"},
      {"no budget: no notice, the time still shown", 0, 0, "2002/04/01", false, {20 * kH}, 1, {}, 0,
       "this period: 20 hr 01 min"},
      {"a rollover at start clears the closed period's notices", 1, kWarned80 | kWarned100, "2002/03/01", false,
       {5 * kH}, 0, {}, 0, "this period: 0 hr 00 min of 1 hr"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Program p;
    auto& [services, dir, form] = p;
    services.clock = {2002, 4, 20, 9, 0, 0};
    p.writeLog("CountRec.zvt", periodFile(c.created, c.partMinute, c.closed));
    // The data allowance's notices given as the budget's: only a new period clears them.
    p.writeSettings({{"", 0, 0}, {"", 0, 0}, {"[TimeBudget]", c.hours, c.warned}, {"[DataAllowance]", 0, c.warned}});
    Form1_Form_Load(form);
    services.line = c.onlineMinutes > 0;
    for (int minute = 0; minute <= c.onlineMinutes; ++minute) {
      if (minute > 0) services.advance(60);
      Timer1_TickAndBudget(form);
    }
    EXPECT_EQ(form[form1::lblPeriodTime].caption, c.label);
    services.line = false;
    Timer1_TickAndBudget(form);

    ASSERT_EQ(services.notices.size(), c.notices.size());
    for (size_t i = 0; i < c.notices.size(); ++i) EXPECT_EQ(services.notices[i].rfind(c.notices[i], 0), 0u);
    const SettingsRecord stored = budgetRecord(dir.file("tallix.ini"));
    EXPECT_EQ(stored.value1, c.hours);
    EXPECT_EQ(stored.value2, c.warnedAfter);
    EXPECT_EQ(budgetRecord(dir.file("tallix.ini"), 4).value2, c.created == "2002/04/01" ? c.warned : 0);
    EXPECT_TRUE(services.messages.empty());
    // The time so far is the Calculation view's total of the record file.
    const LogUsage usage = readLogUsage(dir.path(), "CountRec.zvt", c.partMinute);
    EXPECT_EQ(periodSecondsSoFar(form, services.clock), usage.totalSeconds());
  }
}

// The volume's line shows the bytes so far from the volume file and the open
// connection: unknown is shown as nothing, never as zero; a damaged file is
// told once and the time stays. With a data allowance, its outlook and
// notices, as the time budget's. The period line's money has each connection's
// time and volume part, the open one's from its bytes so far, after what the
// closed ones used of the allowance; an unknown volume makes it "at least".
// (3 GB free, then 0.10 EUR per begun 100 MB: the closed 3.4 GB and 50 MB pay
// 0.40 and 0.10; the open 205 MB 0.30.)
TEST(Budget, TheVolumeAndMoneyShowTheBytesSoFarAndTheAllowance) {
  const std::string both = volumeText({{3, "02/04/02 08:00:00", {3'000'000'000, 400'000'000}},
                                       {5, "02/04/03 08:00:00", {50'000'000, 0}}});
  const std::string first = volumeText({{3, "02/04/02 08:00:00", {1'000'000'000, 0}}});
  const std::string w80 = std::string(kData80Notice);
  const char* kVolumePrice = "[Volume]\nunit_bytes = 100000000\nprice = 0.10\nallowance_bytes = 3000000000\n";
  const struct {
    const char* what;
    std::optional<std::string> volumeFile;
    bool online;
    std::int16_t tenths;  // the allowance, record 4
    std::string label, volumeLabel, forecast, allowance;
    Strings notices;
    size_t told;
    const char* volumePrice = nullptr;  // a tariff of 0.05 EUR a minute, and this
  } cases[] = {
      {"no volume file", std::nullopt, false, 0, "this period: 2 hr 00 min", "", "", "", {}, 0},
      {"no volume file, an allowance", std::nullopt, false, 100, "this period: 2 hr 00 min",
       "data: volume unknown (allowance 10 GB)", "", "", {}, 0},
      {"both known", both, false, 0, "this period: 2 hr 00 min", "data: 3.5 GB", "at this pace: 5.3 GB by 30 Apr", "",
       {}, 0},
      {"both known, 80% of 4 GB", both, false, 40, "this period: 2 hr 00 min", "data: 3.5 GB of 4 GB",
       "at this pace: 5.3 GB by 30 Apr", "50.0 MB a day keeps you within 4 GB",
       {w80 + "3.5 GB of 4 GB this period"}, 0},
      {"both known, past 2.5 GB", both, false, 25, "this period: 2 hr 00 min", "data: 3.5 GB of 2.5 GB",
       "at this pace: 5.3 GB by 30 Apr", std::string(kOverAllowance),
       {std::string(kData100Notice) + "3.5 GB of 2.5 GB this period"}, 0},
      {"one unknown", first, false, 100, "this period: 2 hr 00 min", "data: at least 1.0 GB of 10 GB",
       "at this pace: at least 1.5 GB by 30 Apr", "at most 818.2 MB a day keeps you within 10 GB", {}, 0},
      {"online, counting", first, true, 0, "this period: 2 hr 01 min", "data: at least 1.2 GB",
       "at this pace: at least 1.9 GB by 30 Apr", "", {}, 0},
      {"damaged", "tallix volume 1\ncheck 0\n", false, 0, "this period: 2 hr 00 min", "", "", "", {}, 1},
      {"money: time alone", both, true, 0, "this period: 2 hr 01 min, 6.05 EUR", "data: 3.7 GB",
       "at this pace: 5.7 GB by 30 Apr", "", {}, 0, ""},
      {"money: closed", both, false, 0, "this period: 2 hr 00 min, 6.50 EUR", "data: 3.5 GB",
       "at this pace: 5.3 GB by 30 Apr", "", {}, 0, kVolumePrice},
      {"money: closed and open", both, true, 0, "this period: 2 hr 01 min, 6.85 EUR", "data: 3.7 GB",
       "at this pace: 5.7 GB by 30 Apr", "", {}, 0, kVolumePrice},
      {"money: no volume file", std::nullopt, true, 0, "this period: 2 hr 01 min, at least 6.35 EUR",
       "data: at least 205.0 MB", "at this pace: at least 317.4 MB by 30 Apr", "", {}, 0,
       "[Volume]\nunit_bytes = 100000000\nprice = 0.10\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    Program p;
    auto& [services, dir, form] = p;
    p.writeSettings({{"", 0, 0}, {"", 0, 0}, {"", 0, 0}, {"[DataAllowance]", c.tenths, 0}});
    if (c.volumePrice) std::ofstream(dir.file("tariff.ini")) << "[Tariff]\ncurrency = EUR\nprice = 0.05\n" << c.volumePrice;
    aMinuteAfterTwoHours(p, c.volumeFile, c.online);
    EXPECT_EQ(form[form1::lblPeriodTime].caption, c.label);
    EXPECT_EQ(form[form1::lblPeriodVolume].caption, c.volumeLabel);
    EXPECT_EQ(form[form1::lblVolumeForecast].caption, c.forecast);
    EXPECT_EQ(form[form1::lblVolumeAllowance].caption, c.allowance);
    if (!c.online) {  // the Usage window tells the same outlook from the files
      const UsageView usage = currentPeriodUsageView(form);
      EXPECT_EQ(usage.volumeForecast, c.forecast);
      EXPECT_EQ(usage.volumeAllowance, c.allowance);
    }
    EXPECT_EQ(services.notices, c.notices);
    ASSERT_EQ(services.messages.size(), c.told);
    if (c.told != 0) {
      EXPECT_TRUE(services.messages[0].starts_with("The volume file CountRec.zvt.vol: its check sum does not match"));
    }
  }
}

// A notice counts as given only once the desktop took it; until then it is
// offered again, and an answer that comes after the budget changed is old.
TEST(Budget, ANoticeIsRecordedOnlyOnceTheDesktopTookIt) {
  enum Step { Tick, Due, Answer, Refuse, NewBudget };
  const struct Case {
    const char* what;
    bool taken;               // what the desktop answers at once, when it answers at once
    bool answersWait;         // the answers come only at Answer or Refuse
    std::vector<Step> steps;  // after the start, which offers the 80% notice
    size_t offered;
    std::int16_t warnedAfter;
    bool data = false;        // the data allowance's notice instead of the time budget's
  } cases[] = {
      {"taken at once", true, false, {Tick, Due}, 1, kWarned80},
      {"refused: offered again each minute and when a way appears", false, false, {Tick, Due}, 3, 0},
      {"not asked twice while the answer is on its way", true, true, {Tick, Due}, 1, 0},
      {"a late yes is recorded", true, true, {Tick, Answer, Tick}, 1, kWarned80},
      {"a late no: offered again", true, true, {Refuse, Tick}, 2, 0},
      {"an answer after the budget changed is dropped", true, true, {NewBudget, Answer}, 1, 0},
      {"data: refused, then taken when a way appears", false, false, {Tick, Due}, 3, 0, true},
      {"data: a late yes is recorded", true, true, {Tick, Answer, Tick}, 1, kWarned80, true},
      {"data: an answer after the allowance changed is dropped", true, true, {NewBudget, Answer}, 1, 0, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Program p;
    auto& [services, dir, form] = p;
    services.clock = {2002, 4, 20, 9, 0, 0};
    services.noticesTaken = c.taken;
    services.noticeAnswersWait = c.answersWait;
    p.writeLog("CountRec.zvt", periodFile("2002/04/01", false, {8 * kH}));
    // 8 of 10 hours, or 8 of 10 GB.
    if (c.data) {
      std::ofstream(dir.file("CountRec.zvt.vol"), std::ios::binary)
          << volumeText({{3, "02/04/02 08:00:00", {7'000'000'000, 1'000'000'000}}});
      p.writeSettings({{"", 0, 0}, {"", 0, 0}, {"[TimeBudget]", 0, 0}, {"[DataAllowance]", 100, 0}});
    } else {
      p.writeSettings({{"", 0, 0}, {"", 0, 0}, {"[TimeBudget]", 10, 0}});
    }
    Form1_Form_Load(form);
    for (Step step : c.steps) {
      switch (step) {
        case Tick:
          services.advance(60);
          Timer1_TickAndBudget(form);
          break;
        case Due: giveDueNotice(form); break;
        case Answer:
        case Refuse:
          services.noticeAnswers.front()(step == Answer);
          services.noticeAnswers.erase(services.noticeAnswers.begin());
          break;
        case NewBudget:
          form[c.data ? form1::txtAllowance : form1::txtBudget].caption = "20";
          (c.data ? txtAllowance_LostFocus : txtBudget_LostFocus)(form);
          break;
      }
    }
    EXPECT_EQ(services.notices.size(), c.offered);
    EXPECT_EQ(budgetRecord(dir.file("tallix.ini"), c.data ? 4 : 3).value2, c.warnedAfter);
    EXPECT_EQ((c.data ? form.budget.dataNotices : form.budget.timeNotices).warned, c.warnedAfter);
  }
}

TEST(Budget, TheSettingsRowsTakeWholeHoursUpTo744AndGigabytesUpTo3000) {
  const struct { const char* typed; std::optional<std::int16_t> hours; } rows[] = {
      {"", 0}, {" 0 ", 0}, {"1", 1}, {"50", 50}, {"744", 744},
      {"745", std::nullopt}, {"-1", std::nullopt}, {"1.5", std::nullopt}, {"ab", std::nullopt}, {"5 0", std::nullopt},
  };
  for (const auto& row : rows) EXPECT_EQ(parseBudgetHours(row.typed), row.hours) << row.typed;
  const struct { const char* typed; std::optional<std::int16_t> tenths; } gigabytes[] = {
      {"", 0}, {" 0 ", 0}, {"0.0", 0}, {"10", 100}, {"1.5", 15}, {"1,5", 15}, {".5", 5}, {"2.", 20},
      {"10 GB", 100}, {"10gb", 100}, {"3000", 30000}, {"0.1", 1},
      {"3000.1", std::nullopt}, {"30000", std::nullopt}, {"-1", std::nullopt}, {"1.25", std::nullopt},
      {"1.5.1", std::nullopt}, {".", std::nullopt}, {"GB", std::nullopt}, {"1e3", std::nullopt}, {"ten", std::nullopt},
  };
  for (const auto& row : gigabytes) EXPECT_EQ(parseAllowanceTenths(row.typed), row.tenths) << row.typed;

  Program p;
  auto& [services, dir, form] = p;
  Form1_Form_Load(form);
  form[form1::txtBudget].caption = "50";
  txtBudget_LostFocus(form);
  form[form1::txtBudget].caption = "1000";
  txtBudget_LostFocus(form);
  EXPECT_EQ(services.messages, Strings{std::string(kBudgetInvalid)});
  EXPECT_EQ(form[form1::txtBudget].caption, "50");  // the stored hours are put back
  EXPECT_EQ(budgetRecord(dir.file("tallix.ini")).value1, 50);

  form[form1::txtAllowance].caption = "1.50 GB";
  txtAllowance_LostFocus(form);
  EXPECT_EQ(services.messages.back(), kAllowanceInvalid);
  EXPECT_EQ(form[form1::txtAllowance].caption, "");
  form[form1::txtAllowance].caption = " 2,5gb";
  txtAllowance_LostFocus(form);
  EXPECT_EQ(form[form1::txtAllowance].caption, "2.5");
  EXPECT_EQ(budgetRecord(dir.file("tallix.ini"), 4).value1, 25);
  EXPECT_EQ(budgetRecord(dir.file("tallix.ini"), 3).value1, 50);  // beside the budget, not over it
}

}  // namespace
}  // namespace tallix
