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

// The scan stops at the first row above the target, in row order; ties go to the row below.
TEST(StepSearch, PicksTheNearerOfTheFirstRowAboveAndTheRowBelowIt) {
  // Row 3 (5.0) is the nearest value to 4.9, but row 2 already exceeds it.
  const VoltageTable unsorted = VoltagesWith({0.0f, 1.0f, 6.0f, 5.0f}, 0.5f, 9.0f);
  const VoltageTable t = VoltagesWith({0.0f, 1.0f, 2.0f}, 2.5f, 9.0f);
  // The top row is compared like any other; above it, it is the fallback.
  const VoltageTable low = VoltagesWith({0.0f}, 1.0f, 3.0f);
  const int top = kLastVoltageRow;
  // clang-format off
  const struct { const VoltageTable& table; float target; int row; float deviation; } cases[] = {
      {unsorted, 4.9f, 2, 1.1f}, {t, 1.75f, 2, 0.25f}, {t, 1.5f, 1, 0.5f}, {t, 2.0f, 2, 0.0f},
      {low, 1.2f, top - 1, 0.2f}, {low, 2.5f, top, 0.5f}, {low, 3.5f, top, 0.5f},
      {t, 2.5f, top - 1, 0.0f},  // a run of equal rows: only a row above it stops the scan
      {low, -1.0f, 0, 1.0f}};    // below row 0: nothing beneath to compare with
  // clang-format on
  for (const auto& c : cases) {
    const StepChoice s = NearestVoltageStep(c.table, c.target);
    EXPECT_EQ(s.row, c.row) << c.target;
    EXPECT_FLOAT_EQ(s.deviation, c.deviation) << c.target;
  }

  // The top current row likewise.
  CurrentTable current{};
  for (int k = 0; k < kLastCurrentRow; ++k) current[k][0] = 0.1f * static_cast<float>(k) / 15;
  current[kLastCurrentRow][0] = 2.0f;
  EXPECT_EQ(NearestCurrentStep(current, 1.5f).row, kLastCurrentRow);
  EXPECT_FLOAT_EQ(NearestCurrentStep(current, 1.5f).deviation, 0.5f);
}

}  // namespace
}  // namespace voltander
