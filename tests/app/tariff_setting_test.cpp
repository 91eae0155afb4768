#include "app/tariff_setting.h"

#include <gtest/gtest.h>

#include <fstream>

#include "app/budget.h"
#include "app/form1_events.h"
#include "app/usage_view.h"
#include "form/sentences.h"
#include "period/period_fixture.h"
#include "store/text_forms.h"
#include "support/record_checks.h"

namespace tallix {
namespace {

constexpr const char* kPlan = "[Tariff]\ncurrency = EUR\nper_call = 0.10\nprice = 0.05\n";

// December 2026 with two closed hour-long connections on weekdays at noon.
void twoHours(Program& p) {
  Strings records = {"From : 01_2026/12/01", "0_To : 31"};
  for (int day : {1, 2}) {
    records.push_back("start: 0026/12/0" + std::to_string(day) + " 12:00:00");
    records.push_back("_end : 2026/12/0" + std::to_string(day) + " 13:00:00");
  }
  p.writeLog("CountRec.zvt", records);
}

std::string fileText(const Program& p) { return testing::readFile(p.dir.file("tariff.ini")); }

TEST(TariffSetting, CostsAndOutlookShowWithAGoodTariffOnly) {
  const struct {
    const char* what;
    const char* file;  // nullptr: no tariff.ini
    Strings messages;
    std::string period, forecast, lblTariff, usageCost;
  } cases[] = {
      {"a tariff", kPlan, {}, "this period: 2 hr 00 min of 40 hr, 6.20 EUR", "at this pace: 6 hr 12 min by 31 Dec, 19.22 EUR",
       "costs at 0.05 EUR per 60 s", "6.20 EUR"},
      {"a volume price, no volume file: at least", "[Tariff]\ncurrency = EUR\nper_call = 0.10\nprice = 0.05\n"
       "[Volume]\nunit_bytes = 1000000\nprice = 0.01\n", {}, "this period: 2 hr 00 min of 40 hr, at least 6.20 EUR",
       "at this pace: 6 hr 12 min by 31 Dec, 19.22 EUR", "costs at 0.05 EUR per 60 s and 0.01 EUR per 1.0 MB",
       "at least 6.20 EUR"},
      {"no file: hours alone", nullptr, {}, "this period: 2 hr 00 min of 40 hr", "at this pace: 6 hr 12 min by 31 Dec",
       std::string(kNoTariff), ""},
      {"a malformed file: told once, hours alone", "[Tariff]\nprice = 5 EUR\n",
       {std::string(kTariffMalformed) +
        "tariff.ini, line 2: \"price\" must be an amount such as 0.05, with at most four decimals"},
       "this period: 2 hr 00 min of 40 hr", "at this pace: 6 hr 12 min by 31 Dec", std::string(kTariffUnusable), ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    Program p;
    p.services.clock = {2026, 12, 11, 0, 0, 0};
    twoHours(p);
    p.writeSettings({{"", 0, 0}, {"", 0, 0}, {"[TimeBudget]", 40, 0}});
    if (c.file) std::ofstream(p.dir.file("tariff.ini")) << c.file;
    Form1_Form_Load(p.form);
    for (int tick = 0; tick < 3; ++tick) Timer1_TickAndBudget(p.form);
    EXPECT_EQ(p.services.messages, c.messages);
    EXPECT_EQ(p.form[form1::lblPeriodTime].caption, c.period);
    EXPECT_EQ(p.form[form1::lblForecast].caption, c.forecast);
    EXPECT_EQ(p.form[form1::lblAllowance].caption, "1 hr 48 min a day keeps you within 40 hr");
    EXPECT_EQ(p.form[form1::lblTariff].caption, c.lblTariff);
    const UsageView usage = currentPeriodUsageView(p.form);
    EXPECT_EQ(usage.cost, c.usageCost);
    EXPECT_EQ(usage.forecast, c.forecast);
    EXPECT_EQ(usage.row(0).cost, c.usageCost.empty() ? "" : c.usageCost == "6.20 EUR" ? "3.10" : "at least 3.10");
  }
}

TEST(TariffSetting, AnEditIsTakenWholeOrNotAtAll) {
  Program p;
  p.services.clock = {2026, 12, 11, 0, 0, 0};
  twoHours(p);
  Form1_Form_Load(p.form);
  EXPECT_EQ(tariffText(p.form).rfind("; No tariff yet", 0), 0u);
  // Saved unchanged, the commented example is no tariff, and makes no file.
  EXPECT_TRUE(cmdTariffSave_Click(p.form, tariffText(p.form)));
  EXPECT_FALSE(p.exists("tariff.ini"));

  EXPECT_TRUE(cmdTariffSave_Click(p.form, kPlan));
  EXPECT_EQ(fileText(p), kPlan);
  EXPECT_EQ(p.form[form1::lblPeriodTime].caption, "this period: 2 hr 00 min, 6.20 EUR");

  EXPECT_FALSE(cmdTariffSave_Click(p.form, "[Tariff]\nunit = 0\n"));
  EXPECT_EQ(p.services.messages,
            Strings{std::string(kTariffNotSaved) +
                    "the text, line 2: \"unit\" must be a whole number of seconds from 1 to 604800"});
  setFaultAt(1);
  EXPECT_FALSE(cmdTariffSave_Click(p.form, "[Tariff]\nprice = 1\n"));
  EXPECT_EQ(p.services.messages.size(), 2u);
  EXPECT_EQ(p.services.messages.back().rfind(std::string(kSavingTariff) + "Error # ", 0), 0u);
  EXPECT_EQ(fileText(p), kPlan);  // the old file whole, the old costs shown
  EXPECT_EQ(p.form[form1::lblPeriodTime].caption, "this period: 2 hr 00 min, 6.20 EUR");
  EXPECT_FALSE(p.exists("tariff.ini.part"));

  // What a start would refuse is refused here too, and the tariff stays.
  EXPECT_FALSE(cmdTariffSave_Click(p.form, "[Tariff]\nprice = 1\n" + std::string(kLongestTariff, ';')));
  EXPECT_EQ(p.services.messages.back(), std::string(kTariffNotSaved) + "the text: it is too long");
  EXPECT_EQ(fileText(p), kPlan);

  EXPECT_TRUE(cmdTariffSave_Click(p.form, "; none\n\n"));
  EXPECT_FALSE(p.exists("tariff.ini"));
  EXPECT_EQ(p.form[form1::lblPeriodTime].caption, "this period: 2 hr 00 min");
}

// The window edits UTF-8 text; the file keeps the shape its editor gave it:
// a byte-order mark, CR LF line ends, a single-byte (Latin-1) file. Opened
// and saved unchanged, every file comes back byte for byte.
TEST(TariffSetting, TheWindowKeepsTheFileAsItsEditorWroteIt) {
  const struct { const char* name; std::string bytes; std::string shown; } files[] = {
      {"Notepad, UTF-8 with a mark", "\xEF\xBB\xBF[Tariff]\r\ncurrency = \xE2\x82\xAC\r\nprice = 1\r\n",
       "[Tariff]\ncurrency = \xE2\x82\xAC\nprice = 1\n"},
      {"UTF-8, line feeds", "[Tariff]\ncurrency = \xE2\x82\xAC\nprice = 1", "[Tariff]\ncurrency = \xE2\x82\xAC\nprice = 1"},
      {"Latin-1", "[Tariff]\r\ncurrency = \xA3\r\nprice = 1\r\n", "[Tariff]\ncurrency = \xC2\xA3\nprice = 1\n"},
  };
  for (const auto& f : files) {
    SCOPED_TRACE(f.name);
    Program p;
    std::ofstream(p.dir.file("tariff.ini"), std::ios::binary) << f.bytes;
    const std::string shown = tariffText(p.form);
    EXPECT_EQ(shown, f.shown);
    EXPECT_TRUE(cmdTariffSave_Click(p.form, shown));
    EXPECT_EQ(fileText(p), f.bytes);
    EXPECT_TRUE(p.services.messages.empty());
  }
  // A character a single-byte file cannot hold makes it UTF-8: nothing typed is lost.
  Program p;
  std::ofstream(p.dir.file("tariff.ini"), std::ios::binary) << "[Tariff]\ncurrency = \xA3\nprice = 1\n";
  tariffText(p.form);
  EXPECT_TRUE(cmdTariffSave_Click(p.form, "[Tariff]\ncurrency = \xE2\x82\xAC \xC2\xA3\nprice = 1\n"));
  EXPECT_EQ(fileText(p), "[Tariff]\ncurrency = \xE2\x82\xAC \xC2\xA3\nprice = 1\n");
}

}  // namespace
}  // namespace tallix
