#include "store/numbers.h"

#include <gtest/gtest.h>

namespace tallix {
namespace {

TEST(NumericValue, ReadsLeadingNumberAndNeverFails) {
  const std::pair<const char*, double> cases[] = {
      {"", 0},   {" 1 5 ", 15}, {"-12", -12},      {"1.2.3", 1.2}, {"12ab", 12},
      {"_To", 0}, {"1_To : 14", 1}, {"-", 0}, {".5", 0.5},
  };
  for (const auto& [text, value] : cases) EXPECT_DOUBLE_EQ(numericValue(text), value) << '"' << text << '"';
}

TEST(RoundHalfEven, HalvesGoToTheEvenNeighbourAndHugeValuesClamp) {
  const std::pair<double, long long> cases[] = {{0.5, 0}, {1.5, 2}, {2.5, 2}, {-1.5, -2}, {2.51, 3},
                                                {1e300, 9200000000000000000LL}, {-1e300, -9200000000000000000LL}};
  for (const auto& [in, out] : cases) EXPECT_EQ(roundHalfEven(in), out) << in;
}

TEST(NumberConversion, WholeTextMustBeANumber) {
  const struct {
    const char* text;
    int error;
    double value;  // -99: the target is left alone
  } cases[] = {{" 14 ", 0, 14}, {"-3", 0, -3}, {"2.5", 0, 2.5}, {"", kTypeMismatch, -99},
               {"1a", kTypeMismatch, -99}, {"1 4", kTypeMismatch, -99}, {"--1", kTypeMismatch, -99}};
  for (const auto& c : cases) {
    PendingError error;
    double value = -99;
    EXPECT_EQ(numberConversion(c.text, value, error), c.error == 0) << c.text;
    EXPECT_EQ(error.number, c.error) << c.text;
    EXPECT_DOUBLE_EQ(value, c.value) << c.text;
  }
  const struct {
    const char* text;
    int error;
    std::int16_t value;
  } int16Cases[] = {{"-32768", 0, -32768}, {"32768", kOverflow, 0}, {"2.5", 0, 2}, {"x", kTypeMismatch, 0}};
  for (const auto& c : int16Cases) {
    PendingError error;
    std::int16_t value = 0;
    convertToInt16(c.text, value, error);
    EXPECT_EQ(error.number, c.error) << c.text;
    EXPECT_EQ(value, c.value) << c.text;
  }
}

TEST(TextHelpers, PositionsCountFromOneAndAreSafePastTheEnds) {
  EXPECT_EQ(mid("From : 15_2002/04/15", 8, 2), "15");
  EXPECT_EQ(mid("abc", 3, 10) + mid("abc", 4, 1) + mid("abc", 0, 1), "c");
  EXPECT_EQ(left("abc", 5) + right("abc", 2) + right("abc", -1), "abcbc");
  EXPECT_EQ(trimRight("  a b  ") + "|" + trim("  a b  ") + "|" + trim("  "), "  a b|a b|");
  EXPECT_EQ(twoDigits(7) + twoDigits(12) + twoDigits(100), "0712100");
}

}  // namespace
}  // namespace tallix
