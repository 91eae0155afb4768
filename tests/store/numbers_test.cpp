#include "store/numbers.h"

#include <gtest/gtest.h>

namespace tallix {
namespace {

TEST(NumericValue, ReadsLeadingNumberAndNeverFails) {
  struct Case {
    const char* text;
    double value;
  } cases[] = {
      {"", 0},          {"15", 15},        {" 1 5 ", 15},      {"07", 7},      {"-12", -12},
      {"+3", 3},        {"2.5", 2.5},      {"1.2.3", 1.2},     {"12ab", 12},   {"ab12", 0},
      {"_To", 0},       {"1_To : 14", 1},  {"  ", 0},          {"-", 0},       {".5", 0.5},
      {"0_", 0},        {"9 9", 99},       {"\t4", 4},
  };
  for (const auto& c : cases) EXPECT_DOUBLE_EQ(numericValue(c.text), c.value) << '"' << c.text << '"';
}

TEST(RoundHalfEven, HalvesGoToTheEvenNeighbour) {
  struct Case {
    double in;
    long long out;
  } cases[] = {{0.5, 0}, {1.5, 2}, {2.5, 2}, {3.5, 4}, {-0.5, 0}, {-1.5, -2}, {2.4999, 2}, {2.51, 3}, {7, 7},
               {1e300, 9200000000000000000LL}, {-1e300, -9200000000000000000LL}};
  for (const auto& c : cases) EXPECT_EQ(roundHalfEven(c.in), c.out) << c.in;
}

TEST(NumberConversion, WholeTextMustBeANumber) {
  struct Case {
    const char* text;
    bool ok;
    double value;
  } cases[] = {{"14", true, 14}, {" 14 ", true, 14}, {"-3", true, -3}, {"2.5", true, 2.5}, {"", false, 0},
               {"1a", false, 0}, {"a1", false, 0},   {"1 4", false, 0}, {"--1", false, 0}, {"/", false, 0}};
  for (const auto& c : cases) {
    PendingError error;
    double value = -99;
    EXPECT_EQ(numberConversion(c.text, value, error), c.ok) << c.text;
    if (c.ok) {
      EXPECT_DOUBLE_EQ(value, c.value);
      EXPECT_FALSE(error.pending());
    } else {
      EXPECT_EQ(error.number, kTypeMismatch) << c.text;
      EXPECT_DOUBLE_EQ(value, -99) << "a failed conversion leaves the target alone";
    }
  }
}

TEST(ConvertToInt16, OverflowIsErrorSix) {
  struct Case {
    const char* text;
    int error;
    std::int16_t value;
  } cases[] = {{"32767", 0, 32767}, {"-32768", 0, -32768}, {"32768", kOverflow, 0},
               {"2.5", 0, 2},       {"x", kTypeMismatch, 0}};
  for (const auto& c : cases) {
    PendingError error;
    std::int16_t value = 0;
    convertToInt16(c.text, value, error);
    EXPECT_EQ(error.number, c.error) << c.text;
    EXPECT_EQ(value, c.value) << c.text;
  }
}

TEST(TextHelpers, PositionsCountFromOneAndAreSafePastTheEnds) {
  EXPECT_EQ(mid("From : 15_2002/04/15", 8, 2), "15");
  EXPECT_EQ(mid("abc", 3, 10), "c");
  EXPECT_EQ(mid("abc", 4, 1), "");
  EXPECT_EQ(mid("abc", 0, 1), "");
  EXPECT_EQ(left("abc", 5), "abc");
  EXPECT_EQ(right("abc", 2), "bc");
  EXPECT_EQ(right("abc", -1), "");
  EXPECT_EQ(trimRight("  a b  "), "  a b");
  EXPECT_EQ(trim("  a b  "), "a b");
  EXPECT_EQ(trim("    "), "");
  EXPECT_EQ(twoDigits(0), "00");
  EXPECT_EQ(twoDigits(7), "07");
  EXPECT_EQ(twoDigits(12), "12");
  EXPECT_EQ(twoDigits(100), "100");
}

}  // namespace
}  // namespace tallix
