#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "calibration/DividerModel.h"
#include "params/StepTables.h"

namespace voltander {
namespace {

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> out;
  std::size_t start = 0;
  for (std::size_t at; (at = text.find("\r\n", start)) != std::string::npos; start = at + 2) {
    out.push_back(text.substr(start, at - start));
  }
  out.push_back(text.substr(start));
  return out;
}

// A ratio whose single-precision product with 1000 is exactly `product`.
float RatioWithProduct(float product) {
  float ratio = product / 1000.0f;
  for (int step = 0; step < 64 && ratio * 1000.0f > product; ++step) {
    ratio = std::nextafter(ratio, 0.0f);
  }
  for (int step = 0; step < 64 && ratio * 1000.0f < product; ++step) {
    ratio = std::nextafter(ratio, 100.0f);
  }
  EXPECT_EQ(ratio * 1000.0f, product) << "no float ratio gives " << product;
  return ratio;
}

TEST(DividerModel, RatioTimes1000RoundsHalvesToEvenAndCarriesIntoHighByte) {
  struct Case {
    float product;
    int n;
  };
  for (const Case c : {Case{3012.5f, 3012}, Case{3013.5f, 3014}, Case{4351.5f, 4352},
                       Case{4000.0f, 4000}, Case{0.0f, 0}}) {
    const auto n = RatioTimes1000(RatioWithProduct(c.product));
    ASSERT_TRUE(n.has_value()) << c.product;
    EXPECT_EQ(*n, c.n) << c.product;
  }
  EXPECT_EQ(RatioTimes1000(RatioFromEntries(kVccAtFiveVolts, 166)), 3012);
}

TEST(DividerModel, RatioTimes1000RefusesWhatTheControllerCannotCarryBack) {
  // Near the top consecutive ratios move the product by about 0.004.
  float lastSendable = 32.7675f;
  while (lastSendable * 1000.0f >= 32767.5f) lastSendable = std::nextafter(lastSendable, 0.0f);
  EXPECT_EQ(RatioTimes1000(lastSendable), 32767);

  for (float ratio :
       {std::nextafter(lastSendable, 100.0f), 50.0f, -2.0f, -0.0004f,
        std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity()}) {
    EXPECT_FALSE(RatioTimes1000(ratio).has_value()) << ratio;
  }
}

TEST(DividerModel, RhiEntryIsTheTestPinVoltageAtFiveVoltsRoundedDown) {
  EXPECT_EQ(RhiEntryForRatio(4.0f), 125);
  EXPECT_EQ(RhiEntryForRatio(3.0f), 166);
  EXPECT_EQ(RhiEntryForRatio(1000.0f), 0);
  EXPECT_EQ(RhiEntryForRatio(1.01f), 495);
  // Just above 1 the product may round up to 500, one past the list: never offered.
  EXPECT_LT(RhiEntryForRatio(std::nextafter(1.0f, 2.0f)).value_or(-1), kRhiEntries);
}

TEST(DividerModel, RhiEntryIsNoneForRatiosThatPointOutsideTheList) {
  for (float ratio :
       {1.0f, 0.5f, 0.0f, -0.0f, -2.0f, std::numeric_limits<float>::quiet_NaN(),
        std::numeric_limits<float>::infinity(), -std::numeric_limits<float>::infinity()}) {
    EXPECT_FALSE(RhiEntryForRatio(ratio).has_value()) << ratio;
  }
}

TEST(DividerModel, ThresholdListMarksDividedRowsAndCanLeaveOutTheBaseRows) {
  VoltageTable volts{};
  CurrentTable amps{};
  ComputeStepTables(4.0f, volts, amps);

  const auto all = Lines(ThresholdList(volts, false, "."));
  ASSERT_EQ(all.size(), 53u);
  EXPECT_EQ(all[0], "0.208 V");
  EXPECT_EQ(all[1], "0.417 V");
  EXPECT_EQ(all[26], "3.593 V");
  EXPECT_EQ(all[27], "1.666 V*");
  EXPECT_EQ(all[52], "14.372 V*");

  const auto divided = Lines(ThresholdList(volts, true, ","));
  ASSERT_EQ(divided.size(), 26u);
  EXPECT_EQ(divided.front(), "1,666 V*");
  EXPECT_EQ(divided.back(), "14,372 V*");
}

}  // namespace
}  // namespace voltander
