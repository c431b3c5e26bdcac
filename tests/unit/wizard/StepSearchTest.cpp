#include <gtest/gtest.h>

#include <initializer_list>

#include "wizard/StepSearch.h"

namespace voltander {
namespace {

VoltageTable VoltagesWith(std::initializer_list<float> head, float fill, float top) {
  VoltageTable t{};
  int k = 0;
  for (float v : head) t[k++][0] = v;
  for (; k < kLastVoltageRow; ++k) t[k][0] = fill;
  t[kLastVoltageRow][0] = top;
  return t;
}

TEST(StepSearch, StopsAtTheFirstRowAboveInRowOrderAndTiesGoToTheRowBelow) {
  // Row 3 (5.0) is the nearest value to 4.9, but row 2 already exceeds it.
  const VoltageTable unsorted = VoltagesWith({0.0f, 1.0f, 6.0f, 5.0f}, 0.5f, 9.0f);
  EXPECT_EQ(NearestVoltageStep(unsorted, 4.9f).row, 2);
  EXPECT_FLOAT_EQ(NearestVoltageStep(unsorted, 4.9f).deviation, 1.1f);

  const VoltageTable t = VoltagesWith({0.0f, 1.0f, 2.0f}, 2.5f, 9.0f);
  EXPECT_EQ(NearestVoltageStep(t, 1.75f).row, 2);
  EXPECT_FLOAT_EQ(NearestVoltageStep(t, 1.75f).deviation, 0.25f);
  EXPECT_EQ(NearestVoltageStep(t, 1.5f).row, 1);
  EXPECT_FLOAT_EQ(NearestVoltageStep(t, 1.5f).deviation, 0.5f);
  EXPECT_EQ(NearestVoltageStep(t, 2.0f).row, 2);
  EXPECT_EQ(NearestVoltageStep(t, 2.0f).deviation, 0.0f);
}

TEST(StepSearch, TopVoltageRowIsOnlyTheFallbackButTheTopCurrentRowIsScanned) {
  const StepChoice v = NearestVoltageStep(VoltagesWith({0.0f}, 1.0f, 3.0f), 1.2f);
  EXPECT_EQ(v.row, kLastVoltageRow);
  EXPECT_FLOAT_EQ(v.deviation, -1.8f);

  CurrentTable c{};
  for (int k = 0; k < kLastCurrentRow; ++k) c[k][0] = 0.1f * static_cast<float>(k) / 15;
  c[kLastCurrentRow][0] = 2.0f;
  EXPECT_EQ(NearestCurrentStep(c, 1.5f).row, kLastCurrentRow);
  EXPECT_FLOAT_EQ(NearestCurrentStep(c, 1.5f).deviation, 0.5f);
}

}  // namespace
}  // namespace voltander
