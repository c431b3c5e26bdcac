#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "calibration/DividerModel.h"

namespace voltander {
namespace {

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr float kInf = std::numeric_limits<float>::infinity();

// A ratio whose single-precision product with 1000 is exactly `product`.
float RatioWithProduct(float product) {
  float ratio = product / 1000.0f;
  while (ratio * 1000.0f > product) ratio = std::nextafter(ratio, 0.0f);
  while (ratio * 1000.0f < product) ratio = std::nextafter(ratio, 100.0f);
  EXPECT_EQ(ratio * 1000.0f, product) << "no float ratio gives " << product;
  return ratio;
}

TEST(DividerModel, RatioTimes1000RoundsHalvesToEvenAndRefusesWhatCannotComeBack) {
  for (const auto& [product, n] : {std::pair{3012.5f, 3012}, std::pair{3013.5f, 3014},
                                   std::pair{4351.5f, 4352}, std::pair{0.0f, 0}}) {
    EXPECT_EQ(RatioTimes1000(RatioWithProduct(product)), n) << product;
  }
  EXPECT_EQ(RatioTimes1000(RatioFromEntries(kVccAtFiveVolts, 166)), 3012);

  // Near the top consecutive ratios move the product by about 0.004.
  float lastSendable = 32.7675f;
  while (lastSendable * 1000.0f >= 32767.5f) lastSendable = std::nextafter(lastSendable, 0.0f);
  EXPECT_EQ(RatioTimes1000(lastSendable), 32767);
  for (float ratio : {std::nextafter(lastSendable, 100.0f), 50.0f, -0.0004f, kNaN, kInf}) {
    EXPECT_FALSE(RatioTimes1000(ratio).has_value()) << ratio;
  }
}

TEST(DividerModel, RhiEntryIsTheTestPinVoltageAtFiveVoltsRoundedDownOrNone) {
  EXPECT_EQ(RhiEntryForRatio(1.01f), 495);
  // Just above 1 the product may round up to 500, one past the list: never offered.
  EXPECT_LT(RhiEntryForRatio(std::nextafter(1.0f, 2.0f)).value_or(-1), kRhiEntries);
  for (float ratio : {1.0f, -0.0f, kInf, -kInf}) {
    EXPECT_FALSE(RhiEntryForRatio(ratio).has_value()) << ratio;
  }
}

}  // namespace
}  // namespace voltander
