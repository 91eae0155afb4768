// The texts the store reads and writes: numbers, dates and the failure report.
#include <gtest/gtest.h>

#include "store/date_time.h"
#include "store/numbers.h"
#include "store/text_forms.h"

namespace tallix {
namespace {

TEST(Numbers, NumericValueNeverFailsAndConversionTakesTheWholeText) {
  const std::pair<const char*, double> values[] = {{"", 0},  {" 1 5 ", 15}, {"-12", -12}, {"1.2.3", 1.2},
                                                   {"12ab", 12}, {"1_To : 14", 1}, {"-", 0},  {".5", 0.5}};
  for (const auto& [text, value] : values) EXPECT_DOUBLE_EQ(numericValue(text), value) << '"' << text << '"';
  const std::pair<double, long long> rounded[] = {{0.5, 0}, {1.5, 2}, {2.5, 2}, {-1.5, -2}, {2.51, 3},
                                                  {1e300, 9200000000000000000LL}, {-1e300, -9200000000000000000LL}};
  for (const auto& [in, out] : rounded) EXPECT_EQ(roundHalfEven(in), out) << in;
  // value -99: the target is left alone
  const struct { const char* text; int error; double value; } conversions[] = {
      {" 14 ", 0, 14}, {"-3", 0, -3}, {"2.5", 0, 2.5}, {"", kTypeMismatch, -99}, {"1 4", kTypeMismatch, -99},
      {"--1", kTypeMismatch, -99}};
  for (const auto& c : conversions) {
    PendingError error;
    double value = -99;
    EXPECT_EQ(numberConversion(c.text, value, error), c.error == 0) << c.text;
    EXPECT_EQ(std::pair(error.number, value), std::pair(c.error, c.value)) << c.text;
  }
  const struct { const char* text; int error; std::int16_t value; } int16s[] = {
      {"-32768", 0, -32768}, {"32768", kOverflow, 0}, {"2.5", 0, 2}, {"x", kTypeMismatch, 0}};
  for (const auto& c : int16s) {
    PendingError error;
    std::int16_t value = 0;
    convertToInt16(c.text, value, error);
    EXPECT_EQ(std::pair(error.number, value), std::pair(c.error, c.value)) << c.text;
  }
  EXPECT_EQ(mid("abc", 3, 10) + mid("abc", 4, 1) + mid("abc", 0, 1) + right("abc", -1) + twoDigits(7), "c07");
}

TEST(FailureReport, IsSentenceNumberCarriageReturnDescription) {
  const struct { int number; const char* description; const char* expected; } cases[] = {
      {53, "File not found", "Saving, Error #  53\rFile not found"}, {-5, "odd", "Saving, Error # -5\rodd"}};
  for (const auto& c : cases) {
    PendingError error;
    error.number = c.number;
    error.description = c.description;
    EXPECT_EQ(failureReport("Saving, ", error), c.expected);
  }
}

TEST(TextForms, WritesAndShowsDates) {
  const struct { DateTime when; const char* forms; } written[] = {  // stamp | long | title | short
      {{2002, 4, 29, 17, 5, 9}, "2002/04/29 17:05:09|29 Apr 2002 - 05:05:09 PM|29 Apr 2002 / 05:05 PM|29 Apr 2002"},
      {{2002, 4, 15, 0, 0, 0}, "2002/04/15 00:00:00|15 Apr 2002 - 12:00:00 AM|15 Apr 2002 / 12:00 AM|15 Apr 2002"},
      {{2003, 1, 1, 12, 30, 59}, "2003/01/01 12:30:59|01 Jan 2003 - 12:30:59 PM|01 Jan 2003 / 12:30 PM|01 Jan 2003"}};
  for (const auto& [w, forms] : written)
    EXPECT_EQ(stampText(w) + "|" + longStampText(w) + "|" + titleStampText(w) + "|" + shortDateText(w), forms);
  // Stored texts are shown in the long form, or unchanged when they are no real moment.
  const std::pair<const char*, const char*> shown[] = {
      {"02/04/16 09:12:40", "16 Apr 2002 - 09:12:40 AM"}, {"2002/04/18 23:05:31", "18 Apr 2002 - 11:05:31 PM"},
      {"02/02/30 10:00:00", "02/02/30 10:00:00"},         {"02/04/16 24:00:00", "02/04/16 24:00:00"},
      {"02/04/16-09:12:40", "02/04/16-09:12:40"},         {"garbage", "garbage"}};
  for (const auto& [stored, text] : shown) EXPECT_EQ(showStamp(stored), text) << stored;
  const std::pair<const char*, const char*> dates[] = {{"2002/04/15", "15 Apr 2002"}, {"2002/04/31", "2002/04/31"},
                                                       {"2004/02/29", "29 Feb 2004"}, {"2003/02/29", "2003/02/29"},
                                                       {"2002/4/15", "2002/4/15"}};
  for (const auto& [stored, text] : dates) EXPECT_EQ(showDate(stored), text) << stored;
}

TEST(DateTime, SerialSecondsRoundTripAcrossMonthsAndYears) {
  const struct { DateTime from; long long seconds; DateTime to; } cases[] = {
      {{2002, 12, 31, 23, 0, 0}, 3600, {2003, 1, 1, 0, 0, 0}},   {{2004, 2, 28, 12, 0, 0}, 86400, {2004, 2, 29, 12, 0, 0}},
      {{2003, 2, 28, 12, 0, 0}, 86400, {2003, 3, 1, 12, 0, 0}},  {{2000, 3, 1, 0, 0, 0}, -1, {2000, 2, 29, 23, 59, 59}},
      {{1900, 2, 28, 0, 0, 0}, 86400, {1900, 3, 1, 0, 0, 0}}};
  for (const auto& c : cases) {
    EXPECT_EQ(addSeconds(c.from, c.seconds), c.to);
    EXPECT_EQ(toSerialSeconds(c.to) - toSerialSeconds(c.from), c.seconds);
  }
}

}  // namespace
}  // namespace tallix
