#include "store/tariff_file.h"

#include <gtest/gtest.h>

#include <fstream>

#include "support/fake_services.h"

namespace tallix {
namespace {

TEST(TariffFile, ReadsTheHandWrittenFileAndRefusesWithTheLine) {
  const Tariff full{.currency = "EUR", .perCall = 1000, .price = 500, .minimum = 2000,
                    .offPeakDays = {false, false, false, false, false, true, true}, .offPeakFrom = 21 * 3600,
                    .offPeakTo = 7 * 3600, .offPeakPrice = 200};
  const Tariff byVolume{.currency = "EUR", .unitBytes = 1000000, .volumePrice = 100, .allowanceBytes = 10'000'000'000};
  const Tariff odd{.currency = "", .unit = 1, .price = 123456789};
  const struct {
    const char* text;
    std::optional<Tariff> tariff;
    int line;
    const char* reason;
  } cases[] = {
      {"[Tariff]\ncurrency = EUR  ; shown after\nper_call = 0.10\nunit = 60\nprice = 0.05\nminimum = 0.20\n"
       "[Off-peak] ; optional\r\ndays = Sat Sun\nhours = 21:00-07:00\nprice = 0.02\n",
       full, 0, ""},
      {"", std::nullopt, 0, "it holds no [Tariff] part, so there are no prices to use"},
      {"; only a comment\n[Off-peak]\nprice = 1", std::nullopt, 0,
       "it holds no [Tariff] part, so there are no prices to use"},
      {"\xEF\xBB\xBF[Tariff]\nunit = 1\nprice = 12345.6789", odd, 0, ""},
      {"[tariff]\nUNIT=1\nprice=12345.6789", odd, 0, ""},
      {"price = 1", std::nullopt, 1, "a setting before any [Tariff], [Off-peak] or [Volume] heading"},
      {"[Tariff]\n[Peak]", std::nullopt, 2, "[Peak] is not a part of a tariff; the parts are [Tariff], [Off-peak] and [Volume]"},
      {"[Tariff]\nprice 5", std::nullopt, 2, "a line must read key = value"},
      {"[Tariff]\npirce = 5", std::nullopt, 2, "\"pirce\" is not a setting of [Tariff]"},
      {"[Off-peak]\nunit = 5", std::nullopt, 2, "\"unit\" is not a setting of [Off-peak]"},
      {"[Tariff]\nprice = 1\nprice = 2", std::nullopt, 3, "\"price\" is given twice"},
      {"[Tariff]\n[Tariff]", std::nullopt, 2, "[Tariff] is given twice"},
      {"[Tariff]\nprice = 0.00001", std::nullopt, 2,
       "\"price\" must be an amount such as 0.05, with at most four decimals"},
      {"[Tariff]\nminimum = -1", std::nullopt, 2,
       "\"minimum\" must be an amount such as 0.05, with at most four decimals"},
      {"[Tariff]\nper_call = 1,5", std::nullopt, 2,
       "\"per_call\" must be an amount such as 0.05, with at most four decimals"},
      {"[Tariff]\nprice =", std::nullopt, 2, "\"price\" must be an amount such as 0.05, with at most four decimals"},
      {"[Tariff]\nprice = 1000000", std::nullopt, 2,
       "\"price\" must be an amount such as 0.05, with at most four decimals"},
      {"[Tariff]\nunit = 0", std::nullopt, 2, "\"unit\" must be a whole number of seconds from 1 to 604800"},
      {"[Tariff]\nunit = 60.5", std::nullopt, 2, "\"unit\" must be a whole number of seconds from 1 to 604800"},
      {"[Off-peak]\ndays = Sat Sunday", std::nullopt, 2, "\"Sunday\" is not a day; days are Mon Tue Wed Thu Fri Sat Sun"},
      {"[Off-peak]\nhours = 21:00", std::nullopt, 2, "\"hours\" must be two times of day such as 21:00-07:00"},
      {"[Off-peak]\nhours = 21:60-07:00", std::nullopt, 2, "\"hours\" must be two times of day such as 21:00-07:00"},
      {"[Off-peak]\nhours = 00:00-24:00", std::nullopt, 2, "\"hours\" must begin and end at different times"},
      // By volume, beside time or alone; no [Volume] prices time only.
      {"[Tariff]\ncurrency = EUR\n[Volume]\nunit_bytes = 1000000\nprice = 0.01\nallowance_bytes = 10000000000\n",
       byVolume, 0, ""},
      {"[Tariff]\n[Volume]\nprice = 0.01", std::nullopt, 2, "[Volume] needs \"unit_bytes\", the bytes of one charged unit"},
      {"[Tariff]\n[Volume]\nunit_bytes = 0", std::nullopt, 3,
       "\"unit_bytes\" must be a whole number of bytes from 1 to 1000000000000"},
      {"[Tariff]\n[Volume]\nunit_bytes = 1 MB", std::nullopt, 3,
       "\"unit_bytes\" must be a whole number of bytes from 1 to 1000000000000"},
      {"[Tariff]\n[Volume]\nunit_bytes = 1\nallowance_bytes = 99999999999999999", std::nullopt, 4,
       "\"allowance_bytes\" must be a whole number of bytes from 0 to 1000000000000000"},
      {"[Tariff]\n[Volume]\nunit_bytes = 1\nunit = 60", std::nullopt, 4, "\"unit\" is not a setting of [Volume]"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    const TariffReading reading = parseTariff(c.text);
    EXPECT_EQ(reading.tariff, c.tariff);
    EXPECT_EQ(reading.line, c.line);
    EXPECT_EQ(reading.reason, c.reason);
  }
  EXPECT_EQ(tariffProblem("tariff.ini", parseTariff("[Tariff]\nunit = x")),
            "tariff.ini, line 2: \"unit\" must be a whole number of seconds from 1 to 604800");
  for (const char* amount : {"0", "12", "0.05", "0.0125", "999999.9999"})
    EXPECT_EQ(amountText(parseTariff(std::string("[Tariff]\nprice=") + amount).tariff->price), amount);
}

TEST(TariffFile, NoFileIsNoTariffAndAHugeFileIsRefused) {
  testing::TempDir dir;
  EXPECT_FALSE(readTariffFile(dir.file("tariff.ini")).present);
  // Notepad's UTF-8 with and without a mark, and a single-byte editor's file:
  // the currency reads as written. An empty file (a save cut by a power
  // failure) is no tariff, never a free one.
  const struct { std::string bytes; std::string currency; } files[] = {
      {"\xEF\xBB\xBF[Tariff]\r\ncurrency = \xE2\x82\xAC\r\nprice = 1\r\n", "\xE2\x82\xAC"},
      {"[Tariff]\ncurrency = \xE2\x82\xAC\nprice = 1\n", "\xE2\x82\xAC"},
      {"[Tariff]\ncurrency = \xA3\nprice = 1\n", "\xC2\xA3"},
      {"", ""},
  };
  for (const auto& f : files) {
    std::ofstream(dir.file("tariff.ini"), std::ios::binary | std::ios::trunc) << f.bytes;
    const TariffFileState state = readTariffFile(dir.file("tariff.ini"));
    EXPECT_TRUE(state.present);
    EXPECT_EQ(state.reading.tariff ? state.reading.tariff->currency : "", f.currency) << f.bytes;
    EXPECT_EQ(state.reading.malformed(), f.currency.empty()) << f.bytes;
  }
  std::ofstream(dir.file("tariff.ini")) << std::string(70000, ';');
  const TariffFileState huge = readTariffFile(dir.file("tariff.ini"));
  EXPECT_TRUE(huge.present && huge.reading.malformed());
  EXPECT_EQ(huge.reading.reason, "it is too long");
}

}  // namespace
}  // namespace tallix
