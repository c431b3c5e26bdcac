#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>

#include "common/LeadingNumber.h"
#include "common/PatternFormat.h"
#include "common/Rounding.h"
#include "common/SignedBlank.h"

namespace voltander {
namespace {

struct FloatCase {
  float value;
  const char* text;
};

TEST(SignedBlank, WholeNumbersCarryABlankOrAMinusInTheSignPlace) {
  EXPECT_EQ(SignedBlank(std::int64_t{4}), " 4");
  EXPECT_EQ(SignedBlank(std::int64_t{0}), " 0");
  EXPECT_EQ(SignedBlank(std::int64_t{-1}), "-1");
  EXPECT_EQ(SignedBlank(std::int64_t{-32768}), "-32768");
  EXPECT_EQ(SignedBlank(INT64_MIN), "-9223372036854775808");
}

TEST(SignedBlank, SinglePrecisionShowsSevenSignificantDigits) {
  const FloatCase cases[] = {
      {4.0f, " 4"},
      {0.5f, " .5"},
      {-0.5f, "-.5"},
      {-1.0f, "-1"},
      {3.0120482f, " 3.012048"},
      {4.01f, " 4.01"},
      {0.0f, " 0"},
      {-0.0f, " 0"},
      {1234567.0f, " 1234567"},
      {123.4567f, " 123.4567"},
      {0.001f, " .001"},
      {0.00001f, " .00001"},
      {9.9999999f, " 10"},
  };
  for (const auto& c : cases) EXPECT_EQ(SignedBlank(c.value), c.text) << c.value;
}

TEST(SignedBlank, VeryLargeAndVerySmallValuesUseAnExponent) {
  const FloatCase cases[] = {
      {1.0e7f, " 1E+07"},
      {12345678.0f, " 1.234568E+07"},
      {-2.5e20f, "-2.5E+20"},
      {1.0e-6f, " 1E-06"},
      {1.5e-10f, " 1.5E-10"},
      {FLT_MAX, " 3.402823E+38"},
  };
  for (const auto& c : cases) EXPECT_EQ(SignedBlank(c.value), c.text) << c.value;
}

TEST(SignedBlank, WrittenValuesReadBackToTheSameText) {
  for (float v : {3.0120482f, 0.1f, 4.0f, 32.7675f, 1e-7f, 6.02e23f, -12.5f, 0.3333333f}) {
    const std::string text = SignedBlank(v);
    EXPECT_EQ(SignedBlank(static_cast<float>(LeadingNumber(text))), text) << text;
  }
}

struct ParseCase {
  const char* text;
  double value;
};

TEST(LeadingNumber, TakesTheLeadingNumberAndStopsAtTheFirstMisfit) {
  const ParseCase cases[] = {
      {" 1 2.5e1x", 125.0},
      {"&H1F", 31.0},
      {"&hff", 255.0},
      {"&O17", 15.0},
      {"&HFFFF", -1.0},
      {"&H10000", 65536.0},
      {"-.5D2", -50.0},
      {"abc", 0.0},
      {"", 0.0},
      {"\t\n 4\r\n", 4.0},
      {"1.2.3", 1.2},
      {"12e", 12.0},
      {"- 7", -7.0},
      {"+3", 3.0},
      {"3,5", 3.0},
      {"1e-400", 0.0},
  };
  for (const auto& c : cases) EXPECT_DOUBLE_EQ(LeadingNumber(c.text), c.value) << c.text;
  EXPECT_TRUE(std::isinf(LeadingNumber("1e400")));
}

TEST(ParseNumber, AcceptsOnlyTextsThatAreWhollyANumber) {
  EXPECT_EQ(ParseNumber(" 0"), 0.0);
  EXPECT_EQ(ParseNumber("1.0"), 1.0);
  EXPECT_EQ(ParseNumber(" -1 "), -1.0);
  EXPECT_FALSE(ParseNumber("abc").has_value());
  EXPECT_FALSE(ParseNumber("").has_value());
  EXPECT_FALSE(ParseNumber("3x").has_value());
  EXPECT_FALSE(ParseNumber("-").has_value());
}

TEST(Rounding, HalvesGoToTheEvenNeighbour) {
  EXPECT_EQ(RoundHalfEven(2.5), 2.0);
  EXPECT_EQ(RoundHalfEven(3.5), 4.0);
  EXPECT_EQ(RoundHalfEven(-2.5), -2.0);
  EXPECT_EQ(RoundHalfEven(-3.5), -4.0);
  EXPECT_EQ(RoundHalfEven(2.4999), 2.0);
  EXPECT_EQ(RoundHalfEven(4351.5), 4352.0);
}

TEST(Rounding, ConversionToInt16ReportsOverflowAsError6) {
  EXPECT_EQ(ToInt16(2.5).value, 2);
  EXPECT_EQ(ToInt16(-1.0).value, -1);
  EXPECT_EQ(ToInt16(32767.4).error, 0);
  EXPECT_EQ(ToInt16(32767.5).error, 6);
  EXPECT_EQ(ToInt16(-32768.5).value, -32768);
  EXPECT_EQ(ToInt16(-32768.6).error, 6);
  EXPECT_EQ(ToInt16(40000).error, 6);
  EXPECT_EQ(ToInt16(std::nan("")).error, 6);
  EXPECT_EQ(ToInt16(HUGE_VAL).error, 6);
}

TEST(PatternFormat, FixesDecimalsUnitAndTheLocaleSeparator) {
  EXPECT_EQ(FormatPattern(0.4166f, "0.000 V", "."), "0.417 V");
  EXPECT_EQ(FormatPattern(0.4166f, "0.000 V", ","), "0,417 V");
  EXPECT_EQ(FormatPattern(0.07f, "0.000 A", "."), "0.070 A");
  EXPECT_EQ(FormatPattern(14.372, "0.000 V", "."), "14.372 V");
  EXPECT_EQ(FormatPattern(-0.597, "0.000 V", "."), "-0.597 V");
  EXPECT_EQ(FormatPattern(-0.0001, "0.000 V", "."), "0.000 V");
  EXPECT_EQ(FormatPattern(255, "0 s", "."), "255 s");
  EXPECT_EQ(FormatPattern(3.0120482f, "0.00", "."), "3.01");
  EXPECT_EQ(FormatPattern(4.0, "0.00 V", "."), "4.00 V");
  EXPECT_EQ(FormatPattern(1.5625f, "0.000 V", "."), "1.563 V");
  EXPECT_EQ(FormatPattern(7.0, "0", "."), "7");
}

}  // namespace
}  // namespace voltander
