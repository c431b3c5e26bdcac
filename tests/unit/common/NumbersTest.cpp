#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <string>
#include <tuple>

#include "common/CivilDays.h"
#include "common/CommNumbers.h"
#include "common/LeadingNumber.h"
#include "common/PatternFormat.h"
#include "common/Rounding.h"
#include "common/SignedBlank.h"
#include "common/Version.h"

namespace voltander {
namespace {

TEST(Titles, VersionNumbersInSignedBlankForm) {
  const Version v{2, 10, 3};
  EXPECT_EQ(StartupTitle(v), "Voltander V 2. 10. 3");
  EXPECT_EQ(FileTitle("a.vlt", v), "Voltander 2. 10. 3   (a.vlt)");
}

TEST(SignedBlank, BlankOrMinusInTheSignPlaceAndSevenSignificantDigits) {
  EXPECT_EQ(SignedBlank(std::int64_t{0}), " 0");
  EXPECT_EQ(SignedBlank(std::int64_t{-1}), "-1");
  EXPECT_EQ(SignedBlank(INT64_MIN), "-9223372036854775808");
  const struct {
    float value;
    const char* text;
  } cases[] = {{4.0f, " 4"},
               {0.5f, " .5"},
               {-0.5f, "-.5"},
               {-0.0f, " 0"},
               {3.0120482f, " 3.012048"},
               {0.00001f, " .00001"},
               {9.9999999f, " 10"},
               {1234567.0f, " 1234567"},
               {1.0e7f, " 1E+07"},
               {12345678.0f, " 1.234568E+07"},
               {-2.5e20f, "-2.5E+20"},
               {1.0e-6f, " 1E-06"},
               {1.5e-10f, " 1.5E-10"},
               {FLT_MAX, " 3.402823E+38"}};
  for (const auto& c : cases) EXPECT_EQ(SignedBlank(c.value), c.text) << c.value;
  for (float v : {3.0120482f, 0.1f, 32.7675f, 1e-7f, 6.02e23f, -12.5f, 0.3333333f}) {
    const std::string text = SignedBlank(v);
    EXPECT_EQ(SignedBlank(static_cast<float>(LeadingNumber(text))), text) << "read back " << text;
  }
}

TEST(LeadingNumber, TakesTheLeadingNumberAndStopsAtTheFirstMisfit) {
  const std::string nines(400, '9'), zeros(400, '0');
  const struct {
    std::string text;
    double value;
  } cases[] = {{" 1 2.5e1x", 125.0},
               {"&H1F", 31.0},
               {"&HFFFF", -1.0},  // sixteen-bit hexadecimal is signed
               {"&Hff", 255.0},
               {"&HA", 10.0},
               {"&H1-", 1.0},
               {"&O78", 7.0},
               {"2E3", 2000.0},
               {"7e+29", 7e29},
               {"&H10000", 65536.0},
               {"&O17", 15.0},
               {"&o17", 15.0},
               {"&17", 0.0},  // no radix letter, no number
               {"&HFFFFFFFFFFFFFFFF", 18446744073709551615.0},
               {"&H10000000000000000", HUGE_VAL},
               {"-.5D2", -50.0},
               {"abc", 0.0},
               {"", 0.0},
               {"\t\n 4\r\n", 4.0},
               {"1.2.3", 1.2},
               {"- 7", -7.0},
               {"3,5", 3.0},
               {"1E", 1.0},  // an exponent letter at the very end
               {"& ", 0.0},  // a radix mark followed by blanks only
               // Beyond a double: infinite when too large, zero when too small, from either the
               // exponent or the digits.
               {nines, HUGE_VAL},
               {"-" + nines, -HUGE_VAL},
               {"." + zeros + "1", 0.0},
               {"1E400", HUGE_VAL},
               {"1E-400", 0.0},
               {std::string(400, '1') + "E-800", 0.0},
               {"." + zeros + "1E900", HUGE_VAL}};
  for (const auto& c : cases) EXPECT_EQ(LeadingNumber(c.text), c.value) << c.text.substr(0, 20);
}

TEST(Rounding, HalvesGoToTheEvenNeighbourAndInt16OverflowIsError6) {
  EXPECT_EQ(RoundHalfEven(2.5), 2.0);
  EXPECT_EQ(RoundHalfEven(3.5), 4.0);
  EXPECT_EQ(RoundHalfEven(-2.5), -2.0);
  EXPECT_EQ(RoundHalfEven(2.4999), 2.0);
  EXPECT_EQ(RoundHalfEven(4351.5), 4352.0);
  EXPECT_EQ(ToInt16(-1.0).value, -1);
  EXPECT_EQ(ToInt16(32767.4).error, 0);
  EXPECT_EQ(ToInt16(-32768.5).value, -32768);
  for (double v : {32767.5, -32768.6, 40000.0, std::nan(""), HUGE_VAL})
    EXPECT_EQ(ToInt16(v).error, 6) << v;
}

TEST(PatternFormat, RoundsToTheDecimalsOfThePatternAndNeverShowsANegativeZero) {
  EXPECT_EQ(FormatPattern(0.4166f, "0.000 V", ","), "0,417 V");
  EXPECT_EQ(FormatPattern(-0.0001, "0.000 V", "."), "0.000 V");
  EXPECT_EQ(FormatPattern(std::nan(""), "0.00 V", "."), "NaN V");
  EXPECT_EQ(FormatPattern(5.0, "0.", "."), "5.");
  EXPECT_EQ(FormatPattern(-HUGE_VAL, "0.00", "."), "Inf");
  EXPECT_EQ(SignedBlank(-HUGE_VALF), "-Inf");
  EXPECT_EQ(SignedBlank(HUGE_VALF), " Inf");
  // Halves of the last place go away from zero.
  EXPECT_EQ(FormatPattern(1.5625f, "0.000 V", "."), "1.563 V");
  EXPECT_EQ(FormatPattern(-2.125, "0.00", "."), "-2.13");
  EXPECT_EQ(FormatPattern(-2.25, "0.0", ","), "-2,3");
}

// A damaged file can carry the year 0000, whose January counts in the year before it:
// the era arithmetic must hold below zero as well as in the present.
TEST(CivilDays, DatesAndDayCountsMatchBothWaysInEveryEra) {
  const struct { int y, m, d; std::int64_t days; } cases[] = {
      {1970, 1, 1, 0},       {1969, 12, 31, -1},      {1600, 2, 29, -135081}, {2400, 2, 29, 157113},
      {1, 1, 1, -719162},    {0, 3, 1, -719468},      {0, 1, 1, -719528},     {-1, 12, 31, -719529},
      {-400, 1, 1, -865625}, {1970, 3, 1, 59}};
  for (const auto& c : cases) {
    EXPECT_EQ(DaysFromCivil(c.y, c.m, c.d), c.days) << c.y << '-' << c.m << '-' << c.d;
    int y = 0, m = 0, d = 0;
    CivilFromDays(c.days, y, m, d);
    EXPECT_EQ(std::make_tuple(y, m, d), std::make_tuple(c.y, c.m, c.d)) << c.days;
  }
}

// The port numbering both ways (0: no number, "": no device): the number a device opens
// under is the one the controller search offers, and only a proper link name has one.
TEST(CommNumbers, EachFamilyHoldsThirtyTwoNumbersAndEveryOtherNameHasNone) {
  const std::pair<int, const char*> cases[] = {
      {1, "/dev/ttyS0"},     {32, "/dev/ttyS31"},   {33, "/dev/ttyUSB0"}, {64, "/dev/ttyUSB31"},
      {65, "/dev/ttyACM0"},  {96, "/dev/ttyACM31"}, {0, "/dev/ttyS32"},   {0, "/dev/ttyACM"},
      {0, "/dev/ttyUSB01"},  {0, "/dev/ttyUSB1x"},  {0, "/dev/ttyAMA0"},  {0, "/dev/pts/3"},
      {0, "/tmp/dev/ttyS1"}, {0, "/dev/ttyUSB100"}};
  for (const auto& [n, path] : cases) {
    EXPECT_EQ(StandardCommNumber(path), n) << path;
    EXPECT_EQ(StandardDevicePath(n), n ? path : "") << n;
  }
  for (int n : {-1, 0, 97, 255}) EXPECT_EQ(StandardDevicePath(n), "") << n;
  for (int n = 1; n <= 96; ++n) EXPECT_EQ(StandardCommNumber(StandardDevicePath(n)), n);
  const std::pair<const char*, int> links[] = {
      {"COM1", 1}, {"COM97", 97}, {"COM255", 255}, {"COM256", 0},  {"COM0", 0},  {"COM07", 0},
      {"COM", 0},  {"com7", 0},   {"COM7.bak", 0}, {"COM1000", 0}, {"XCOM7", 0}, {"COM-1", 0}};
  for (const auto& [name, n] : links) EXPECT_EQ(LinkNameNumber(name), n) << name;
  EXPECT_EQ(LinkName(97), "COM97");
}

}  // namespace
}  // namespace voltander
